// The lighting and material loop on a flat top.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>

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
    bool operator==(const Bgr8&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Bgr8& p) {
    return out << "blue " << p.b << " green " << p.g << " red " << p.r;
}

Bgr8 PixelAt(DibEx& image, int32_t x, int32_t y) {
    const uint8_t* p = image.CommitLine(y, x);
    return {p[0], p[1], p[2]};
}

// Each row lights the flat top of the square and reads the pixel at its
// centre; the image around the object stays as it was (red 40, green 80, blue 120).
TEST(Lighting, FlatTopColours) {
    MathTbl gamma9;
    gamma9.Gamma(9.0, 0.0, 1.0);
    ASSERT_LT(gamma9[127], 10);
    const struct {
        const char* name;
        std::function<void(ShadeBaseSt&)> configure;
        Bgr8 centre;
    } cases[] = {
        // No light at all: sol[0] = 255, so 255 * 255 / 256.
        {"full solarization", [](ShadeBaseSt& b) { b.pMsl = 256; }, {0, 0, 254}},
        // A material colour below 0 (as a damaged style file may hold) stays
        // black instead of indexing before the gamma tables; a bevel position
        // and rim width beyond 100 percent take the last edge weight.
        {"values outside their ranges",
         [](ShadeBaseSt& b) {
             b.pMcr = b.pMcg = b.pMcb = -50;
             b.lightPower[0] = 256;
             b.pMbp = 400;
             b.pMba = 300;
         },
         {0, 0, 0}},
        // 60 degrees from the viewing axis: v = 60 * 1.57 / 90, truncate(256 cos v) = 128.
        {"directional diffuse",
         [](ShadeBaseSt& b) {
             b.lightPower[1] = 256;
             b.lightAngleH[1] = 30;
             b.lightAngleV[1] = 60;
         },
         {0, 0, 255 * 128 / 256}},
        // pMsp 100: exponent 256, strength 2000; light along the viewing axis
        // reflects straight back: highlight 2000 saturates.
        {"highlight",
         [](ShadeBaseSt& b) {
             b.pMsp = 100;
             b.lightPower[1] = 256;
             b.lightAngleV[1] = 0;
         },
         {255, 255, 255}},
        // pMsp 50: strength 500, reflection 1, right on the highlight's last
        // step; a material colour of -300 keeps 500 - 300 below saturation.
        {"highlight on a step",
         [](ShadeBaseSt& b) {
             b.pMsp = 50;
             b.pMcr = b.pMcg = b.pMcb = -300;
             b.lightPower[1] = 256;
             b.lightAngleV[1] = 0;
         },
         {200, 200, 200}},
        // Ambient light only: material colours times 128/256.  Each channel
        // has its own gamma table: gamma 9 (+100, 256 in the block) on blue only.
        {"gamma blue",
         [](ShadeBaseSt& b) {
             b.lightPower[0] = 128;
             b.pMcb = 255;
             b.pMgb = 256;
         },
         {gamma9[127], 0, 127}},
        // Red: 255 + 128 * (40 - 255) / 256; green: 0 + 128 * 80 / 256.
        {"show-through",
         [](ShadeBaseSt& b) {
             b.lightPower[0] = 256;
             b.colorWeight = 128;
         },
         {60, 40, 148}},
        {"through keeps the image colours",
         [](ShadeBaseSt& b) {
             b.pMth = 1;
             b.lightPower[0] = 256;
         },
         {120, 80, 40}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        TestScene s;
        FlatSquare(s);
        k.configure(s.block);
        ShadingBase engine;
        ASSERT_EQ(engine.Shading(&s.block, 0, 100), 1);
        EXPECT_EQ(PixelAt(s.image, 24, 24), k.centre);
        EXPECT_EQ(PixelAt(s.image, 1, 1), (Bgr8{120, 80, 40}));
        EXPECT_EQ(engine.EdgeWeight(400), engine.EdgeCurve()[255]);
        EXPECT_EQ(engine.EdgeWeight(-5), engine.EdgeCurve()[0]);
    }
}

}  // namespace
