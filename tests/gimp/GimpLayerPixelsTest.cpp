#include "GimpLayerPixels.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// Two pixels of "R'G'B'A u8", the second half transparent.
const std::vector<uint8_t> kTwoPixels{10, 20, 30, 255, 40, 50, 60, 128};

TEST(GimpLayerPixels, LayerWithAlphaGivesFourPlanesAndComesBackUnchanged) {
    const HostImageSt image = LayerPixels_ToHostImage(kTwoPixels, 2, 1, true);
    EXPECT_EQ(image.planes, 4);
    EXPECT_EQ(image.pixels, kTwoPixels);
    EXPECT_EQ(LayerPixels_FromHostImage(image), kTwoPixels);
}

TEST(GimpLayerPixels, LayerWithoutAlphaGivesThreePlanesAndComesBackOpaque) {
    const HostImageSt image = LayerPixels_ToHostImage(kTwoPixels, 1, 2, false);
    EXPECT_EQ(image.planes, 3);
    EXPECT_EQ(image.width, 1);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.pixels, (std::vector<uint8_t>{10, 20, 30, 40, 50, 60}));
    EXPECT_EQ(LayerPixels_FromHostImage(image), (std::vector<uint8_t>{10, 20, 30, 255, 40, 50, 60, 255}));
}

TEST(GimpLayerPixels, EveryPixelAndPlaneKeepsItsPlace) {
    // Every pixel distinct, so a swapped row, column or plane shows.
    const int32_t width = 5, height = 7;
    std::vector<uint8_t> rgba(std::size_t(width) * height * 4);
    for (std::size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<uint8_t>(i * 7 + 3);
    const HostImageSt image = LayerPixels_ToHostImage(rgba, width, height, true);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            for (int plane = 0; plane < 4; ++plane)
                ASSERT_EQ(image.Pixel(x, y)[plane], rgba[(std::size_t(y) * width + x) * 4 + plane]);
}

TEST(GimpLayerPixels, SizeThatDisagreesWithThePixelsIsRefused) {
    EXPECT_THROW(LayerPixels_ToHostImage(kTwoPixels, 3, 1, true), std::invalid_argument);
    EXPECT_THROW(LayerPixels_ToHostImage(kTwoPixels, -2, -1, true), std::invalid_argument);
}

}  // namespace
