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

TEST_F(CodecTest, PngAndTiffOfEveryDepthAndColourTypeLoadAs24Bit) {
    for (const Variant& v : kVariants) {
        const SampleImage image = MakeSamples(7, 5, v.channels, v.bitDepth);
        for (const char* kind : {"png", "interlaced png", "tif"}) {
            SCOPED_TRACE(std::string(v.name) + " " + kind);
            const std::string path = dir.file(std::string("in.") + (kind[0] == 't' ? "tif" : "png"));
            if (kind[0] == 't') WriteTiffSamples(path, image);
            else WritePngSamples(path, image, kind[0] == 'i');
            ASSERT_EQ(Load(path), 1);
            ExpectPicture(&dib, image);
        }
    }
    const SampleImage lowGrey = MakeSamples(9, 3, 1, 2);
    WritePngSamples(dir.file("grey2.png"), lowGrey);
    ASSERT_EQ(Load(dir.file("grey2.png")), 1);
    ExpectPicture(&dib, lowGrey);
}

TEST_F(CodecTest, PalettesLoadTheirColours) {
    const std::vector<uint8_t> palette = {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30};
    WritePngPalette(dir.file("pal.png"), 3, {{0, 1, 2}, {3, 3, 0}}, palette, 2);  // with transparency
    ASSERT_EQ(Load(dir.file("pal.png")), 1);
    EXPECT_EQ(PixelAt(&dib, 0, 1), (Rgb{255, 0, 0}));
    EXPECT_EQ(PixelAt(&dib, 1, 1), (Rgb{0, 255, 0}));
    EXPECT_EQ(PixelAt(&dib, 2, 1), (Rgb{0, 0, 255}));
    EXPECT_EQ(PixelAt(&dib, 0, 0), (Rgb{10, 20, 30}));

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

// Written PNG and TIFF files are 24-bit, top row first, red, green, blue;
// read back, every written file gives exactly the bitmap that was saved.
TEST_F(CodecTest, RoundTripsAreExact) {
    DibEx source;
    FillPattern(&source, 5, 4);
    for (const char* name : {"out.png", "out.ping", "out.tif", "out.tiff", "out.tmp"}) {
        SCOPED_TRACE(name);
        const std::string path = dir.file(name);
        ASSERT_EQ(ImageFile_Save(nullptr, path.c_str(), &source, nullptr, nullptr, 0, 70), 1);
        const int type = ImageFile_Type(name);
        if (type != kImageFileBmp) {
            uint32_t width = 0, height = 0;
            const auto rows = type == kImageFilePng ? ReadPngRgb(path, &width, &height) : ReadTiffRgb(path);
            ASSERT_EQ(rows.size(), 4u);
            EXPECT_EQ((Rgb{rows[0][3], rows[0][4], rows[0][5]}), PatternColour(1, 3));
        }
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
    for (int line = 0; line < 32; ++line)
        for (int i = 0; i < 48 * 3; ++i)
            total += std::abs(source.CommitLine(line, 0)[i] - dib.CommitLine(line, 0)[i]);
    EXPECT_LE(total / (32 * 48 * 3), 4);
    EXPECT_GT(PixelAt(&dib, 10, 0).b, 200);    // bottom line blue
    EXPECT_GT(PixelAt(&dib, 10, 31).r, 200);   // top line red
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

// Every broken file fails at the information stage with -2 (damaged) or -3
// (a kind of file not read), or there passes (0) and fails when the pixels
// are read; loading fails cleanly and quietly: no crash, no message, no read
// or write outside the buffers.  The files under tests/data/bad come first,
// then files made here from good ones.
TEST_F(CodecTest, BrokenFilesAreRefused) {
    const SampleImage image = MakeSamples(64, 48, 3, 8);
    WritePngSamples(dir.file("good.png"), image);
    WriteJpegSamples(dir.file("good.jpg"), image);
    WriteTiffSamples(dir.file("good.tif"), image);
    WriteTiffHeaderOnly(dir.file("huge.tif"), 70000, 70000);
    WriteTiffHeaderOnly(dir.file("nodata.tif"), 10, 10);
    const Bytes png = ReadBytes(dir.file("good.png"));
    const Bytes jpeg = ReadBytes(dir.file("good.jpg"));
    const Bytes tiff = ReadBytes(dir.file("good.tif"));
    const Bytes garbage(300, 0x5A);
    const Bytes bmp = MakeBmp({.width = 2, .height = 2, .rows = Bytes(16, 7)});
    const auto bmpWith = [&](size_t at, uint32_t value, bool wide = true) {
        Bytes b = bmp;
        wide ? Put32(b, at, value) : Put16(b, at, value);
        return b;
    };
    const auto stored = [](const char* name) { return ReadBytes(std::string(MORVANEL_SOURCE_DIR "/tests/data/bad/") + name); };

    const struct {
        const char* name;
        Bytes bytes;
        int info;
    } cases[] = {
        {"claims-26000-square.png", stored("claims-26000-square.png"), -2},
        {"claims-26000-square-alpha.tif", stored("claims-26000-square-alpha.tif"), -2},
        {"claims-26000-square.jpg", stored("claims-26000-square.jpg"), -2},
        {"claims-26000-square.bmp", stored("claims-26000-square.bmp"), -2},
        {"cut-in-half.png", stored("cut-in-half.png"), 0},
        {"cut-in-half.jpg", stored("cut-in-half.jpg"), -2},
        {"garbled-alpha.tif", stored("garbled-alpha.tif"), 0},
        {"run-length.bmp", stored("run-length.bmp"), -3},
        {"top-down.bmp", stored("top-down.bmp"), -3},
        {"core-header.bmp", stored("core-header.bmp"), -3},
        {"lossless.jpg", stored("lossless.jpg"), -3},
        {"unknown-compression.tif", stored("unknown-compression.tif"), -3},
        {"text-named.png", stored("text-named.png"), -2},
        {"empty.jpg", stored("empty.jpg"), -2},
        {"bmp-empty.bmp", {}, -2},
        {"short file header.bmp", Truncated(bmp, 10), -2},
        {"short info header.bmp", Truncated(bmp, 30), -2},
        {"width 0.bmp", bmpWith(18, 0), -2},
        {"width 2^31.bmp", bmpWith(18, 0x80000000u), -2},
        {"height 0.bmp", bmpWith(22, 0), -2},
        {"top-down.bmp", bmpWith(22, static_cast<uint32_t>(-2)), -3},
        {"stride overflows.bmp", bmpWith(18, 0x7FFFFFFFu), -2},
        {"size overflows.bmp", bmpWith(22, 0x7FFFFFFFu), -2},
        {"more rows than the file.bmp", bmpWith(22, 100000), -2},
        {"last row cut.bmp", Truncated(bmp, bmp.size() - 1), -2},
        {"depth 7.bmp", bmpWith(28, 7, false), -2},
        {"depth 0.bmp", bmpWith(28, 0, false), -2},
        {"run-length compressed.bmp", bmpWith(30, 1), -3},
        {"masks on 24 bits.bmp", bmpWith(30, 3), -3},
        {"header of 12 bytes.bmp", bmpWith(14, 12), -3},
        {"header of 108 bytes, file too short for it.bmp", bmpWith(14, 108), -2},
        {"palette beyond the file.bmp", bmpWith(46, 0x40000000u), -2},
        {"palette cut.bmp", MakeBmp({.width = 1, .height = 1, .bits = 8, .palette = DistinctPalette(100)}), -2},
        {"empty.png", {}, -2},
        {"garbage.png", garbage, -2},
        {"signature only.png", Truncated(png, 8), -2},
        {"header checksum.png", Flipped(png, 30), -2},
        {"pixel data.png", Flipped(png, png.size() / 2), 0},
        {"24-bit size beyond 32 bits.png", PngResized(png, 1000000, 1000000), -2},
        {"garbage.jpg", garbage, -2},
        {"cut at 20 bytes.jpg", Truncated(jpeg, 20), -2},
        {"cut in half.jpg", Truncated(jpeg, jpeg.size() / 2), 0},
        {"65000 square.jpg", JpegResized(jpeg, 65000, 65000), -2},
        {"empty.tif", {}, -2},
        {"garbage.tif", garbage, -2},
        {"directory cut off.tif", Truncated(tiff, tiff.size() / 2), -2},
        {"70000 square.tif", ReadBytes(dir.file("huge.tif")), -2},
        {"no pixel data.tif", ReadBytes(dir.file("nodata.tif")), -2},
    };
    ::testing::internal::CaptureStderr();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(std::string("broken-") + c.name);
        WriteBytes(path, c.bytes);
        ImageFileWorkSt work;
        EXPECT_EQ(ImageFile_Info(path.c_str(), &work), c.info);
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

// Grey and ink JPEGs load as 24-bit colour.  The ink picture's left half is
// cyan and yellow ink, no black (green); its right half only half the black
// ink (mid grey).  Ink samples are stored inverted.
TEST_F(CodecTest, GreyAndCmykJpegsLoadAsRgb) {
    SampleImage grey = MakeSamples(16, 16, 1, 8);
    for (auto& row : grey.rows) std::fill(row.begin(), row.end(), 90);
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
    const struct { const char* name; const SampleImage& image; uint32_t fileBits; int x; Rgb colour; } cases[] = {
        {"grey.jpg", grey, 8, 5, {90, 90, 90}},
        {"ink.jpg", ink, 32, 2, {0, 255, 0}},
        {"ink.jpg", ink, 32, 12, {128, 128, 128}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " at " << c.x);
        WriteJpegSamples(dir.file(c.name), c.image);
        ImageFileWorkSt work;
        ASSERT_EQ(ImageFile(&dib).GetInfo(dir.file(c.name).c_str(), &work), 1);
        EXPECT_EQ(work.image.bitsPerPixel, c.fileBits);
        ASSERT_EQ(Load(dir.file(c.name)), 1);
        ASSERT_EQ(dib.GetBitsPerPixel(), 24);
        const Rgb got = PixelAt(&dib, c.x, 3);
        if (c.image.channels == 1) {
            EXPECT_EQ(got.r, got.g);
            EXPECT_EQ(got.g, got.b);
        }
        EXPECT_NEAR(got.r, c.colour.r, 4);
        EXPECT_NEAR(got.g, c.colour.g, 4);
        EXPECT_NEAR(got.b, c.colour.b, 4);
    }
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
