#pragma once
// CListBox: a one-column list of text rows with a vertical scroll bar.
#include <QListWidget>
#include <QString>

class CListBox : public QListWidget {
    Q_OBJECT
public:
    explicit CListBox(QWidget* parent = nullptr);
    // Adds a row at the end; returns its index.
    int AddString(const QString& text);
    // Removes every row.
    void ResetContent();
    int GetCount() const { return count(); }
};
