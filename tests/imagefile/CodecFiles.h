#pragma once
// Writes PNG, TIFF and JPEG files straight through their libraries, so the
// readers are tested on files that this library did not make, and reads
// files back the same way to check what the writers made.
#include <cstdint>
#include <string>
#include <vector>

namespace imagefile_test {

// Samples of one picture row, top row first, as the file stores them:
// 8-bit samples one byte each, 16-bit samples as host-order uint16 values.
struct SampleImage {
    uint32_t width = 0;
    uint32_t height = 0;
    int channels = 3;          // 1 grey, 2 grey + alpha, 3 RGB, 4 RGBA
    int bitDepth = 8;          // 1, 2, 4, 8 or 16
    std::vector<std::vector<uint16_t>> rows;
};

// PNG of grey, grey + alpha, RGB or RGBA samples; optionally Adam7.
void WritePngSamples(const std::string& path, const SampleImage& image, bool interlaced = false);
// 4-bit palette PNG: `indices` per row, `palette` as r, g, b triples, with
// `transparent` entries of the tRNS chunk made fully transparent.
void WritePngPalette(const std::string& path, uint32_t width, const std::vector<std::vector<uint8_t>>& indices,
                     const std::vector<uint8_t>& palette, int transparent);
// 8-bit RGB rows (r, g, b), top row first, as libpng reads them.
std::vector<std::vector<uint8_t>> ReadPngRgb(const std::string& path, uint32_t* width, uint32_t* height);

// TIFF with alpha where the image has 2 or 4 channels: unassociated, or with
// `premultiplied` associated (the samples are written as given).  `compression`
// is a libtiff COMPRESSION_ value.
void WriteTiffSamples(const std::string& path, const SampleImage& image, bool premultiplied = false,
                      int compression = 1);
// 8-bit palette TIFF with a 16-bit colour map of 256 entries (r, g, b).
void WriteTiffPalette(const std::string& path, uint32_t width, const std::vector<std::vector<uint8_t>>& indices,
                      const std::vector<uint16_t>& red, const std::vector<uint16_t>& green,
                      const std::vector<uint16_t>& blue);
// A TIFF header naming a width and height, with no pixel data.
void WriteTiffHeaderOnly(const std::string& path, uint32_t width, uint32_t height);
// 8-bit RGB rows (r, g, b), top row first, as libtiff reads them.
std::vector<std::vector<uint8_t>> ReadTiffRgb(const std::string& path);

// Grey (1 channel), RGB or CMYK (4 channels, stored inverted with the Adobe
// marker, as libjpeg writes them) JPEG of 8-bit samples.
void WriteJpegSamples(const std::string& path, const SampleImage& image);

}  // namespace imagefile_test
