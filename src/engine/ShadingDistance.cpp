// CreateDistance: the distance of every mask pixel to the mask's edge, in
// 1/256 pixel, by four chamfer passes with a sub-pixel refinement.
#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <mutex>
#include <thread>
#include <vector>

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

    const IntMap dist(distanceMap);
    const ByteMap mask(*b.mask);
    const auto fillRows = [&](int32_t firstRow, int32_t endRow) {
        for (int32_t r = firstRow; r < endRow; ++r) {
            int32_t* row = dist.Row(r);
            std::fill(row, row + mapW, 0);
            const int32_t y = o.top + r - kMapBorder;
            if (y < o.top || y >= o.bottom) continue;
            const uint8_t* m = mask.Row(y);
            for (int32_t x = o.left; x < o.right; ++x) row[x - o.left + kMapBorder] = m[x] * 256 / 255;
        }
    };
    ForRows(0, mapH, mapW, fillRows, false);

    checkPoint = kCheckDistancePasses;
    SetupProgress(start, end, 4 * (h - 1));
    maxDistance = 0;
    for (int pass = 0; pass < 4; ++pass)
        if (!DistancePass(pass, w, h)) return -1;
    if (maxDistance == 0) maxDistance = 1;
    return 1;
}

// One chamfer pass.  A pixel needs its neighbours before it in the pass's row
// and column order, so the threads share a pass as a wavefront: the row is
// cut into one block per thread, and a block's row starts once the block
// before it has finished that row.  No pixel is read before it is final, so
// the result is that of a pass done by one thread.
bool ShadingBase::DistancePass(int pass, int32_t w, int32_t h) {
    static const std::array<int32_t, 257> t = StepLengths();
    static constexpr int kDirections[4][2] = {{1, 1}, {-1, 1}, {-1, -1}, {1, -1}};
    const int dx = kDirections[pass][0];
    const int dy = kDirections[pass][1];
    const int32_t rows = h - 1;
    const int32_t columns = w - 1;
    if (rows <= 0) return true;
    // Blocks narrower than this cost more in waiting than they save.
    constexpr int32_t kLeastBlock = 64;
    const int blocks = std::max(1, std::min(Pool().Threads(), columns / kLeastBlock));
    const IntMap dist(distanceMap);

    std::vector<std::atomic<int32_t>> rowsDone(static_cast<size_t>(blocks));
    std::atomic<bool> stop{false};
    std::mutex maximumMutex;
    const std::thread::id caller = std::this_thread::get_id();
    int64_t reported = 0;
    // Progress counts the rows that every block has finished.
    const auto report = [&]() {
        const int32_t finished = rowsDone[static_cast<size_t>(blocks - 1)].load(std::memory_order_acquire);
        for (; reported < finished; ++reported)
            if (!Step()) {
                stop = true;
                return false;
            }
        return true;
    };

    const auto runBlock = [&](int64_t first, int64_t) {
        const int k = static_cast<int>(first);
        const int32_t begin = static_cast<int32_t>(static_cast<int64_t>(columns) * k / blocks);
        const int32_t end = static_cast<int32_t>(static_cast<int64_t>(columns) * (k + 1) / blocks);
        const bool onCaller = std::this_thread::get_id() == caller;
        int32_t maximum = 0;
        for (int32_t j = 0; j < rows; ++j) {
            if (k > 0) {
                const std::atomic<int32_t>& before = rowsDone[static_cast<size_t>(k - 1)];
                for (int spins = 0; before.load(std::memory_order_acquire) <= j; ++spins) {
                    if (stop.load(std::memory_order_relaxed)) return;
                    if (spins > 64) std::this_thread::yield();
                }
            }
            if (stop.load(std::memory_order_relaxed)) return;
            const int32_t y = dy > 0 ? 1 + j : h - 1 - j;
            int32_t* row = dist.Row(y + kMapBorder);
            const int32_t* prev = dist.Row(y - dy + kMapBorder);
            for (int32_t i = begin; i < end; ++i) {
                const int32_t x = dx > 0 ? 1 + i : w - 1 - i;
                const int32_t c = x + kMapBorder;
                int32_t d = row[c];
                if (d <= 255) continue;
                if (pass == 0) d = 2147483647;
                const int32_t a = row[c - dx];
                const int32_t b = prev[c];
                const int32_t diagonal = prev[c - dx];
                // The sub-pixel candidates all lie at least 256 above the
                // nearest of the three neighbours.  When the distance (or a
                // whole step to a neighbour) is already that near, the search
                // cannot lower it.
                const int32_t direct = std::min({d, a + 256, b + 256, diagonal + 362});
                d = direct <= std::min({a, b, diagonal}) + 256 ? std::min(direct, kMaxDistance)
                                                               : RefineDistance(d, a, b, diagonal, t);
                row[c] = d;
                maximum = std::max(maximum, d);
            }
            rowsDone[static_cast<size_t>(k)].store(j + 1, std::memory_order_release);
            if (onCaller && progressWindow != nullptr && !report()) return;
        }
        if (pass != 3) return;
        const std::lock_guard<std::mutex> lock(maximumMutex);
        maxDistance = std::max(maxDistance, maximum);
    };
    const bool finished = Pool().ForEach(blocks, 1, runBlock, [&](int64_t) {
        return progressWindow == nullptr || stop.load() || report();
    });
    return finished && !stop.load();
}
