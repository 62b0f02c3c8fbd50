#include <algorithm>

#include "ImageFunc.h"

namespace {

// One row of a running-sum box filter over the bytes of one channel (every
// `step`-th byte from `in`): out(x) = sum of in(x - r ... x + r) / (2r + 1),
// values beyond the ends counting as 0.
void BoxFilterRow(const uint8_t* in, uint8_t* out, int32_t count, int32_t step, int32_t radius) {
    const int64_t window = 2 * int64_t{radius} + 1;
    int64_t sum = 0;
    for (int32_t x = 0; x <= std::min(radius, count - 1); ++x) sum += in[x * step];
    for (int32_t x = 0; x < count; ++x) {
        out[x * step] = static_cast<uint8_t>(sum / window);
        if (int64_t{x} - radius >= 0) sum -= in[(x - radius) * step];
        if (int64_t{x} + radius + 1 < count) sum += in[(x + radius + 1) * step];
    }
}

void BlurHorizontally(DibEx* from, DibEx* to, int32_t radius) {
    const int32_t unit = from->GetBytesPerPixel();
    for (int32_t line = 0; line < from->GetHeight(); ++line) {
        const uint8_t* in = from->CommitLine(line, 0);
        uint8_t* out = to->CommitLine(line, 0);
        for (int32_t channel = 0; channel < unit; ++channel) {
            BoxFilterRow(in + channel, out + channel, from->GetWidth(), unit, radius);
        }
    }
}

// The same filter down the columns, every byte of a line at once: `sums`
// holds the running sum of each byte column.
void BlurVertically(DibEx* from, DibEx* to, int32_t radius, int64_t* sums) {
    const int64_t window = 2 * int64_t{radius} + 1;
    const int32_t height = from->GetHeight();
    const int32_t bytes = from->GetWidth() * from->GetBytesPerPixel();
    std::fill(sums, sums + bytes, 0);
    for (int32_t line = 0; line <= std::min(radius, height - 1); ++line) {
        const uint8_t* in = from->CommitLine(line, 0);
        for (int32_t i = 0; i < bytes; ++i) sums[i] += in[i];
    }
    for (int32_t line = 0; line < height; ++line) {
        uint8_t* out = to->CommitLine(line, 0);
        for (int32_t i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(sums[i] / window);
        if (int64_t{line} - radius >= 0) {
            const uint8_t* leaving = from->CommitLine(line - radius, 0);
            for (int32_t i = 0; i < bytes; ++i) sums[i] -= leaving[i];
        }
        if (int64_t{line} + radius + 1 < height) {
            const uint8_t* entering = from->CommitLine(line + radius + 1, 0);
            for (int32_t i = 0; i < bytes; ++i) sums[i] += entering[i];
        }
    }
}

}  // namespace

int IMAGE_BlurAroundZero(DibEx* dib, int radius, int passes) {
    if (dib == nullptr || radius < 1 || passes < 1 || !dib->IsValid() || dib->GetBitsPerPixel() < 8) return 0;
    DibEx across(dib->GetKind());
    across.Setup(dib->GetWidth(), dib->GetHeight(), dib->GetBitsPerPixel());
    Vmemory sums(sizeof(int64_t), dib->GetWidth() * dib->GetBytesPerPixel());
    for (int pass = 0; pass < passes; ++pass) {
        BlurHorizontally(dib, &across, radius);
        BlurVertically(&across, dib, radius, sums.CommitAs<int64_t>());
    }
    dib->Decommit();
    return 1;
}
