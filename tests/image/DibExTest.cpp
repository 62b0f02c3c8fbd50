#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "DibEx.h"

namespace {

int SetupCode(DibEx& dib, int32_t width, int32_t height, int32_t bits) {
    try {
        dib.Setup(width, height, bits);
    } catch (int code) {
        return code;
    }
    return 0;
}

}  // namespace

TEST(DibExSetup, StridesSizesHeaderAndPalette) {
    // Total size: 40-byte header, 4 bytes per palette entry, then the lines.
    const struct { int32_t width, height, bits, stride, totalSize; int paletteEntry, paletteGrey; } cases[] = {
        {1, 1, 24, 4, 40 + 4, -1, 0},
        {3, 2, 24, 12, 40 + 24, -1, 0},
        {9, 1, 1, 4, 40 + 8 + 4, 1, 128},
        {3, 1, 4, 4, 40 + 64 + 4, 15, 240},
        {7, 3, 8, 8, 40 + 1024 + 3 * 8, 77, 77},
    };
    DibEx dib;
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << k.width << "x" << k.height << " bits " << k.bits);
        dib.Setup(k.width, k.height, k.bits);
        EXPECT_EQ(dib.GetStride(), k.stride);
        EXPECT_EQ(dib.GetTotalSize(), k.totalSize);
        EXPECT_EQ(dib.GetDibBit(), dib.GetDib() + k.totalSize - k.stride * k.height);
        if (k.paletteEntry < 0) {
            EXPECT_EQ(dib.CommitPalette(), nullptr);
        } else {
            const RGBQUAD entry = dib.CommitPalette()[k.paletteEntry];
            EXPECT_EQ(entry.rgbRed + entry.rgbGreen * 256 + entry.rgbBlue * 65536, k.paletteGrey * 65793);
            EXPECT_EQ(dib.CommitPalette()[0].rgbRed, 0);
        }
    }
    const BITMAPINFOHEADER* head = dib.CommitHead();
    EXPECT_EQ(head->biSize, 40u);
    EXPECT_EQ(head->biWidth, 7);
    EXPECT_EQ(head->biHeight, 3);
    EXPECT_EQ(head->biBitCount, 8);
    EXPECT_EQ(head->biXPelsPerMeter, 3937);
}

TEST(DibExSetup, BadSizesLeaveItInvalidAndHugeOnesThrow) {
    DibEx dib;
    for (const auto& [w, h, bits] : {std::tuple{0, 5, 24}, {5, 0, 24}, {-3, 5, 8}, {INT32_MIN, 5, 8}, {5, 5, 7}}) {
        dib.Setup(4, 4, 24);
        dib.Setup(w, h, bits);
        EXPECT_EQ(dib.IsValid(), 0) << w << " x " << h;
        EXPECT_EQ(dib.CommitLine(0, 0), nullptr);
    }
    EXPECT_EQ(dib.ConvertTo24(), 0);
    // Strides or sizes beyond 32 bits: refused, never wrapped to a small block.
    for (const auto& [w, h, bits] : {std::tuple{INT32_MAX, 1, 32}, {65536, 65536, 8}, {40000, 40000, 24}}) {
        EXPECT_EQ(SetupCode(dib, w, h, bits), -1) << w << " x " << h;
        EXPECT_EQ(dib.IsValid(), 0);
    }
}

TEST(DibExLines, CommitLineAddressesBottomUpLinesAndRefusesOutsiders) {
    DibEx dib;
    dib.Setup(3, 4, 24);
    uint8_t* pixels = dib.GetDibBit();
    EXPECT_EQ(dib.CommitLine(2, 1), pixels + 2 * 12 + 3);
    EXPECT_EQ(dib.CommitLine(2, 2), pixels + 2 * 12 + 6);  // from the one-line cache
    EXPECT_EQ(dib.CommitLine(2, 3), nullptr);
    EXPECT_EQ(dib.CommitLine(2, -1), nullptr);
    EXPECT_EQ(dib.CommitLine(4, 0), nullptr);
    EXPECT_EQ(dib.CommitBlock(1, 1, 1), pixels + 12 + 3);
    EXPECT_EQ(dib.CommitBlock(0, 5, 0), pixels);
    dib.Setup(20, 2, 1);  // below 8 bits a column is a byte of the 4-byte line
    EXPECT_NE(dib.CommitLine(1, 3), nullptr);
    EXPECT_EQ(dib.CommitLine(1, 4), nullptr);
}
