// PNG, TIFF and JPEG files: every depth and colour type loads as a 24-bit
// bitmap (line 0 the bottom row, blue, green, red), the writers make 24-bit
// files that the reference libraries read the right way up, and damaged
// files fail quietly.
#include <gtest/gtest.h>

#include <cstdlib>
#include <zlib.h>

#include "CodecFiles.h"
#include "ImageFile.h"
#include "ImageFileTestSupport.h"
#include "TempDir.h"

using namespace imagefile_test;

namespace {

// A picture of `channels` samples per pixel whose 16-bit values are
// multiples of 257, so that the expected 8-bit value is exact.
SampleImage MakeSamples(uint32_t width, uint32_t height, int channels, int bitDepth) {
    SampleImage image{width, height, channels, bitDepth, {}};
    const int maxValue = (1 << bitDepth) - 1;
    for (uint32_t y = 0; y < height; ++y) {
        std::vector<uint16_t> row;
        for (uint32_t x = 0; x < width; ++x) {
            for (int c = 0; c < channels; ++c) {
                const int level = static_cast<int>((x * 53 + y * 31 + c * 97) % 256);
                const bool alpha = (channels == 2 && c == 1) || (channels == 4 && c == 3);
                const int sample = alpha ? (x % 2 ? 0 : 255) : level;   // transparent pixels keep their colour
                row.push_back(static_cast<uint16_t>(bitDepth == 16 ? sample * 257 : sample * maxValue / 255));
            }
        }
        image.rows.push_back(row);
    }
    return image;
}

Rgb ExpectedColour(const SampleImage& image, uint32_t x, uint32_t y) {
    const uint16_t* s = &image.rows[y][x * image.channels];
    const int maxValue = (1 << image.bitDepth) - 1;
    auto to8 = [&](uint16_t v) { return static_cast<uint8_t>(image.bitDepth == 16 ? v / 257 : v * 255 / maxValue); };
    if (image.channels <= 2) return {to8(s[0]), to8(s[0]), to8(s[0])};
    return {to8(s[0]), to8(s[1]), to8(s[2])};
}

// Every pixel of the loaded bitmap: file row y is bitmap line height - 1 - y.
void ExpectPicture(DibEx* dib, const SampleImage& image) {
    ASSERT_EQ(dib->GetBitsPerPixel(), 24);
    ASSERT_EQ(dib->GetWidth(), static_cast<int>(image.width));
    ASSERT_EQ(dib->GetHeight(), static_cast<int>(image.height));
    for (uint32_t y = 0; y < image.height; ++y)
        for (uint32_t x = 0; x < image.width; ++x)
            ASSERT_EQ(PixelAt(dib, static_cast<int>(x), static_cast<int>(image.height - 1 - y)),
                      ExpectedColour(image, x, y))
                << "pixel " << x << ", row " << y;
}

struct Variant {
    const char* name;
    int channels;
    int bitDepth;
};
constexpr Variant kVariants[] = {
    {"grey 8", 1, 8},          {"grey 16", 1, 16}, {"grey + alpha 8", 2, 8}, {"RGB 8", 3, 8},
    {"RGB 16", 3, 16},         {"RGBA 8", 4, 8},   {"RGBA 16", 4, 16},
};

class CodecTest : public ::testing::Test {
protected:
    int Load(const std::string& path) { return ImageFile(&dib).Load(path.c_str(), 1); }
    morvanel_test::TempDir dir;
    DibEx dib;
};

TEST_F(CodecTest, PngOfEveryDepthAndColourTypeLoadsAs24Bit) {
    for (const Variant& v : kVariants) {
        for (bool interlaced : {false, true}) {
            SCOPED_TRACE(std::string(v.name) + (interlaced ? " interlaced" : ""));
            const SampleImage image = MakeSamples(7, 5, v.channels, v.bitDepth);
            const std::string path = dir.file("in.png");
            WritePngSamples(path, image, interlaced);
            ASSERT_EQ(Load(path), 1);
            ExpectPicture(&dib, image);
        }
    }
    const SampleImage lowGrey = MakeSamples(9, 3, 1, 2);
    WritePngSamples(dir.file("grey2.png"), lowGrey);
    ASSERT_EQ(Load(dir.file("grey2.png")), 1);
    ExpectPicture(&dib, lowGrey);
}

TEST_F(CodecTest, PngPaletteWithTransparencyLoadsItsColours) {
    const std::vector<uint8_t> palette = {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30};
    WritePngPalette(dir.file("pal.png"), 3, {{0, 1, 2}, {3, 3, 0}}, palette, 2);
    ASSERT_EQ(Load(dir.file("pal.png")), 1);
    EXPECT_EQ(PixelAt(&dib, 0, 1), (Rgb{255, 0, 0}));
    EXPECT_EQ(PixelAt(&dib, 1, 1), (Rgb{0, 255, 0}));
    EXPECT_EQ(PixelAt(&dib, 2, 1), (Rgb{0, 0, 255}));
    EXPECT_EQ(PixelAt(&dib, 0, 0), (Rgb{10, 20, 30}));
}

TEST_F(CodecTest, TiffOfEveryDepthAndColourTypeLoadsAs24Bit) {
    for (const Variant& v : kVariants) {
        SCOPED_TRACE(v.name);
        const SampleImage image = MakeSamples(7, 5, v.channels, v.bitDepth);
        const std::string path = dir.file("in.tif");
        WriteTiffSamples(path, image);
        ASSERT_EQ(Load(path), 1);
        ExpectPicture(&dib, image);
    }
}

TEST_F(CodecTest, TiffPaletteLoadsItsColours) {
    std::vector<uint16_t> red(256, 0), green(256, 0), blue(256, 0);
    red[1] = 200 * 257;
    green[2] = 100 * 257;
    blue[3] = 50 * 257;
    WriteTiffPalette(dir.file("pal.tiff"), 2, {{1, 2}, {3, 0}}, red, green, blue);
    ASSERT_EQ(Load(dir.file("pal.tiff")), 1);
    EXPECT_EQ(PixelAt(&dib, 0, 1), (Rgb{200, 0, 0}));
    EXPECT_EQ(PixelAt(&dib, 1, 1), (Rgb{0, 100, 0}));
    EXPECT_EQ(PixelAt(&dib, 0, 0), (Rgb{0, 0, 50}));
}

// Written files are 24-bit, top row first, red, green, blue; read back they
// give exactly the bitmap that was saved.
TEST_F(CodecTest, PngAndTiffRoundTripsAreExact) {
    DibEx source;
    FillPattern(&source, 5, 4);
    for (const char* name : {"out.png", "out.ping", "out.tif", "out.tiff"}) {
        SCOPED_TRACE(name);
        const std::string path = dir.file(name);
        ASSERT_EQ(ImageFile_Save(nullptr, path.c_str(), &source, nullptr, nullptr, 0, 70), 1);
        uint32_t width = 0, height = 0;
        const bool isPng = ImageFile_Type(name) == kImageFilePng;
        const auto rows = isPng ? ReadPngRgb(path, &width, &height) : ReadTiffRgb(path);
        ASSERT_EQ(rows.size(), 4u);
        const Rgb top = PatternColour(1, 3);
        EXPECT_EQ((Rgb{rows[0][3], rows[0][4], rows[0][5]}), top);
        ASSERT_EQ(Load(path), 1);
        for (int line = 0; line < 4; ++line)
            for (int x = 0; x < 5; ++x) EXPECT_EQ(PixelAt(&dib, x, line), PatternColour(x, line));
    }
}

TEST_F(CodecTest, JpegRoundTripIsCloseAndTheRightWayUp) {
    DibEx source;
    source.Setup(48, 32, 24);
    for (int line = 0; line < 32; ++line) {
        uint8_t* p = source.CommitLine(line, 0);
        for (int x = 0; x < 48; ++x, p += 3) {
            p[0] = static_cast<uint8_t>(line < 16 ? 220 : 20);   // blue bottom half
            p[1] = static_cast<uint8_t>(x * 4);
            p[2] = static_cast<uint8_t>(line < 16 ? 20 : 220);   // red top half
        }
    }
    const std::string path = dir.file("out.jpeg");
    ASSERT_EQ(ImageFile(&source).Save(path.c_str(), 0, 70), 1);
    ASSERT_EQ(Load(path), 1);
    long total = 0;
    for (int line = 0; line < 32; ++line) {
        const uint8_t* a = source.CommitLine(line, 0);
        const uint8_t* b = dib.CommitLine(line, 0);
        // Subsampled colour blurs the lines next to the red / blue edge.
        const bool nearEdge = line >= 14 && line <= 17;
        for (int i = 0; i < 48 * 3; ++i) {
            if (!nearEdge) {
                ASSERT_LE(std::abs(a[i] - b[i]), 24) << "line " << line << " byte " << i;
            }
            total += std::abs(a[i] - b[i]);
        }
    }
    EXPECT_LE(total / (32 * 48 * 3), 4);
    EXPECT_GT(PixelAt(&dib, 10, 0).b, 200);    // bottom line blue
    EXPECT_GT(PixelAt(&dib, 10, 31).r, 200);   // top line red
}

TEST_F(CodecTest, GreyJpegLoadsAsGreyTwentyFourBit) {
    SampleImage grey = MakeSamples(16, 16, 1, 8);
    for (auto& row : grey.rows) std::fill(row.begin(), row.end(), 90);
    WriteJpegSamples(dir.file("grey.jpg"), grey);
    ImageFileWorkSt work;
    ASSERT_EQ(ImageFile(&dib).GetInfo(dir.file("grey.jpg").c_str(), &work), 1);
    EXPECT_EQ(work.image.bitsPerPixel, 8u);
    ASSERT_EQ(Load(dir.file("grey.jpg")), 1);
    ASSERT_EQ(dib.GetBitsPerPixel(), 24);
    const Rgb pixel = PixelAt(&dib, 5, 5);
    EXPECT_EQ(pixel.r, pixel.g);
    EXPECT_EQ(pixel.g, pixel.b);
    EXPECT_NEAR(pixel.r, 90, 2);
}

Bytes Truncated(const Bytes& bytes, size_t keep) { return Bytes(bytes.begin(), bytes.begin() + keep); }

Bytes Flipped(Bytes bytes, size_t at) {
    bytes[at] ^= 0xFF;
    return bytes;
}

// A PNG whose header claims another size, with the header's checksum redone.
Bytes PngResized(Bytes png, uint32_t width, uint32_t height) {
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = static_cast<uint8_t>(width >> (24 - 8 * i));
        png[20 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
    }
    const uint32_t crc = static_cast<uint32_t>(crc32(0, png.data() + 12, 17));
    for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    return png;
}

// Later half of the pixel data overwritten (the directory, at the end of
// files that libtiff writes, stays intact).
Bytes Garbled(Bytes tiff) {
    std::fill(tiff.begin() + static_cast<long>(tiff.size() / 3), tiff.begin() + static_cast<long>(tiff.size() * 2 / 3),
              uint8_t{0xFF});
    return tiff;
}

// A JPEG whose frame header claims another size.
Bytes JpegResized(Bytes jpeg, uint16_t width, uint16_t height) {
    for (size_t i = 0; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = static_cast<uint8_t>(height >> 8);
            jpeg[i + 6] = static_cast<uint8_t>(height);
            jpeg[i + 7] = static_cast<uint8_t>(width >> 8);
            jpeg[i + 8] = static_cast<uint8_t>(width);
            break;
        }
    }
    return jpeg;
}

TEST_F(CodecTest, DamagedFilesFailWithoutMessages) {
    const SampleImage image = MakeSamples(64, 48, 3, 8);
    WritePngSamples(dir.file("good.png"), image);
    WriteJpegSamples(dir.file("good.jpg"), image);
    WriteTiffSamples(dir.file("good.tif"), image);
    WriteTiffHeaderOnly(dir.file("huge.tif"), 70000, 70000);
    WriteTiffHeaderOnly(dir.file("nodata.tif"), 10, 10);
    WriteTiffFirstRowOnly(dir.file("claims.tif"), 26000, 26000, 4);
    WriteTiffSamples(dir.file("alpha.tif"), MakeSamples(64, 48, 4, 8), false, 5 /* LZW */);
    const Bytes png = ReadBytes(dir.file("good.png"));
    const Bytes jpeg = ReadBytes(dir.file("good.jpg"));
    const Bytes tiff = ReadBytes(dir.file("good.tif"));
    const Bytes garbage(300, 0x5A);

    const struct {
        const char* name;
        Bytes bytes;
        bool infoFails;   // broken in the headers, not only in the pixels
    } cases[] = {
        {"a.png", {}, true},
        {"b.png", garbage, true},
        {"c.png", Truncated(png, 8), true},
        {"d.png", Truncated(png, png.size() / 2), false},
        {"e.png", Flipped(png, 30), true},                    // header checksum
        {"f.png", Flipped(png, png.size() / 2), false},       // pixel data
        {"g.png", PngResized(png, 1000000, 1000000), true},  // 24-bit size beyond 32 bits
        {"h.png", PngResized(png, 26000, 26000), true},      // more rows than deflate can make of the file
        {"a.jpg", {}, true},
        {"b.jpg", garbage, true},
        {"c.jpg", Truncated(jpeg, jpeg.size() / 2), false},
        {"d.jpg", Truncated(jpeg, 20), true},
        {"e.jpg", JpegResized(jpeg, 65000, 65000), true},
        {"f.jpg", JpegResized(jpeg, 26000, 26000), true},      // far more blocks than the file codes
        {"a.tif", {}, true},
        {"b.tif", garbage, true},
        {"c.tif", Truncated(tiff, tiff.size() / 2), true},   // the directory sits at the end
        {"huge.tif", ReadBytes(dir.file("huge.tif")), true},
        {"nodata.tif", ReadBytes(dir.file("nodata.tif")), true},
        {"claims.tif", ReadBytes(dir.file("claims.tif")), true},
        {"garbled-alpha.tif", Garbled(ReadBytes(dir.file("alpha.tif"))), false},
    };
    ::testing::internal::CaptureStderr();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(std::string("broken-") + c.name);
        WriteBytes(path, c.bytes);
        ImageFileWorkSt work;
        EXPECT_EQ(ImageFile_Info(path.c_str(), &work) != 0, c.infoFails);
        EXPECT_EQ(Load(path), 0);
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

// Files packed as tightly as their compression allows still load: the
// size checks only refuse what no file of that size can hold.
TEST_F(CodecTest, TightlyPackedLargeFilesPassTheSizeChecks) {
    SampleImage flat{2000, 1500, 3, 8, {}};
    flat.rows.assign(flat.height, std::vector<uint16_t>(flat.width * 3, 0));
    WritePngSamples(dir.file("flat.png"), flat);
    WriteJpegSamples(dir.file("flat.jpg"), flat);
    WriteTiffSamples(dir.file("flat.tif"), flat, false, 5 /* LZW */);
    WriteTiffSamples(dir.file("deflated.tif"), flat, false, 8 /* deflate */);
    for (const char* name : {"flat.png", "flat.jpg", "flat.tif", "deflated.tif"}) {
        SCOPED_TRACE(name);
        ImageFileWorkSt work;
        ASSERT_EQ(ImageFile_Info(dir.file(name).c_str(), &work), 0);
        EXPECT_EQ(work.image.width, 2000u);
    }
}

TEST_F(CodecTest, CmykJpegLoadsAsRgb) {
    // Left half: cyan and yellow ink, no black (green); right half: only
    // half the black ink (mid grey).  Samples are stored inverted.
    SampleImage ink{16, 8, 4, 8, {}};
    for (uint32_t y = 0; y < ink.height; ++y) {
        std::vector<uint16_t> row;
        for (uint32_t x = 0; x < ink.width; ++x) {
            const std::vector<uint16_t> pixel = x < 8 ? std::vector<uint16_t>{0, 255, 0, 255}
                                                      : std::vector<uint16_t>{255, 255, 255, 128};
            row.insert(row.end(), pixel.begin(), pixel.end());
        }
        ink.rows.push_back(row);
    }
    WriteJpegSamples(dir.file("ink.jpg"), ink);
    ASSERT_EQ(Load(dir.file("ink.jpg")), 1);
    const auto near = [](Rgb a, Rgb b) {
        return std::abs(a.r - b.r) <= 4 && std::abs(a.g - b.g) <= 4 && std::abs(a.b - b.b) <= 4;
    };
    EXPECT_PRED2(near, PixelAt(&dib, 2, 3), (Rgb{0, 255, 0}));
    EXPECT_PRED2(near, PixelAt(&dib, 12, 3), (Rgb{128, 128, 128}));
}

TEST_F(CodecTest, PremultipliedTiffColoursAreDividedBack) {
    // (100, 50, 20) at alpha 128 is stored as (50, 25, 10); a transparent
    // pixel stays black; an opaque one is unchanged.
    const SampleImage stored{3, 1, 4, 8, {{50, 25, 10, 128, 0, 0, 0, 0, 7, 8, 9, 255}}};
    WriteTiffSamples(dir.file("premultiplied.tif"), stored, true);
    ASSERT_EQ(Load(dir.file("premultiplied.tif")), 1);
    EXPECT_EQ(PixelAt(&dib, 0, 0), (Rgb{100, 50, 20}));
    EXPECT_EQ(PixelAt(&dib, 1, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(PixelAt(&dib, 2, 0), (Rgb{7, 8, 9}));
}

}  // namespace
