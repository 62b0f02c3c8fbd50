// The cast shadow: shares, offsets, blur and compositing.
#include <gtest/gtest.h>

#include <cstring>

#include "EngineTestShapes.h"
#include "ImageFunc.h"

namespace {

// A 30 x 30 opaque square in a 100 x 80 image, two lights of equal power.
void ShadowScene(TestScene& s) {
    MakeScene(s, 100, 80, [](int32_t x, int32_t y) { return x >= 40 && x < 70 && y >= 25 && y < 55 ? 255 : 0; });
    ShadeBaseSt& b = s.block;
    b.lightPower[1] = 128;
    b.lightPower[2] = 128;
    b.shadowWeight = 128;
    b.shadowDistance = 50;
    b.pLem = 1;
    b.pLes = 1;
}

uint8_t ShadowAt(ShadingBase& engine, int32_t x, int32_t y) {
    const int32_t m = engine.GetShadowMargin();
    return *engine.ShadowMap().CommitLine(y + m, x + m);
}

TEST(MakeShadow, EqualPowersShareHalfWhateverIsEnabled) {
    for (const int otherEnabled : {0, 1}) {
        TestScene s;
        ShadowScene(s);
        s.block.pLem = otherEnabled;
        ShadingBase engine;
        ASSERT_EQ(engine.Shading(&s.block, 0, 100), 1);
        EXPECT_EQ(engine.GetShadowMargin(), 0);
        // s = 128 * 256 / 256 = 128, then 128 * 128 / 128; val = 255 * 128 * 256 / 65536.
        // Both lights lie above the object (vertical angle 30 and 45 degrees)
        // so the hard shadow inside is the largest of the two.
        EXPECT_EQ(ShadowAt(engine, 55, 40), 127) << otherEnabled;
    }
}

// Light 1 alone, straight from the right at 45 degrees: the hard shadow
// lies 9 pixels to the left of the square, on (31..60, 25..54).
void OffsetScene(TestScene& s) {
    ShadowScene(s);
    s.block.pLem = 0;
    s.block.lightAngleH[1] = 0;
    s.block.lightAngleV[1] = 45;
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

TEST(MakeShadow, NothingDrawnWithoutShare) {
    TestScene s;
    ShadowScene(s);
    s.block.lightPower[0] = 256;  // full ambient leaves no share
    ShadingBase engine;
    engine.Shading(&s.block, 0, 100);
    EXPECT_TRUE(engine.GetShadowRect().IsRectEmpty());
    EXPECT_EQ(*s.mask.CommitLine(40, 35), 0);
}

TEST(MakeShadow, DarkensTheImageCopyOnlyWhenItFitsTheMask) {
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

    // Run on its own, the stage finds no copy: it draws the shadow and
    // leaves the missing copy alone.
    TestScene alone;
    OffsetScene(alone);
    alone.block.colorWeight = 128;
    ShadingBase fresh;
    EXPECT_EQ(fresh.MakeShadow(&alone.block, 0, 100), 1);
    EXPECT_EQ(ShadowAt(fresh, 35, 40), 63);
    EXPECT_FALSE(fresh.ImageCopy().IsValid());

    // A copy left by a render of a smaller image is not written either.
    TestScene small;
    MakeScene(small, 20, 20, Disc(10, 10, 5));
    small.block.colorWeight = 128;
    ShadingBase reused;
    ASSERT_EQ(reused.Shading(&small.block, 0, 100), 1);
    EXPECT_EQ(reused.MakeShadow(&alone.block, 0, 100), 1);
    EXPECT_EQ(reused.ImageCopy().GetWidth(), 20);
    const uint8_t* untouched = reused.ImageCopy().CommitLine(15, 15);
    EXPECT_EQ(untouched[0], 120);
}

// A vertical light draws the hard shadow 127 right under the square; the
// stage blurs only around it, which must equal blurring the whole map, and
// the blur makes a halo around the object.
TEST(MakeShadow, BlurOfTheBoxEqualsBlurOfTheWholeMap) {
    TestScene s;
    ShadowScene(s);
    s.block.lightAngleV[1] = 0;
    s.block.lightAngleV[2] = 0;
    s.block.shadowDiffusion = 30;  // margin 100 * 30 / 1000 = 3
    ShadingBase engine;
    ASSERT_EQ(engine.Shading(&s.block, 0, 100), 1);
    const int32_t m = engine.GetShadowMargin();
    EXPECT_EQ(m, 3);
    // No offset: the box is the object's, grown by twice the margin.
    EXPECT_EQ(engine.GetShadowRect(), CMacRect(39 - 6 + 3, 24 - 6 + 3, 71 + 6 + 3, 56 + 6 + 3));
    EXPECT_GT(*s.mask.CommitLine(40, 38), 0);
    EXPECT_EQ(*s.mask.CommitLine(40, 30), 0);

    DibEx whole(1);
    whole.Setup(100 + 2 * m, 80 + 2 * m, 8);
    whole.Fill(0);
    for (int32_t y = 25; y < 55; ++y)
        for (int32_t x = 40; x < 70; ++x) *whole.CommitLine(y + m, x + m) = 127;
    ASSERT_EQ(IMAGE_BlurAroundZero(&whole, m, 2), 1);
    for (int32_t y = 0; y < whole.GetHeight(); ++y)
        ASSERT_EQ(0, std::memcmp(whole.CommitLine(y), engine.ShadowMap().CommitLine(y), whole.GetWidth())) << y;
}

}  // namespace
