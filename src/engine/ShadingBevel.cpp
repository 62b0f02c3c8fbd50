// The relief from the distance field: FuncBevel smooths it, MakeBevel maps it
// through the bevel profile into heights, FuncAlpha softens the mask's rim.
#include <algorithm>
#include <cmath>
#include <mutex>

#include "DivideBy.h"
#include "EngineMaps.h"
#include "ShadingBase.h"

int ShadingBase::BoxFilterHorizontal(DibEx& from, DibEx& to, int radius) {
    const IntMap src(from);
    const IntMap dst(to);
    const int32_t width = src.Width();
    const DivideBy byWindow(2 * radius + 1);
    const auto filterRows = [&](int32_t firstRow, int32_t endRow) {
        for (int32_t y = firstRow; y < endRow; ++y) {
            const int32_t* in = src.Row(y);
            int32_t* out = dst.Row(y);
            int32_t sum = 0;
            for (int32_t x = 0; x <= radius && x < width; ++x) sum += in[x];
            // The window enters the row, slides inside it, then leaves it:
            // three loops without a test per pixel.
            const int32_t entered = std::min(radius, width);
            const int32_t leaving = std::max(width - radius - 1, entered);
            int32_t x = 0;
            for (; x < entered; ++x) {
                out[x] = static_cast<int32_t>(byWindow(sum));
                if (x + radius + 1 < width) sum += in[x + radius + 1];
            }
            for (; x < leaving; ++x) {
                out[x] = static_cast<int32_t>(byWindow(sum));
                sum += in[x + radius + 1] - in[x - radius];
            }
            for (; x < width; ++x) {
                out[x] = static_cast<int32_t>(byWindow(sum));
                sum -= in[x - radius];
            }
        }
    };
    return ForRows(0, src.Height(), width, filterRows) ? 1 : -1;
}

int ShadingBase::BoxFilterVertical(DibEx& from, DibEx& to, int radius, bool trackMaximum) {
    const IntMap src(from);
    const IntMap dst(to);
    const int32_t width = src.Width();
    const int32_t height = src.Height();
    int32_t* allSums = columnSums.CommitAs<int32_t>();
    std::mutex maximumMutex;
    // Each band keeps the running sums of its own columns.
    const auto filterColumns = [&](int32_t left, int32_t right) {
        // The sums are non-negative int32 values.  A divider of the band's
        // own is known not to change while the rows are written, so the
        // division is vectorised.
        const DivideSmallBy byWindow(static_cast<uint32_t>(2 * radius + 1));
        int32_t* sums = allSums + left;
        const int32_t count = right - left;
        std::fill(sums, sums + count, 0);
        for (int32_t y = 0; y <= radius && y < height; ++y) {
            const int32_t* in = src.Row(y) + left;
            for (int32_t x = 0; x < count; ++x) sums[x] += in[x];
        }
        int32_t maximum = 0;
        for (int32_t y = 0; y < height; ++y) {
            int32_t* out = dst.Row(y) + left;
            for (int32_t x = 0; x < count; ++x) out[x] = static_cast<int32_t>(byWindow(static_cast<uint32_t>(sums[x])));
            if (trackMaximum)
                for (int32_t x = 0; x < count; ++x) maximum = std::max(maximum, out[x]);
            if (y - radius >= 0) {
                const int32_t* in = src.Row(y - radius) + left;
                for (int32_t x = 0; x < count; ++x) sums[x] -= in[x];
            }
            if (y + radius + 1 < height) {
                const int32_t* in = src.Row(y + radius + 1) + left;
                for (int32_t x = 0; x < count; ++x) sums[x] += in[x];
            }
        }
        if (!trackMaximum) return;
        const std::lock_guard<std::mutex> lock(maximumMutex);
        bevelLength = std::max(bevelLength, maximum);
    };
    return ForColumns(width, height, filterColumns) ? 1 : -1;
}

int ShadingBase::FuncBevel(ShadeBaseSt* block, int start, int end) {
    checkPoint = kCheckBevelFunction;
    bevelLength = maxDistance;
    const int32_t product = maxDistance * block->pMsm;
    const int radius = product > 127999 ? product / 128000 : 1;

    columnSums.Alloc(heightMap.GetWidth());
    SetupProgress(start, end, 4 * heightMap.GetHeight());
    // The first round reads the distance map itself: no copy of it.
    for (int round = 0; round < 2; ++round) {
        if (BoxFilterHorizontal(round == 0 ? distanceMap : heightMap, scratchMap, radius) < 0) return -1;
        if (round == 1) bevelLength = 0;
        if (BoxFilterVertical(scratchMap, heightMap, radius, round == 1) < 0) return -1;
    }
    bevelLength = std::max(bevelLength, 1);
    return 1;
}

void ShadingBase::BuildProfile(const ShadeBaseSt& b, int32_t length) {
    const int32_t L = length;
    const int64_t a = static_cast<int64_t>(b.pMbp) * b.standardSize / 10;
    const int64_t blended = a + (L * b.pMbp / 100 - a) * EdgeWeight(b.pMbp) / 255;
    const int32_t k = static_cast<int32_t>(std::min<int64_t>(blended, L));
    const int32_t k2 = L - k;
    const int64_t kk = static_cast<int64_t>(k) * k;
    const int64_t kk2 = static_cast<int64_t>(k2) * k2;
    for (int32_t i = 0; i < L; ++i) {
        int32_t p;
        if (i < k) {
            p = k - static_cast<int32_t>(std::sqrt(static_cast<double>(kk - static_cast<int64_t>(i) * i)));
        } else {
            const int64_t rest = L - i;
            p = static_cast<int32_t>(std::sqrt(static_cast<double>(kk2 - rest * rest))) + k;
        }
        bevelProfile[i] = (p - i) * b.pMbw / 100 + i;
    }
    bevelProfile[L] = L;
    if (b.pMbr != 0)
        for (int32_t i = 0; i <= L; ++i) bevelProfile[i] = L - bevelProfile[i];
}

int32_t ShadingBase::EdgeWeight(int32_t percent) const {
    // A percentage from a file may lie outside 0..100; the table has 256 entries.
    return edgeCurve[ClampInt(percent * 255 / 100, 0, 255)];
}

int32_t ShadingBase::ProfileHeight(int32_t h) const {
    return h < profileLength ? bevelProfile[h] : bevelProfile[profileLength];
}

int ShadingBase::MakeBevel(ShadeBaseSt* block, int start, int end) {
    const ShadeBaseSt& b = *block;
    checkPoint = kCheckBevelProfile;
    const int32_t L = std::max(bevelLength * b.pMle / 100, 1);
    bevelLength = L;
    profileLength = L;

    // The profile also depends on the standard size (the knee's absolute
    // part), so a preview keeps it only while that is unchanged too.
    bool build = true;
    if (profileMemory.Count() != L + 10) {
        profileMemory.Alloc(L + 10);
    } else if (reuseAllowed && b.pMbp == lastBlock.pMbp && b.pMbw == lastBlock.pMbw &&
               b.pMbr == lastBlock.pMbr && b.standardSize == lastBlock.standardSize) {
        build = false;
    }
    bevelProfile = profileMemory.CommitAs<int32_t>();
    if (build) BuildProfile(b, L);

    checkPoint = kCheckBevelApply;
    const IntMap height(heightMap);
    SetupProgress(start, end, height.Height());
    const auto applyRows = [&](int32_t firstRow, int32_t endRow) {
        for (int32_t y = firstRow; y < endRow; ++y) {
            int32_t* row = height.Row(y);
            for (int32_t x = 0; x < height.Width(); ++x)
                if (row[x] != 0) row[x] = ProfileHeight(row[x]);
        }
    };
    return ForRows(0, height.Height(), height.Width(), applyRows) ? 1 : -1;
}

int ShadingBase::FuncAlpha(ShadeBaseSt* block, int, int) {
    const ShadeBaseSt& b = *block;
    checkPoint = kCheckAlpha;
    int64_t t = static_cast<int64_t>(b.pMba) * b.standardSize / 10;
    const int64_t rel = maxDistance * b.pMba / 100;
    if (t < rel) t = t + (rel - t) * EdgeWeight(b.pMba) / 255;
    if (t == 0 || bevelProfile == nullptr || !MapsFitObject(b)) return 0;

    // The height one pixel in from the rim.  A profile shorter than 256
    // holds its last height for every longer distance.
    const int32_t top = std::max(ProfileHeight(256), 256);

    const CMacRect& o = b.objectRect;
    const IntMap dist(distanceMap);
    const IntMap height(heightMap);
    const ByteMap mask(*b.mask);
    const auto softenRows = [&](int32_t firstRow, int32_t endRow) {
        for (int32_t r = firstRow; r < endRow; ++r) {
            const int32_t* d = dist.Row(r);
            const int32_t* hRow = height.Row(r);
            uint8_t* m = mask.Row(r + o.top - kMapBorder);
            for (int32_t c = kMapBorder; c < height.Width() - kMapBorder; ++c) {
                const int32_t x = c + o.left - kMapBorder;
                if (m[x] != 0 && d[c] < t && hRow[c] < top)
                    m[x] = static_cast<uint8_t>(hRow[c] * 256 / top);
            }
        }
    };
    ForRows(kMapBorder, height.Height() - kMapBorder, height.Width(), softenRows, false);
    return 1;
}
