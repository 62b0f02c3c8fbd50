#include "CTabPane.h"

CTabPane::CTabPane(PaneOwner& owner, QString title, int lockIndex, QWidget* parent)
    : QWidget(parent), owner_(owner), title_(std::move(title)), lockIndex_(lockIndex) {
    setObjectName(title_);
}
