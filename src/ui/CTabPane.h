#pragma once
// CTabPane: one page of the main dialog's tab view, and PaneOwner, what a
// pane may ask of the main dialog.  The five panes of the dialog derive
// from CTabPane; until they are built each page is an empty CTabPane.
#include <cstdint>

#include <QString>
#include <QWidget>

#include "ShadeParams.h"

class MainDlgModel;
class PsControlButton;

class PaneOwner {
public:
    virtual ~PaneOwner() = default;
    // notification 1: a change is about to happen (an undo step is kept);
    // 3: a change has happened.  id names the control.
    virtual void OnUpdatePsControl(int notification, int id) = 0;
    // A pane changed a parameter; while a slider is dragged the preview may
    // wait for the release when renders are slow.
    virtual void PaneChanged(bool dragging) = 0;
    // A drag that may have held back a render has ended.
    virtual void PaneGestureEnded() = 0;
    virtual ShadeParams& Params() = 0;
    // The dialog's state beside the record (locks, lists, colour mode, light
    // channel); none for owners that only test a control.
    virtual MainDlgModel* PaneModel() { return nullptr; }
    // A pane's lock button changed its group's lock.
    virtual void PaneLocksChanged() {}
};

class CTabPane : public QWidget {
    Q_OBJECT
public:
    CTabPane(PaneOwner& owner, QString title, int lockIndex, QWidget* parent = nullptr);

    const QString& Title() const { return title_; }
    // The lock group of the pane (see Locks.h), -1 for none.
    int LockIndex() const { return lockIndex_; }
    PaneOwner& Owner() { return owner_; }

    // Called when the pane is shown; builds its controls when it has none and
    // shows the current parameters.
    virtual void Initialize() { SetParam(); }
    // Called when another pane is shown; removes what Initialize built.
    virtual void Clear() {}
    // Shows the current parameters in the controls.
    virtual void SetParam() {}
    // An item of the pane was hit; true when handled.
    virtual bool DoAction(short /*item*/) { return false; }
    // Idle work of the 0.05 s timer.
    virtual void DoIdle() {}
    // The pane's buttons, appended to the main dialog's button chain.
    virtual PsControlButton* GetFirstButton() { return nullptr; }
    virtual bool IsLocked() const { return false; }
    // A parameter changed: re-render the preview.
    void Update(bool dragging = false) { owner_.PaneChanged(dragging); }

private:
    PaneOwner& owner_;
    QString title_;
    int lockIndex_;
};
