// PNG files through the host: pixels written straight from the image's rows
// and read straight into them, with and without alpha.
#include <gtest/gtest.h>

#include "HostImageFile.h"
#include "RgbaPng.h"
#include "TempDir.h"

namespace {

using morvanel_test::TempDir;

HostImageSt Pattern(int32_t width, int32_t height, int16_t planes) {
    HostImageSt image = HostImage_Make(width, height, planes);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<uint8_t>((i * 37) ^ (i >> 7));
    return image;
}

TEST(HostPng, ImagesComeBackWithTheirPlanesAndBytes) {
    TempDir dir;
    const std::string path = dir.file("round.png");
    for (const int16_t planes : {3, 4}) {
        const HostImageSt image = Pattern(67, 41, planes);
        std::string error;
        ASSERT_TRUE(HostImage_Save(path, image, error)) << error;
        HostImageSt loaded;
        ASSERT_TRUE(HostImage_Load(path, loaded, error)) << error;
        EXPECT_EQ(loaded.width, 67);
        EXPECT_EQ(loaded.height, 41);
        EXPECT_EQ(loaded.planes, planes) << "an RGB image is written without an alpha channel";
        EXPECT_TRUE(loaded.pixels == image.pixels) << planes;
    }
    // Unwritable and unreadable files fail.
    const HostImageSt image = Pattern(4, 4, 3);
    EXPECT_EQ(RgbaPng_SavePixels(dir.file("missing/folder.png"), 4, 4, 3, image.pixels.data()), 0);
    EXPECT_EQ(RgbaPng_SavePixels(dir.file("planes.png"), 4, 4, 2, image.pixels.data()), 0);
    RgbaPngPixelsSt loaded;
    EXPECT_EQ(RgbaPng_LoadPixels(dir.file("none.png"), loaded), 0);
}

}  // namespace
