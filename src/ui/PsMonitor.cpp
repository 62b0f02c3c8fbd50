#include "PsMonitor.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include "ButtonPictures.h"
#include "ImageFunc.h"
#include "MessageTarget.h"

namespace {

const QColor kMarginGrey = RGB(228, 228, 228);

bool Usable(const DibEx* dib) { return dib != nullptr && dib->IsValid(); }

// A magnifier: the cursor over the fit view, where a click zooms in.
QCursor ZoomInCursor() {
    constexpr int kSide = 24;
    QPixmap picture(kSide, kSide);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    DrawButtonPicture(painter, ButtonPicture::kZoom, QRectF(1, 1, kSide - 2, kSide - 2), Qt::white);
    DrawButtonPicture(painter, ButtonPicture::kZoom, QRectF(0, 0, kSide - 2, kSide - 2), Qt::black);
    painter.end();
    return QCursor(picture, 9, 9);
}

// The first x from `from` on, before `end`, whose mask value is not `value`.
int32_t RunEnd(const uint8_t* mask, int32_t from, int32_t end, uint8_t value) {
    while (from < end && mask[from] == value) ++from;
    return from;
}

}  // namespace

void MonitorBlend(DibEx& render, DibEx& mask, DibEx& original, const tagRECT& rect) {
    if (!Usable(&render) || !Usable(&mask) || !Usable(&original)) return;
    const int32_t left = std::max(rect.left, 0);
    const int32_t right = std::min({rect.right, render.GetWidth(), original.GetWidth(), mask.GetWidth()});
    const int32_t top = std::max(rect.top, 0);
    const int32_t bottom = std::min({rect.bottom, render.GetHeight(), original.GetHeight(), mask.GetHeight()});
    for (int32_t line = top; line < bottom && left < right; ++line) {
        // Most pixels lie in runs wholly inside the rendered area (the
        // render stays) or wholly outside it (the image returns).
        uint8_t* c = render.CommitLine(line);
        const uint8_t* o = original.CommitLine(line);
        const uint8_t* m = mask.CommitLine(line);
        for (int32_t x = left; x < right;) {
            if (m[x] == 255) {
                x = RunEnd(m, x, right, 255);
            } else if (m[x] == 0) {
                const int32_t end = RunEnd(m, x, right, 0);
                std::memcpy(c + std::ptrdiff_t{x} * 3, o + std::ptrdiff_t{x} * 3,
                            static_cast<std::size_t>(end - x) * 3);
                x = end;
            } else {
                const int weight = 255 - m[x];
                uint8_t* pixel = c + std::ptrdiff_t{x} * 3;
                const uint8_t* unrendered = o + std::ptrdiff_t{x} * 3;
                for (int channel = 0; channel < 3; ++channel)
                    pixel[channel] =
                        static_cast<uint8_t>(pixel[channel] + (unrendered[channel] - pixel[channel]) * weight / 255);
                ++x;
            }
        }
    }
    render.Decommit();
    original.Decommit();
    mask.Decommit();
}

PsMonitor::PsMonitor(QWidget* parent) : QWidget(parent) {
    SetControl(this);
    setObjectName("PsMonitor");
    setMinimumSize(160, 120);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PsMonitor::Setup(MessageTarget* owner, short item, DibEx* image, DibEx* mask, bool setUpImageNow) {
    owner_ = owner;
    SetItemID(item);
    image_ = image;
    mask_ = mask;
    ComputeRects();
    viewRect_ = CentredView(Usable(image_) ? image_->GetWidth() / 2 : 0, Usable(image_) ? image_->GetHeight() / 2 : 0);
    if (setUpImageNow) SetupImage();
}

void PsMonitor::ComputeRects() {
    itemRect_ = CMacRect(0, 0, width(), height());
    innerRect_ = itemRect_;
    innerRect_.InsetRect(kFrame, kFrame);
    previewRect_ = innerRect_;
    zoomRect_ = innerRect_;
    if (!Usable(image_)) return;
    const int32_t w = image_->GetWidth();
    const int32_t h = image_->GetHeight();
    CorrectProportionRect(&previewRect_, w, h);
    if (w < innerRect_.Width()) {
        zoomRect_.left += (innerRect_.Width() - w) / 2;
        zoomRect_.right = zoomRect_.left + w;
    }
    if (h < innerRect_.Height()) {
        zoomRect_.top += (innerRect_.Height() - h) / 2;
        zoomRect_.bottom = zoomRect_.top + h;
    }
    for (DibEx* reduced : {&reducedRender_, &reducedSource_})
        reduced->Setup(previewRect_.Width(), previewRect_.Height(), 24);
    for (DibEx* reduced : {&reducedRenderMask_, &reducedSourceMask_})
        reduced->Setup(previewRect_.Width(), previewRect_.Height(), 8);
}

CMacRect PsMonitor::Clamp(CMacRect view) const {
    if (!Usable(image_)) return view;
    const int32_t w = image_->GetWidth();
    const int32_t h = image_->GetHeight();
    const int32_t zw = zoomRect_.Width();
    const int32_t zh = zoomRect_.Height();
    if (view.left < 0) view.left = 0, view.right = zw;
    if (view.right > w) view.right = w, view.left = w - zw;
    if (view.top < 0) view.top = 0, view.bottom = zh;
    if (view.bottom > h) view.bottom = h, view.top = h - zh;
    return view;
}

CMacRect PsMonitor::CentredView(int32_t x, int32_t y) const {
    const int32_t zw = zoomRect_.Width();
    const int32_t zh = zoomRect_.Height();
    // The view keeps the zoom rectangle's size, odd sizes included.
    return Clamp(CMacRect(x - zw / 2, y - zh / 2, x - zw / 2 + zw, y - zh / 2 + zh));
}

CMacRect PsMonitor::GetRenderRect() const {
    const int32_t h = fullRender_.IsValid() ? fullRender_.GetHeight() : 0;
    return CMacRect(viewRect_.left, h - viewRect_.bottom, viewRect_.right, h - viewRect_.top);
}

void PsMonitor::SetupImage() {
    if (!Usable(image_) || !Usable(mask_)) return;
    IMAGE_Copy(&reducedSource_, image_, nullptr, nullptr);
    IMAGE_Copy(&reducedSourceMask_, mask_, nullptr, nullptr);
    fullRender_.Setup(*image_);
    fullRenderMask_.Setup(*mask_);
    renderedRect_.SetRectEmpty();
    imageReady_ = true;
    Undo();
    RefreshShown();
    update();
}

void PsMonitor::Undo() {
    if (!imageReady_) return;
    if (zoom_) {
        // Only the last zoomed render left rendered pixels behind.
        if (!renderedRect_.IsRectEmpty()) {
            IMAGE_Move(&fullRender_, image_, &renderedRect_, &renderedRect_);
            IMAGE_Move(&fullRenderMask_, mask_, &renderedRect_, &renderedRect_);
        }
        renderedRect_ = GetRenderRect();
    } else {
        IMAGE_Move(&reducedRender_, &reducedSource_, nullptr, nullptr);
        IMAGE_Move(&reducedRenderMask_, &reducedSourceMask_, nullptr, nullptr);
    }
}

void PsMonitor::MakePreview() {
    if (!imageReady_) return;
    if (zoom_) {
        MonitorBlend(fullRender_, fullRenderMask_, *image_, renderedRect_);
    } else {
        const tagRECT whole{0, 0, reducedRender_.GetWidth(), reducedRender_.GetHeight()};
        MonitorBlend(reducedRender_, reducedRenderMask_, reducedSource_, whole);
    }
}

void PsMonitor::Update() {
    MakePreview();
    RefreshShown();
    update();
}

void PsMonitor::RefreshShown() {
    DibEx& source = zoom_ ? fullRender_ : reducedRender_;
    if (!imageReady_ || !source.IsValid()) {
        shown_ = QImage();
        return;
    }
    // Rows top-down of the part shown: the view rectangle, or the whole
    // reduced render.
    const CMacRect part = zoom_ ? viewRect_ : CMacRect(0, 0, source.GetWidth(), source.GetHeight());
    const int32_t w = std::min(part.Width(), source.GetWidth());
    const int32_t h = std::min(part.Height(), source.GetHeight());
    if (w < 1 || h < 1) {
        shown_ = QImage();
        return;
    }
    if (shown_.width() != w || shown_.height() != h) shown_ = QImage(w, h, QImage::Format_RGB32);
    for (int32_t row = 0; row < h; ++row) {
        const uint8_t* from = source.CommitLine(source.GetHeight() - 1 - (part.top + row), part.left);
        auto* to = reinterpret_cast<QRgb*>(shown_.scanLine(row));
        for (int32_t x = 0; x < w; ++x, from += 3) to[x] = qRgb(from[2], from[1], from[0]);
    }
    source.Decommit();
}

void PsMonitor::SetZoom(bool zoom) {
    zoom_ = zoom;
    dragging_ = false;
    RequestRender();
    UpdateCursor();
    update();
}

void PsMonitor::RequestRender() {
    if (owner_ != nullptr) owner_->PostMessage(kMessageUpdatePreview);
}

bool PsMonitor::MouseEvent(int kind, const QPoint& point) {
    if (!imageReady_) return false;
    if (dragging_ && kind == kMouseUp) {
        dragging_ = false;
        RequestRender();
        UpdateCursor();
        return true;
    }
    const CPoint p(point);
    const CMacRect& area = zoom_ ? zoomRect_ : previewRect_;
    if (!area.PtInRect(p.x, p.y)) return false;
    if (zoom_ && kind == kMouseDown) {
        anchor_ = p;
        dragging_ = true;
    } else if (zoom_ && kind == kMouseDrag && dragging_) {
        CMacRect moved = viewRect_;
        moved.OffsetRect(-(p.x - anchor_.x), -(p.y - anchor_.y));
        moved = Clamp(moved);
        if (!(moved == viewRect_)) {
            viewRect_ = moved;
            RefreshShown();
            update();
        }
        anchor_ = p;
    } else if (!zoom_ && kind == kMouseDown && Usable(image_)) {
        const int32_t ix = static_cast<int32_t>(int64_t{p.x - previewRect_.left} * image_->GetWidth() / previewRect_.Width());
        const int32_t iy = static_cast<int32_t>(int64_t{p.y - previewRect_.top} * image_->GetHeight() / previewRect_.Height());
        viewRect_ = CentredView(ix, iy);
        zoom_ = true;
        RequestRender();
        update();
        anchor_ = p;
        dragging_ = true;
    }
    UpdateCursor();
    return true;
}

void PsMonitor::UpdateCursor() {
    if (!imageReady_) unsetCursor();
    else if (!zoom_) setCursor(ZoomInCursor());
    else setCursor(dragging_ ? Qt::ClosedHandCursor : Qt::OpenHandCursor);
}

void PsMonitor::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!imageReady_) {
        painter.fillRect(ToQRect(itemRect_), kMarginGrey);
    } else {
        const CMacRect& target = zoom_ ? zoomRect_ : previewRect_;
        painter.save();
        QRegion margin(ToQRect(innerRect_));
        margin -= QRegion(ToQRect(target));
        painter.setClipRegion(margin);
        painter.fillRect(ToQRect(innerRect_), kMarginGrey);
        painter.restore();
        if (!shown_.isNull()) painter.drawImage(QPoint(target.left, target.top), shown_);
    }
    DrawEdge(painter, itemRect_);
}

void PsMonitor::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) MouseEvent(kMouseDown, event->position().toPoint());
}

void PsMonitor::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) MouseEvent(kMouseDrag, event->position().toPoint());
}

void PsMonitor::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) MouseEvent(kMouseUp, event->position().toPoint());
}

void PsMonitor::resizeEvent(QResizeEvent*) {
    if (image_ == nullptr) return;
    // A new size gives new rectangles and reduced bitmaps; the zoom view
    // keeps its centre.
    const int32_t cx = (viewRect_.left + viewRect_.right) / 2;
    const int32_t cy = (viewRect_.top + viewRect_.bottom) / 2;
    ComputeRects();
    viewRect_ = CentredView(cx, cy);
    if (!imageReady_) return;
    IMAGE_Copy(&reducedSource_, image_, nullptr, nullptr);
    IMAGE_Copy(&reducedSourceMask_, mask_, nullptr, nullptr);
    RequestRender();
}
