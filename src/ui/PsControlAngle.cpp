#include "PsControlAngle.h"

#include <algorithm>
#include <cmath>

#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

#include "DialogItems.h"
#include "FieldReturn.h"

PsControlAngle::PsControlAngle(QWidget* parent) : QWidget(parent) { SetControl(this); }

void PsControlAngle::Setup(int32_t* h, int32_t* v, int32_t minH, int32_t maxH, int32_t minV, int32_t maxV,
                           QLineEdit* fieldH, QLineEdit* fieldV, Hooks hooks) {
    minH_ = minH, maxH_ = maxH, minV_ = minV, maxV_ = maxV;
    fieldH_ = fieldH;
    fieldV_ = fieldV;
    hooks_ = std::move(hooks);
    for (QLineEdit* field : {fieldH_, fieldV_}) {
        const bool horizontal = field == fieldH_;
        connect(field, &QLineEdit::editingFinished, this, [this, horizontal] { ApplyField(horizontal); });
        OnFieldReturn(field, [this, horizontal] { ApplyField(horizontal); });
    }
    ChangeValueReference(h, v);
}

void PsControlAngle::ChangeValueReference(int32_t* h, int32_t* v) {
    h_ = h;
    v_ = v;
    *h_ = std::clamp(*h_, minH_, maxH_);
    *v_ = std::clamp(*v_, minV_, maxV_);
    Update();
}

bool PsControlAngle::SetValueH(int32_t value, bool live) {
    value = std::clamp(value, minH_, maxH_);
    if (value == *h_) return false;
    *h_ = value;
    if (live) fieldH_->setText(QString::number(value));
    update();
    return true;
}

bool PsControlAngle::SetValueV(int32_t value, bool live) {
    value = std::clamp(value, minV_, maxV_);
    if (value == *v_) return false;
    *v_ = value;
    if (live) fieldV_->setText(QString::number(value));
    update();
    return true;
}

void PsControlAngle::Update() {
    ShowFields();
    update();
}

void PsControlAngle::ShowFields() {
    fieldH_->setText(QString::number(*h_));
    fieldV_->setText(QString::number(*v_));
}

void PsControlAngle::ApplyField(bool horizontal) {
    QLineEdit* field = horizontal ? fieldH_ : fieldV_;
    int32_t value = 0;
    // Any number is taken and clamped; text that is no number shows the entry.
    const int read = ParseNumber(field->text(), INT32_MIN, INT32_MAX, value);
    if (read != kFetchOk || !IsEnabled() || value == (horizontal ? *h_ : *v_)) {
        ShowFields();
        return;
    }
    if (hooks_.beginChange) hooks_.beginChange();
    const bool changed = horizontal ? SetValueH(value, false) : SetValueV(value, false);
    ShowFields();
    if (changed && hooks_.changed) hooks_.changed(false);
}

int PsControlAngle::Radius() const {
    const QRect disc = DiscRect();
    return std::min(disc.width(), disc.height()) / 2;
}

bool PsControlAngle::MouseEvent(int kind, const QPoint& point) {
    if (!IsEnabled()) return false;
    if (!(tracking_ && kind == kMouseDrag) && !rect().contains(point)) {
        tracking_ = false;
        return false;
    }
    tracking_ = kind != kMouseUp;
    const int r = Radius();
    const QPoint centre = DiscRect().center();
    const int dx = point.x() - centre.x();
    const int dy = point.y() - centre.y();
    const int dist = static_cast<int>(std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
    const int a = angle_.GetAngle(dx, -dy);
    const int32_t h = minH_ + (maxH_ - minH_) * a / IntAngle::kSteps;
    const int32_t v = r > 0 ? minV_ + (maxV_ - minV_) * dist / r : minV_;
    const bool changedH = SetValueH(h, true);
    const bool changedV = SetValueV(v, true);
    repaint();
    return changedH || changedV || kind == kMouseUp;
}

void PsControlAngle::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !IsEnabled()) return;
    if (hooks_.beginChange) hooks_.beginChange();
    changedWhileTracking_ = false;
    if (MouseEvent(kMouseDown, event->position().toPoint()) && hooks_.changed) hooks_.changed(true);
}

void PsControlAngle::mouseMoveEvent(QMouseEvent* event) {
    if (!tracking_) return;
    if (MouseEvent(kMouseDrag, event->position().toPoint()) && hooks_.changed) hooks_.changed(true);
}

void PsControlAngle::mouseReleaseEvent(QMouseEvent* event) {
    if (!tracking_) return;
    tracking_ = false;
    if (hooks_.gestureEnded) hooks_.gestureEnded();
    (void)event;
}

void PsControlAngle::Enable() {
    PsControl::Enable();
    fieldH_->setEnabled(true);
    fieldV_->setEnabled(true);
    update();
}

void PsControlAngle::Disable() {
    PsControl::Disable();
    tracking_ = false;
    fieldH_->setEnabled(false);
    fieldV_->setEnabled(false);
    update();
}

QPoint PsControlAngle::LightPoint() const {
    const int r = Radius();
    const QPoint c = DiscRect().center();
    const double d = static_cast<double>(*v_) * r / (maxV_ - minV_);
    const double t = *h_ * 6.28 / (maxH_ - minH_);
    return {c.x() + static_cast<int>(d * std::cos(t)), c.y() - static_cast<int>(d * std::sin(t))};
}

void PsControlAngle::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int r = Radius();
    const QPoint c = DiscRect().center();
    if (IsEnabled()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawEllipse(c, r + 5, r + 5);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QColor(192, 192, 192));
    painter.drawLine(c.x() - r - 6, c.y(), c.x() + r + 6, c.y());
    painter.drawLine(c.x(), c.y() - r - 6, c.x(), c.y() + r + 6);
    painter.setPen(QColor(128, 128, 128));
    painter.drawEllipse(c, r, r);
    if (!IsEnabled()) return;
    if (*v_ < maxV_) {
        // The light's circle seen from the side: a half ellipse through the
        // light point, turned to its horizontal angle.
        const int b = 255 - (*h_ - minH_) * 255 / (maxH_ - minH_);
        const int e = (*v_ - minV_) * 255 / (maxV_ - minV_);
        const double A = static_cast<double>(r) * e / 255;
        const double B = r;
        QPolygon arc;
        for (int s = -64; s <= 64; s += 4) {
            const double x = angle_.Cos(b) * A * angle_.Cos(s) - angle_.Sin(b) * B * angle_.Sin(s);
            const double y = angle_.Cos(b) * B * angle_.Sin(s) + angle_.Sin(b) * A * angle_.Cos(s);
            arc << QPoint(c.x() + static_cast<int>(x), c.y() + static_cast<int>(y));
        }
        painter.drawPolyline(arc);
    }
    const QPoint light = LightPoint();
    painter.setPen(Qt::black);
    painter.drawLine(c, light);
    painter.drawEllipse(light, 4, 4);
}
