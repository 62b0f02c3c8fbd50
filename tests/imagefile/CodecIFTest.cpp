// PNG, TIFF and JPEG files: every depth and colour type loads as a 24-bit
// bitmap (line 0 the bottom row, blue, green, red), written files read back
// exactly, and damaged files fail quietly.  The files under tests/data/codec
// were written by the reference libraries (see the README there).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "ImageFile.h"
#include "ImageFileTestSupport.h"
#include "TempDir.h"

using namespace imagefile_test;

namespace {

std::string Fixture(const std::string& name) { return MORVANEL_SOURCE_DIR "/tests/data/" + name; }

// The colour that the fixture of `channels` samples of `bitDepth` bits holds
// at (x, y), y counted from the top: level (x * 53 + y * 31 + c * 97) % 256
// of channel c scaled to the depth, read back as 8 bits; grey is the first
// channel; alpha (x odd: 0) leaves the colour as it is.
Rgb FixtureColour(int channels, int bitDepth, uint32_t x, uint32_t y) {
    const int maxValue = (1 << bitDepth) - 1;
    auto level = [&](int c) {
        const int v = static_cast<int>((x * 53 + y * 31 + c * 97) % 256);
        return static_cast<uint8_t>(v * maxValue / 255 * 255 / maxValue);
    };
    if (channels <= 2) return {level(0), level(0), level(0)};
    return {level(0), level(1), level(2)};
}

class CodecTest : public ::testing::Test {
protected:
    int Load(const std::string& path) { return ImageFile(&dib).Load(path.c_str(), 1); }
    morvanel_test::TempDir dir;
    DibEx dib;
};

TEST_F(CodecTest, PngAndTiffOfEveryDepthAndColourTypeLoadAs24Bit) {
    const struct {
        const char* name;
        int channels, bitDepth;
    } cases[] = {
        {"grey-8.png", 1, 8},      {"grey-16.png", 1, 16}, {"grey-alpha-8.png", 2, 8},
        {"rgb-8.png", 3, 8},       {"rgb-16.png", 3, 16},  {"rgba-8.png", 4, 8},
        {"rgba-16.png", 4, 16},    {"grey-2.png", 1, 2},   {"interlaced-rgba-16.png", 4, 16},
        {"grey-16.tif", 1, 16},    {"grey-alpha-8.tif", 2, 8}, {"rgb-8.tif", 3, 8},
        {"rgba-16.tif", 4, 16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Load(Fixture(std::string("codec/") + c.name)), 1);
        ASSERT_EQ(dib.GetBitsPerPixel(), 24);
        ASSERT_EQ(dib.GetWidth(), 7);
        ASSERT_EQ(dib.GetHeight(), 5);
        for (uint32_t y = 0; y < 5; ++y)
            for (uint32_t x = 0; x < 7; ++x)
                ASSERT_EQ(PixelAt(&dib, static_cast<int>(x), static_cast<int>(4 - y)),
                          FixtureColour(c.channels, c.bitDepth, x, y))
                    << "pixel " << x << ", row " << y;
    }
    // A 4-bit palette whose entries 0 and 1 are transparent keeps their colours.
    ASSERT_EQ(Load(Fixture("codec/palette-4.png")), 1);
    EXPECT_EQ(PixelAt(&dib, 0, 1), (Rgb{255, 0, 0}));
    EXPECT_EQ(PixelAt(&dib, 2, 1), (Rgb{0, 0, 255}));
    EXPECT_EQ(PixelAt(&dib, 0, 0), (Rgb{10, 20, 30}));
}

// Written files read back exactly as the bitmap that was saved; the readers
// are held to the reference files above, so this also fixes the writers'
// row order and channels.
TEST_F(CodecTest, RoundTripsAreExact) {
    for (const char* name : {"out.png", "out.ping", "out.tif", "out.tiff", "out.tmp"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(Load(SavePattern(dir, name, 5, 4)), 1);
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

// Every broken file fails at the information stage with -2 (damaged) or -3
// (a kind of file not read), or there passes (0) and fails when the pixels
// are read; loading fails cleanly and quietly: no crash, no message, no read
// or write outside the buffers.  The files under tests/data/bad come first,
// then files made here from good ones.
TEST_F(CodecTest, BrokenFilesAreRefused) {
    const Bytes png = ReadBytes(SavePattern(dir, "good.png", 64, 48));
    const Bytes jpeg = ReadBytes(SavePattern(dir, "good.jpg", 64, 48));
    const Bytes tiff = ReadBytes(SavePattern(dir, "good.tif", 64, 48));
    const Bytes garbage(300, 0x5A);
    const Bytes bmp = MakeBmp({.width = 2, .height = 2, .rows = Bytes(16, 7)});
    const auto bmpWith = [&](size_t at, uint32_t value, bool wide = true) {
        Bytes b = bmp;
        wide ? Put32(b, at, value) : Put16(b, at, value);
        return b;
    };
    const struct {
        const char* name;
        Bytes bytes;  // written here unless tests/data/bad holds the file
        int info;
    } cases[] = {
        {"claims-26000-square.png", {}, -2},
        {"claims-26000-square-alpha.tif", {}, -2},
        {"claims-26000-square.jpg", {}, -2},
        {"claims-26000-square.bmp", {}, -2},
        {"cut-in-half.png", {}, 0},
        {"cut-in-half.jpg", {}, -2},
        {"garbled-alpha.tif", {}, 0},
        {"run-length.bmp", {}, -3},
        {"top-down.bmp", {}, -3},
        {"core-header.bmp", {}, -3},
        {"lossless.jpg", {}, -3},
        {"unknown-compression.tif", {}, -3},
        {"text-named.png", {}, -2},
        {"empty.jpg", {}, -2},
        {"empty.bmp", {}, -2},
        {"short info header.bmp", Truncated(bmp, 30), -2},
        {"width 0.bmp", bmpWith(18, 0), -2},
        {"height 0.bmp", bmpWith(22, 0), -2},
        {"size overflows.bmp", bmpWith(22, 0x7FFFFFFFu), -2},
        {"last row cut.bmp", Truncated(bmp, bmp.size() - 1), -2},
        {"depth 7.bmp", bmpWith(28, 7, false), -2},
        {"masks on 24 bits.bmp", bmpWith(30, 3), -3},
        {"header of 108 bytes, file too short for it.bmp", bmpWith(14, 108), -2},
        {"palette beyond the file.bmp", bmpWith(46, 0x40000000u), -2},
        {"garbage.png", garbage, -2},
        {"signature only.png", Truncated(png, 8), -2},
        {"header checksum.png", Flipped(png, 30), -2},
        {"pixel data.png", Flipped(png, png.size() / 2), 0},
        {"cut at 20 bytes.jpg", Truncated(jpeg, 20), -2},
        {"cut in half.jpg", Truncated(jpeg, jpeg.size() / 2), 0},
        {"empty.tif", {}, -2},
        {"directory cut off.tif", Truncated(tiff, tiff.size() / 2), -2},
    };
    ::testing::internal::CaptureStderr();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = Fixture(std::string("bad/") + c.name);
        if (!std::filesystem::exists(path)) {
            path = dir.file(std::string("broken-") + c.name);
            WriteBytes(path, c.bytes);
        }
        ImageFileWorkSt work;
        EXPECT_EQ(ImageFile_Info(path.c_str(), &work), c.info);
        EXPECT_EQ(Load(path), 0);
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

// Files packed as tightly as their compression allows still load: the
// size checks only refuse what no file of that size can hold.
TEST_F(CodecTest, TightlyPackedLargeFilesPassTheSizeChecks) {
    DibEx flat;
    flat.Setup(2000, 1500, 24);
    for (const char* name : {"flat.png", "flat.jpg"})
        ASSERT_EQ(ImageFile(&flat).Save(dir.file(name).c_str(), 0, 70), 1);
    for (const std::string& path : {dir.file("flat.png"), dir.file("flat.jpg"), Fixture("codec/flat-lzw.tif"),
                                    Fixture("codec/flat-deflate.tif")}) {
        SCOPED_TRACE(path);
        ImageFileWorkSt work;
        ASSERT_EQ(ImageFile_Info(path.c_str(), &work), 0);
        EXPECT_EQ(work.image.width, 2000u);
    }
}

// Ink JPEGs load as 24-bit colour.  The picture's left half is cyan and
// yellow ink, no black (green); its right half only half the black ink (mid
// grey).  Ink samples are stored inverted.
TEST_F(CodecTest, CmykJpegLoadsAsRgb) {
    ImageFileWorkSt work;
    ASSERT_EQ(ImageFile(&dib).GetInfo(Fixture("codec/ink.jpg").c_str(), &work), 1);
    EXPECT_EQ(work.image.bitsPerPixel, 32u);
    ASSERT_EQ(Load(Fixture("codec/ink.jpg")), 1);
    ASSERT_EQ(dib.GetBitsPerPixel(), 24);
    for (const auto& [x, colour] : {std::pair{2, Rgb{0, 255, 0}}, std::pair{12, Rgb{128, 128, 128}}}) {
        const Rgb got = PixelAt(&dib, x, 3);
        EXPECT_NEAR(got.r, colour.r, 4) << x;
        EXPECT_NEAR(got.g, colour.g, 4) << x;
        EXPECT_NEAR(got.b, colour.b, 4) << x;
    }
}

// (100, 50, 20) at alpha 128 is stored as (50, 25, 10); a transparent pixel
// stays black; an opaque one is unchanged.
TEST_F(CodecTest, PremultipliedTiffColoursAreDividedBack) {
    ASSERT_EQ(Load(Fixture("codec/premultiplied.tif")), 1);
    EXPECT_EQ(PixelAt(&dib, 0, 0), (Rgb{100, 50, 20}));
    EXPECT_EQ(PixelAt(&dib, 1, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(PixelAt(&dib, 2, 0), (Rgb{7, 8, 9}));
}

}  // namespace
