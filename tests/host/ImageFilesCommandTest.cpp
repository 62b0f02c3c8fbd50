// Image files through the morvanel command: formats read by content and
// written by extension, alpha, backgrounds, long paths, and premultiplied
// alpha.
#include <gtest/gtest.h>

#include "CommandTestSupport.h"

namespace {

using namespace morvanel_test;
using ImageFilesCommand = CommandTest;

// Inputs are recognised by their content, outputs by the extension in any
// case; alpha is written only where the input had it and the format keeps it.
TEST_F(ImageFilesCommand, FormatsAndAlpha) {
    Write("rgba.png", DiscImage(40, 32, 4));
    Write("rgb.png", DiscImage(40, 32, 3));
    Write("rgba.tif", DiscImage(40, 32, 4));
    Write("rgb.bmp", DiscImage(40, 32, 3));
    Write("real.jpg", DiscImage(40, 32, 3));
    fs::rename(File("real.jpg"), File("PHOTO.JPG"));
    fs::copy_file(File("rgba.png"), File("misnamed.bmp"));
    const struct {
        const char* in;
        const char* out;
        std::string signature;
        int16_t planes;
        const char* samePixelsAs = nullptr;  // an earlier output of the same input pixels
    } cases[] = {
        {"rgba.png", "out.png", "\x89PNG", 4},
        {"rgb.png", "from-rgb.png", "\x89PNG", 3},
        {"rgba.tif", "out.tif", "II*", 4, "out.png"},
        {"rgb.bmp", "out.bmp", "BM", 3, "from-rgb.png"},
        {"PHOTO.JPG", "OUT.PNG", "\x89PNG", 3},
        {"PHOTO.JPG", "out.Tif", "II*", 3, "OUT.PNG"},
        {"misnamed.bmp", "out.JpEg", "\xFF\xD8\xFF", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.in) + " -> " + c.out);
        ASSERT_EQ(Run({"apply", File(c.in), "-o", File(c.out)}), kExitOk) << errors_;
        const std::string bytes = ReadFile(File(c.out));
        EXPECT_EQ(bytes.substr(0, c.signature.size()), c.signature);
        if (c.signature == "BM") {
            // The header's file size, little-endian, counts every byte.
            uint32_t size = 0;
            for (int i = 5; i >= 2; --i) size = (size << 8) | static_cast<uint8_t>(bytes[std::size_t(i)]);
            EXPECT_EQ(size, bytes.size());
        }
        const HostImageSt in = LoadImage(File(c.in));
        const HostImageSt out = LoadImage(File(c.out));
        ASSERT_EQ(out.width, 40);
        ASSERT_EQ(out.height, 32);
        ASSERT_EQ(out.planes, c.planes);
        EXPECT_TRUE(DiffersWithin(in, out, {10, 14, 22, 26}, true));  // the disc is shaded
        if (c.samePixelsAs != nullptr) {
            EXPECT_TRUE(out.pixels == LoadImage(File(c.samePixelsAs)).pixels) << c.samePixelsAs;
        }
        if (c.planes == 4) {
            // The corners lie outside the object (alpha 0): left as they were.
            EXPECT_FALSE(DiffersWithin(in, out, {0, 0, 4, 4}, true));
            EXPECT_EQ(out.Pixel(0, 0)[3], 0);
            EXPECT_EQ(out.Pixel(20, 16)[3], 255);
        }
    }
}

// Outputs without alpha show the transparent layer over a background.
TEST_F(ImageFilesCommand, FormatsWithoutAlphaGetABackground) {
    Write("layer.png", DiscImage(48, 40, 4));
    const std::string in = File("layer.png");
    ASSERT_EQ(Run({"apply", in, "-o", File("kept.png")}), kExitOk) << errors_;
    const HostImageSt kept = LoadImage(File("kept.png"));
    const auto rgb = [](const HostImageSt& image, int x, int y) {
        const uint8_t* p = image.Pixel(x, y);
        return std::vector<int>{p[0], p[1], p[2]};
    };
    const struct {
        const char* out;
        const char* background;
        std::vector<int> corner;
    } cases[] = {
        {"white.bmp", nullptr, {255, 255, 255}},
        {"blue.bmp", "#204080", {32, 64, 128}},
        {"none.bmp", "none", rgb(kept, 0, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.out);
        std::vector<std::string> args{"apply", in, "-o", File(c.out)};
        if (c.background) args.insert(args.end(), {"--background", c.background});
        ASSERT_EQ(Run(args), kExitOk) << errors_;
        const HostImageSt out = LoadImage(File(c.out));
        EXPECT_EQ(rgb(out, 0, 0), c.corner);
        // Opaque pixels are the rendered colours whatever the background.
        EXPECT_EQ(rgb(out, 24, 20), rgb(kept, 24, 20));
    }
    // A layer without alpha is written as it is.
    Write("flat.png", DiscImage(48, 40, 3));
    ASSERT_EQ(Run({"apply", File("flat.png"), "-o", File("flat-white.bmp")}), kExitOk) << errors_;
    ASSERT_EQ(Run({"apply", File("flat.png"), "-o", File("flat-none.bmp"), "--background", "none"}), kExitOk);
    EXPECT_EQ(ReadFile(File("flat-white.bmp")), ReadFile(File("flat-none.bmp")));
}

// Paths of any length the system accepts are read, whatever the format.
TEST_F(ImageFilesCommand, InputsUnderLongPathsAreRead) {
    fs::path folder = dir_.path();
    while (folder.string().size() < 300) folder /= std::string(60, 'f');
    fs::create_directories(folder);
    for (const std::string extension : {"png", "jpg", "tif", "bmp"}) {
        const std::string in = (folder / ("in." + extension)).string();
        std::string error;
        ASSERT_TRUE(HostImage_Save(in, DiscImage(24, 20, 3), error)) << error;
        EXPECT_EQ(Run({"apply", in, "-o", File("out.png")}), kExitOk) << extension << ": " << errors_;
    }
}

// One row, uncompressed: (100, 50, 20) at alpha 128 stored premultiplied as
// (50, 25, 10), then an opaque (7, 8, 9).
TEST(HostImageFile, PremultipliedTiffLoadsWithItsOwnColours) {
    const HostImageSt image = LoadImage(kTestData + "premultiplied.tif");
    ASSERT_EQ(image.planes, 4);
    ASSERT_EQ(image.width, 2);
    EXPECT_EQ(std::vector<int>(image.Pixel(0, 0), image.Pixel(0, 0) + 4), (std::vector<int>{100, 50, 20, 128}));
    EXPECT_EQ(std::vector<int>(image.Pixel(1, 0), image.Pixel(1, 0) + 4), (std::vector<int>{7, 8, 9, 255}));
}

}  // namespace
