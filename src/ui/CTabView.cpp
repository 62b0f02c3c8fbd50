#include "CTabView.h"

#include "Locks.h"
#include "UiStrings.h"

namespace {
struct PaneName {
    int stringId;
    int lockIndex;
};
constexpr PaneName kPaneNames[CTabView::kPaneCount] = {
    {UiStringId::kTabModel, kLockModel},       {UiStringId::kTabMaterial, kLockMaterial},
    {UiStringId::kTabTexture, kLockTexture},   {UiStringId::kTabEnviron, kLockForeground},
    {UiStringId::kTabLight, kLockLight},
};
}  // namespace

CTabView::CTabView(PaneOwner& owner, QWidget* parent) : QTabWidget(parent) {
    setObjectName("TabView");
    for (int i = 0; i < kPaneCount; ++i) {
        auto* pane = new CTabPane(owner, UiString(kPaneNames[i].stringId), kPaneNames[i].lockIndex);
        panes_[static_cast<std::size_t>(i)] = pane;
        addTab(pane, pane->Title());
    }
    connect(this, &QTabWidget::currentChanged, this, [this](int index) {
        if (index >= 0 && index < kPaneCount) Pane(index)->Initialize();
    });
}

void CTabView::SetPane(int index, CTabPane* pane) {
    CTabPane* old = Pane(index);
    const bool current = currentIndex() == index;
    removeTab(index);
    insertTab(index, pane, pane->Title());
    panes_[static_cast<std::size_t>(index)] = pane;
    delete old;
    if (current) setCurrentIndex(index);
}

CTabPane* CTabView::CurrentPane() const {
    const int index = currentIndex();
    return index < 0 ? nullptr : Pane(index);
}

bool CTabView::DoAction(short item) {
    CTabPane* pane = CurrentPane();
    return pane != nullptr && pane->DoAction(item);
}

void CTabView::SetParam() {
    for (CTabPane* pane : panes_) pane->SetParam();
}

void CTabView::DoIdle() {
    if (CTabPane* pane = CurrentPane()) pane->DoIdle();
}
