#pragma once
// PsControl: the base of the plug-in's own controls.  It wraps one numbered
// dialog item and the widget that shows it; the derived controls add their
// behaviour over that widget.
#include <cstdint>

#include <QPoint>
#include <QRect>

class QWidget;

// Mouse event kinds of the drawn controls' MouseEvent.
inline constexpr int kMouseMove = 0;
inline constexpr int kMouseDown = 1;
inline constexpr int kMouseDrag = 2;
inline constexpr int kMouseUp = 3;

class PsControl {
public:
    PsControl() = default;
    virtual ~PsControl() = default;
    PsControl(const PsControl&) = delete;
    PsControl& operator=(const PsControl&) = delete;

    virtual void DrawItem();
    virtual void Enable();
    virtual void Disable();

    void SetControl(QWidget* control) { control_ = control; }
    QWidget* GetControl() const { return control_; }
    void SetItemID(short id) { itemId_ = id; }
    short GetItemID() const { return itemId_; }
    void Setup(short id) { itemId_ = id; }
    // The control's value, 0 for a control without one.
    int32_t GetValue() const;
    // The control's rectangle in its parent's coordinates.
    QRect GetBounds() const;
    bool PtInRect(const QPoint& point) const { return GetBounds().contains(point); }
    void EnableWindow(bool enable) { enable ? Enable() : Disable(); }
    bool IsEnabled() const { return enabled_; }
    bool IsWindowEnabled() const { return enabled_; }
    // Asks for the control to be drawn again.
    void Invalid() const;
    void Refresh() const { Invalid(); }

protected:
    QWidget* control_ = nullptr;
    short itemId_ = 0;
    bool enabled_ = true;
};

// A static text item and an edit-text item of a dialog.
class CStatic : public PsControl {};
class CEdit : public PsControl {};
