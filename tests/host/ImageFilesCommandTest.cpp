// Image files through the morvanel command: formats read by content and
// written by extension, alpha, backgrounds, long paths, and the pixels of
// files written by hand.
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
        {"misnamed.bmp", "OUT.BMP", "BM", 3},
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
    ASSERT_EQ(Run({"apply", in, "-o", File("white.jpg")}), kExitOk) << errors_;
    EXPECT_GE(LoadImage(File("white.jpg")).Pixel(0, 0)[1], 250);

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

// A TIFF of one row: (100, 50, 20) at alpha 128 stored premultiplied as
// (50, 25, 10), then an opaque (7, 8, 9); uncompressed, written by hand.
std::string PremultipliedTiff() {
    const auto le16 = [](uint16_t v) { return std::string{static_cast<char>(v), static_cast<char>(v >> 8)}; };
    const auto le32 = [&](uint32_t v) { return le16(static_cast<uint16_t>(v)) + le16(static_cast<uint16_t>(v >> 16)); };
    const auto entry = [&](uint16_t tag, uint16_t type, uint32_t value) {
        return le16(tag) + le16(type) + le32(1) + (type == 3 ? le16(static_cast<uint16_t>(value)) + le16(0) : le32(value));
    };
    const uint32_t pixelsAt = 8 + 2 + 10 * 12 + 4;
    std::string tiff = "II*" + std::string(1, '\0') + le32(8) + le16(10);
    tiff += entry(256, 4, 2) + entry(257, 4, 1) + entry(258, 3, 8) + entry(259, 3, 1) + entry(262, 3, 2) +
            entry(273, 4, pixelsAt) + entry(277, 3, 4) + entry(278, 4, 1) + entry(279, 4, 8) + entry(338, 3, 1);
    return tiff + le32(0) + std::string{50, 25, 10, static_cast<char>(128), 7, 8, 9, static_cast<char>(255)};
}

TEST(HostImageFile, PremultipliedTiffLoadsWithItsOwnColours) {
    TempDir dir;
    std::ofstream(dir.file("premultiplied.tif"), std::ios::binary) << PremultipliedTiff();
    const HostImageSt image = LoadImage(dir.file("premultiplied.tif"));
    ASSERT_EQ(image.planes, 4);
    ASSERT_EQ(image.width, 2);
    EXPECT_EQ(std::vector<int>(image.Pixel(0, 0), image.Pixel(0, 0) + 4), (std::vector<int>{100, 50, 20, 128}));
    EXPECT_EQ(std::vector<int>(image.Pixel(1, 0), image.Pixel(1, 0) + 4), (std::vector<int>{7, 8, 9, 255}));
}

// Filters sample colours beyond a shape's outline (refraction, blurs): in
// the shipped samples the transparent pixels continue the edge's colour.
TEST(ShippedSamples, TransparentPixelsCarryTheEdgeColour) {
    for (const std::string name : {"Word.png", "Star.png"}) {
        SCOPED_TRACE(name);
        const HostImageSt image = LoadImage(std::string(MORVANEL_TEST_SAMPLES) + "/" + name);
        ASSERT_EQ(image.planes, 4);
        int transparent = 0;
        for (int32_t y = 1; y + 1 < image.height; ++y)
            for (int32_t x = 1; x + 1 < image.width; ++x) {
                const uint8_t* pixel = image.Pixel(x, y);
                if (pixel[3] != 0) continue;
                ++transparent;
                // Next to the outline it has its covered neighbour's colour,
                // give or take the gradient's step.
                for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                    const uint8_t* next = image.Pixel(x + dx, y + dy);
                    if (next[3] == 0) continue;
                    for (int c = 0; c < 3; ++c) ASSERT_LE(std::abs(pixel[c] - next[c]), 3) << x << "," << y;
                }
            }
        EXPECT_GT(transparent, image.width * image.height / 4);
    }
}

}  // namespace
