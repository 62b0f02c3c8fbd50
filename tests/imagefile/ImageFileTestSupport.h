#pragma once
// Shared helpers of the image file tests: raw file access, a BMP byte
// builder, and bitmaps with recognisable pixels saved through the writers.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "DibEx.h"
#include "ImageFile.h"
#include "TempDir.h"

namespace imagefile_test {

using Bytes = std::vector<uint8_t>;

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void Put16(Bytes& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
inline void Put32(Bytes& b, size_t at, uint32_t v) {
    Put16(b, at, v);
    Put16(b, at + 2, v >> 16);
}
inline uint32_t Get32(const Bytes& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// The fields of a BMP file as written; the palette and rows are appended
// verbatim, so a test can make the headers lie about them.  Information
// headers longer than 40 bytes carry `masks` (red, green, blue, alpha) at
// their offset 40; `gap` bytes lie between the headers and the rows.
struct BmpLayout {
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bits = 24;
    uint32_t coloursUsed = 0;
    uint32_t headerSize = 40;
    uint32_t compression = 0;
    Bytes palette{};
    Bytes rows{};
    std::array<uint32_t, 4> masks{};
    uint32_t gap = 0;
};

inline Bytes MakeBmp(const BmpLayout& layout) {
    const uint32_t headerEnd = 14 + std::max<uint32_t>(layout.headerSize, 40);
    Bytes b(headerEnd, 0);
    b[0] = 'B';
    b[1] = 'M';
    const uint32_t offset = headerEnd + layout.gap + static_cast<uint32_t>(layout.palette.size());
    Put32(b, 2, offset + static_cast<uint32_t>(layout.rows.size()));
    Put32(b, 10, offset);
    Put32(b, 14, layout.headerSize);
    Put32(b, 18, static_cast<uint32_t>(layout.width));
    Put32(b, 22, static_cast<uint32_t>(layout.height));
    Put16(b, 26, 1);
    Put16(b, 28, layout.bits);
    Put32(b, 30, layout.compression);
    Put32(b, 46, layout.coloursUsed);
    for (size_t i = 0; layout.headerSize >= 56 && i < 4; ++i) Put32(b, 54 + 4 * i, layout.masks[i]);
    b.insert(b.end(), layout.gap, 0xCC);
    b.insert(b.end(), layout.palette.begin(), layout.palette.end());
    b.insert(b.end(), layout.rows.begin(), layout.rows.end());
    return b;
}

// A palette whose entry i is (blue i, green 255 - i, red i / 2).
inline Bytes DistinctPalette(int entries) {
    Bytes p;
    for (int i = 0; i < entries; ++i) {
        p.insert(p.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i / 2), 0});
    }
    return p;
}

// The colour of pixel (x, line) of the test pictures, as red, green, blue.
struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};
inline Rgb PatternColour(int x, int line) {
    return {static_cast<uint8_t>(x * 37 + line * 11), static_cast<uint8_t>(x * 5 + 200 * (line & 1)),
            static_cast<uint8_t>(line * 23 + 7)};
}

// A 24-bit bitmap filled with PatternColour (smooth enough in one direction
// for JPEG, varied enough to catch swapped rows, columns or channels).
inline void FillPattern(DibEx* dib, int width, int height) {
    dib->Setup(width, height, 24);
    for (int line = 0; line < height; ++line) {
        uint8_t* p = dib->CommitLine(line, 0);
        for (int x = 0; x < width; ++x, p += 3) {
            const Rgb c = PatternColour(x, line);
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
        }
    }
    dib->Decommit();
}

inline Rgb PixelAt(DibEx* dib, int x, int line) {
    const uint8_t* p = dib->CommitLine(line, x);
    return {p[2], p[1], p[0]};
}

// A FillPattern picture saved as `name` in `dir`, in the format its
// extension names; returns the path.
inline std::string SavePattern(const morvanel_test::TempDir& dir, const std::string& name, int width, int height) {
    DibEx source;
    FillPattern(&source, width, height);
    const std::string path = dir.file(name);
    EXPECT_EQ(ImageFile_Save(nullptr, path.c_str(), &source, nullptr, nullptr, 0, 70), 1);
    return path;
}

}  // namespace imagefile_test
