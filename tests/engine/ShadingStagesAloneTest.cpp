// Stages called on their own, outside a render, with maps left by a render
// of another shape: they leave image and mask alone instead of addressing
// maps of the wrong size.
#include <gtest/gtest.h>

#include <vector>

#include "EngineTestShapes.h"

namespace {

TEST(StagesAlone, MapsOfAnotherShapeAreNotAddressed) {
    DibEx picture(1);
    MakePicture(picture, 24, 18);

    TestScene small;
    MakeScene(small, 30, 30, Disc(15, 15, 8));
    EveryStage(small.block, picture, picture);
    ShadingBase engine;
    ASSERT_EQ(engine.Shading(&small.block, 0, 100), 1);

    // A larger scene whose object the maps do not cover.
    TestScene large;
    MakeScene(large, 120, 90, Disc(60, 45, 35));
    EveryStage(large.block, picture, picture);
    const std::vector<uint8_t> image = Bytes(large.image);
    const std::vector<uint8_t> mask = Bytes(large.mask);
    ASSERT_EQ(engine.ImageCopy().GetWidth(), 30);
    const std::vector<uint8_t> copy = Bytes(engine.ImageCopy());
    ShadeBaseSt& b = large.block;
    EXPECT_EQ(engine.TextureMapping(&b, 0, 100), 0);
    EXPECT_EQ(engine.ForeGroundMapping(&b, 0, 100), 0);
    EXPECT_EQ(engine.FuncAlpha(&b, 0, 100), 0);
    LightingTables tables;
    ShadingBase::BuildLightingTables(b, &tables);
    EXPECT_EQ(engine.Lighting(&b, tables, 0, 100), 1);
    engine.CompositeShadow(&b);
    EXPECT_TRUE(Bytes(large.image) == image);
    EXPECT_TRUE(Bytes(large.mask) == mask);
    // The shadow stage draws a map of its own but leaves the smaller image copy.
    EXPECT_EQ(engine.MakeShadow(&b, 0, 100), 1);
    EXPECT_TRUE(Bytes(engine.ImageCopy()) == copy);

    // The same scene through a render is shaded, and its stages then run.
    ASSERT_EQ(engine.Shading(&b, 0, 100), 1);
    EXPECT_FALSE(Bytes(large.image) == image);
    EXPECT_EQ(engine.TextureMapping(&b, 0, 100), 1);
    EXPECT_EQ(engine.ForeGroundMapping(&b, 0, 100), 1);
    EXPECT_EQ(engine.FuncAlpha(&b, 0, 100), 1);
}

}  // namespace
