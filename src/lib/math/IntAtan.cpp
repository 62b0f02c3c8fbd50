#include "IntAtan.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>

IntAtan::IntAtan()
{
    // The constant 3.1415 (not pi) is part of the table's definition; it puts
    // the last entry just below 10000, so that 45 degrees rounds up to 32.
    for (int i = 0; i < kTableSize; ++i)
        tangent[i] = static_cast<int>(10000 * std::tan((i + 1) * 3.1415 / 128));
}

int IntAtan::GetAngle(int x, int y) const
{
    // 64-bit magnitudes: |INT_MIN| and ay * 10000 stay exact.
    std::int64_t ax = std::llabs(static_cast<long long>(x));
    std::int64_t ay = std::llabs(static_cast<long long>(y));
    const bool swapped = ay > ax;
    if (swapped)
        std::swap(ax, ay);

    // k = the first entry at least the tangent ratio (32 when none is): the
    // octant angle rounded up to the next step.
    int k = 0;
    if (ax > 0) {
        const std::int64_t ratio = ay * 10000 / ax;
        k = static_cast<int>(std::lower_bound(tangent, tangent + kTableSize, ratio) - tangent);
    }

    int a = swapped ? 64 - k : k;
    if (x < 0)
        a = 128 - a;
    if (y < 0)
        a = 256 - a;
    return a & 255;
}
