#pragma once
// Helpers shared by the readers and writers: size rules of the packed bitmap
// layout and safe access to the rows of a described storage block.
#include <cstdint>

#include "ImageFileWorkSt.h"

// Size of the 40-byte information header at the head of every storage block.
inline constexpr uint32_t kImageFileInfoHeaderSize = 40;

// Bytes per row of a bitmap: bits per pixel × width rounded up to 4 bytes.
uint64_t ImageFile_Stride(uint64_t bitsPerPixel, uint64_t width);

// Palette entries a bitmap of this depth carries: 2, 16, 256 or 0.
uint32_t ImageFile_PaletteEntriesFor(uint32_t bitsPerPixel);

// True when a bitmap of this size and depth has at least one pixel and its
// header, palette and pixels fit in a signed 32-bit byte count.
bool ImageFile_FitsBitmap(uint64_t width, uint64_t height, uint32_t bitsPerPixel);

// True when the description's fields agree with each other and with the
// storage block, so that every row it names lies inside the block.
bool ImageFile_DescIsUsable(const ImageFileDescSt& desc);

// Most bytes one byte of a file's pixel data can stand for, by compression:
// stored rows, PackBits runs (128 bytes from 2), deflate (258 bytes from 2
// bits) and LZW (12-bit codes, each standing for at most 4096 bytes).
inline constexpr uint64_t kImageFileStoredRatio = 1;
inline constexpr uint64_t kImageFilePackBitsRatio = 64;
inline constexpr uint64_t kImageFileDeflateRatio = 1032;
inline constexpr uint64_t kImageFileLzwRatio = 2731;

// True when a file of fileSize bytes, expanded at most `ratio` times, can
// hold rawBytes of pixel data.  A header that claims more is a damaged (or
// hostile) file, refused before any memory is set aside for its pixels.
bool ImageFile_FileCanHold(uint64_t fileSize, uint64_t rawBytes, uint64_t ratio);

// Size of the open file in bytes (0 when it cannot be told).
uint64_t ImageFile_FileSize(int fd);

// A colour stored multiplied by its alpha, back to the colour itself
// (rounded, at most 255); under alpha 0 it stays as stored.
inline uint8_t ImageFile_Unpremultiply(uint8_t colour, uint8_t alpha) {
    if (alpha == 0 || alpha == 255) return colour;
    const uint32_t value = (colour * 255u + alpha / 2u) / alpha;
    return static_cast<uint8_t>(value > 255 ? 255 : value);
}

// True when the description is usable, 24 bits per pixel and of this size:
// the target of a codec that delivers 24-bit rows, or the source of one that
// writes them.
bool ImageFile_DescMatches24(const ImageFileDescSt& desc, uint32_t width, uint32_t height);

// Address of the palette and of row `line` (bottom-up) of a usable description.
uint8_t* ImageFile_DescPalette(const ImageFileDescSt& desc);
uint8_t* ImageFile_DescRow(const ImageFileDescSt& desc, uint32_t line);

// All fields but the storage reference back to 0.
void ImageFile_ClearDesc(ImageFileDescSt* desc);

// Progress after row `row` (0-based) of `height`: the percentage
// (100 × row + 100) / height goes to the callback whenever it is a multiple of 5.
void ImageFile_ReportRow(ImageFileProgressFunc progress, uint32_t row, uint32_t height);
