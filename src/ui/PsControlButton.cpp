#include "PsControlButton.h"

#include <QMouseEvent>
#include <QPainter>

#include "ButtonPictures.h"
#include "UiStrings.h"
#include "WinLayer.h"

namespace {
const QColor kDisabledInk = RGB(153, 153, 153);
const QColor kPressedInk = RGB(0, 0, 255);
const QColor kCheckedGround = RGB(214, 226, 245);
constexpr int kCornerSize = 6;
}  // namespace

PsControlButton::PsControlButton(QWidget* parent) : QAbstractButton(parent) {
    SetControl(this);
    setFocusPolicy(Qt::NoFocus);
    const int side = kPictureSize + 2 * kFrameMargin;
    setFixedSize(side, side);
}

void PsControlButton::Setup(int pictureId, int helpTagId, short item) {
    pictureId_ = pictureId;
    hasPicture_ = HasButtonPicture(pictureId);
    SetItemID(item);
    setObjectName(QString("Button%1").arg(item));
    setToolTip(UiString(helpTagId));
    setAccessibleName(UiString(helpTagId));
}

void PsControlButton::Enable() {
    PsControl::Enable();
    SetStatus(kButtonNormal);
}

void PsControlButton::Disable() {
    PsControl::Disable();
    SetStatus(kButtonDisabled);
}

void PsControlButton::SetStatus(int32_t status) {
    if (status_ == status) return;
    status_ = status;
    update();
}

void PsControlButton::SetCheck(bool check) {
    if (check_ == check) return;
    check_ = check;
    update();
}

QSize PsControlButton::sizeHint() const {
    const int side = kPictureSize + 2 * kFrameMargin;
    return {side, side};
}

void PsControlButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (check_) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(kCheckedGround);
        painter.drawRoundedRect(frame, kCornerSize / 2.0, kCornerSize / 2.0);
    }
    if (!hasPicture_) return;
    const QColor ink = status_ == kButtonDisabled ? kDisabledInk : status_ == kButtonPressed ? kPressedInk : QColor(Qt::black);
    const QRectF box(kFrameMargin, kFrameMargin, kPictureSize, kPictureSize);
    DrawButtonPicture(painter, pictureId_, box, ink);
    if (status_ == kButtonHover || status_ == kButtonPressed) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(ink, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(frame, kCornerSize / 2.0, kCornerSize / 2.0);
    }
}

void PsControlButton::mousePressEvent(QMouseEvent* event) {
    QAbstractButton::mousePressEvent(event);
    if (isDown()) SetStatus(kButtonPressed);
}

void PsControlButton::mouseReleaseEvent(QMouseEvent* event) {
    const bool inside = rect().contains(event->position().toPoint());
    // The status returns before the click runs, so that a handler that
    // disables the button leaves it disabled.
    if (status_ == kButtonPressed) SetStatus(inside ? kButtonHover : kButtonNormal);
    QAbstractButton::mouseReleaseEvent(event);
}
