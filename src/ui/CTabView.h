#pragma once
// CTabView: the tab control of the main dialog and its five panes
// (modeling, material, texture, environment, lighting).  Each pane is a
// CTabPane; the view offers item hits and idle work to the current one.
#include <array>

#include <QTabWidget>

#include "CTabPane.h"

class CTabView : public QTabWidget {
    Q_OBJECT
public:
    static constexpr int kPaneCount = 5;

    explicit CTabView(PaneOwner& owner, QWidget* parent = nullptr);

    // Replaces pane index (0..4) with a pane of its own; the view owns it.
    void SetPane(int index, CTabPane* pane);
    CTabPane* Pane(int index) const { return panes_.at(static_cast<std::size_t>(index)); }
    CTabPane* CurrentPane() const;

    // Offers an item hit to the current pane; true when it handled it.
    bool DoAction(short item);
    // Shows the current parameters in every pane.
    void SetParam();
    void DoIdle();

private:
    std::array<CTabPane*, kPaneCount> panes_{};
};
