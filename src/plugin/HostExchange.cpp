// The strip loop shared by both directions, and the per-pixel rules of
// loading and writing back.
#include "HostExchange.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstring>
#include <mutex>

#include "ImageFunc.h"
#include "MapRows.h"
#include "WorkPool.h"

namespace {

constexpr int kColourPlanes = 3;

int32_t FilterWidth(const FilterRecord& r) { return r.filterRect.right - r.filterRect.left; }
int32_t FilterHeight(const FilterRecord& r) { return r.filterRect.bottom - r.filterRect.top; }

// The shell asks for all planes in both directions; anything else, or an
// image with fewer than the three colour planes, is not ours to handle.
bool PlanesUsable(const FilterRecord& r) {
    return r.planes >= kColourPlanes && r.inLoPlane == 0 && r.outLoPlane == 0 && r.inHiPlane == r.planes - 1 &&
           r.outHiPlane == r.planes - 1;
}

bool HasTransparency(const FilterRecord& r) { return r.inTransparencyMask != 0 && r.planes > kColourPlanes; }

// Both bitmaps must have the filter area's size, or a line would be missing.
bool BitmapsFit(const FilterRecord& r, const DibEx& colour, const DibEx& alpha) {
    const auto fits = [&r](const DibEx& dib, int32_t bits) {
        return dib.IsValid() && dib.GetBitsPerPixel() == bits && dib.GetWidth() == FilterWidth(r) &&
               dib.GetHeight() == FilterHeight(r);
    };
    return fits(colour, 24) && fits(alpha, 8);
}

bool RowsFit(const void* data, int32_t rowBytes, int32_t bytes) { return data != nullptr && rowBytes >= bytes; }

uint8_t* RowOf(void* data, int32_t rowBytes, int32_t row, int32_t top) {
    return static_cast<uint8_t*>(data) + static_cast<ptrdiff_t>(rowBytes) * (row - top);
}

bool RowsKept(const HostRect& rect, int16_t top, int16_t bottom) { return rect.top == top && rect.bottom == bottom; }

// What advanceState delivered must be the rows asked for, in buffers that
// hold them.
bool StripDelivered(const FilterRecord& r, int16_t top, int16_t bottom, bool needOut, bool needMask) {
    const int32_t width = FilterWidth(r);
    return RowsKept(r.inRect, top, bottom) && RowsFit(r.inData, r.inRowBytes, width * r.planes) &&
           (!needOut || (RowsKept(r.outRect, top, bottom) && RowsFit(r.outData, r.outRowBytes, width * r.planes))) &&
           (!needMask || (RowsKept(r.maskRect, top, bottom) && RowsFit(r.maskData, r.maskRowBytes, width)));
}

// Runs rowFn(line, in, out, mask) for every row of filterRect, strip by
// strip; the rows of one strip are shared among the work pool's threads, so
// rowFn may only write its own row's pixels.  out and mask are null unless
// asked for.
template <class RowFn>
bool TransferStrips(FilterRecord& r, int32_t stripRows, bool needOut, bool needMask, RowFn&& rowFn) {
    // Strips are a few rows of a few kilobytes: pieces of fewer rows cost
    // more in hand-over than they save.
    constexpr int64_t kRowsPerPiece = 4;
    if (r.advanceState == nullptr || !PlanesUsable(r)) return false;
    const HostRect& area = r.filterRect;
    for (HostRect* rect : {&r.inRect, &r.outRect, &r.maskRect}) {
        rect->left = area.left;
        rect->right = area.right;
    }
    stripRows = std::max(stripRows, 1);
    WorkPool& pool = WorkPool::Shared();
    const int32_t topLine = FilterHeight(r) - 1;
    for (int32_t y = area.top; y < area.bottom; y += stripRows) {
        const auto top = static_cast<int16_t>(y);
        const auto bottom = static_cast<int16_t>(std::min<int32_t>(y + stripRows, area.bottom));
        for (HostRect* rect : {&r.inRect, &r.outRect, &r.maskRect}) {
            rect->top = top;
            rect->bottom = bottom;
        }
        if (r.advanceState() != 0 || !StripDelivered(r, top, bottom, needOut, needMask)) return false;
        pool.ForEach(bottom - top, kRowsPerPiece, [&](int64_t begin, int64_t end) {
            for (int32_t row = top + static_cast<int32_t>(begin); row < top + end; ++row) {
                const uint8_t* in = RowOf(r.inData, r.inRowBytes, row, r.inRect.top);
                uint8_t* out = needOut ? RowOf(r.outData, r.outRowBytes, row, r.outRect.top) : nullptr;
                const uint8_t* mask = needMask ? RowOf(r.maskData, r.maskRowBytes, row, r.maskRect.top) : nullptr;
                rowFn(topLine - (row - area.top), in, out, mask);
            }
        });
    }
    // Asking for nothing commits the last strip and lets the host release
    // its strip buffers before the render.  Every strip has been moved, so
    // the answer changes nothing.
    for (HostRect* rect : {&r.inRect, &r.outRect, &r.maskRect}) rect->top = rect->bottom = area.top;
    r.advanceState();
    return true;
}

// Bounding box of the pixels with non-zero alpha, in host columns and
// bitmap lines.
struct AlphaBox {
    int32_t minColumn = INT32_MAX;
    int32_t maxColumn = INT32_MIN;
    int32_t minLine = INT32_MAX;
    int32_t maxLine = INT32_MIN;

    void Add(int32_t column, int32_t line) {
        minColumn = std::min(minColumn, column);
        maxColumn = std::max(maxColumn, column);
        minLine = std::min(minLine, line);
        maxLine = std::max(maxLine, line);
    }
    void Add(const AlphaBox& other) {
        if (other.Empty()) return;
        Add(other.minColumn, other.minLine);
        Add(other.maxColumn, other.maxLine);
    }
    bool Empty() const { return maxColumn < minColumn; }
};

void CopyColour(const uint8_t* in, uint8_t* bgr) {
    bgr[0] = in[2];
    bgr[1] = in[1];
    bgr[2] = in[0];
}

uint8_t Blend(int in, int c, int a) { return static_cast<uint8_t>(in + ((c - in) * a) / 255); }

void BlendColour(const uint8_t* in, const uint8_t* bgr, int a, uint8_t* out) {
    out[0] = Blend(in[0], bgr[2], a);
    out[1] = Blend(in[1], bgr[1], a);
    out[2] = Blend(in[2], bgr[0], a);
}

void SetExtraPlanes(uint8_t* out, int planes, uint8_t value) {
    for (int p = kColourPlanes; p < planes; ++p) out[p] = value;
}

// One pixel of the write-back; in and out have `planes` bytes.
void SavePixel(const uint8_t* in, const uint8_t* bgr, int a, int planes, bool transparency, bool eraseOutside,
               uint8_t* out) {
    if (a == 0) {
        std::memcpy(out, in, static_cast<std::size_t>(planes));
        if (transparency && eraseOutside) out[planes - 1] = 0;
        return;
    }
    if (!transparency) {
        if (planes == kColourPlanes) {
            BlendColour(in, bgr, a, out);
        } else {
            BlendColour(in, bgr, 255, out);
            SetExtraPlanes(out, planes, static_cast<uint8_t>(a));
        }
        return;
    }
    BlendColour(in, bgr, a, out);
    for (int p = kColourPlanes; p < planes; ++p) out[p] = a == 255 ? 255 : std::max<uint8_t>(in[p], a);
}

}  // namespace

bool HostExchange_Load(FilterRecord& record, int32_t stripRows, DibEx& colour, DibEx& alpha,
                       HostExchangeLoadSt& result) {
    result = HostExchangeLoadSt{};
    if (!BitmapsFit(record, colour, alpha)) return false;
    const int32_t width = FilterWidth(record);
    const int32_t height = FilterHeight(record);
    const bool selection = record.haveMask != 0;
    const bool transparency = HasTransparency(record);
    const int planes = record.planes;
    const int32_t left = record.filterRect.left;
    AlphaBox box;
    std::mutex boxMutex;
    const MapRows<uint8_t> colourLines(colour);
    const MapRows<uint8_t> alphaLines(alpha);

    const bool done = TransferStrips(record, stripRows, false, selection,
                                     [&](int32_t line, const uint8_t* in, uint8_t*, const uint8_t* mask) {
        uint8_t* bgr = colourLines.Row(line);
        uint8_t* a = alphaLines.Row(line);
        AlphaBox rowBox;
        for (int32_t x = 0; x < width; ++x, in += planes, bgr += 3) {
            CopyColour(in, bgr);
            if (selection) a[x] = mask[x];
            else if (transparency) a[x] = in[kColourPlanes];
            else continue;
            if (a[x] != 0) rowBox.Add(left + x, line);
        }
        if (rowBox.Empty()) return;
        const std::lock_guard<std::mutex> lock(boxMutex);
        box.Add(rowBox);
    });
    colour.Decommit();

    if (!selection && !transparency) {
        alpha.Fill(255);
        result.objectRect = CMacRect(0, 0, width, height);
        result.wholeImage = record.imageSize.h == width && record.imageSize.v == height;
    } else if (!box.Empty()) {
        result.objectRect = CMacRect(box.minColumn - left, box.minLine, box.maxColumn - left + 1, box.maxLine + 1);
        IMAGE_Saturation(&alpha, nullptr);
    }
    alpha.Decommit();
    return done;
}

bool HostExchange_Save(FilterRecord& record, int32_t stripRows, DibEx& colour, DibEx& alpha, bool eraseOutside) {
    if (!BitmapsFit(record, colour, alpha)) return false;
    const int32_t width = FilterWidth(record);
    const bool transparency = HasTransparency(record);
    const int planes = record.planes;
    const MapRows<uint8_t> colourLines(colour);
    const MapRows<uint8_t> alphaLines(alpha);
    const bool done = TransferStrips(record, stripRows, true, false,
                                     [&](int32_t line, const uint8_t* in, uint8_t* out, const uint8_t*) {
        const uint8_t* bgr = colourLines.Row(line);
        const uint8_t* a = alphaLines.Row(line);
        for (int32_t x = 0; x < width; ++x, in += planes, out += planes, bgr += 3)
            SavePixel(in, bgr, a[x], planes, transparency, eraseOutside, out);
    });
    colour.Decommit();
    alpha.Decommit();
    return done;
}
