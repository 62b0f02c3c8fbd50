#pragma once
// The layout of a packed device-independent bitmap: a 40-byte info header,
// a palette of 4-byte entries, then the pixel lines bottom-up, each padded to
// a multiple of 4 bytes.  All fields are little-endian.
#include <cstdint>

#pragma pack(push, 1)
struct BITMAPINFOHEADER {
    uint32_t biSize;           // 40
    int32_t biWidth;
    int32_t biHeight;          // positive: lines stored bottom-up
    uint16_t biPlanes;         // 1
    uint16_t biBitCount;       // 1, 4, 8, 16, 24 or 32
    uint32_t biCompression;    // 0
    uint32_t biSizeImage;      // 0
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;        // 0
    uint32_t biClrImportant;   // 0
};

struct RGBQUAD {
    uint8_t rgbBlue;
    uint8_t rgbGreen;
    uint8_t rgbRed;
    uint8_t rgbReserved;
};
#pragma pack(pop)

static_assert(sizeof(BITMAPINFOHEADER) == 40);
static_assert(sizeof(RGBQUAD) == 4);

constexpr int32_t DIB_HEADER_SIZE = 40;
