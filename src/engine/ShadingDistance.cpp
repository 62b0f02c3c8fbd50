// CreateDistance: the distance of every mask pixel to the mask's edge, in
// 1/256 pixel, by four chamfer passes with a sub-pixel refinement.
#include <algorithm>
#include <array>
#include <cmath>

#include "EngineMaps.h"
#include "ShadingBase.h"

namespace {

// T[i]: the length of the step to a point i/256 of the way from an axis
// neighbour to a diagonal neighbour, in 1/256 pixel (T[0] 256, T[256] 362).
std::array<int32_t, 257> StepLengths() {
    std::array<int32_t, 257> t{};
    for (int i = 0; i <= 256; ++i) {
        const double f = i / 256.0;
        t[i] = static_cast<int32_t>(256.0 * std::sqrt(1.0 + f * f));
    }
    return t;
}

// The chamfer update of one pixel from its processed neighbours a (along x),
// b (along y) and c (diagonal).
int32_t RefineDistance(int32_t d, int32_t a, int32_t b, int32_t c,
                       const std::array<int32_t, 257>& t) {
    d = std::min(d, a + 256);
    d = std::min(d, c + 362);
    d = std::min(d, b + 256);
    int32_t base;
    int32_t fl;
    int32_t fh;
    if (a + 256 < b + 256) {
        base = a;
        fl = a + 256;
        fh = b + 256;
    } else {
        base = b;
        fl = fh = b + 256;
    }
    int32_t lo = 0;
    int32_t hi = 256;
    for (int step = 0; step < 4; ++step) {
        const int32_t mid = (lo + hi) / 2;
        const int32_t v = base + (c - base) * mid / 256 + t[mid];
        d = std::min(d, v);
        if (fl < fh) {
            hi = mid;
            fh = v;
        } else {
            lo = mid;
            fl = v;
        }
    }
    return std::min(d, ShadingBase::kMaxDistance);
}

}  // namespace

int ShadingBase::CreateDistance(ShadeBaseSt* block, int start, int end) {
    ShadeBaseSt& b = *block;
    const CMacRect& o = b.objectRect;
    const int32_t w = o.Width();
    const int32_t h = o.Height();
    const int32_t mapW = w + 2 * kMapBorder;
    const int32_t mapH = h + 2 * kMapBorder;

    const bool sizeKept = distanceMap.IsValid() && distanceMap.GetWidth() == mapW &&
                          distanceMap.GetHeight() == mapH;
    const ShadeBaseSt& l = lastBlock;
    if (reuseAllowed && sizeKept && ShapeFieldsUnchanged(b) &&
        b.textureLocate == l.textureLocate && b.texture == l.texture && b.textureChanged == 0 &&
        b.pTbu == l.pTbu &&
        (b.pTbu == 0 || (b.pTsc == l.pTsc && b.pTtv == l.pTtv && b.pTox == l.pTox &&
                         b.pToy == l.pToy && b.pTbe == l.pTbe))) {
        shapeChanged = 0;
        return 0;
    }
    shapeChanged = 1;
    heightBumped = 0;

    checkPoint = kCheckDistanceSetup;
    if (!sizeKept) {
        EnsureMap(distanceMap, mapW, mapH, 32);
        EnsureMap(heightMap, mapW, mapH, 32);
        EnsureMap(scratchMap, mapW, mapH, 32);
    }

    IntMap dist(distanceMap);
    ByteMap mask(*b.mask);
    for (int32_t r = 0; r < mapH; ++r) {
        int32_t* row = dist.Row(r);
        std::fill(row, row + mapW, 0);
        const int32_t y = o.top + r - kMapBorder;
        if (y < o.top || y >= o.bottom) continue;
        const uint8_t* m = mask.Row(y);
        for (int32_t x = o.left; x < o.right; ++x)
            row[x - o.left + kMapBorder] = m[x] * 256 / 255;
    }

    checkPoint = kCheckDistancePasses;
    SetupProgress(start, end, 4 * (h - 1));
    maxDistance = 0;
    static const std::array<int32_t, 257> t = StepLengths();
    static constexpr int kDirections[4][2] = {{1, 1}, {-1, 1}, {-1, -1}, {1, -1}};
    for (int pass = 0; pass < 4; ++pass) {
        const int dx = kDirections[pass][0];
        const int dy = kDirections[pass][1];
        for (int32_t j = 0; j < h - 1; ++j) {
            const int32_t y = dy > 0 ? 1 + j : h - 1 - j;
            int32_t* row = dist.Row(y + kMapBorder);
            const int32_t* prev = dist.Row(y - dy + kMapBorder);
            for (int32_t i = 0; i < w - 1; ++i) {
                const int32_t x = dx > 0 ? 1 + i : w - 1 - i;
                const int32_t c = x + kMapBorder;
                int32_t d = row[c];
                if (d <= 255) continue;
                if (pass == 0) d = 2147483647;
                d = RefineDistance(d, row[c - dx], prev[c], prev[c - dx], t);
                row[c] = d;
                if (pass == 3) maxDistance = std::max(maxDistance, d);
            }
            if (!Step()) return -1;
        }
    }
    if (maxDistance == 0) maxDistance = 1;
    return 1;
}
