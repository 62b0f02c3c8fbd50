// The lighting and material loop on a flat top and on crafted slopes.
#include <gtest/gtest.h>

#include <cmath>

#include "EngineMaps.h"
#include "EngineTestShapes.h"

namespace {

// A 40 x 40 square whose centre is flat: bevel power 0 and a short bevel
// make every height inside the top equal.
void FlatSquare(TestScene& s) {
    MakeScene(s, 48, 48, [](int32_t x, int32_t y) { return x >= 4 && x < 44 && y >= 4 && y < 44 ? 255 : 0; });
    s.block.pMbw = 0;
    s.block.pMle = 10;
}

struct Bgr8 {
    int b, g, r;
};

Bgr8 PixelAt(DibEx& image, int32_t x, int32_t y) {
    const uint8_t* p = image.CommitLine(y, x);
    return {p[0], p[1], p[2]};
}

TEST(Lighting, NormalZFromHeight) {
    EXPECT_DOUBLE_EQ(NormalZ(100), 256.0);
    EXPECT_DOUBLE_EQ(NormalZ(0), 2560.0);
    EXPECT_NEAR(NormalZ(50), 256.0 + 2304.0 * std::pow(0.5, 3.17), 1e-9);
}

TEST(Lighting, AmbientOnlyAndSolarization) {
    TestScene s;
    FlatSquare(s);
    s.block.lightPower[0] = 50 * 256 / 100;  // 128
    ShadingBase engine;
    ASSERT_EQ(engine.Shading(&s.block, 0, 100), 1);
    // Material red 255 times 128/256; green and blue stay 0; outside untouched.
    Bgr8 p = PixelAt(s.image, 24, 24);
    EXPECT_EQ(p.r, 127);
    EXPECT_EQ(p.g, 0);
    EXPECT_EQ(p.b, 0);
    p = PixelAt(s.image, 1, 1);
    EXPECT_EQ(p.r, 40);
    EXPECT_EQ(p.g, 80);
    EXPECT_EQ(p.b, 120);

    // Full solarization with no light at all: sol[0] = 255, so 255 * 255 / 256.
    TestScene dark;
    FlatSquare(dark);
    dark.block.pMsl = 256;
    ShadingBase engine2;
    engine2.Shading(&dark.block, 0, 100);
    EXPECT_EQ(PixelAt(dark.image, 24, 24).r, 254);
}

TEST(Lighting, ValuesOutsideTheirRangesStayInsideTheTables) {
    // A material colour below 0 (as a damaged style file may hold) stays
    // black instead of indexing before the gamma tables; a bevel position
    // and rim width beyond 100 percent take the last edge weight.
    TestScene s;
    FlatSquare(s);
    s.block.pMcr = -50;
    s.block.pMcg = -50;
    s.block.pMcb = -50;
    s.block.lightPower[0] = 256;
    s.block.pMbp = 400;
    s.block.pMba = 300;
    ShadingBase engine;
    ASSERT_EQ(engine.Shading(&s.block, 0, 100), 1);
    const Bgr8 p = PixelAt(s.image, 24, 24);
    EXPECT_EQ(p.r, 0);
    EXPECT_EQ(p.g, 0);
    EXPECT_EQ(p.b, 0);
    EXPECT_EQ(engine.EdgeWeight(400), engine.EdgeCurve()[255]);
    EXPECT_EQ(engine.EdgeWeight(-5), engine.EdgeCurve()[0]);
}

TEST(Lighting, DirectionalDiffuseOnFlatTop) {
    TestScene s;
    FlatSquare(s);
    // Light 1 at full power, 60 degrees from the viewing axis:
    // v = 60 * 1.57 / 90, cos v = 0.50079..., truncate(256 cos v) = 128.
    s.block.lightPower[1] = 256;
    s.block.lightAngleH[1] = 30;
    s.block.lightAngleV[1] = 60;
    ShadingBase engine;
    engine.Shading(&s.block, 0, 100);
    EXPECT_EQ(PixelAt(s.image, 24, 24).r, 255 * 128 / 256);
}

TEST(Lighting, HighlightSaturatesAndGammaApplies) {
    TestScene s;
    FlatSquare(s);
    // pMsp 100: exponent 256, strength 2000 * (256/256)^16; light along the
    // viewing axis reflects straight back: r = 1, highlight 2000.
    s.block.pMsp = 100;
    s.block.lightPower[1] = 256;
    s.block.lightAngleV[1] = 0;
    ShadingBase engine;
    engine.Shading(&s.block, 0, 100);
    const Bgr8 p = PixelAt(s.image, 24, 24);
    EXPECT_EQ(p.r, 255);
    EXPECT_EQ(p.g, 255);
    EXPECT_EQ(p.b, 255);

    // Gamma red +100 (256 in the block): gamma 9 applied to 127.
    TestScene g;
    FlatSquare(g);
    g.block.lightPower[0] = 128;
    g.block.pMgr = 256;
    ShadingBase engine2;
    engine2.Shading(&g.block, 0, 100);
    MathTbl gamma9;
    gamma9.Gamma(9.0, 0.0, 1.0);
    EXPECT_EQ(PixelAt(g.image, 24, 24).r, gamma9[127]);
    EXPECT_LT(gamma9[127], 10);
}

TEST(Lighting, ShowThroughWithoutAndWithRefraction) {
    TestScene s;
    FlatSquare(s);
    s.block.lightPower[0] = 256;
    s.block.colorWeight = 128;  // pMcw 50
    ShadingBase engine;
    engine.Shading(&s.block, 0, 100);
    // Red: 255 + 128 * (40 - 255) / 256 = 255 - 107; green: 0 + 128 * 80 / 256.
    Bgr8 p = PixelAt(s.image, 24, 24);
    EXPECT_EQ(p.r, 148);
    EXPECT_EQ(p.g, 40);
    EXPECT_EQ(p.b, 60);

    // A flat top refracts nothing: the same with pMrf 100.
    TestScene r;
    FlatSquare(r);
    r.block.lightPower[0] = 256;
    r.block.colorWeight = 128;
    r.block.pMrf = 100;
    ShadingBase engine2;
    engine2.Shading(&r.block, 0, 100);
    p = PixelAt(r.image, 24, 24);
    EXPECT_EQ(p.r, 148);
    EXPECT_EQ(p.g, 40);
}

TEST(Lighting, ThroughKeepsImageColours) {
    TestScene s;
    FlatSquare(s);
    s.block.pMth = 1;
    s.block.lightPower[0] = 256;
    ShadingBase engine;
    engine.Shading(&s.block, 0, 100);
    const Bgr8 p = PixelAt(s.image, 24, 24);
    EXPECT_EQ(p.r, 40);
    EXPECT_EQ(p.g, 80);
    EXPECT_EQ(p.b, 120);
}

TEST(Lighting, SlopeNormalFromCraftedHeights) {
    TestScene s;
    FlatSquare(s);
    s.block.lightPower[1] = 256;
    s.block.lightAngleH[1] = 0;
    s.block.lightAngleV[1] = 90;
    ShadingBase engine;
    // Run the shape stages, then give pixel (24, 24) the neighbours
    // H(23) = 1000 and H(25) = 0 with a flat vertical neighbourhood.
    engine.CreateDistance(&s.block, 0, 100);
    engine.FuncBevel(&s.block, 0, 100);
    engine.MakeBevel(&s.block, 0, 100);
    const auto set = [&](int32_t x, int32_t y, int32_t v) {
        *reinterpret_cast<int32_t*>(engine.HeightMap().CommitLine(y - s.block.objectRect.top + 10,
                                                                 x - s.block.objectRect.left + 10)) = v;
    };
    set(23, 24, 1000);
    set(25, 24, 0);
    set(24, 25, 500);
    set(24, 23, 500);
    LightingTables tables;
    ShadingBase::BuildLightingTables(s.block, &tables);
    ASSERT_EQ(engine.Lighting(&s.block, tables, 0, 100), 1);
    // N = (1000, 0, 256) / 1032.25..; L = (sin 1.57, 0, cos 1.57).
    const double len = std::sqrt(1000.0 * 1000.0 + 256.0 * 256.0);
    const double d = 1000.0 / len * std::sin(1.57) + 256.0 / len * std::cos(1.57);
    const int diffuse = static_cast<int>(256.0 * d);
    EXPECT_EQ(diffuse, 248);
    EXPECT_EQ(PixelAt(s.image, 24, 24).r, 255 * diffuse / 256);
}

}  // namespace
