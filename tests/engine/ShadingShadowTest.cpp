// The cast shadow: its offset, compositing and the darkened image copy.
#include <gtest/gtest.h>

#include "EngineTestShapes.h"

namespace {

// A 30 x 30 opaque square in a 100 x 80 image; light 1 alone (light 2 is as
// strong but casts no shadow), straight from the right at 45 degrees: the hard
// shadow lies 9 pixels to the left of the square, on (31..60, 25..54).
void OffsetScene(TestScene& s) {
    MakeScene(s, 100, 80, [](int32_t x, int32_t y) { return x >= 40 && x < 70 && y >= 25 && y < 55 ? 255 : 0; });
    ShadeBaseSt& b = s.block;
    b.lightPower[1] = 128;
    b.lightPower[2] = 128;
    b.lightAngleH[1] = 0;
    b.lightAngleV[1] = 45;
    b.shadowWeight = 128;
    b.shadowDistance = 50;
    b.pLes = 1;
}

uint8_t ShadowAt(ShadingBase& engine, int32_t x, int32_t y) {
    const int32_t m = engine.GetShadowMargin();
    return *engine.ShadowMap().CommitLine(y + m, x + m);
}

TEST(MakeShadow, OffsetFollowsTheLightAndComposites) {
    TestScene s;
    OffsetScene(s);
    ShadingBase engine;
    engine.Shading(&s.block, 0, 100);
    // d = 100 * 50 / 500 = 10; dx = truncate(-cos 0 * 10 * tan(0.785)) = -9.
    EXPECT_EQ(ShadowAt(engine, 31, 40), 127);
    EXPECT_EQ(ShadowAt(engine, 30, 40), 0);
    EXPECT_EQ(ShadowAt(engine, 60, 40), 127);
    EXPECT_EQ(ShadowAt(engine, 61, 40), 0);
    // The object rectangle (39, 24, 71, 56) moved by -9.
    EXPECT_EQ(engine.GetShadowRect(), CMacRect(30, 24, 62, 56));
    // Outside the object (alpha 0) the shadow is black with alpha s.
    EXPECT_EQ(*s.mask.CommitLine(40, 35), 127);
    const uint8_t* p = s.image.CommitLine(40, 35);
    EXPECT_EQ(p[0] + p[1] + p[2], 0);
    EXPECT_EQ(*s.mask.CommitLine(40, 75), 0);
}

TEST(MakeShadow, DarkensTheImageCopyByTheDensity) {
    // Inside a render the copy is refreshed first and darkened by the
    // density: 255 * 128 * 128 / 65536 = 63 with a half-opaque material.
    TestScene s;
    OffsetScene(s);
    s.block.colorWeight = 128;
    ShadingBase engine;
    ASSERT_EQ(engine.Shading(&s.block, 0, 100), 1);
    const uint8_t* copied = engine.ImageCopy().CommitLine(40, 35);
    EXPECT_EQ(copied[0], 120 - 63);
    EXPECT_EQ(copied[1], 80 - 63);
    EXPECT_EQ(copied[2], 0);
}

}  // namespace
