#include "CListBox.h"

CListBox::CListBox(QWidget* parent) : QListWidget(parent) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

int CListBox::AddString(const QString& text) {
    addItem(text);
    return count() - 1;
}

void CListBox::ResetContent() { clear(); }
