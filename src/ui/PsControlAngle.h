#pragma once
// PsControlAngle: the direction of a light as a point on a disc.  The angle
// around the centre is the horizontal angle, the distance from the centre the
// vertical one (the centre is straight above, the rim the horizon).  Two
// number fields show both angles live while the point is dragged and take
// typed angles, clamped to their ranges.
#include <cstdint>
#include <functional>

#include <QWidget>

#include "IntAngle.h"
#include "PsControl.h"

class QLineEdit;

class PsControlAngle : public QWidget, public PsControl {
    Q_OBJECT
public:
    static constexpr int kDiscInset = 6;

    // What the control asks of its pane: an undo step when the user takes
    // the point, a render after each change (dragging while held), and the
    // end of the drag.
    struct Hooks {
        std::function<void()> beginChange;
        std::function<void(bool dragging)> changed;
        std::function<void()> gestureEnded;
    };

    explicit PsControlAngle(QWidget* parent = nullptr);

    void Setup(int32_t* h, int32_t* v, int32_t minH, int32_t maxH, int32_t minV, int32_t maxV, QLineEdit* fieldH,
               QLineEdit* fieldV, Hooks hooks);
    // Binds other entries (another light channel) and shows them.
    void ChangeValueReference(int32_t* h, int32_t* v);
    // Clamp into the axis range and store; false when the entry already had
    // it.  live: the axis's field shows the value.
    bool SetValueH(int32_t value, bool live);
    bool SetValueV(int32_t value, bool live);
    // Both fields show the entries.
    void Update();
    // kind: kMouseDown, kMouseDrag or kMouseUp; point in widget coordinates.
    // True when the control used the event.
    bool MouseEvent(int kind, const QPoint& point);
    int32_t GetValueH() const { return *h_; }
    int32_t GetValueV() const { return *v_; }
    void Enable() override;
    void Disable() override;
    // The light point in widget coordinates.
    QPoint LightPoint() const;
    QRect DiscRect() const { return rect().adjusted(kDiscInset, kDiscInset, -kDiscInset, -kDiscInset); }

    QSize sizeHint() const override { return {120, 120}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Reads a field's text; the axis takes it clamped, a non-number shows the
    // entry again.
    void ApplyField(bool horizontal);
    int Radius() const;
    void ShowFields();

    int32_t* h_ = nullptr;
    int32_t* v_ = nullptr;
    int32_t minH_ = 0, maxH_ = 360, minV_ = 0, maxV_ = 90;
    QLineEdit* fieldH_ = nullptr;
    QLineEdit* fieldV_ = nullptr;
    IntAngle angle_;
    Hooks hooks_;
    bool tracking_ = false;
    bool changedWhileTracking_ = false;
};
