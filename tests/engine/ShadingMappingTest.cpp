// Texture and foreground mapping on uniform, striped and gradient pictures.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "EngineMaps.h"
#include "EngineTestShapes.h"

namespace {

void Picture(DibEx& dib, int32_t w, int32_t h, const std::function<void(int32_t, int32_t, uint8_t*)>& paint) {
    dib.Setup(w, h, 24);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) paint(x, y, dib.CommitLine(y, x));
}

void Square(TestScene& s, int32_t offset = 0) {
    MakeScene(s, 80, 80, [=](int32_t x, int32_t y) {
        return x >= 20 + offset && x < 50 + offset && y >= 20 + offset && y < 50 + offset ? 255 : 0;
    });
}

void RunShape(ShadingBase& engine, ShadeBaseSt& b) {
    engine.CreateDistance(&b, 0, 100);
    engine.FuncBevel(&b, 0, 100);
    engine.MakeBevel(&b, 0, 100);
}

// The weight is stored in the fourth byte of the mapped texture: the sign of
// pTwi chooses which side of the threshold is opaque, and an opaque material
// stores none.
TEST(TextureMapping, WeightSignChoosesTheOpaqueSide) {
    DibEx white(1);
    DibEx black(1);
    Picture(white, 8, 8, [](int32_t, int32_t, uint8_t* p) { p[0] = p[1] = p[2] = 255; });
    Picture(black, 8, 8, [](int32_t, int32_t, uint8_t* p) { p[0] = p[1] = p[2] = 0; });
    // Sigmoid(0.1, 128/255, 0, 1) is 0 at input 0 and 255 at input 255.
    const struct { DibEx* texture; int32_t pTwi, colorWeight, weight; } cases[] = {
        {&white, 100, 0, 255}, {&black, 100, 0, 0}, {&white, -100, 0, 0}, {&black, -100, 0, 255},
        {&white, 100, 256, 0}, {&black, -100, 256, 0},
    };
    for (const auto& k : cases) {
        TestScene s;
        Square(s);
        s.block.texture = k.texture;
        s.block.pTwi = k.pTwi;
        s.block.pTtv = 128;
        s.block.colorWeight = k.colorWeight;
        ShadingBase engine;
        RunShape(engine, s.block);
        ASSERT_EQ(engine.TextureMapping(&s.block, 0, 100), 1);
        for (int32_t y = 20; y < 50; ++y)
            for (int32_t x = 20; x < 50; ++x) {
                ASSERT_EQ(MapPixel(engine.MappedTexture(), s.block, x, y)[3], k.weight)
                    << (k.texture == &white ? "white" : "black") << " pTwi " << k.pTwi << " at " << x << "," << y;
            }
    }
}

TEST(TextureMapping, BumpRaisesAndSinks) {
    for (const int shade : {255, 0}) {
        DibEx texture(1);
        Picture(texture, 8, 8, [=](int32_t, int32_t, uint8_t* p) { p[0] = p[1] = p[2] = static_cast<uint8_t>(shade); });
        TestScene s;
        Square(s);
        ShadingBase plain;
        RunShape(plain, s.block);
        s.block.texture = &texture;
        s.block.pTbu = 100;  // b = 50 * standardSize = 5000
        ShadingBase engine;
        RunShape(engine, s.block);
        ASSERT_EQ(engine.TextureMapping(&s.block, 0, 100), 1);
        EXPECT_TRUE(engine.HeightBumped());
        const int32_t before = MapAt(plain.HeightMap(), s.block, 30, 30);
        const int32_t expected = shade == 255 ? before + 127 * 5000 / 128 : std::max(before - 5000, 0);
        EXPECT_EQ(MapAt(engine.HeightMap(), s.block, 30, 30), expected) << shade;
        // Outside the mask the height is not bumped.
        EXPECT_EQ(MapAt(engine.HeightMap(), s.block, 12, 12), 0);
    }
}

TEST(TextureMapping, CanvasAnchoringFollowsTheCanvas) {
    // 30 x 40 texture: diagonal 50 = standardSize, so S = 10000 exactly at
    // pTsc 1 and every product is an integer.
    DibEx texture(1);
    Picture(texture, 30, 40, [](int32_t x, int32_t y, uint8_t* p) {
        p[0] = static_cast<uint8_t>(x * 8);
        p[1] = static_cast<uint8_t>(y * 6);
        p[2] = 77;
    });
    const auto colourAt = [&](int32_t offset, int32_t locate, int32_t x, int32_t y) {
        TestScene s;
        Square(s, offset);
        s.block.standardSize = 50;
        s.block.texture = &texture;
        s.block.pTco = 256;
        s.block.pTsc = 1;
        s.block.pTbe = 0;
        s.block.textureLocate = locate;
        ShadingBase engine;
        RunShape(engine, s.block);
        engine.TextureMapping(&s.block, 0, 100);
        const uint8_t* px = MapPixel(engine.MappedTexture(), s.block, x, y);
        return std::vector<int>{px[0], px[1], px[2]};
    };
    EXPECT_EQ(colourAt(0, 1, 35, 35), colourAt(6, 1, 35, 35));
    // Anchored to the object, the texture moves with it.
    EXPECT_EQ(colourAt(0, 0, 30, 30), colourAt(6, 0, 36, 36));
    EXPECT_NE(colourAt(0, 0, 35, 35), colourAt(6, 0, 35, 35));
}

TEST(ForeGroundMapping, ZeroWeightOrTinyPictureIsSafe) {
    DibEx tiny(1);
    Picture(tiny, 1, 1, [](int32_t, int32_t, uint8_t* p) { p[0] = 10, p[1] = 20, p[2] = 30; });
    TestScene s;
    Square(s);
    s.block.foreground = &tiny;
    ShadingBase engine;
    RunShape(engine, s.block);
    EXPECT_EQ(engine.ForeGroundMapping(&s.block, 0, 100), 0);
    // A one-pixel picture: every sample is that pixel.
    s.block.pEwi = 256;
    ASSERT_EQ(engine.ForeGroundMapping(&s.block, 0, 100), 1);
    const uint8_t* px = MapPixel(engine.MappedForeground(), s.block, 30, 30);
    EXPECT_EQ(px[0], 10);
    EXPECT_EQ(px[2], 30);
}

}  // namespace
