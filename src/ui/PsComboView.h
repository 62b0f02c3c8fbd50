#pragma once
// The view of a list over PsControlCombo (the style list): a button that
// shows the chosen entry and opens the list as a pop-up menu; a right click
// or a Ctrl+click opens the context menu that moves and clears entries.
// The list logic lives in PsControlCombo; this only shows and forwards.
#include <functional>

#include <QPushButton>

#include "PsControl.h"

class PsControlCombo;
class QMenu;

class PsComboView : public QPushButton, public PsControl {
    Q_OBJECT
public:
    PsComboView(PsControlCombo& combo, QWidget* parent = nullptr);

    // Called before the user's choice changes the list (the dialog keeps an
    // undo step there).
    void SetBeforeChange(std::function<void()> beforeChange) { beforeChange_ = std::move(beforeChange); }
    // Called after a context menu command changed the list.
    void SetAfterCommand(std::function<void()> afterCommand) { afterCommand_ = std::move(afterCommand); }
    // Shows the chosen entry's name and path.
    void Refresh();
    // The pop-up menu of the entries, built from the list now.
    QMenu* BuildPopup(QWidget* parent);
    // The context menu, built from the list now.
    QMenu* BuildContextMenu(QWidget* parent);
    void ShowPopup();
    void ShowContextMenu(const QPoint& globalPos);
    PsControlCombo& Combo() { return combo_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void Choose(int menuValue);

    PsControlCombo& combo_;
    std::function<void()> beforeChange_;
    std::function<void()> afterCommand_;
};
