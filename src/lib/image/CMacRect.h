#pragma once
// Rectangles of the Windows-style layer: left, top, right, bottom as signed
// 32-bit values, right and bottom exclusive.
#include <cstdint>

struct tagRECT {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

class CMacRect : public tagRECT {
public:
    // An empty rectangle at 0.
    constexpr CMacRect() : tagRECT{0, 0, 0, 0} {}
    constexpr CMacRect(int32_t l, int32_t t, int32_t r, int32_t b) : tagRECT{l, t, r, b} {}
    constexpr CMacRect(const tagRECT& r) : tagRECT(r) {}  // NOLINT: implicit by design

    constexpr CMacRect& operator=(const tagRECT& r) {
        left = r.left;
        top = r.top;
        right = r.right;
        bottom = r.bottom;
        return *this;
    }

    constexpr void SetRect(int32_t l, int32_t t, int32_t r, int32_t b) {
        left = l;
        top = t;
        right = r;
        bottom = b;
    }
    constexpr void SetRectEmpty() { SetRect(0, 0, 0, 0); }

    constexpr int32_t Width() const { return right - left; }
    constexpr int32_t Height() const { return bottom - top; }
    // True when the rectangle covers no pixel (width or height below 1).
    constexpr bool IsRectEmpty() const { return right <= left || bottom <= top; }
    // True for a point inside the rectangle (right and bottom exclusive).
    constexpr bool PtInRect(int32_t x, int32_t y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }

    constexpr void OffsetRect(int32_t dx, int32_t dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    // Moves every side inward by dx horizontally and dy vertically (outward
    // for negative values).  A rectangle whose width or height falls below 1
    // becomes the empty rectangle at 0.
    constexpr void InsetRect(int32_t dx, int32_t dy) {
        left += dx;
        right -= dx;
        top += dy;
        bottom -= dy;
        if (IsRectEmpty()) SetRectEmpty();
    }

    // The part that both rectangles cover; the empty rectangle at 0 when they
    // do not meet.
    constexpr CMacRect Intersection(const CMacRect& o) const {
        CMacRect r(left > o.left ? left : o.left, top > o.top ? top : o.top, right < o.right ? right : o.right,
                   bottom < o.bottom ? bottom : o.bottom);
        if (r.IsRectEmpty()) r.SetRectEmpty();
        return r;
    }

    friend constexpr bool operator==(const CMacRect& a, const CMacRect& b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
};
