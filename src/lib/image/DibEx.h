#pragma once
// DibEx: the one bitmap class of the system.  Its pixels are held as a
// packed device-independent bitmap (info header, palette, bottom-up lines
// padded to 4 bytes; 24-bit pixels stored blue, green, red; 8-bit pixels one
// byte) in one memory block.  Line 0 is the bottom row of the picture.
//
// Around the pixels it offers line access with a one-line cache, a sliding
// block buffer with replicated margins for neighbourhood filters, conversion
// to 24 bits, filling, copying, and a cached 32-bit image for display.
//
// Allocation failures, and sizes whose stride or block would not fit in 32
// bits, are thrown as the int -1.
#include <cstddef>
#include <cstdint>

#include "CMacRect.h"
#include "DibHeader.h"
#include "Vmemory.h"

// A byte count rounded up to a multiple of 4, as bitmap lines are padded.
int32_t BmpWidth(int32_t bytes);

// The line stride of a bitmap: ((bits * width + 31) / 32) * 4, computed
// without overflow.  Negative when it does not fit in 32 bits.
int64_t DibStride(int64_t width, int32_t bits);

class DibEx {
public:
    // What was committed last; a line commit also remembers its line.
    enum class CommitKind { None, Head, Palette, Pixel, Line, Block, All };

    // Border modes of the block buffer.  Only replication of the edge exists.
    static constexpr int32_t BORDER_REPLICATE = 0;

    // Resolution of a new bitmap in dots per inch.
    static constexpr int32_t DEFAULT_DPI = 100;

    // `kind` (1 or 2) is handed on to the copies that resizing makes.
    explicit DibEx(int32_t kind = 1);
    ~DibEx();
    DibEx(const DibEx&) = delete;
    DibEx& operator=(const DibEx&) = delete;

    // Frees the pixels, the block buffer and the display image; sizes 0.
    void Clear();
    // Sets the bitmap up at width x height with `bits` bits per pixel (1, 4,
    // 8, 16, 24 or 32): header, grey palette (entry i: i * 256 / colours),
    // zeroed pixels.  A width or height below 1, or another depth, leaves
    // the bitmap cleared and invalid.  Throws -1 when the memory cannot be
    // had or the size does not fit in 32 bits.
    void Setup(int32_t width, int32_t height, int32_t bits);
    // Makes this bitmap a copy of `source` (header, palette, every line).
    void Setup(const DibEx& source);

    int32_t IsValid() const { return valid_; }
    int32_t GetKind() const { return kind_; }
    int32_t GetWidth() const { return width_; }
    int32_t GetHeight() const { return height_; }
    int32_t GetStride() const { return stride_; }
    int32_t GetBitsPerPixel() const { return bitsPerPixel_; }
    int32_t GetBytesPerPixel() const { return bytesPerPixel_; }
    int32_t GetColorCount() const { return colorCount_; }
    int32_t GetTotalSize() const { return totalSize_; }
    int32_t GetPaletteSize() const { return paletteSize_; }
    int32_t GetPixelSize() const { return pixelSize_; }
    int32_t GetResolution() const { return resolution_; }

    // Address of pixel x on line `line` (bottom-up).  A repeated call for the
    // same line only adds x * bytes per pixel to the remembered address.
    // Null for a line or column outside the bitmap.
    uint8_t* CommitLine(int32_t line, int32_t x = 0);
    // Makes lines line - n ... line + n (clipped) accessible and returns the
    // address of pixel x on `line`; neighbours lie at +- stride.  Null for a
    // line or column outside the bitmap.
    uint8_t* CommitBlock(int32_t line, int32_t n, int32_t x = 0);
    BITMAPINFOHEADER* CommitHead();
    RGBQUAD* CommitPalette();     // null when the depth has no palette
    uint8_t* CommitPixel();
    uint8_t* CommitAll();
    uint8_t* GetDib() { return CommitAll(); }
    uint8_t* GetDibBit() { return CommitPixel(); }
    // Ends a pass; every bulk operation decommits before it returns.
    void Decommit();

    // 8-bit: every byte of every line, padding included, := value;
    // 16- and 32-bit: every pixel := value; other depths unchanged.
    void Fill(int32_t value);
    // 24-bit only: every pixel := blue b, green g, red r.
    void Fill(int r, int g, int b);

    // Converts a 1-, 4-, 8-, 16- or 32-bit bitmap to 24 bits.  Returns 1 when
    // it converted, 0 when the bitmap is invalid or already 24-bit.
    int ConvertTo24();

    // Block buffer for neighbourhood filters: 2N + 1 lines, each extended by
    // N replicated pixels on either side.  Returns the address of the centre
    // pixel 0 (fixed for the life of the buffer), or null for an invalid
    // bitmap or one below 8 bits per pixel.  Throws -1 on allocation failure.
    uint8_t* SetupBlockBuffer(int32_t n, int32_t mode = BORDER_REPLICATE);
    // Fills the buffer around `line`: buffer line d holds bitmap line
    // clamp(line + d).  Lines held by the previous call are taken from the
    // buffer, so they keep the values they had when first fetched.  Returns
    // the centre address (null without a buffer).
    uint8_t* GetBlock(int32_t line);
    void FreeBlockBuffer();
    int32_t GetBlockBufferUnitX() const { return blockBytesPerPixel_; }
    int32_t GetBlockBufferUnitY() const { return blockStride_; }
    int32_t GetBlockBufferLine() const { return blockCentreLine_; }

    // Display image: converts a 24-bit bitmap into its cached 32-bit image
    // (the bitmap's size, rows top-down, each pixel the bytes 0, red, green,
    // blue, rows of GetPaintBufferStride() bytes) and returns it.  `source`
    // (top-down picture coordinates, may be null for the whole bitmap) is
    // clipped to the bitmap and stored in `clipped` when given; only the
    // rows and columns of that rectangle are refreshed, which is all that a
    // copy of the rectangle to the screen reads.  Returns null (nothing to
    // show) for a bitmap without pixels or of another depth, or when the
    // image cannot be had.
    const uint8_t* PaintToBuffer(const tagRECT* source = nullptr, tagRECT* clipped = nullptr);
    int32_t GetPaintBufferStride() const { return width_ * 4; }

private:
    void ResetFields();
    void WriteHeaderAndGreyPalette();
    void ConvertLinesTo24(const uint8_t* oldPixels, int32_t oldStride, int32_t oldBits,
                          const RGBQUAD* oldPalette);
    void FetchBlockLine(int32_t bufferLine, int32_t sourceLine);
    void ReplicateBlockMargins(int32_t bufferLine);
    uint8_t* BlockLineAddress(int32_t bufferLine) const;

    int32_t valid_ = 0;
    int32_t kind_;
    VmmBlock image_;
    int32_t totalSize_ = 0;
    int32_t paletteSize_ = 0;
    int32_t pixelSize_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t stride_ = 0;
    int32_t bytesPerPixel_ = 0;
    int32_t bitsPerPixel_ = 0;
    int32_t colorCount_ = 0;
    int32_t resolution_ = 0;
    int32_t columnLimit_ = 0;   // columns CommitLine accepts

    CommitKind lastCommit_ = CommitKind::None;
    int32_t lastLine_ = -1;
    uint8_t* lastLineAddress_ = nullptr;

    Vmemory block_{1};
    int32_t blockN_ = 0;
    int32_t blockMode_ = BORDER_REPLICATE;
    int32_t blockBytesPerPixel_ = 0;
    int32_t blockStride_ = 0;
    int32_t blockCentreLine_ = -1;
    uint8_t* blockCentre_ = nullptr;

    Vmemory paintImage_{1};
};
