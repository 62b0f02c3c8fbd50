#include <algorithm>
#include <iterator>
#include <vector>

#include "DivideBy.h"
#include "ImageFunc.h"
#include "MapRows.h"
#include "WorkPool.h"

namespace {

// The bytes [first, end) of a line between its first and its last byte that
// is not 0; first == end when every byte is 0.
struct Span {
    int32_t first = 0;
    int32_t end = 0;
    bool Empty() const { return first >= end; }
};

Span NonZeroBytes(const uint8_t* line, int32_t count) {
    const uint8_t* end = line + count;
    const uint8_t* first = std::find_if(line, end, [](uint8_t b) { return b != 0; });
    if (first == end) return {};
    const uint8_t* last = std::find_if(std::make_reverse_iterator(end), std::make_reverse_iterator(first),
                                       [](uint8_t b) { return b != 0; }).base();
    return {static_cast<int32_t>(first - line), static_cast<int32_t>(last - line)};
}

// Positions [from, to) of one row of a running-sum box filter over the bytes
// of one channel (every `step`-th byte from `in`): out(x) = sum of
// in(x - r ... x + r) / (2r + 1), values beyond the ends counting as 0.
void BoxFilterRow(const uint8_t* in, uint8_t* out, int32_t count, int32_t step, int32_t radius,
                  const DivideBy& byWindow, int32_t from, int32_t to) {
    int64_t sum = 0;
    const auto last = static_cast<int32_t>(std::min<int64_t>(int64_t{from} + radius, count - 1));
    for (auto x = static_cast<int32_t>(std::max<int64_t>(int64_t{from} - radius, 0)); x <= last; ++x)
        sum += in[x * step];
    for (int32_t x = from; x < to; ++x) {
        out[x * step] = static_cast<uint8_t>(byWindow(sum));
        if (int64_t{x} - radius >= 0) sum -= in[(x - radius) * step];
        if (int64_t{x} + radius + 1 < count) sum += in[(x + radius + 1) * step];
    }
}

// Filters every line of `from` into `to` and returns for each line the bytes
// of `to` that may be other than 0.  Pixels farther than the radius from every
// non-zero byte of their line are 0 and written without filtering, so a
// shadow with wide empty margins costs what its content costs.
std::vector<Span> BlurHorizontally(DibEx* from, DibEx* to, int32_t radius, WorkPool& pool) {
    const int32_t unit = from->GetBytesPerPixel();
    const int32_t width = from->GetWidth();
    const int32_t bytes = width * unit;
    const MapRows<uint8_t> in(*from);
    const MapRows<uint8_t> out(*to);
    const DivideBy byWindow(2 * int64_t{radius} + 1);
    std::vector<Span> spans(static_cast<size_t>(from->GetHeight()));
    pool.ForEach(from->GetHeight(), std::max<int64_t>(1, 4096 / std::max(width, 1)), [&](int64_t first, int64_t end) {
        for (auto line = static_cast<int32_t>(first); line < end; ++line) {
            const uint8_t* source = in.Row(line);
            uint8_t* target = out.Row(line);
            const Span content = NonZeroBytes(source, bytes);
            if (content.Empty()) {
                std::fill(target, target + bytes, 0);
                continue;
            }
            const auto left = static_cast<int32_t>(std::max<int64_t>(int64_t{content.first / unit} - radius, 0));
            const auto right =
                static_cast<int32_t>(std::min<int64_t>(int64_t{(content.end - 1) / unit} + radius + 1, width));
            std::fill(target, target + left * unit, 0);
            std::fill(target + right * unit, target + bytes, 0);
            for (int32_t channel = 0; channel < unit; ++channel)
                BoxFilterRow(source + channel, target + channel, width, unit, radius, byWindow, left, right);
            spans[static_cast<size_t>(line)] = {left * unit, right * unit};
        }
    });
    return spans;
}

// The same filter down the columns, a band of bytes of each line at once:
// `sums` holds the running sum of each byte column.  `spans` tells the bytes
// of each line of `from` that may be other than 0: only the columns of their
// union are filtered, and only the lines within the radius of a non-empty
// span; every other byte of `to` is 0.
void BlurVertically(DibEx* from, DibEx* to, int32_t radius, const std::vector<Span>& spans, int64_t* sums,
                    WorkPool& pool) {
    constexpr int32_t kBandBytes = 256;
    const int32_t height = from->GetHeight();
    const int32_t bytes = from->GetWidth() * from->GetBytesPerPixel();
    const MapRows<uint8_t> source(*from);
    const MapRows<uint8_t> target(*to);

    Span columns{bytes, 0};
    int32_t top = height;
    int32_t bottom = 0;
    for (int32_t line = 0; line < height; ++line) {
        const Span& s = spans[static_cast<size_t>(line)];
        if (s.Empty()) continue;
        columns = {std::min(columns.first, s.first), std::max(columns.end, s.end)};
        top = std::min(top, line);
        bottom = line + 1;
    }
    const auto firstOut = static_cast<int32_t>(std::max<int64_t>(int64_t{top} - radius, 0));
    const auto endOut = static_cast<int32_t>(std::min<int64_t>(int64_t{bottom} + radius, height));
    pool.ForEach(height, std::max<int64_t>(1, 4096 / std::max(bytes, 1)), [&](int64_t first, int64_t end) {
        for (auto line = static_cast<int32_t>(first); line < end; ++line) {
            uint8_t* out = target.Row(line);
            if (line < firstOut || line >= endOut || columns.Empty()) {
                std::fill(out, out + bytes, 0);
            } else {
                std::fill(out, out + columns.first, 0);
                std::fill(out + columns.end, out + bytes, 0);
            }
        }
    });
    if (columns.Empty()) return;

    const int32_t width = columns.end - columns.first;
    const auto filterBands = [&](const auto& byWindow) {
        pool.ForEach((width + kBandBytes - 1) / kBandBytes, 1, [&](int64_t firstBand, int64_t endBand) {
            // A copy of its own, which no store to the lines can change, lets
            // the division loop be vectorised.
            const auto divide = byWindow;
            const auto left = static_cast<int32_t>(columns.first + firstBand * kBandBytes);
            const int32_t count =
                static_cast<int32_t>(std::min<int64_t>(columns.first + endBand * kBandBytes, columns.end)) - left;
            int64_t* band = sums + left;
            std::fill(band, band + count, 0);
            const auto last = static_cast<int32_t>(std::min<int64_t>(int64_t{firstOut} + radius, height - 1));
            for (auto line = static_cast<int32_t>(std::max<int64_t>(int64_t{firstOut} - radius, 0)); line <= last;
                 ++line) {
                const uint8_t* in = source.Row(line) + left;
                for (int32_t i = 0; i < count; ++i) band[i] += in[i];
            }
            for (int32_t line = firstOut; line < endOut; ++line) {
                uint8_t* out = target.Row(line) + left;
                for (int32_t i = 0; i < count; ++i) out[i] = static_cast<uint8_t>(divide(band[i]));
                if (int64_t{line} - radius >= 0) {
                    const uint8_t* leaving = source.Row(line - radius) + left;
                    for (int32_t i = 0; i < count; ++i) band[i] -= leaving[i];
                }
                if (int64_t{line} + radius + 1 < height) {
                    const uint8_t* entering = source.Row(line + radius + 1) + left;
                    for (int32_t i = 0; i < count; ++i) band[i] += entering[i];
                }
            }
        });
    };
    // A column's sum is at most 255 times the lines of its window: below 2^31
    // the small divider gives the same quotients.
    const int64_t window = 2 * int64_t{radius} + 1;
    if (window <= (int64_t{1} << 31) && 255 * std::min<int64_t>(window, height) < (int64_t{1} << 31)) {
        const DivideSmallBy small(static_cast<uint32_t>(window));
        filterBands([small](int64_t sum) { return small(static_cast<uint32_t>(sum)); });
    } else {
        filterBands(DivideBy(window));
    }
}

}  // namespace

int IMAGE_BlurAroundZero(DibEx* dib, int radius, int passes, WorkPool* pool) {
    if (dib == nullptr || radius < 1 || passes < 1 || !dib->IsValid() || dib->GetBitsPerPixel() < 8) return 0;
    WorkPool& threads = pool != nullptr ? *pool : WorkPool::Shared();
    DibEx across(dib->GetKind());
    across.Setup(dib->GetWidth(), dib->GetHeight(), dib->GetBitsPerPixel());
    Vmemory sums(sizeof(int64_t), dib->GetWidth() * dib->GetBytesPerPixel());
    for (int pass = 0; pass < passes; ++pass) {
        const std::vector<Span> spans = BlurHorizontally(dib, &across, radius, threads);
        BlurVertically(&across, dib, radius, spans, sums.CommitAs<int64_t>(), threads);
    }
    dib->Decommit();
    return 1;
}
