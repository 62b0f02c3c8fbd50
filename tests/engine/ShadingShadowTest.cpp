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

TEST(CompositeShadow, BlendsEveryOpacityUnderTheObject) {
    // A soft shadow under pixels of every opacity and many colours: each
    // composited pixel against the blend worked out on its own, with
    // A = 255 (s + a) - s a, colour c a 255 / A and opacity A / 255.
    TestScene s;
    OffsetScene(s);
    s.block.shadowDiffusion = 60;
    ShadingBase engine;
    ASSERT_EQ(engine.Shading(&s.block, 0, 100), 1);
    for (int32_t y = 0; y < 80; ++y)
        for (int32_t x = 0; x < 100; ++x) {
            // Rows 30 to 39 fully transparent: the short form for runs of them.
            *s.mask.CommitLine(y, x) = y >= 30 && y < 40 ? 0 : static_cast<uint8_t>((x * 13 + y * 29) % 256);
            uint8_t* p = s.image.CommitLine(y, x);
            for (int ch = 0; ch < 3; ++ch) p[ch] = static_cast<uint8_t>((x * 7 + y * 3 + ch * 85) % 256);
        }
    DibEx image(1);
    DibEx mask(1);
    image.Setup(s.image);
    mask.Setup(s.mask);
    engine.CompositeShadow(&s.block);

    const int32_t m = engine.GetShadowMargin();
    const CMacRect r = engine.GetShadowRect();
    int blended = 0;
    for (int32_t y = 0; y < 80; ++y)
        for (int32_t x = 0; x < 100; ++x) {
            const bool inRect = x >= r.left - m && x < r.right - m && y >= r.top - m && y < r.bottom - m;
            const int32_t sh = inRect ? ShadowAt(engine, x, y) : 0;
            const int32_t a = *mask.CommitLine(y, x);
            const uint8_t* before = image.CommitLine(y, x);
            const uint8_t* after = s.image.CommitLine(y, x);
            if (sh == 0 || a == 255) {
                ASSERT_EQ(*s.mask.CommitLine(y, x), a) << x << "," << y;
                for (int ch = 0; ch < 3; ++ch) ASSERT_EQ(after[ch], before[ch]) << x << "," << y;
                continue;
            }
            ++blended;
            const int32_t A = 255 * (sh + a) - sh * a;
            ASSERT_EQ(*s.mask.CommitLine(y, x), A / 255) << x << "," << y;
            for (int ch = 0; ch < 3; ++ch) ASSERT_EQ(after[ch], before[ch] * a * 255 / A) << x << "," << y;
        }
    EXPECT_GT(blended, 1000);
}

}  // namespace
