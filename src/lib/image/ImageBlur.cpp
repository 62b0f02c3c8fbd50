#include <algorithm>

#include "DivideBy.h"
#include "ImageFunc.h"
#include "WorkPool.h"

namespace {

// Lines of a bitmap, by address: the loops below run on several threads and
// take no commits.
struct Lines {
    uint8_t* base;
    int64_t stride;
    uint8_t* Line(int32_t line) const { return base + stride * line; }
};

Lines LinesOf(DibEx* dib) { return {dib->CommitPixel(), dib->GetStride()}; }

// One row of a running-sum box filter over the bytes of one channel (every
// `step`-th byte from `in`): out(x) = sum of in(x - r ... x + r) / (2r + 1),
// values beyond the ends counting as 0.
void BoxFilterRow(const uint8_t* in, uint8_t* out, int32_t count, int32_t step, int32_t radius,
                  const DivideBy& byWindow) {
    int64_t sum = 0;
    for (int32_t x = 0; x <= std::min(radius, count - 1); ++x) sum += in[x * step];
    for (int32_t x = 0; x < count; ++x) {
        out[x * step] = static_cast<uint8_t>(byWindow(sum));
        if (int64_t{x} - radius >= 0) sum -= in[(x - radius) * step];
        if (int64_t{x} + radius + 1 < count) sum += in[(x + radius + 1) * step];
    }
}

void BlurHorizontally(DibEx* from, DibEx* to, int32_t radius, WorkPool& pool) {
    const int32_t unit = from->GetBytesPerPixel();
    const int32_t width = from->GetWidth();
    const Lines in = LinesOf(from);
    const Lines out = LinesOf(to);
    const DivideBy byWindow(2 * int64_t{radius} + 1);
    pool.ForEach(from->GetHeight(), std::max<int64_t>(1, 4096 / std::max(width, 1)), [&](int64_t first, int64_t end) {
        for (auto line = static_cast<int32_t>(first); line < end; ++line)
            for (int32_t channel = 0; channel < unit; ++channel)
                BoxFilterRow(in.Line(line) + channel, out.Line(line) + channel, width, unit, radius, byWindow);
    });
}

// The same filter down the columns, a band of bytes of each line at once:
// `sums` holds the running sum of each byte column.
void BlurVertically(DibEx* from, DibEx* to, int32_t radius, int64_t* sums, WorkPool& pool) {
    constexpr int32_t kBandBytes = 256;
    const DivideBy byWindow(2 * int64_t{radius} + 1);
    const int32_t height = from->GetHeight();
    const int32_t bytes = from->GetWidth() * from->GetBytesPerPixel();
    const Lines source = LinesOf(from);
    const Lines target = LinesOf(to);
    pool.ForEach((bytes + kBandBytes - 1) / kBandBytes, 1, [&](int64_t firstBand, int64_t endBand) {
        const int32_t left = static_cast<int32_t>(firstBand * kBandBytes);
        const int32_t count = static_cast<int32_t>(std::min<int64_t>(endBand * kBandBytes, bytes)) - left;
        int64_t* band = sums + left;
        std::fill(band, band + count, 0);
        for (int32_t line = 0; line <= std::min(radius, height - 1); ++line) {
            const uint8_t* in = source.Line(line) + left;
            for (int32_t i = 0; i < count; ++i) band[i] += in[i];
        }
        for (int32_t line = 0; line < height; ++line) {
            uint8_t* out = target.Line(line) + left;
            for (int32_t i = 0; i < count; ++i) out[i] = static_cast<uint8_t>(byWindow(band[i]));
            if (int64_t{line} - radius >= 0) {
                const uint8_t* leaving = source.Line(line - radius) + left;
                for (int32_t i = 0; i < count; ++i) band[i] -= leaving[i];
            }
            if (int64_t{line} + radius + 1 < height) {
                const uint8_t* entering = source.Line(line + radius + 1) + left;
                for (int32_t i = 0; i < count; ++i) band[i] += entering[i];
            }
        }
    });
}

}  // namespace

int IMAGE_BlurAroundZero(DibEx* dib, int radius, int passes, WorkPool* pool) {
    if (dib == nullptr || radius < 1 || passes < 1 || !dib->IsValid() || dib->GetBitsPerPixel() < 8) return 0;
    WorkPool& threads = pool != nullptr ? *pool : WorkPool::Shared();
    DibEx across(dib->GetKind());
    across.Setup(dib->GetWidth(), dib->GetHeight(), dib->GetBitsPerPixel());
    Vmemory sums(sizeof(int64_t), dib->GetWidth() * dib->GetBytesPerPixel());
    for (int pass = 0; pass < passes; ++pass) {
        BlurHorizontally(dib, &across, radius, threads);
        BlurVertically(&across, dib, radius, sums.CommitAs<int64_t>(), threads);
    }
    dib->Decommit();
    return 1;
}
