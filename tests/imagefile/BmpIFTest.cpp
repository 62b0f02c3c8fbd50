// BMP reading and writing through the public front ends, with files built
// byte by byte so that every header field is under the test's control.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ImageFile.h"
#include "ImageFileTestSupport.h"
#include "TempDir.h"

using namespace imagefile_test;

namespace {

std::vector<int32_t> progressCalls;
int32_t RecordProgress(int32_t percent) {
    progressCalls.push_back(percent);
    return 0;
}

Bytes PaletteOf(DibEx* dib) {
    const auto* p = reinterpret_cast<const uint8_t*>(dib->CommitPalette());
    return Bytes(p, p + dib->GetPaletteSize());
}

Bytes RowOf(DibEx* dib, int line) {
    const uint8_t* p = dib->CommitLine(line, 0);
    return Bytes(p, p + dib->GetStride());
}

class BmpTest : public ::testing::Test {
protected:
    std::string Store(const std::string& name, const Bytes& bytes) {
        const std::string path = dir.file(name);
        WriteBytes(path, bytes);
        return path;
    }
    morvanel_test::TempDir dir;
    DibEx dib;
};

TEST_F(BmpTest, EightBitWithoutColourCountReadsFullPaletteThenRows) {
    BmpLayout layout{.width = 3, .height = 2, .bits = 8, .palette = DistinctPalette(256),
                 .rows = {0, 1, 2, 0xEE, 253, 254, 255, 0xEE}};
    const std::string path = Store("full.bmp", MakeBmp(layout));
    ASSERT_EQ(ImageFile(&dib).Load(path.c_str(), 0), 1);
    ASSERT_EQ(dib.GetBitsPerPixel(), 8);
    EXPECT_EQ(PaletteOf(&dib), layout.palette);
    EXPECT_EQ(RowOf(&dib, 0), Bytes({0, 1, 2, 0xEE}));
    EXPECT_EQ(RowOf(&dib, 1), Bytes({253, 254, 255, 0xEE}));

    ASSERT_EQ(ImageFile(&dib).Load(path.c_str(), 1), 1);
    ASSERT_EQ(dib.GetBitsPerPixel(), 24);
    EXPECT_EQ(PixelAt(&dib, 1, 1), (Rgb{127, 1, 254}));
}

TEST_F(BmpTest, ColourCountSixteenReadsSixteenEntriesAndRowsDirectlyBehind) {
    BmpLayout layout{.width = 2, .height = 1, .bits = 8, .coloursUsed = 16, .palette = DistinctPalette(16),
                 .rows = {15, 3, 0, 0}};
    const std::string path = Store("sixteen.bmp", MakeBmp(layout));
    ASSERT_EQ(ImageFile(&dib).Load(path.c_str(), 0), 1);
    const Bytes palette = PaletteOf(&dib);
    EXPECT_TRUE(std::equal(layout.palette.begin(), layout.palette.end(), palette.begin()));
    // Entries the file does not give keep the grey ramp of a new bitmap.
    EXPECT_EQ(Bytes(palette.begin() + 200 * 4, palette.begin() + 201 * 4), Bytes({200, 200, 200, 0}));
    EXPECT_EQ(RowOf(&dib, 0), Bytes({15, 3, 0, 0}));
}

TEST_F(BmpTest, OddWidthRowsArePaddedBottomRowFirstInBlueGreenRedOrder) {
    Bytes rows;
    for (int line = 0; line < 2; ++line) {
        for (int x = 0; x < 3; ++x) {
            const Rgb c = PatternColour(x, line);
            rows.insert(rows.end(), {c.b, c.g, c.r});
        }
        rows.insert(rows.end(), {0xEE, 0xEE, 0xEE});   // 9 bytes padded to 12
    }
    const std::string path = Store("odd.bmp", MakeBmp({.width = 3, .height = 2, .rows = rows}));
    ASSERT_EQ(ImageFile(&dib).Load(path.c_str(), 1), 1);
    EXPECT_EQ(dib.GetStride(), 12);
    for (int line = 0; line < 2; ++line)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(PixelAt(&dib, x, line), PatternColour(x, line));
}

TEST_F(BmpTest, LowDepthsUseTheirDefaultPaletteSizes) {
    // 1 bit, width 10: two palette entries, pixels from the most significant bit.
    BmpLayout mono{.width = 10, .height = 1, .bits = 1, .palette = {0, 0, 0, 0, 10, 20, 30, 0},
                 .rows = {0b10100000, 0b01000000, 0, 0}};
    ASSERT_EQ(ImageFile(&dib).Load(Store("mono.bmp", MakeBmp(mono)).c_str(), 1), 1);
    EXPECT_EQ(PixelAt(&dib, 0, 0), (Rgb{30, 20, 10}));
    EXPECT_EQ(PixelAt(&dib, 1, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(PixelAt(&dib, 9, 0), (Rgb{30, 20, 10}));

    BmpLayout nibbles{.width = 2, .height = 1, .bits = 4, .palette = DistinctPalette(16), .rows = {0x5A, 0, 0, 0}};
    ASSERT_EQ(ImageFile(&dib).Load(Store("nibbles.bmp", MakeBmp(nibbles)).c_str(), 1), 1);
    EXPECT_EQ(PixelAt(&dib, 0, 0), (Rgb{2, 250, 5}));
    EXPECT_EQ(PixelAt(&dib, 1, 0), (Rgb{5, 245, 10}));

    // 16 and 32 bits carry no palette: the rows follow the header.
    BmpLayout high{.width = 1, .height = 1, .bits = 16, .rows = {0xFF, 0x7F, 0, 0}};
    ASSERT_EQ(ImageFile(&dib).Load(Store("high.bmp", MakeBmp(high)).c_str(), 1), 1);
    EXPECT_EQ(PixelAt(&dib, 0, 0), (Rgb{255, 255, 255}));
    BmpLayout full{.width = 1, .height = 1, .bits = 32, .rows = {1, 2, 3, 4}};
    ASSERT_EQ(ImageFile(&dib).Load(Store("full.bmp", MakeBmp(full)).c_str(), 1), 1);
    EXPECT_EQ(PixelAt(&dib, 0, 0), (Rgb{3, 2, 1}));
}

// Palette entries the bitmap has no room for are passed over: the rows
// still follow them in the file.
TEST_F(BmpTest, PaletteEntriesBeyondTheBitmapAreSkipped) {
    BmpLayout hint{.width = 1, .height = 1, .coloursUsed = 2, .palette = DistinctPalette(2), .rows = {9, 8, 7, 0}};
    ASSERT_EQ(ImageFile(&dib).Load(Store("hint.bmp", MakeBmp(hint)).c_str(), 0), 1);
    EXPECT_EQ(PixelAt(&dib, 0, 0), (Rgb{7, 8, 9}));

    BmpLayout extra{.width = 1, .height = 1, .bits = 8, .coloursUsed = 300, .palette = DistinctPalette(300),
                  .rows = {255, 0, 0, 0}};
    ASSERT_EQ(ImageFile(&dib).Load(Store("extra.bmp", MakeBmp(extra)).c_str(), 0), 1);
    EXPECT_EQ(PaletteOf(&dib), DistinctPalette(256));
    EXPECT_EQ(RowOf(&dib, 0), Bytes({255, 0, 0, 0}));
}

TEST_F(BmpTest, ProgressReportsMultiplesOfFiveThenZero) {
    DibEx source;
    FillPattern(&source, 2, 20);
    const std::string tall = dir.file("tall.bmp");
    ASSERT_EQ(ImageFile_Save(nullptr, tall.c_str(), &source, nullptr, nullptr, 0, 70), 1);
    progressCalls.clear();
    ASSERT_EQ(ImageFile_Load(nullptr, tall.c_str(), &dib, nullptr, RecordProgress, 1), 1);
    std::vector<int32_t> expected;
    for (int p = 5; p <= 100; p += 5) expected.push_back(p);
    expected.push_back(0);
    EXPECT_EQ(progressCalls, expected);

    // One line high: 100 and then 0; also after a failed read.
    const std::string flat = Store("flat.bmp", MakeBmp({.rows = {1, 2, 3, 0}}));
    progressCalls.clear();
    ASSERT_EQ(ImageFile_Load(nullptr, flat.c_str(), &dib, nullptr, RecordProgress, 1), 1);
    EXPECT_EQ(progressCalls, std::vector<int32_t>({100, 0}));

    ImageFileWorkSt work;
    work.progress = RecordProgress;
    dib.Setup(2, 1, 24);   // not the file's size
    work.image = {.storage = &dib, .totalSize = 48, .pixelSize = 8, .width = 2, .height = 1, .bytesPerRow = 8,
                  .bytesPerPixel = 3, .bitsPerPixel = 24};
    progressCalls.clear();
    EXPECT_EQ(ImageFile_Read(flat.c_str(), &work), -2);
    EXPECT_EQ(progressCalls, std::vector<int32_t>({0}));
}

TEST_F(BmpTest, InfoAndDispatchResultCodes) {
    ImageFileWorkSt work;
    EXPECT_EQ(ImageFile_Info(dir.file("missing.bmp").c_str(), &work), -1);
    Bytes notBmp = MakeBmp({.rows = {1, 2, 3, 0}});
    notBmp[0] = 'P';
    EXPECT_EQ(ImageFile_Info(Store("x.bmp", notBmp).c_str(), &work), -2);
    const std::string good = Store("good.bmp", MakeBmp({.width = 3, .height = 2, .bits = 8,
                                                         .palette = DistinctPalette(256), .rows = Bytes(8, 1)}));
    ASSERT_EQ(ImageFile_Info(good.c_str(), &work), 0);
    EXPECT_EQ(work.image.width, 3u);
    EXPECT_EQ(work.image.height, 2u);
    EXPECT_EQ(work.image.bitsPerPixel, 8u);
    EXPECT_EQ(ImageFile_Info(dir.file("good.txt").c_str(), &work), -2);
    EXPECT_EQ(ImageFile_Read(dir.file("good.txt").c_str(), &work), -1);
    EXPECT_EQ(ImageFile_Write(dir.file("good.txt").c_str(), &work), -2);
}

TEST_F(BmpTest, WriterCopiesHeaderPaletteAndRowsAsStored) {
    dib.Setup(3, 2, 8);
    auto* palette = reinterpret_cast<uint8_t*>(dib.CommitPalette());
    const Bytes colours = DistinctPalette(256);
    std::memcpy(palette, colours.data(), colours.size());
    std::memcpy(dib.CommitLine(0, 0), "\x01\x02\x03\x00", 4);
    std::memcpy(dib.CommitLine(1, 0), "\x04\x05\x06\x00", 4);
    const Bytes header(dib.GetDib(), dib.GetDib() + 40);
    dib.Decommit();

    const std::string path = dir.file("written.dib");
    ASSERT_EQ(ImageFile(&dib).Save(path.c_str(), 0, 70), 1);
    const Bytes file = ReadBytes(path);
    ASSERT_EQ(file.size(), 14u + 40 + 1024 + 8);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Get32(file, 2), file.size());
    EXPECT_EQ(Get32(file, 6), 0u);
    EXPECT_EQ(Get32(file, 10), 14u + 40 + 1024);
    EXPECT_EQ(Bytes(file.begin() + 14, file.begin() + 54), header);
    EXPECT_EQ(Bytes(file.begin() + 54, file.begin() + 54 + 1024), colours);
    EXPECT_EQ(Bytes(file.end() - 8, file.end()), Bytes({1, 2, 3, 0, 4, 5, 6, 0}));

    DibEx back;
    ASSERT_EQ(ImageFile(&back).Load(path.c_str(), 0), 1);
    EXPECT_EQ(PaletteOf(&back), colours);
    EXPECT_EQ(RowOf(&back, 1), Bytes({4, 5, 6, 0}));
}

TEST_F(BmpTest, TwentyFourBitRoundTripIsExact) {
    FillPattern(&dib, 5, 3);
    const std::string path = dir.file("round.tmp");
    ASSERT_EQ(ImageFile(&dib).Save(path.c_str(), 0, 70), 1);
    DibEx back;
    ASSERT_EQ(ImageFile(&back).Load(path.c_str(), 1), 1);
    ASSERT_EQ(back.GetWidth(), 5);
    for (int line = 0; line < 3; ++line) EXPECT_EQ(RowOf(&back, line), RowOf(&dib, line));
}

// A BMP with a longer information header: colour masks (red, green, blue,
// alpha) at offset 40 of the header, and `gap` bytes between the header and
// the rows that the pixel offset points past.
Bytes MakeLongHeaderBmp(uint32_t headerSize, int32_t width, int32_t height, uint16_t bits, uint32_t compression,
                        const uint32_t (&masks)[4], const Bytes& rows, uint32_t gap = 0) {
    Bytes b(14 + headerSize, 0);
    b[0] = 'B';
    b[1] = 'M';
    const uint32_t offset = 14 + headerSize + gap;
    Put32(b, 2, offset + static_cast<uint32_t>(rows.size()));
    Put32(b, 10, offset);
    Put32(b, 14, headerSize);
    Put32(b, 18, static_cast<uint32_t>(width));
    Put32(b, 22, static_cast<uint32_t>(height));
    Put16(b, 26, 1);
    Put16(b, 28, bits);
    Put32(b, 30, compression);
    for (int i = 0; i < 4; ++i) Put32(b, 54 + 4 * i, masks[i]);
    b.insert(b.end(), gap, 0xCC);
    b.insert(b.end(), rows.begin(), rows.end());
    return b;
}

// The longer headers that image tools write today: their masks place each
// channel, whatever order and width they give it.
TEST_F(BmpTest, LongerHeadersWithColourMasksAreRead) {
    // 32 bits, red in the low byte, alpha on top: one pixel (r 10, g 20, b 30).
    const uint32_t rgba[4] = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
    // 16 bits 5-6-5: white, and pure green at full strength.
    const uint32_t r5g6b5[4] = {0xF800, 0x07E0, 0x001F, 0};
    const struct {
        const char* name;
        Bytes file;
        std::vector<Rgb> expected;
    } cases[] = {
        {"124 bytes, 32 bits", MakeLongHeaderBmp(124, 1, 1, 32, 3, rgba, {10, 20, 30, 128}), {{10, 20, 30}}},
        {"108 bytes, 32 bits, gap before the rows", MakeLongHeaderBmp(108, 1, 1, 32, 3, rgba, {10, 20, 30, 0}, 6),
         {{10, 20, 30}}},
        {"124 bytes, 16 bits 5-6-5", MakeLongHeaderBmp(124, 2, 1, 16, 3, r5g6b5, {0xFF, 0xFF, 0xE0, 0x07}),
         {{255, 255, 255}, {0, 255, 0}}},
        {"124 bytes without masks", MakeLongHeaderBmp(124, 1, 1, 24, 0, rgba, {1, 2, 3, 0}), {{3, 2, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Store("long.bmp", c.file);
        ASSERT_EQ(ImageFile(&dib).Load(path.c_str(), 1), 1);
        for (size_t x = 0; x < c.expected.size(); ++x) EXPECT_EQ(PixelAt(&dib, static_cast<int>(x), 0), c.expected[x]);
    }

    // Masks after a 40-byte header: 16 bits with 5-5-5 masks in the order
    // blue high, red low.
    Bytes masked = MakeBmp({.width = 1, .height = 1, .bits = 16, .compression = 3,
                            .rows = {0x00, 0x7C, 0, 0}});   // pixel 0x7C00
    const uint8_t masks[12] = {0x1F, 0, 0, 0, 0xE0, 0x03, 0, 0, 0x00, 0x7C, 0, 0};
    masked.insert(masked.begin() + 54, masks, masks + 12);
    ASSERT_EQ(ImageFile(&dib).Load(Store("masked.bmp", masked).c_str(), 1), 1);
    EXPECT_EQ(PixelAt(&dib, 0, 0), (Rgb{0, 0, 255}));

    // A mask with a hole in it is no mask.
    const uint32_t holed[4] = {0x00FF00FF, 0x0000FF00, 0x00FF0000, 0};
    ImageFileWorkSt work;
    EXPECT_EQ(ImageFile_Info(Store("holed.bmp", MakeLongHeaderBmp(124, 1, 1, 32, 3, holed, {0, 0, 0, 0})).c_str(),
                             &work),
              -2);
}

// Every broken header fails at the information stage with -2 (damaged) or
// -3 (a kind of BMP not read), and loading it fails cleanly: no crash, no
// read or write outside the buffers.
TEST_F(BmpTest, BrokenFilesAreRefused) {
    const Bytes good = MakeBmp({.width = 2, .height = 2, .rows = Bytes(16, 7)});
    auto patched = [&](size_t at, uint32_t value) {
        Bytes b = good;
        Put32(b, at, value);
        return b;
    };
    auto withBits = [&](uint16_t bits) {
        Bytes b = good;
        Put16(b, 28, bits);
        return b;
    };
    const struct {
        const char* name;
        Bytes bytes;
        int code = -2;
    } cases[] = {
        {"empty", {}},
        {"short file header", Bytes(good.begin(), good.begin() + 10)},
        {"short info header", Bytes(good.begin(), good.begin() + 30)},
        {"width 0", patched(18, 0)},
        {"width 2^31", patched(18, 0x80000000u)},
        {"height 0", patched(22, 0)},
        {"top-down", patched(22, static_cast<uint32_t>(-2)), -3},
        {"stride overflows", patched(18, 0x7FFFFFFFu)},
        {"size overflows", patched(22, 0x7FFFFFFFu)},
        {"more rows than the file", patched(22, 100000)},
        {"last row cut", Bytes(good.begin(), good.end() - 1)},
        {"depth 7", withBits(7)},
        {"depth 0", withBits(0)},
        {"run-length compressed", patched(30, 1), -3},
        {"masks on 24 bits", patched(30, 3), -3},
        {"header of 12 bytes", patched(14, 12), -3},
        {"header of 108 bytes, file too short for it", patched(14, 108)},
        {"palette beyond the file", patched(46, 0x40000000u)},
        {"palette cut", MakeBmp({.width = 1, .height = 1, .bits = 8, .palette = DistinctPalette(100)})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Store("broken.bmp", c.bytes);
        ImageFileWorkSt work;
        EXPECT_EQ(ImageFile_Info(path.c_str(), &work), c.code);
        EXPECT_EQ(ImageFile(&dib).Load(path.c_str(), 1), 0);
    }
}

// The reader checks the file on its own, whatever the caller learnt before.
TEST_F(BmpTest, ReaderRefusesFileTruncatedAfterInfo) {
    const std::string path = Store("cut.bmp", MakeBmp({.width = 2, .height = 2, .rows = Bytes(16, 7)}));
    ImageFileWorkSt work;
    ASSERT_EQ(ImageFile_Info(path.c_str(), &work), 0);
    dib.Setup(2, 2, 24);
    work.image = {.storage = &dib, .totalSize = 56, .pixelSize = 16, .width = 2, .height = 2, .bytesPerRow = 8,
                  .bytesPerPixel = 3, .bitsPerPixel = 24};
    Bytes cut = ReadBytes(path);
    cut.erase(cut.end() - 3, cut.end());
    WriteBytes(path, cut);
    EXPECT_EQ(ImageFile_Read(path.c_str(), &work), -2);
    work.image.totalSize = 1 << 20;   // a description larger than its bitmap
    WriteBytes(path, MakeBmp({.width = 2, .height = 2, .rows = Bytes(16, 7)}));
    EXPECT_EQ(ImageFile_Read(path.c_str(), &work), -2);
}

}  // namespace
