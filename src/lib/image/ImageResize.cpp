#include <algorithm>
#include <cstring>
#include <vector>

#include "ImageFunc.h"

// Destination pixel (x, y) takes source pixel (left + x * Ws / Wd + ox,
// top + y * Hs / Hd + oy) with ox = (Ws / Wd) / 2 and oy = (Hs / Hd) / 2, so
// a reduced pixel takes the middle of its source block.  The source columns
// are worked out once, as byte offsets into a line.
int IMAGE_Nearest(DibEx* dst, DibEx* src, const tagRECT* dstRect, const tagRECT* srcRect) {
    if (dst == nullptr || src == nullptr || !dst->IsValid() || !src->IsValid()) return 0;
    const int32_t bits = dst->GetBitsPerPixel();
    if (bits != src->GetBitsPerPixel() || (bits != 8 && bits != 24)) return 0;
    CMacRect to;
    CMacRect from;
    image_DefaultRect(dst, dstRect, &to);
    image_DefaultRect(src, srcRect, &from);
    const int64_t ws = from.Width(), hs = from.Height(), wd = to.Width(), hd = to.Height();
    if (ws < 1 || hs < 1 || wd < 1 || hd < 1) return 1;
    const int64_t ox = (ws / wd) / 2;
    const int64_t oy = (hs / hd) / 2;
    const int32_t unit = dst->GetBytesPerPixel();

    std::vector<int32_t> columnOffsets(static_cast<size_t>(wd));
    for (int64_t x = 0; x < wd; ++x) {
        columnOffsets[static_cast<size_t>(x)] = static_cast<int32_t>((from.left + x * ws / wd + ox) * unit);
    }
    for (int64_t y = 0; y < hd; ++y) {
        const uint8_t* source = src->CommitLine(static_cast<int32_t>(from.top + y * hs / hd + oy), 0);
        uint8_t* target = dst->CommitLine(static_cast<int32_t>(to.top + y), to.left);
        if (unit == 1) {
            for (int64_t x = 0; x < wd; ++x) target[x] = source[columnOffsets[static_cast<size_t>(x)]];
        } else {
            for (int64_t x = 0; x < wd; ++x, target += 3) {
                const uint8_t* pixel = source + columnOffsets[static_cast<size_t>(x)];
                target[0] = pixel[0];
                target[1] = pixel[1];
                target[2] = pixel[2];
            }
        }
    }
    dst->Decommit();
    src->Decommit();
    return 1;
}

namespace {

void CarryRect(tagRECT* rect, int32_t oldWidth, int32_t oldHeight, int32_t width, int32_t height) {
    if (rect->right - rect->left == oldWidth && rect->bottom - rect->top == oldHeight) {
        *rect = tagRECT{0, 0, width, height};
        return;
    }
    rect->left = static_cast<int32_t>(int64_t{rect->left} * width / oldWidth);
    rect->right = static_cast<int32_t>(int64_t{rect->right} * width / oldWidth);
    rect->top = static_cast<int32_t>(int64_t{rect->top} * height / oldHeight);
    rect->bottom = static_cast<int32_t>(int64_t{rect->bottom} * height / oldHeight);
}

}  // namespace

int IMAGE_Resize(DibEx* dib, int32_t width, int32_t height, tagRECT* rect) {
    if (dib == nullptr || !dib->IsValid() || width < 1 || height < 1) return 0;
    const int32_t oldWidth = dib->GetWidth();
    const int32_t oldHeight = dib->GetHeight();
    if (width == oldWidth && height == oldHeight) return 0;
    DibEx old(dib->GetKind());
    old.Setup(*dib);
    dib->Setup(width, height, old.GetBitsPerPixel());
    if (old.GetPaletteSize() > 0) {
        std::memcpy(dib->CommitPalette(), old.CommitPalette(), static_cast<size_t>(old.GetPaletteSize()));
    }
    const int result = IMAGE_Copy(dib, &old, nullptr, nullptr);
    if (rect != nullptr) CarryRect(rect, oldWidth, oldHeight, width, height);
    return result;
}

void CorrectProportionRect(tagRECT* rect, int32_t width, int32_t height) {
    const int64_t areaWidth = int64_t{rect->right} - rect->left;
    const int64_t areaHeight = int64_t{rect->bottom} - rect->top;
    if (areaWidth < 1 || areaHeight < 1 || width < 1 || height < 1) return;
    int64_t newWidth = areaWidth;
    int64_t newHeight = areaHeight;
    if (static_cast<double>(width) / height >= static_cast<double>(areaWidth) / static_cast<double>(areaHeight)) {
        newHeight = std::max<int64_t>(areaWidth * height / width, 1);
    } else {
        newWidth = std::max<int64_t>(areaHeight * width / height, 1);
    }
    rect->left += static_cast<int32_t>((areaWidth - newWidth) / 2);
    rect->top += static_cast<int32_t>((areaHeight - newHeight) / 2);
    rect->right = static_cast<int32_t>(rect->left + newWidth);
    rect->bottom = static_cast<int32_t>(rect->top + newHeight);
}
