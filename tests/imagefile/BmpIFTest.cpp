// BMP reading and writing through the public front ends, with files built
// byte by byte so that every header field is under the test's control.
#include <gtest/gtest.h>

#include <array>
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

// Files read as 24 bits: each row names pixels (x, line) and their colours.
TEST_F(BmpTest, EveryDepthAndHeaderReadsAs24Bit) {
    const std::array<uint32_t, 4> rgba = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
    const std::array<uint32_t, 4> r5g6b5 = {0xF800, 0x07E0, 0x001F, 0};
    // 16 bits with 5-5-5 masks after a 40-byte header, blue high, red low.
    Bytes masked = MakeBmp({.bits = 16, .compression = 3, .rows = {0x00, 0x7C, 0, 0}});  // pixel 0x7C00
    const uint8_t masks[12] = {0x1F, 0, 0, 0, 0xE0, 0x03, 0, 0, 0x00, 0x7C, 0, 0};
    masked.insert(masked.begin() + 54, masks, masks + 12);
    struct Pixel {
        int x, line;
        Rgb colour;
    };
    const struct {
        const char* name;
        Bytes file;
        std::vector<Pixel> expected;
    } cases[] = {
        {"8 bits, no colour count: 256 entries",
         MakeBmp({.width = 3, .height = 2, .bits = 8, .palette = DistinctPalette(256),
                  .rows = {0, 1, 2, 0xEE, 253, 254, 255, 0xEE}}),
         {{1, 1, {127, 1, 254}}}},
        // 3 pixels of 3 bytes padded to 12, bottom row first, blue green red.
        {"odd width",
         MakeBmp({.width = 3, .height = 2, .rows = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 0xEE, 0xEE,
                                                    11, 12, 13, 14, 15, 16, 17, 18, 19, 0xEE, 0xEE, 0xEE}}),
         {{0, 0, {3, 2, 1}}, {2, 0, {9, 8, 7}}, {0, 1, {13, 12, 11}}, {2, 1, {19, 18, 17}}}},
        // Two palette entries, pixels from the most significant bit; the
        // padding bits after pixel 9 are set and ignored.
        {"1 bit, width 10",
         MakeBmp({.width = 10, .bits = 1, .palette = {0, 0, 0, 0, 10, 20, 30, 0},
                  .rows = {0b10100000, 0b01111111, 0xFF, 0xFF}}),
         {{0, 0, {30, 20, 10}}, {1, 0, {0, 0, 0}}, {8, 0, {0, 0, 0}}, {9, 0, {30, 20, 10}}}},
        {"4 bits", MakeBmp({.width = 2, .bits = 4, .palette = DistinctPalette(16), .rows = {0x5A, 0, 0, 0}}),
         {{0, 0, {2, 250, 5}}, {1, 0, {5, 245, 10}}}},
        // 16 and 32 bits carry no palette: the rows follow the header.
        // 5-5-5 channels widened by c * 255 / 31, truncated; the top bit is ignored.
        {"16 bits", MakeBmp({.width = 2, .bits = 16, .rows = {0xFF, 0x7F, 0x1E, 0x86}}),
         {{0, 0, {255, 255, 255}}, {1, 0, {8, 131, 246}}}},
        {"32 bits", MakeBmp({.bits = 32, .rows = {1, 2, 3, 4}}), {{0, 0, {3, 2, 1}}}},
        // Palette entries the bitmap has no room for are passed over; a
        // short palette leaves the grey ramp of a new bitmap behind it.
        {"24 bits with a colour count", MakeBmp({.coloursUsed = 2, .palette = DistinctPalette(2), .rows = {9, 8, 7, 0}}),
         {{0, 0, {7, 8, 9}}}},
        {"8 bits, colour count 300", MakeBmp({.bits = 8, .coloursUsed = 300, .palette = DistinctPalette(300),
                                              .rows = {255, 0, 0, 0}}),
         {{0, 0, {127, 0, 255}}}},
        {"8 bits, colour count 16", MakeBmp({.width = 2, .bits = 8, .coloursUsed = 16, .palette = DistinctPalette(16),
                                             .rows = {15, 200, 0, 0}}),
         {{0, 0, {7, 240, 15}}, {1, 0, {200, 200, 200}}}},
        // The longer headers that image tools write today: their masks place
        // each channel, whatever order and width they give it.
        {"124 bytes, 32 bits",
         MakeBmp({.bits = 32, .headerSize = 124, .compression = 3, .rows = {10, 20, 30, 128}, .masks = rgba}),
         {{0, 0, {10, 20, 30}}}},
        {"108 bytes, 32 bits, gap before the rows",
         MakeBmp({.bits = 32, .headerSize = 108, .compression = 3, .rows = {10, 20, 30, 0}, .masks = rgba, .gap = 6}),
         {{0, 0, {10, 20, 30}}}},
        {"124 bytes, 16 bits 5-6-5",
         MakeBmp({.width = 2, .bits = 16, .headerSize = 124, .compression = 3, .rows = {0xFF, 0xFF, 0xE0, 0x07},
                  .masks = r5g6b5}),
         {{0, 0, {255, 255, 255}}, {1, 0, {0, 255, 0}}}},
        {"124 bytes without masks", MakeBmp({.headerSize = 124, .rows = {1, 2, 3, 0}, .masks = rgba}),
         {{0, 0, {3, 2, 1}}}},
        {"masks after a 40-byte header", masked, {{0, 0, {0, 0, 255}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(ImageFile(&dib).Load(Store("in.bmp", c.file).c_str(), 1), 1);
        ASSERT_EQ(dib.GetBitsPerPixel(), 24);
        for (const Pixel& p : c.expected) EXPECT_EQ(PixelAt(&dib, p.x, p.line), p.colour) << p.x << ", " << p.line;
    }
    // A mask with a hole in it is no mask.
    const Bytes holed = MakeBmp({.bits = 32, .headerSize = 124, .compression = 3, .rows = {0, 0, 0, 0},
                                 .masks = {0x00FF00FF, 0x0000FF00, 0x00FF0000, 0}});
    ImageFileWorkSt work;
    EXPECT_EQ(ImageFile_Info(Store("holed.bmp", holed).c_str(), &work), -2);
}

TEST_F(BmpTest, ProgressReportsMultiplesOfFiveThenZero) {
    const std::string tall = SavePattern(dir, "tall.bmp", 2, 20);
    progressCalls.clear();
    ASSERT_EQ(ImageFile_Load(nullptr, tall.c_str(), &dib, nullptr, RecordProgress, 1), 1);
    std::vector<int32_t> expected;
    for (int p = 5; p <= 100; p += 5) expected.push_back(p);
    expected.push_back(0);
    EXPECT_EQ(progressCalls, expected);

    // A failed read reports 0 as well.
    const std::string flat = Store("flat.bmp", MakeBmp({.rows = {1, 2, 3, 0}}));
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
    EXPECT_EQ(std::memcmp(back.CommitPalette(), colours.data(), colours.size()), 0);
    EXPECT_EQ(std::memcmp(back.CommitLine(1, 0), "\x04\x05\x06", 3), 0);
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
