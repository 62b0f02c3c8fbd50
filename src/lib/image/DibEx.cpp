#include "DibEx.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

bool IsSupportedDepth(int32_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Pixels per metre for a resolution in dots per inch (3937 for 100 dpi).
int32_t PixelsPerMetre(int32_t dpi) { return static_cast<int32_t>(dpi * 1000 / 25.4); }

void CopyPixel(uint8_t* to, const uint8_t* from, int32_t bytes) {
    for (int32_t i = 0; i < bytes; ++i) to[i] = from[i];
}

}  // namespace

int32_t BmpWidth(int32_t bytes) { return static_cast<int32_t>(((static_cast<int64_t>(bytes) + 3) / 4) * 4); }

int64_t DibStride(int64_t width, int32_t bits) {
    if (width < 0 || bits < 1) return -1;
    const int64_t stride = ((bits * width + 31) / 32) * 4;
    return stride > INT32_MAX ? -1 : stride;
}

DibEx::DibEx(int32_t kind) : kind_(kind) { VMM_New(&image_); }

DibEx::~DibEx() { Clear(); }

void DibEx::ResetFields() {
    valid_ = 0;
    totalSize_ = paletteSize_ = pixelSize_ = 0;
    width_ = height_ = stride_ = 0;
    bytesPerPixel_ = bitsPerPixel_ = colorCount_ = 0;
    resolution_ = 0;
    columnLimit_ = 0;
    lastCommit_ = CommitKind::None;
    lastLine_ = -1;
    lastLineAddress_ = nullptr;
}

void DibEx::Clear() {
    VMM_Delete(&image_);
    FreeBlockBuffer();
    paintImage_.Clear();
    ResetFields();
}

void DibEx::Setup(int32_t width, int32_t height, int32_t bits) {
    Clear();
    if (width < 1 || height < 1 || !IsSupportedDepth(bits)) return;
    const int64_t stride = DibStride(width, bits);
    if (stride < 0) throw -1;
    const int32_t colours = bits <= 8 ? (1 << bits) : 0;
    const int64_t paletteBytes = int64_t{colours} * 4;
    const int64_t pixelBytes = stride * height;
    const int64_t totalBytes = DIB_HEADER_SIZE + paletteBytes + pixelBytes;
    if (totalBytes > INT32_MAX) throw -1;
    if (VMM_Allocate(&image_, static_cast<size_t>(totalBytes)) != VMM_OK) throw -1;
    VMM_SetLineSpec(&image_, static_cast<size_t>(stride), static_cast<size_t>(DIB_HEADER_SIZE + paletteBytes));

    width_ = width;
    height_ = height;
    bitsPerPixel_ = bits;
    bytesPerPixel_ = std::max(bits / 8, 1);
    stride_ = static_cast<int32_t>(stride);
    colorCount_ = colours;
    paletteSize_ = static_cast<int32_t>(paletteBytes);
    pixelSize_ = static_cast<int32_t>(pixelBytes);
    totalSize_ = static_cast<int32_t>(totalBytes);
    resolution_ = DEFAULT_DPI;
    // Below 8 bits a column addresses a byte of the line, never beyond it.
    columnLimit_ = bits >= 8 ? width : stride_;
    WriteHeaderAndGreyPalette();
    valid_ = 1;
    Decommit();
}

void DibEx::WriteHeaderAndGreyPalette() {
    BITMAPINFOHEADER* head = CommitHead();
    head->biSize = DIB_HEADER_SIZE;
    head->biWidth = width_;
    head->biHeight = height_;
    head->biPlanes = 1;
    head->biBitCount = static_cast<uint16_t>(bitsPerPixel_);
    head->biCompression = 0;
    head->biSizeImage = 0;
    head->biXPelsPerMeter = PixelsPerMetre(resolution_);
    head->biYPelsPerMeter = PixelsPerMetre(resolution_);
    head->biClrUsed = 0;
    head->biClrImportant = 0;
    RGBQUAD* palette = CommitPalette();
    for (int32_t i = 0; i < colorCount_; ++i) {
        const auto grey = static_cast<uint8_t>(i * 256 / colorCount_);
        palette[i] = RGBQUAD{grey, grey, grey, 0};
    }
}

void DibEx::Setup(const DibEx& source) {
    if (&source == this) return;
    if (width_ != source.width_ || height_ != source.height_ || bitsPerPixel_ != source.bitsPerPixel_ ||
        valid_ != source.valid_) {
        Setup(source.width_, source.height_, source.bitsPerPixel_);
    }
    if (!valid_) return;
    std::memcpy(CommitAll(), source.image_.base, static_cast<size_t>(totalSize_));
    resolution_ = source.resolution_;
    Decommit();
}

uint8_t* DibEx::CommitLine(int32_t line, int32_t x) {
    if (static_cast<uint32_t>(x) >= static_cast<uint32_t>(columnLimit_)) return nullptr;
    if (lastCommit_ != CommitKind::Line || line != lastLine_) {
        if (static_cast<uint32_t>(line) >= static_cast<uint32_t>(height_)) return nullptr;
        lastLineAddress_ = VMM_CommitLine(&image_, line);
        lastLine_ = line;
        lastCommit_ = CommitKind::Line;
    }
    return lastLineAddress_ + static_cast<ptrdiff_t>(x) * bytesPerPixel_;
}

uint8_t* DibEx::CommitBlock(int32_t line, int32_t n, int32_t x) {
    if (static_cast<uint32_t>(line) >= static_cast<uint32_t>(height_) ||
        static_cast<uint32_t>(x) >= static_cast<uint32_t>(columnLimit_)) {
        return nullptr;
    }
    n = std::max(n, 0);
    const int32_t first = static_cast<int32_t>(std::max<int64_t>(int64_t{line} - n, 0));
    const int32_t last = static_cast<int32_t>(std::min<int64_t>(int64_t{line} + n, height_ - 1));
    uint8_t* firstLine = VMM_CommitBlock(&image_, first, last);
    lastCommit_ = CommitKind::Block;
    return firstLine + static_cast<ptrdiff_t>(line - first) * stride_ + static_cast<ptrdiff_t>(x) * bytesPerPixel_;
}

BITMAPINFOHEADER* DibEx::CommitHead() {
    lastCommit_ = CommitKind::Head;
    return reinterpret_cast<BITMAPINFOHEADER*>(VMM_Commit(&image_, 0, DIB_HEADER_SIZE));
}

RGBQUAD* DibEx::CommitPalette() {
    lastCommit_ = CommitKind::Palette;
    if (paletteSize_ == 0) return nullptr;
    return reinterpret_cast<RGBQUAD*>(VMM_Commit(&image_, DIB_HEADER_SIZE, static_cast<size_t>(paletteSize_)));
}

uint8_t* DibEx::CommitPixel() {
    lastCommit_ = CommitKind::Pixel;
    if (!valid_) return nullptr;
    return VMM_Commit(&image_, static_cast<size_t>(DIB_HEADER_SIZE + paletteSize_), static_cast<size_t>(pixelSize_));
}

uint8_t* DibEx::CommitAll() {
    lastCommit_ = CommitKind::All;
    return VMM_CommitAll(&image_);
}

void DibEx::Decommit() {
    VMM_Decommit(&image_);
    lastCommit_ = CommitKind::None;
}

void DibEx::Fill(int32_t value) {
    if (!valid_) return;
    uint8_t* pixels = CommitPixel();
    if (bitsPerPixel_ == 8) {
        std::memset(pixels, value & 0xFF, static_cast<size_t>(pixelSize_));
    } else if (bitsPerPixel_ == 16 || bitsPerPixel_ == 32) {
        const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                                  static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
        for (int32_t x = 0; x < width_; ++x) CopyPixel(pixels + x * bytesPerPixel_, bytes, bytesPerPixel_);
        for (int32_t line = 1; line < height_; ++line) {
            std::memcpy(pixels + static_cast<ptrdiff_t>(line) * stride_, pixels, static_cast<size_t>(stride_));
        }
    }
    Decommit();
}

void DibEx::Fill(int r, int g, int b) {
    if (!valid_ || bitsPerPixel_ != 24) return;
    uint8_t* pixels = CommitPixel();
    if (r == g && g == b) {
        std::memset(pixels, r & 0xFF, static_cast<size_t>(pixelSize_));
    } else {
        const uint8_t bgr[3] = {static_cast<uint8_t>(b), static_cast<uint8_t>(g), static_cast<uint8_t>(r)};
        for (int32_t x = 0; x < width_; ++x) CopyPixel(pixels + x * 3, bgr, 3);
        for (int32_t line = 1; line < height_; ++line) {
            std::memcpy(pixels + static_cast<ptrdiff_t>(line) * stride_, pixels, static_cast<size_t>(stride_));
        }
    }
    Decommit();
}

int DibEx::ConvertTo24() {
    if (!valid_ || bitsPerPixel_ == 24) return 0;
    const int32_t oldBits = bitsPerPixel_;
    const int32_t oldStride = stride_;
    Vmemory oldPixels(1, pixelSize_);
    std::memcpy(oldPixels.Commit(), CommitPixel(), static_cast<size_t>(pixelSize_));
    RGBQUAD oldPalette[256] = {};
    if (colorCount_ > 0) std::memcpy(oldPalette, CommitPalette(), static_cast<size_t>(paletteSize_));
    Setup(width_, height_, 24);
    ConvertLinesTo24(oldPixels.CommitAs<uint8_t>(), oldStride, oldBits, oldPalette);
    Decommit();
    return 1;
}

void DibEx::ConvertLinesTo24(const uint8_t* oldPixels, int32_t oldStride, int32_t oldBits,
                             const RGBQUAD* oldPalette) {
    const int32_t indexMask = (1 << std::min(oldBits, 8)) - 1;
    for (int32_t line = 0; line < height_; ++line) {
        const uint8_t* from = oldPixels + static_cast<ptrdiff_t>(line) * oldStride;
        uint8_t* to = CommitLine(line, 0);
        for (int32_t x = 0; x < width_; ++x, to += 3) {
            if (oldBits == 32) {
                CopyPixel(to, from + x * 4, 3);
            } else if (oldBits == 16) {
                const uint32_t value = from[x * 2] | (from[x * 2 + 1] << 8);
                to[0] = static_cast<uint8_t>((value & 31) * 255 / 31);
                to[1] = static_cast<uint8_t>(((value >> 5) & 31) * 255 / 31);
                to[2] = static_cast<uint8_t>(((value >> 10) & 31) * 255 / 31);
            } else {
                // The leftmost pixel of a byte sits in its most significant bits.
                const int32_t bitOffset = x * oldBits;
                const int32_t shift = 8 - oldBits - (bitOffset & 7);
                const RGBQUAD& entry = oldPalette[(from[bitOffset >> 3] >> shift) & indexMask];
                to[0] = entry.rgbBlue;
                to[1] = entry.rgbGreen;
                to[2] = entry.rgbRed;
            }
        }
    }
}

uint8_t* DibEx::SetupBlockBuffer(int32_t n, int32_t mode) {
    FreeBlockBuffer();
    if (!valid_ || bitsPerPixel_ < 8) return nullptr;
    const int32_t margin = std::max(n, 0);
    const int64_t lineStride = DibStride(int64_t{width_} + 2 * int64_t{margin}, bitsPerPixel_);
    if (lineStride < 0) throw -1;
    const int64_t bytes = (2 * int64_t{margin} + 1) * lineStride;
    if (bytes > INT32_MAX) throw -1;
    block_.Alloc(static_cast<int32_t>(bytes));
    blockN_ = margin;
    blockMode_ = mode;
    blockBytesPerPixel_ = bytesPerPixel_;
    blockStride_ = static_cast<int32_t>(lineStride);
    blockCentreLine_ = -1;
    blockCentre_ = block_.CommitAs<uint8_t>() + static_cast<ptrdiff_t>(margin) * blockStride_ +
                   static_cast<ptrdiff_t>(margin) * blockBytesPerPixel_;
    return blockCentre_;
}

void DibEx::FreeBlockBuffer() {
    block_.Clear();
    blockN_ = 0;
    blockBytesPerPixel_ = 0;
    blockStride_ = 0;
    blockCentreLine_ = -1;
    blockCentre_ = nullptr;
}

uint8_t* DibEx::BlockLineAddress(int32_t bufferLine) const {
    return blockCentre_ + static_cast<ptrdiff_t>(bufferLine) * blockStride_ -
           static_cast<ptrdiff_t>(blockN_) * blockBytesPerPixel_;
}

void DibEx::FetchBlockLine(int32_t bufferLine, int32_t sourceLine) {
    uint8_t* to = BlockLineAddress(bufferLine) + static_cast<ptrdiff_t>(blockN_) * blockBytesPerPixel_;
    std::memcpy(to, VMM_CommitLine(&image_, sourceLine), static_cast<size_t>(width_) * blockBytesPerPixel_);
    ReplicateBlockMargins(bufferLine);
}

void DibEx::ReplicateBlockMargins(int32_t bufferLine) {
    const int32_t unit = blockBytesPerPixel_;
    uint8_t* start = BlockLineAddress(bufferLine);
    const uint8_t* first = start + static_cast<ptrdiff_t>(blockN_) * unit;
    const uint8_t* last = first + static_cast<ptrdiff_t>(width_ - 1) * unit;
    uint8_t* right = start + (static_cast<ptrdiff_t>(blockN_) + width_) * unit;
    for (int32_t k = 0; k < blockN_; ++k) {
        CopyPixel(start + k * unit, first, unit);
        CopyPixel(right + k * unit, last, unit);
    }
}

// Buffer line d receives bitmap line clamp(line + d).  A line the previous
// call held (both centres inside the bitmap, within N of each other) is
// moved inside the buffer instead of fetched again, so it keeps the values
// it had when first fetched.  Lines are visited in the direction of the
// move, so a held line is always read before its slot is overwritten; a
// line repeated by the clamping at the edges is copied from its neighbour.
uint8_t* DibEx::GetBlock(int32_t line) {
    if (blockCentre_ == nullptr) return nullptr;
    const int32_t previous = blockCentreLine_;
    if (previous == line) return blockCentre_;
    const bool reuse = previous >= 0 && previous < height_ && line >= 0 && line < height_;
    const int32_t step = (!reuse || line > previous) ? 1 : -1;
    const int32_t firstBufferLine = -blockN_ * step;
    int32_t lastSource = -1;
    for (int32_t d = firstBufferLine; d != (blockN_ + 1) * step; d += step) {
        const auto source = static_cast<int32_t>(std::clamp<int64_t>(int64_t{line} + d, 0, height_ - 1));
        if (d != firstBufferLine && source == lastSource) {
            std::memcpy(BlockLineAddress(d), BlockLineAddress(d - step), static_cast<size_t>(blockStride_));
        } else if (reuse && std::abs(source - previous) <= blockN_) {
            const int32_t held = source - previous;
            if (held != d) {
                std::memcpy(BlockLineAddress(d), BlockLineAddress(held), static_cast<size_t>(blockStride_));
            }
        } else {
            FetchBlockLine(d, source);
        }
        lastSource = source;
    }
    blockCentreLine_ = line;
    return blockCentre_;
}

const uint8_t* DibEx::PaintToBuffer(const tagRECT* source, tagRECT* clipped) {
    if (!valid_ || bitsPerPixel_ != 24) return nullptr;
    if (paintImage_.IsEmpty()) {
        const int64_t bytes = int64_t{width_} * 4 * height_;
        if (bytes > INT32_MAX) return nullptr;
        try {
            paintImage_.Alloc(static_cast<int32_t>(bytes));
        } catch (int) {
            return nullptr;
        }
    }
    tagRECT area = source ? *source : tagRECT{0, 0, width_, height_};
    area.left = std::max(area.left, 0);
    area.top = std::max(area.top, 0);
    area.right = std::min(area.right, width_);
    area.bottom = std::min(area.bottom, height_);
    if (clipped) *clipped = area;

    uint8_t* image = paintImage_.CommitAs<uint8_t>();
    const ptrdiff_t imageStride = GetPaintBufferStride();
    for (int32_t row = area.top; row < area.bottom && area.left < area.right; ++row) {
        const uint8_t* from = CommitLine(height_ - 1 - row, 0) + static_cast<ptrdiff_t>(area.left) * 3;
        uint8_t* to = image + row * imageStride + static_cast<ptrdiff_t>(area.left) * 4;
        for (int32_t x = area.left; x < area.right; ++x, from += 3, to += 4) {
            to[0] = 0;
            to[1] = from[2];
            to[2] = from[1];
            to[3] = from[0];
        }
    }
    Decommit();
    return image;
}
