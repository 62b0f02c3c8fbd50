#include "ButtonPictures.h"

#include <cmath>

#include <QPainter>
#include <QPainterPath>

namespace {

// Pictures are designed on a 24 x 24 grid and scaled into the box.
constexpr qreal kGrid = 24.0;

void Sheet(QPainter& p) {
    QPainterPath path;
    path.moveTo(5, 3);
    path.lineTo(14, 3);
    path.lineTo(19, 8);
    path.lineTo(19, 21);
    path.lineTo(5, 21);
    path.closeSubpath();
    p.drawPath(path);
    p.drawLine(QPointF(14, 3), QPointF(14, 8));
    p.drawLine(QPointF(14, 8), QPointF(19, 8));
}

void Arrow(QPainter& p, bool back) {
    // A half turn with its head at the start.
    QPainterPath arc;
    const QRectF circle(5, 6, 14, 13);
    arc.arcMoveTo(circle, back ? 150 : 30);
    arc.arcTo(circle, back ? 150 : 30, back ? -210 : 210);
    p.drawPath(arc);
    const QPointF tip = back ? QPointF(5.2, 8.5) : QPointF(18.8, 8.5);
    const qreal dx = back ? 1 : -1;
    QPainterPath head;
    head.moveTo(tip + QPointF(-dx * 0.5, -5));
    head.lineTo(tip + QPointF(dx * 0.8, 1.2));
    head.lineTo(tip + QPointF(dx * 6.5, -1.5));
    p.drawPath(head);
}

void Folder(QPainter& p) {
    QPainterPath path;
    path.moveTo(3, 19);
    path.lineTo(3, 6);
    path.lineTo(9, 6);
    path.lineTo(11, 8);
    path.lineTo(19, 8);
    path.lineTo(19, 11);
    p.drawPath(path);
    QPainterPath front;
    front.moveTo(3, 19);
    front.lineTo(7, 11);
    front.lineTo(22, 11);
    front.lineTo(18, 19);
    front.closeSubpath();
    p.drawPath(front);
}

void Save(QPainter& p) {
    p.drawLine(QPointF(12, 3), QPointF(12, 14));
    QPainterPath head;
    head.moveTo(7.5, 9.5);
    head.lineTo(12, 14);
    head.lineTo(16.5, 9.5);
    p.drawPath(head);
    QPainterPath tray;
    tray.moveTo(4, 14);
    tray.lineTo(4, 20);
    tray.lineTo(20, 20);
    tray.lineTo(20, 14);
    p.drawPath(tray);
}

void Gear(QPainter& p) {
    QPainterPath path;
    constexpr int kTeeth = 8;
    for (int i = 0; i < kTeeth * 2; ++i) {
        const qreal angle = M_PI * 2 * i / (kTeeth * 2);
        const qreal r = (i % 2 == 0) ? 9.0 : 7.0;
        const QPointF a(12 + r * std::cos(angle - 0.18), 12 + r * std::sin(angle - 0.18));
        const QPointF b(12 + r * std::cos(angle + 0.18), 12 + r * std::sin(angle + 0.18));
        if (i == 0) path.moveTo(a);
        else path.lineTo(a);
        path.lineTo(b);
    }
    path.closeSubpath();
    p.drawPath(path);
    p.drawEllipse(QPointF(12, 12), 3, 3);
}

void Manual(QPainter& p) {
    p.drawEllipse(QPointF(12, 12), 9, 9);
    QPainterPath mark;
    mark.moveTo(9, 9.5);
    mark.cubicTo(9, 6, 15, 6, 15, 9.5);
    mark.cubicTo(15, 12, 12, 11.5, 12, 14.5);
    p.drawPath(mark);
    p.drawPoint(QPointF(12, 17.5));
}

void Zoom(QPainter& p) {
    p.drawEllipse(QPointF(10, 10), 6, 6);
    p.drawLine(QPointF(14.5, 14.5), QPointF(20.5, 20.5));
    p.drawLine(QPointF(7, 10), QPointF(13, 10));
    p.drawLine(QPointF(10, 7), QPointF(10, 13));
}

void Motion(QPainter& p) {
    QPainterPath wave;
    wave.moveTo(3, 15);
    wave.cubicTo(7, 5, 10, 5, 12, 12);
    wave.cubicTo(14, 19, 17, 19, 21, 9);
    p.drawPath(wave);
    p.drawLine(QPointF(3, 20.5), QPointF(21, 20.5));
}

void Capture(QPainter& p) {
    QPainterPath body;
    body.addRoundedRect(QRectF(3, 7, 18, 13), 2, 2);
    p.drawPath(body);
    p.drawLine(QPointF(8, 7), QPointF(9.5, 4));
    p.drawLine(QPointF(9.5, 4), QPointF(14.5, 4));
    p.drawLine(QPointF(14.5, 4), QPointF(16, 7));
    p.drawEllipse(QPointF(12, 13.5), 3.5, 3.5);
}

void Lock(QPainter& p) {
    p.drawRoundedRect(QRectF(6, 11, 12, 10), 1.5, 1.5);
    QPainterPath shackle;
    shackle.moveTo(8.5, 11);
    shackle.lineTo(8.5, 7.5);
    shackle.arcTo(QRectF(8.5, 4, 7, 7), 180, -180);
    shackle.lineTo(15.5, 11);
    p.drawPath(shackle);
    p.drawLine(QPointF(12, 15), QPointF(12, 17));
}

}  // namespace

bool HasButtonPicture(int pictureId) {
    using namespace ButtonPicture;
    switch (pictureId) {
    case kMotion: case kLoad: case kDeleteStyle: case kAddStyle: case kCapture: case kSave:
    case kUndo: case kSettings: case kManual: case kZoom: case kRedo: case kLock:
        return true;
    default:
        return false;
    }
}

void DrawButtonPicture(QPainter& painter, int pictureId, const QRectF& box, const QColor& ink) {
    if (!HasButtonPicture(pictureId)) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(box.topLeft());
    painter.scale(box.width() / kGrid, box.height() / kGrid);
    QPen pen(ink, 1.7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    using namespace ButtonPicture;
    switch (pictureId) {
    case kAddStyle:
        Sheet(painter);
        painter.drawLine(QPointF(12, 10), QPointF(12, 18));
        painter.drawLine(QPointF(8, 14), QPointF(16, 14));
        break;
    case kDeleteStyle:
        Sheet(painter);
        painter.drawLine(QPointF(8, 14), QPointF(16, 14));
        break;
    case kUndo: Arrow(painter, true); break;
    case kRedo: Arrow(painter, false); break;
    case kLoad: Folder(painter); break;
    case kSave: Save(painter); break;
    case kSettings: Gear(painter); break;
    case kManual: Manual(painter); break;
    case kZoom: Zoom(painter); break;
    case kMotion: Motion(painter); break;
    case kCapture: Capture(painter); break;
    case kLock: Lock(painter); break;
    default: break;
    }
    painter.restore();
}
