#pragma once
// CTabView: the tab control of the main dialog and its five panes
// (modeling, material, texture, foreground, lighting).  Only the current
// pane has its controls: they are built when its tab is chosen and removed
// when another is.  The view offers item hits and idle work to that pane.
#include <array>

#include <QTabWidget>

#include "CTabPane.h"

class CTabView : public QTabWidget {
    Q_OBJECT
public:
    static constexpr int kPaneCount = 5;

    explicit CTabView(PaneOwner& owner, QWidget* parent = nullptr);

    CTabPane* Pane(int index) const { return panes_.at(static_cast<std::size_t>(index)); }
    CTabPane* CurrentPane() const;

    // Offers an item hit to the current pane; true when it handled it.
    bool DoAction(short item);
    // Shows the current parameters in the current pane (building its
    // controls when it has none yet).
    void SetParam();
    void DoIdle();

private:
    void ChangeTab(int index);

    std::array<CTabPane*, kPaneCount> panes_{};
    int shown_ = -1;
};
