#pragma once
// Row access to a bitmap by address.  A bitmap is one block of bottom-up
// lines, so a row address is the pixel base plus line * stride: loops take the
// base once per pass instead of committing every line, and may run on several
// threads (DibEx's line cache belongs to one thread).
#include <cstddef>
#include <cstdint>

#include "DibEx.h"

template <class T>
class MapRows {
public:
    explicit MapRows(DibEx& map)
        : base_(map.CommitPixel()), stride_(map.GetStride()), width_(map.GetWidth()),
          height_(map.GetHeight()) {}

    T* Row(int32_t line) const {
        return reinterpret_cast<T*>(base_ + static_cast<std::ptrdiff_t>(stride_) * line);
    }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }

private:
    uint8_t* base_;
    int32_t stride_;
    int32_t width_;
    int32_t height_;
};
