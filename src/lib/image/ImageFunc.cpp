#include "ImageFunc.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsUsable(const DibEx* dib) { return dib != nullptr && dib->IsValid(); }

}  // namespace

void image_DefaultRect(const DibEx* dib, const tagRECT* rect, tagRECT* out) {
    const int32_t width = dib ? dib->GetWidth() : 0;
    const int32_t height = dib ? dib->GetHeight() : 0;
    if (rect == nullptr) {
        *out = tagRECT{0, 0, width, height};
        return;
    }
    *out = *rect;
    out->left = std::max(out->left, 0);
    out->top = std::max(out->top, 0);
    out->right = std::min(out->right, width);
    out->bottom = std::min(out->bottom, height);
}

// The destination rectangle gives the size; it is cut to what the source
// holds from its origin on, so no line or byte outside either bitmap is
// touched.  Lines are copied bottom-up, or top-down when a bitmap is copied
// onto itself further up, so that overlapping areas copy correctly.
int IMAGE_Move(DibEx* dst, DibEx* src, const tagRECT* dstRect, const tagRECT* srcRect) {
    if (!IsUsable(dst) || !IsUsable(src) || dst->GetBitsPerPixel() != src->GetBitsPerPixel() ||
        dst->GetBitsPerPixel() < 8) {
        return 0;
    }
    tagRECT to;
    tagRECT from;
    image_DefaultRect(dst, dstRect, &to);
    image_DefaultRect(src, srcRect, &from);
    const int32_t width = std::min(to.right - to.left, src->GetWidth() - from.left);
    const int32_t height = std::min(to.bottom - to.top, src->GetHeight() - from.top);
    if (width < 1 || height < 1) return 1;
    const size_t bytes = static_cast<size_t>(width) * dst->GetBytesPerPixel();
    const bool upward = dst == src && to.top > from.top;
    for (int32_t i = 0; i < height; ++i) {
        const int32_t row = upward ? height - 1 - i : i;
        const uint8_t* source = src->CommitLine(from.top + row, from.left);
        std::memmove(dst->CommitLine(to.top + row, to.left), source, bytes);
    }
    dst->Decommit();
    src->Decommit();
    return 1;
}

int IMAGE_Copy(DibEx* dst, DibEx* src, const tagRECT* dstRect, const tagRECT* srcRect) {
    if (!IsUsable(dst) || !IsUsable(src) || dst->GetBitsPerPixel() != src->GetBitsPerPixel()) return 0;
    CMacRect to;
    CMacRect from;
    image_DefaultRect(dst, dstRect, &to);
    image_DefaultRect(src, srcRect, &from);
    if (to.Width() == from.Width() && to.Height() == from.Height()) return IMAGE_Move(dst, src, &to, &from);
    return IMAGE_Nearest(dst, src, &to, &from);
}

int IMAGE_Saturation(DibEx* dib, const tagRECT* rect) {
    if (!IsUsable(dib) || dib->GetBitsPerPixel() != 8) return 0;
    tagRECT area;
    image_DefaultRect(dib, rect, &area);
    const uint8_t* centre = dib->SetupBlockBuffer(1, DibEx::BORDER_REPLICATE);
    const ptrdiff_t unitY = dib->GetBlockBufferUnitY();
    for (int32_t line = area.top; line < area.bottom && area.left < area.right; ++line) {
        dib->GetBlock(line);
        uint8_t* pixels = dib->CommitLine(line, 0);
        for (int32_t x = area.left; x < area.right; ++x) {
            const uint8_t* p = centre + x;
            if (p[-1] != 0 && p[1] != 0 && p[-unitY] != 0 && p[unitY] != 0) pixels[x] = 255;
        }
    }
    dib->FreeBlockBuffer();
    dib->Decommit();
    return 1;
}
