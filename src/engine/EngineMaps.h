#pragma once
// Row access to the engine's bitmaps and the small helpers its stages share.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "DibEx.h"
#include "MapRows.h"

using IntMap = MapRows<int32_t>;
using ByteMap = MapRows<uint8_t>;

// Sets the bitmap up at width x height and depth unless it already has them.
inline void EnsureMap(DibEx& map, int32_t width, int32_t height, int32_t bits) {
    if (map.IsValid() && map.GetWidth() == width && map.GetHeight() == height &&
        map.GetBitsPerPixel() == bits)
        return;
    map.Setup(width, height, bits);
    if (!map.IsValid()) throw -1;
}

// Z of the surface normals: 256 at height 100 (steepest), 2560 at height 0.
inline double NormalZ(int32_t height) {
    return 256.0 + 2304.0 * std::pow((100 - height) / 100.0, 3.17);
}

// Truncation of a double toward zero into 64 bits, saturating far outside.
inline int64_t TruncateWide(double v) {
    if (!(v > -9.0e18)) return v != v ? 0 : INT64_MIN / 2;
    if (v > 9.0e18) return INT64_MAX / 2;
    return static_cast<int64_t>(v);
}

// Clamps to lo..hi.
inline int32_t ClampInt(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Hue plus a shift on the circle of 252 steps.
inline int32_t WrapHue(int32_t hue) {
    int32_t h = hue % 252;
    return h < 0 ? h + 252 : h;
}
