// The preview monitor: its rectangles, the blend through the render mask,
// and zooming and panning with the mouse.
#include <gtest/gtest.h>

#include <QTest>

#include "MessageTarget.h"
#include "PsMonitor.h"

namespace {

struct RecordingTarget : MessageTarget {
    int renders = 0;
    long PostMessage(long message, long, long) override {
        renders += message == kMessageUpdatePreview ? 1 : 0;
        return 1;
    }
};

void SetPixel(DibEx& dib, int32_t x, int32_t line, uint8_t b, uint8_t g, uint8_t r) {
    uint8_t* p = dib.CommitLine(line, x);
    p[0] = b, p[1] = g, p[2] = r;
    dib.Decommit();
}

TEST(MonitorBlend, MaskWeighsRenderAgainstTheUnrenderedImage) {
    DibEx render(1), original(1), mask(1);
    render.Setup(3, 1, 24);
    original.Setup(3, 1, 24);
    mask.Setup(3, 1, 8);
    const uint8_t weights[3] = {0, 255, 128};
    for (int32_t x = 0; x < 3; ++x) {
        SetPixel(render, x, 0, 0, 10, 200);
        SetPixel(original, x, 0, 255, 20, 100);
        mask.CommitLine(0)[x] = weights[x];
        mask.Decommit();
    }
    MonitorBlend(render, mask, original, tagRECT{0, 0, 3, 1});
    const uint8_t* p = render.CommitLine(0);
    // mask 0: the unrendered image exactly
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(p[1], 20);
    EXPECT_EQ(p[2], 100);
    // mask 255: the render exactly
    EXPECT_EQ(p[3], 0);
    EXPECT_EQ(p[5], 200);
    // mask 128: 0 + 255 * 127 / 255 = 127; 200 + (100 - 200) * 127 / 255 = 151 (toward zero)
    EXPECT_EQ(p[6], 127);
    EXPECT_EQ(p[8], 151);
    render.Decommit();
}

struct MonitorFixture : ::testing::Test {
    RecordingTarget target;
    DibEx image{1};
    DibEx mask{1};
    PsMonitor monitor;

    void SetUpImage(int32_t width, int32_t height, int monitorWidth = 404, int monitorHeight = 304) {
        image.Setup(width, height, 24);
        image.Fill(30, 60, 90);
        mask.Setup(width, height, 8);
        mask.Fill(255);
        monitor.resize(monitorWidth, monitorHeight);
        monitor.Setup(&target, 4, &image, &mask, true);
    }
};

TEST_F(MonitorFixture, ClickZoomsAtThePointAndDragStopsAtTheEdges) {
    SetUpImage(2000, 1500);
    const int rendersBefore = target.renders;
    // The fit view's right edge: the view's right edge is the image's.
    const CMacRect preview = monitor.GetPreviewRect();
    EXPECT_TRUE(monitor.MouseEvent(kMouseDown, QPoint(preview.right - 1, (preview.top + preview.bottom) / 2)));
    EXPECT_TRUE(monitor.IsZoom());
    EXPECT_TRUE(monitor.IsDragging());
    EXPECT_EQ(target.renders, rendersBefore + 1);
    EXPECT_EQ(monitor.GetViewRect().right, 2000);
    EXPECT_EQ(monitor.GetViewRect().Width(), 400);
    EXPECT_EQ(monitor.GetViewRect().Height(), 300);

    // The image follows the hand; no render until the release.
    monitor.MouseEvent(kMouseDrag, QPoint(preview.right - 101, 150));
    EXPECT_EQ(monitor.GetViewRect().right, 2000);  // clamped: the image cannot move past its edge
    EXPECT_EQ(target.renders, rendersBefore + 1);
    monitor.MouseEvent(kMouseUp, QPoint(0, 0));
    EXPECT_FALSE(monitor.IsDragging());
    EXPECT_EQ(target.renders, rendersBefore + 2);
    // Strokes to the right move the view toward the image's left edge and
    // stop there.
    for (int stroke = 0; stroke < 6; ++stroke) {
        monitor.MouseEvent(kMouseDown, QPoint(10, 150));
        monitor.MouseEvent(kMouseDrag, QPoint(390, 150));
        monitor.MouseEvent(kMouseUp, QPoint(390, 150));
    }
    EXPECT_EQ(monitor.GetViewRect().left, 0);
    EXPECT_EQ(monitor.GetViewRect().Width(), 400);

    // The render rectangle counts lines from the bottom.
    const CMacRect view = monitor.GetViewRect();
    EXPECT_EQ(monitor.GetRenderRect(), CMacRect(view.left, 1500 - view.bottom, view.right, 1500 - view.top));
}

TEST_F(MonitorFixture, UndoRestoresOnlyWhatTheLastRenderChanged) {
    SetUpImage(600, 400);
    monitor.SetZoom(true);
    monitor.Undo();
    const CMacRect rendered = monitor.GetRenderRect();
    // A render writes inside its rectangle; panning moves the view on.
    monitor.FullRender().Fill(0, 0, 0);
    monitor.Undo();
    const uint8_t* inside = monitor.FullRender().CommitLine(rendered.top, rendered.left);
    EXPECT_EQ(inside[0], 90);
    monitor.FullRender().Decommit();
}

TEST_F(MonitorFixture, WithoutAnImageTheMonitorPaintsItsGroundAndTakesNoClick) {
    monitor.resize(300, 200);
    monitor.Setup(&target, 4, nullptr, nullptr, true);
    EXPECT_FALSE(monitor.MouseEvent(kMouseDown, QPoint(100, 100)));
    EXPECT_EQ(monitor.grab().toImage().pixel(100, 100), qRgb(228, 228, 228));
}

}  // namespace
