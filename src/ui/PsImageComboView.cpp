#include "PsImageComboView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include "DibEx.h"
#include "PsImageCombo.h"
#include "WinLayer.h"

namespace {

void DrawEntry(QPainter& painter, PsImageCombo& list, int index, const QRect& cell, bool highlighted) {
    painter.fillRect(cell, highlighted ? QColor(200, 215, 240) : QColor(Qt::white));
    const QRect picture(cell.left() + 3, cell.top() + (cell.height() - kThumbnailHeight) / 2, kThumbnailWidth,
                        kThumbnailHeight);
    painter.drawImage(picture, ThumbnailImage(list.Thumbnail(index)));
    painter.setPen(Qt::black);
    painter.drawText(cell.adjusted(kThumbnailWidth + 10, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     QString::fromStdString(list.ShownName(index)));
}

}  // namespace

QImage ThumbnailImage(const DibEx& thumbnail) {
    auto& dib = const_cast<DibEx&>(thumbnail);
    const int w = dib.GetWidth();
    const int h = dib.GetHeight();
    QImage image(w, h, QImage::Format_RGB32);
    if (w < 1 || h < 1 || dib.GetBytesPerPixel() != 3) return image;
    for (int row = 0; row < h; ++row) {
        const uint8_t* from = dib.CommitLine(h - 1 - row);
        auto* to = reinterpret_cast<QRgb*>(image.scanLine(row));
        for (int x = 0; x < w; ++x, from += 3) to[x] = qRgb(from[2], from[1], from[0]);
    }
    dib.Decommit();
    return image;
}

PsImagePopupView::PsImagePopupView(PsImageCombo& list, int width, std::function<void(const PsImagePopup&)> done)
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint), list_(list), popup_(list.OpenPopup()), done_(std::move(done)) {
    setObjectName("ImagePopup");
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);
    setFixedSize(width, kCellHeight * kPopupVisibleCells + 2);
    scroll_ = new QScrollBar(Qt::Vertical, this);
    scroll_->setGeometry(width - 16, 1, 15, height() - 2);
    scroll_->setRange(0, popup_.ScrollMax());
    scroll_->setPageStep(kPopupVisibleCells);
    connect(scroll_, &QScrollBar::valueChanged, this, [this](int value) {
        popup_.ScrollTo(value);
        update();
    });
    Sync();
}

int PsImagePopupView::CellAt(const QPoint& point) const {
    if (point.x() >= scroll_->x() || point.y() < 1) return -1;
    const int cell = (point.y() - 1) / kCellHeight;
    return cell < kPopupVisibleCells ? cell : -1;
}

void PsImagePopupView::Sync() {
    {
        const QSignalBlocker block(scroll_);
        scroll_->setValue(popup_.TopIndex());
    }
    update();
    if (popup_.IsClosed()) close();
}

void PsImagePopupView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    for (int cell = 0; cell < kPopupVisibleCells; ++cell) {
        const int entry = popup_.EntryOfCell(cell);
        if (entry < 0) continue;
        DrawEntry(painter, list_, entry, QRect(1, 1 + cell * kCellHeight, scroll_->x() - 1, kCellHeight),
                  entry == popup_.Highlight());
    }
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PsImagePopupView::mouseMoveEvent(QMouseEvent* event) {
    const int cell = CellAt(event->position().toPoint());
    if (cell >= 0) {
        popup_.HoverCell(cell);
        update();
    }
}

void PsImagePopupView::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (!rect().contains(point)) popup_.ClickOutside();
    else if (const int cell = CellAt(point); cell >= 0) popup_.ClickCell(cell);
    Sync();
}

void PsImagePopupView::wheelEvent(QWheelEvent* event) {
    popup_.Scroll(event->angleDelta().y() > 0 ? PopupScrollPart::LineUp : PopupScrollPart::LineDown);
    Sync();
}

void PsImagePopupView::keyPressEvent(QKeyEvent* event) {
    static const std::pair<int, PopupKey> kKeys[] = {
        {Qt::Key_Return, PopupKey::Return}, {Qt::Key_Enter, PopupKey::Enter},   {Qt::Key_Escape, PopupKey::Escape},
        {Qt::Key_Up, PopupKey::Up},         {Qt::Key_Left, PopupKey::Left},     {Qt::Key_Down, PopupKey::Down},
        {Qt::Key_Right, PopupKey::Right},   {Qt::Key_PageUp, PopupKey::PageUp}, {Qt::Key_PageDown, PopupKey::PageDown},
    };
    for (const auto& [key, popupKey] : kKeys) {
        if (event->key() != key) continue;
        popup_.Key(popupKey);
        Sync();
        return;
    }
}

void PsImagePopupView::closeEvent(QCloseEvent* event) {
    // Closed by the system (a click elsewhere): cancelled.
    if (!popup_.IsClosed()) popup_.ClickOutside();
    if (!finished_) {
        finished_ = true;
        done_(popup_);
    }
    QWidget::closeEvent(event);
}

PsImageComboView::PsImageComboView(PsImageCombo& list, std::function<void()> beforeChoice,
                                   std::function<void(int)> chosen, QWidget* parent)
    : QWidget(parent), list_(list), beforeChoice_(std::move(beforeChoice)), chosen_(std::move(chosen)) {
    SetControl(this);
    setMinimumHeight(kThumbnailHeight + 8);
}

PsImagePopupView* PsImageComboView::ShowPopup() {
    auto* view = new PsImagePopupView(list_, width(), [this](const PsImagePopup& popup) {
        if (popup.Result() >= 0 && beforeChoice_) beforeChoice_();
        const int32_t chosen = list_.ClosePopup(popup);
        update();
        if (chosen >= 0 && chosen_) chosen_(chosen);
    });
    view->move(mapToGlobal(QPoint(0, height() + kPopupGap)));
    view->show();
    return view;
}

void PsImageComboView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int shown = list_.GetShown();
    if (shown >= 0 && shown < list_.GetCount())
        DrawEntry(painter, list_, shown, rect().adjusted(1, 1, -1, -1), false);
    else painter.fillRect(rect(), Qt::white);
    DrawEdge(painter, ToMacRect(rect()));
}

void PsImageComboView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled() && rect().contains(event->position().toPoint()))
        ShowPopup();
}
