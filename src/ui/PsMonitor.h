#pragma once
// PsMonitor: the preview.  In the fit view the whole image is shown reduced
// into the largest rectangle of its proportions; in the zoom view a window
// of the full image is shown one pixel per pixel, moved by dragging.  The
// monitor keeps the bitmaps that preview renders write into, restores their
// unrendered pixels before every render, and blends each render with the
// unrendered image through the render mask.  The dialog decides when to
// render; the monitor decides where.
#include <cstdint>

#include <QImage>
#include <QWidget>

#include "CMacRect.h"
#include "DibEx.h"
#include "PsControl.h"
#include "WinLayer.h"

class MessageTarget;

// Blends render with original through mask over rect (bitmap coordinates):
// each channel c becomes c + (o - c) * (255 - m) / 255, truncated toward zero.
void MonitorBlend(DibEx& render, DibEx& mask, DibEx& original, const tagRECT& rect);

class PsMonitor : public QWidget, public PsControl {
    Q_OBJECT
public:
    static constexpr int kFrame = 2;

    explicit PsMonitor(QWidget* parent = nullptr);

    // Binds the monitor to the application's image and mask and computes its
    // rectangles from its current size; with setUpImageNow the reduced and
    // render bitmaps are filled at once.
    void Setup(MessageTarget* owner, short item, DibEx* image, DibEx* mask, bool setUpImageNow);
    void SetupImage();
    // Restores the unrendered pixels of the current view before a render.
    void Undo();
    // Composes the last render for display and repaints.
    void Update();
    void SetZoom(bool zoom);
    // Returns true when the event was used.  point is in widget coordinates.
    bool MouseEvent(int kind, const QPoint& point);
    void MakePreview();

    bool IsImageReady() const { return imageReady_; }
    bool IsZoom() const { return zoom_; }
    bool IsDragging() const { return dragging_; }
    const CMacRect& GetViewRect() const { return viewRect_; }
    const CMacRect& GetItemRect() const { return itemRect_; }
    const CMacRect& GetInnerRect() const { return innerRect_; }
    const CMacRect& GetPreviewRect() const { return previewRect_; }
    const CMacRect& GetZoomRect() const { return zoomRect_; }
    // The view rectangle in bitmap lines of the full image (bottom-up), as a
    // zoomed render takes it.
    CMacRect GetRenderRect() const;

    DibEx& ReducedRender() { return reducedRender_; }
    DibEx& ReducedRenderMask() { return reducedRenderMask_; }
    DibEx& ReducedSource() { return reducedSource_; }
    DibEx& ReducedSourceMask() { return reducedSourceMask_; }
    DibEx& FullRender() { return fullRender_; }
    DibEx& FullRenderMask() { return fullRenderMask_; }
    // What the monitor shows now, as drawn into its inner rectangle.
    QImage ShownImage() const { return shown_; }
    QRect ViewQRect() const { return ToQRect(viewRect_); }
    QRect PreviewQRect() const { return ToQRect(zoom_ ? zoomRect_ : previewRect_); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ComputeRects();
    CMacRect Clamp(CMacRect view) const;
    CMacRect CentredView(int32_t x, int32_t y) const;
    void RequestRender();
    void RefreshShown();
    void UpdateCursor();

    MessageTarget* owner_ = nullptr;
    DibEx* image_ = nullptr;
    DibEx* mask_ = nullptr;
    bool imageReady_ = false;
    bool zoom_ = false;
    bool dragging_ = false;
    DibEx reducedRender_{1};
    DibEx reducedRenderMask_{1};
    DibEx reducedSource_{1};
    DibEx reducedSourceMask_{1};
    DibEx fullRender_{1};
    DibEx fullRenderMask_{1};
    CMacRect viewRect_;
    CMacRect renderedRect_;  // bitmap lines of the last zoomed render
    CMacRect itemRect_;
    CMacRect innerRect_;
    CMacRect previewRect_;
    CMacRect zoomRect_;
    CPoint anchor_;
    QImage shown_;
};
