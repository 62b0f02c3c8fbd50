#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "DibEx.h"

namespace {

void ExpectThrowsMinusOne(DibEx& dib, int32_t width, int32_t height, int32_t bits) {
    try {
        dib.Setup(width, height, bits);
        FAIL() << width << " x " << height << " at " << bits << " bits must be refused";
    } catch (int code) {
        EXPECT_EQ(code, -1);
    }
    EXPECT_EQ(dib.IsValid(), 0);
    EXPECT_EQ(dib.CommitAll(), nullptr);
}

void SetBgr(DibEx& dib, int32_t line, int32_t x, uint8_t b, uint8_t g, uint8_t r) {
    uint8_t* p = dib.CommitLine(line, x);
    p[0] = b;
    p[1] = g;
    p[2] = r;
}

void ExpectBgr(DibEx& dib, int32_t line, int32_t x, int b, int g, int r) {
    const uint8_t* p = dib.CommitLine(line, x);
    EXPECT_EQ(p[0], b) << "line " << line << " x " << x;
    EXPECT_EQ(p[1], g) << "line " << line << " x " << x;
    EXPECT_EQ(p[2], r) << "line " << line << " x " << x;
}

}  // namespace

TEST(DibExSetup, StridesAreLinesPaddedToFourBytes) {
    DibEx dib;
    dib.Setup(1, 1, 24);
    EXPECT_EQ(dib.GetStride(), 4);
    dib.Setup(3, 2, 24);
    EXPECT_EQ(dib.GetStride(), 12);
    EXPECT_EQ(dib.GetPixelSize(), 24);
    EXPECT_EQ(dib.GetTotalSize(), 40 + 24);
    dib.Setup(9, 1, 1);
    EXPECT_EQ(dib.GetStride(), 4);
    EXPECT_EQ(dib.GetPaletteSize(), 8);
    dib.Setup(5, 1, 16);
    EXPECT_EQ(dib.GetStride(), 12);
    EXPECT_EQ(dib.GetBytesPerPixel(), 2);
    EXPECT_EQ(BmpWidth(9), 12);
    EXPECT_EQ(BmpWidth(8), 8);
}

TEST(DibExSetup, HeaderDescribesTheBitmap) {
    DibEx dib;
    dib.Setup(7, 3, 8);
    const BITMAPINFOHEADER* head = dib.CommitHead();
    EXPECT_EQ(head->biSize, 40u);
    EXPECT_EQ(head->biWidth, 7);
    EXPECT_EQ(head->biHeight, 3);
    EXPECT_EQ(head->biPlanes, 1);
    EXPECT_EQ(head->biBitCount, 8);
    EXPECT_EQ(head->biCompression, 0u);
    EXPECT_EQ(head->biXPelsPerMeter, 3937);
    EXPECT_EQ(head->biYPelsPerMeter, 3937);
    EXPECT_EQ(head->biClrUsed, 0u);
    EXPECT_EQ(dib.GetResolution(), 100);
    EXPECT_EQ(dib.GetTotalSize(), 40 + 1024 + 3 * 8);
    EXPECT_EQ(dib.GetDibBit(), dib.GetDib() + 40 + 1024);
}

TEST(DibExSetup, GreyPalettes) {
    DibEx dib;
    dib.Setup(1, 1, 1);
    const RGBQUAD* palette = dib.CommitPalette();
    EXPECT_EQ(palette[0].rgbRed, 0);
    EXPECT_EQ(palette[1].rgbRed, 128);
    EXPECT_EQ(palette[1].rgbGreen, 128);
    EXPECT_EQ(palette[1].rgbBlue, 128);
    EXPECT_EQ(palette[1].rgbReserved, 0);
    dib.Setup(1, 1, 4);
    EXPECT_EQ(dib.CommitPalette()[15].rgbGreen, 240);
    dib.Setup(1, 1, 8);
    EXPECT_EQ(dib.CommitPalette()[255].rgbBlue, 255);
    EXPECT_EQ(dib.CommitPalette()[77].rgbRed, 77);
    dib.Setup(1, 1, 24);
    EXPECT_EQ(dib.GetColorCount(), 0);
    EXPECT_EQ(dib.CommitPalette(), nullptr);
}

TEST(DibExSetup, SizesBelowOneOrUnknownDepthsLeaveItInvalid) {
    DibEx dib;
    dib.Setup(4, 4, 24);
    dib.Setup(0, 5, 24);
    EXPECT_EQ(dib.IsValid(), 0);
    EXPECT_EQ(dib.GetWidth(), 0);
    dib.Setup(5, 0, 24);
    EXPECT_EQ(dib.IsValid(), 0);
    dib.Setup(-3, 5, 8);
    EXPECT_EQ(dib.IsValid(), 0);
    dib.Setup(INT32_MIN, 5, 8);  // 2^31 read as a signed width
    EXPECT_EQ(dib.IsValid(), 0);
    dib.Setup(5, 5, 7);
    EXPECT_EQ(dib.IsValid(), 0);
    EXPECT_EQ(dib.CommitLine(0, 0), nullptr);
    EXPECT_EQ(dib.ConvertTo24(), 0);
    dib.Fill(3);  // does nothing, does not crash
}

TEST(DibExSetup, SizesBeyondThirtyTwoBitsThrowInsteadOfWrapping) {
    DibEx dib;
    ExpectThrowsMinusOne(dib, INT32_MAX, 1, 32);   // stride beyond 2^31
    ExpectThrowsMinusOne(dib, 65536, 65536, 8);    // 2^32 bytes, wraps to 0 in 32 bits
    ExpectThrowsMinusOne(dib, 40000, 40000, 24);   // 4.8e9 bytes
    ExpectThrowsMinusOne(dib, 1, INT32_MAX, 24);
}

TEST(DibExLines, CommitLineAddressesBottomUpLinesAndRefusesOutsiders) {
    DibEx dib;
    dib.Setup(3, 4, 24);
    uint8_t* pixels = dib.GetDibBit();
    EXPECT_EQ(dib.CommitLine(0, 0), pixels);
    EXPECT_EQ(dib.CommitLine(2, 1), pixels + 2 * 12 + 3);
    EXPECT_EQ(dib.CommitLine(2, 2), pixels + 2 * 12 + 6);  // from the one-line cache
    EXPECT_EQ(dib.CommitLine(2, 3), nullptr);
    EXPECT_EQ(dib.CommitLine(2, -1), nullptr);
    EXPECT_EQ(dib.CommitLine(4, 0), nullptr);
    EXPECT_EQ(dib.CommitLine(-1, 0), nullptr);
    EXPECT_EQ(dib.CommitLine(3, 0), pixels + 36);
    EXPECT_EQ(dib.CommitBlock(1, 1, 1), pixels + 12 + 3);
    EXPECT_EQ(dib.CommitBlock(0, 5, 0), pixels);
    EXPECT_EQ(dib.CommitBlock(4, 1, 0), nullptr);
}

TEST(DibExLines, SubBytePixelsAddressBytesWithinTheLine) {
    DibEx dib;
    dib.Setup(20, 2, 1);  // stride 4
    EXPECT_NE(dib.CommitLine(1, 3), nullptr);
    EXPECT_EQ(dib.CommitLine(1, 4), nullptr);
}

TEST(DibExFill, EightBitFillsThePaddingToo) {
    DibEx dib;
    dib.Setup(3, 2, 8);
    dib.Fill(0x1AB);
    const uint8_t* pixels = dib.GetDibBit();
    for (int i = 0; i < dib.GetPixelSize(); ++i) EXPECT_EQ(pixels[i], 0xAB) << i;
}

TEST(DibExFill, SixteenAndThirtyTwoBitFillEveryPixel) {
    DibEx dib;
    dib.Setup(3, 2, 16);
    dib.Fill(0x1234);
    EXPECT_EQ(dib.CommitLine(1, 2)[0], 0x34);
    EXPECT_EQ(dib.CommitLine(1, 2)[1], 0x12);
    EXPECT_EQ(dib.CommitLine(1, 0)[6], 0);  // the padding of the line stays
    dib.Setup(2, 2, 32);
    dib.Fill(0x11223344);
    uint32_t value = 0;
    std::memcpy(&value, dib.CommitLine(1, 1), 4);
    EXPECT_EQ(value, 0x11223344u);
    dib.Setup(2, 2, 24);
    dib.Fill(9);  // other depths are unchanged
    ExpectBgr(dib, 0, 0, 0, 0, 0);
}

TEST(DibExFill, ColourFillStoresBlueGreenRed) {
    DibEx dib;
    dib.Setup(3, 3, 24);
    dib.Fill(10, 20, 30);
    for (int line = 0; line < 3; ++line)
        for (int x = 0; x < 3; ++x) ExpectBgr(dib, line, x, 30, 20, 10);
    dib.Fill(7, 7, 7);
    ExpectBgr(dib, 2, 2, 7, 7, 7);
    DibEx grey;
    grey.Setup(3, 3, 8);
    grey.Fill(1, 2, 3);
    EXPECT_EQ(grey.CommitLine(0, 0)[0], 0);
}

TEST(DibExCopy, SetupFromSourceCopiesHeaderPaletteAndLines) {
    DibEx source(2);
    source.Setup(3, 2, 8);
    source.CommitPalette()[5] = RGBQUAD{1, 2, 3, 0};
    source.CommitLine(1, 2)[0] = 99;
    DibEx copy;
    copy.Setup(10, 10, 24);
    copy.Setup(source);
    ASSERT_EQ(copy.IsValid(), 1);
    EXPECT_EQ(copy.GetWidth(), 3);
    EXPECT_EQ(copy.GetBitsPerPixel(), 8);
    EXPECT_EQ(copy.GetKind(), 1);
    EXPECT_EQ(copy.CommitLine(1, 2)[0], 99);
    EXPECT_EQ(copy.CommitPalette()[5].rgbRed, 3);
    DibEx empty;
    copy.Setup(empty);
    EXPECT_EQ(copy.IsValid(), 0);
}

TEST(DibExConvert, OneBitIgnoresThePaddingBits) {
    DibEx dib;
    dib.Setup(10, 2, 1);
    dib.CommitPalette()[1] = RGBQUAD{200, 150, 100, 0};
    uint8_t* line0 = dib.CommitLine(0, 0);
    line0[0] = 0b10000001;  // pixels 0 and 7
    line0[1] = 0b01111111;  // pixel 9 set; bits 10..15 are padding
    line0[2] = 0xFF;        // padding
    line0[3] = 0xFF;
    ASSERT_EQ(dib.ConvertTo24(), 1);
    EXPECT_EQ(dib.GetBitsPerPixel(), 24);
    EXPECT_EQ(dib.GetWidth(), 10);
    EXPECT_EQ(dib.GetStride(), 32);
    const int expected[10] = {1, 0, 0, 0, 0, 0, 0, 1, 0, 1};
    for (int x = 0; x < 10; ++x) {
        if (expected[x]) ExpectBgr(dib, 0, x, 200, 150, 100);
        else ExpectBgr(dib, 0, x, 0, 0, 0);
    }
    // The padding of a converted line stays zero.
    EXPECT_EQ(dib.CommitLine(0, 0)[30], 0);
    EXPECT_EQ(dib.CommitLine(0, 0)[31], 0);
    ExpectBgr(dib, 1, 9, 0, 0, 0);
    EXPECT_EQ(dib.ConvertTo24(), 0);
}

TEST(DibExConvert, FourAndEightBitIndexThePalette) {
    DibEx dib;
    dib.Setup(3, 1, 4);
    dib.CommitLine(0, 0)[0] = 0x1F;  // pixels 1 and 15
    dib.CommitLine(0, 0)[1] = 0x80;  // pixel 8
    dib.CommitPalette()[15] = RGBQUAD{1, 2, 3, 0};
    ASSERT_EQ(dib.ConvertTo24(), 1);
    ExpectBgr(dib, 0, 0, 16, 16, 16);
    ExpectBgr(dib, 0, 1, 1, 2, 3);
    ExpectBgr(dib, 0, 2, 128, 128, 128);

    dib.Setup(2, 2, 8);
    dib.CommitPalette()[200] = RGBQUAD{9, 8, 7, 0};
    dib.CommitLine(1, 1)[0] = 200;
    dib.CommitLine(0, 0)[0] = 60;
    ASSERT_EQ(dib.ConvertTo24(), 1);
    ExpectBgr(dib, 1, 1, 9, 8, 7);
    ExpectBgr(dib, 0, 0, 60, 60, 60);
    ExpectBgr(dib, 1, 0, 0, 0, 0);
}

TEST(DibExConvert, SixteenBitComponentsScaleToBytes) {
    DibEx dib;
    dib.Setup(3, 1, 16);
    const uint16_t values[3] = {0x7FFF, static_cast<uint16_t>((1 << 10) | (16 << 5) | 30), 0x8000};
    std::memcpy(dib.CommitLine(0, 0), values, sizeof values);
    ASSERT_EQ(dib.ConvertTo24(), 1);
    ExpectBgr(dib, 0, 0, 255, 255, 255);
    ExpectBgr(dib, 0, 1, 30 * 255 / 31, 16 * 255 / 31, 255 / 31);  // 246, 131, 8
    ExpectBgr(dib, 0, 2, 0, 0, 0);                                  // the top bit is ignored
}

TEST(DibExConvert, ThirtyTwoBitDropsTheFourthByte) {
    DibEx dib;
    dib.Setup(2, 2, 32);
    const uint8_t pixel[4] = {11, 22, 33, 44};
    std::memcpy(dib.CommitLine(1, 1), pixel, 4);
    ASSERT_EQ(dib.ConvertTo24(), 1);
    ExpectBgr(dib, 1, 1, 11, 22, 33);
    ExpectBgr(dib, 1, 0, 0, 0, 0);
}

TEST(DibExPaint, BufferHoldsRowsTopDownAsZeroRedGreenBlue) {
    DibEx dib;
    dib.Setup(2, 3, 24);
    SetBgr(dib, 2, 0, 3, 2, 1);  // top row of the picture
    SetBgr(dib, 0, 1, 6, 5, 4);  // bottom row
    tagRECT clipped{};
    const uint8_t* image = dib.PaintToBuffer(nullptr, &clipped);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(dib.GetPaintBufferStride(), 8);
    EXPECT_EQ(clipped.right, 2);
    EXPECT_EQ(clipped.bottom, 3);
    const uint8_t top[4] = {0, 1, 2, 3};
    const uint8_t bottom[4] = {0, 4, 5, 6};
    EXPECT_EQ(std::memcmp(image, top, 4), 0);
    EXPECT_EQ(std::memcmp(image + 2 * 8 + 4, bottom, 4), 0);

    // Each call refreshes the image from the pixels.
    SetBgr(dib, 2, 0, 30, 20, 10);
    image = dib.PaintToBuffer();
    EXPECT_EQ(image[1], 10);
    EXPECT_EQ(image[3], 30);
}

TEST(DibExPaint, SourceRectangleIsClippedToTheBitmap) {
    DibEx dib;
    dib.Setup(4, 4, 24);
    const tagRECT source{-5, 1, 9, 3};
    tagRECT clipped{};
    ASSERT_NE(dib.PaintToBuffer(&source, &clipped), nullptr);
    EXPECT_EQ(clipped.left, 0);
    EXPECT_EQ(clipped.top, 1);
    EXPECT_EQ(clipped.right, 4);
    EXPECT_EQ(clipped.bottom, 3);
    const tagRECT outside{10, 10, 20, 20};
    EXPECT_NE(dib.PaintToBuffer(&outside, &clipped), nullptr);
    EXPECT_GE(clipped.left, clipped.right);
}

TEST(DibExPaint, NothingToShowWithoutTwentyFourBitPixels) {
    DibEx dib;
    EXPECT_EQ(dib.PaintToBuffer(), nullptr);
    dib.Setup(2, 2, 8);
    EXPECT_EQ(dib.PaintToBuffer(), nullptr);
}
