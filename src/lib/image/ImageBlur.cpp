#include <algorithm>
#include <cstddef>
#include <memory>
#include <type_traits>
#include <vector>

#include "DivideBy.h"
#include "ImageFunc.h"
#include "Vmemory.h"
#include "WorkPool.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// Lines of a bitmap or of a buffer that holds a window of one: At(line, byte)
// addresses a byte in bitmap coordinates.
struct Plane {
    uint8_t* base;
    std::ptrdiff_t stride;
    int32_t top;
    int32_t leftByte;

    uint8_t* At(int32_t line, int32_t byte) const {
        return base + stride * (line - top) + (byte - leftByte);
    }
};

CMacRect Bound(const CMacRect& a, const CMacRect& b) {
    if (a.IsRectEmpty()) return b;
    if (b.IsRectEmpty()) return a;
    return CMacRect(std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                    std::max(a.bottom, b.bottom));
}

// `r` grown by dx columns and dy lines on each side, within `bounds`.
CMacRect Grow(const CMacRect& r, int32_t dx, int32_t dy, const CMacRect& bounds) {
    if (r.IsRectEmpty()) return r;
    const auto clamp = [](int64_t v, int32_t lo, int32_t hi) { return static_cast<int32_t>(std::clamp<int64_t>(v, lo, hi)); };
    return bounds.Intersection(CMacRect(clamp(int64_t{r.left} - dx, bounds.left, bounds.right),
                                        clamp(int64_t{r.top} - dy, bounds.top, bounds.bottom),
                                        clamp(int64_t{r.right} + dx, bounds.left, bounds.right),
                                        clamp(int64_t{r.bottom} + dy, bounds.top, bounds.bottom)));
}

// The rectangles of one pass: the horizontal filter writes `across`, the
// vertical one `down`; beyond them the pass's result is 0.
struct PassAreas {
    CMacRect across;
    CMacRect down;
};

// Each pass only computes what the passes after it read: the last pass the
// wanted rectangle, each earlier one that grown by the radius; and only where
// the content (grown by the radius at every filter) can reach.
std::vector<PassAreas> PlanPasses(const CMacRect& map, const CMacRect& content, const CMacRect& wanted,
                                  int32_t radius, int passes) {
    std::vector<CMacRect> needed(static_cast<size_t>(passes));
    needed.back() = wanted;
    for (int pass = passes - 1; pass > 0; --pass)
        needed[static_cast<size_t>(pass - 1)] = Grow(needed[static_cast<size_t>(pass)], radius, radius, map);
    std::vector<PassAreas> plan;
    CMacRect reached = content;
    for (const CMacRect& need : needed) {
        const CMacRect lines = Grow(need, 0, radius, map);
        const CMacRect across =
            Grow(reached, radius, 0, map).Intersection(CMacRect(need.left, lines.top, need.right, lines.bottom));
        const CMacRect down = need.Intersection(Grow(across, 0, radius, map));
        plan.push_back({across, down});
        reached = down;
    }
    return plan;
}

// The sum of `count` bytes, every `step`-th from `in`; neighbouring bytes 16
// at a time where the processor sums them in one instruction.
int64_t SumBytes(const uint8_t* in, int32_t step, int64_t count) {
    int64_t sum = 0;
    int64_t i = 0;
#ifdef __SSE2__
    if (step == 1) {
        __m128i sums = _mm_setzero_si128();
        for (; i + 16 <= count; i += 16)
            sums = _mm_add_epi64(sums, _mm_sad_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i)),
                                                    _mm_setzero_si128()));
        sum = _mm_cvtsi128_si64(sums) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums));
    }
#endif
    for (; i < count; ++i) sum += in[i * step];
    return sum;
}

// The running sum of `count` steps from `sum`, going to sums[i] before step
// i, each step adding the byte entering (if any) and taking away the byte
// leaving (if any), every `step`-th byte from their pointers.  Returns the
// sum after the last step.
template <bool kEntering, bool kLeaving, class Sum>
int64_t SlideSums(const uint8_t* entering, const uint8_t* leaving, int32_t step, int64_t count, int64_t sum,
                  Sum* sums) {
    for (int64_t i = 0; i < count; ++i) {
        sums[i] = static_cast<Sum>(sum);
        if constexpr (kEntering) sum += entering[i * step];
        if constexpr (kLeaving) sum -= leaving[i * step];
    }
    return sum;
}

#ifdef __SSE2__
// The same for neighbouring bytes and sums below 2^31, 16 steps at a time:
// the differences of entering and leaving bytes as 16-bit lanes, summed up to
// each lane by three shifted additions (at most 8 * 255 in a lane), then
// widened and added to the running sum.  Integer sums are exact in any
// order.
template <bool kEntering, bool kLeaving>
int64_t SlideSums(const uint8_t* entering, const uint8_t* leaving, int32_t step, int64_t count, int64_t sum,
                  uint32_t* sums) {
    if (step != 1) return SlideSums<kEntering, kLeaving, uint32_t>(entering, leaving, step, count, sum, sums);
    const __m128i zero = _mm_setzero_si128();
    __m128i running = _mm_set1_epi32(static_cast<int32_t>(sum));
    int64_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m128i in = kEntering ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(entering + i)) : zero;
        const __m128i out = kLeaving ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(leaving + i)) : zero;
        const __m128i halves[2] = {_mm_sub_epi16(_mm_unpacklo_epi8(in, zero), _mm_unpacklo_epi8(out, zero)),
                                   _mm_sub_epi16(_mm_unpackhi_epi8(in, zero), _mm_unpackhi_epi8(out, zero))};
        for (int half = 0; half < 2; ++half) {
            __m128i upTo = _mm_add_epi16(halves[half], _mm_slli_si128(halves[half], 2));
            upTo = _mm_add_epi16(upTo, _mm_slli_si128(upTo, 4));
            upTo = _mm_add_epi16(upTo, _mm_slli_si128(upTo, 8));
            const __m128i before = _mm_slli_si128(upTo, 2);
            uint32_t* to = sums + i + half * 8;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to),
                             _mm_add_epi32(running, _mm_srai_epi32(_mm_unpacklo_epi16(before, before), 16)));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 4),
                             _mm_add_epi32(running, _mm_srai_epi32(_mm_unpackhi_epi16(before, before), 16)));
            const __m128i all = _mm_srai_epi32(_mm_unpackhi_epi16(upTo, upTo), 16);
            running = _mm_add_epi32(running, _mm_shuffle_epi32(all, 0xff));
        }
    }
    return SlideSums<kEntering, kLeaving, uint32_t>(kEntering ? entering + i : nullptr, kLeaving ? leaving + i : nullptr,
                                                    1, count - i, _mm_cvtsi128_si32(running), sums + i);
}
#endif

// out[i * step] = sums[i] / the divider, for `count` sums.
template <class Sum, class Divide>
[[gnu::always_inline]] inline void DivideSums(const Sum* __restrict sums, uint8_t* __restrict out, int32_t count,
                                              int32_t step, const Divide& divide) {
    const Divide d = divide;
    if (step == 1) {
        for (int32_t i = 0; i < count; ++i) out[i] = static_cast<uint8_t>(d(sums[i]));
    } else {
        for (int32_t i = 0; i < count; ++i) out[int64_t{i} * step] = static_cast<uint8_t>(d(sums[i]));
    }
}

// The usual sums and divider, with wider vectors where the processor has
// them.
__attribute__((target_clones("avx2", "default"))) void DivideSums(const uint32_t* sums, uint8_t* out, int32_t count,
                                                                  int32_t step, const DivideInFloatBy& divide) {
    DivideSums<uint32_t, DivideInFloatBy>(sums, out, count, step, divide);
}

// Two lines of the filter down the columns, which read and write the band's
// sums once: out(k)[i] = the band's sum / the divider, then the sum moves
// down a line, taking in entering(k)[i] and giving up leaving(k)[i].
struct TwoLines {
    const uint8_t* entering[2];
    const uint8_t* leaving[2];
    uint8_t* out[2];
};

template <class Sum, class Divide>
[[gnu::always_inline]] inline void SlideBand(Sum* __restrict band, const TwoLines& lines, int32_t count,
                                             const Divide& divide) {
    const Divide d = divide;  // a copy that no store can change, so that the loop is vectorised
    const uint8_t* entering0 = lines.entering[0];
    const uint8_t* entering1 = lines.entering[1];
    const uint8_t* leaving0 = lines.leaving[0];
    const uint8_t* leaving1 = lines.leaving[1];
    uint8_t* __restrict out0 = lines.out[0];
    uint8_t* __restrict out1 = lines.out[1];
    for (int32_t i = 0; i < count; ++i) {
        Sum sum = band[i];
        out0[i] = static_cast<uint8_t>(d(sum));
        sum += static_cast<Sum>(entering0[i]) - static_cast<Sum>(leaving0[i]);
        out1[i] = static_cast<uint8_t>(d(sum));
        band[i] = sum + static_cast<Sum>(entering1[i]) - static_cast<Sum>(leaving1[i]);
    }
}

__attribute__((target_clones("avx2", "default"))) void SlideBand(uint32_t* band, const TwoLines& lines, int32_t count,
                                                                 const DivideInFloatBy& divide) {
    SlideBand<uint32_t, DivideInFloatBy>(band, lines, count, divide);
}

// Positions [from, to) of one channel (every `step`-th byte from `in`) of a
// running-sum box filter over `count` positions, position `from` going to
// out[0]: out(x) = sum of in(x - r ... x + r) / (2r + 1), positions outside
// [0, count) counting as 0; -r <= from and to <= count + r.  The sums go to
// `sums` first, in four runs by which ends of the window lie in the line, so
// that no step tests them; the divisions then run as one loop of independent
// steps.
template <class Sum, class Divide>
void BoxFilterRow(const uint8_t* in, uint8_t* out, int32_t count, int32_t step, int32_t radius,
                  const Divide& divide, int32_t from, int32_t to, Sum* sums) {
    const int64_t first = std::max<int64_t>(int64_t{from} - radius, 0);
    const int64_t last = std::min<int64_t>(int64_t{from} + radius, count - 1);
    int64_t sum = SumBytes(in + first * step, step, last - first + 1);
    const int64_t leaves = radius;                       // from here x - r lies in the line
    const int64_t enters = int64_t{count} - radius - 1;  // up to here x + r + 1 does
    // Each run forms the addresses of the entering and leaving bytes only
    // where they lie in the line.
    int64_t x = from;
    const auto run = [&](auto entering, auto leaving, int64_t until) {
        const int64_t steps = std::max<int64_t>(std::min<int64_t>(until, to) - x, 0);
        const uint8_t* enteringAt = entering ? in + (x + radius + 1) * step : nullptr;
        const uint8_t* leavingAt = leaving ? in + (x - radius) * step : nullptr;
        sum = SlideSums<entering, leaving>(enteringAt, leavingAt, step, steps, sum, sums + (x - from));
        x += steps;
    };
    run(std::true_type(), std::false_type(), std::min(leaves, enters));
    run(std::true_type(), std::true_type(), enters);
    run(std::false_type(), std::false_type(), leaves);
    run(std::false_type(), std::true_type(), to);
    DivideSums(sums, out, to - from, step, divide);
}

// The filter along the lines: `area` of `to` from the bytes of `from` inside
// `content` (pixels), every other byte counting as 0.  The area's lines lie
// within the content's.
template <class Sum, class Divide>
void BlurHorizontally(const Plane& from, const Plane& to, const CMacRect& content, const CMacRect& area,
                      int32_t unit, int32_t radius, const Divide& divide, WorkPool& pool) {
    const int32_t count = content.Width();
    pool.ForEach(area.Height(), std::max<int64_t>(1, 4096 / std::max(area.Width(), 1)), [&](int64_t first, int64_t end) {
        std::unique_ptr<Sum[]> sums(new Sum[static_cast<size_t>(area.Width())]);
        for (auto line = static_cast<int32_t>(area.top + first); line < area.top + end; ++line) {
            uint8_t* out = to.At(line, area.left * unit);
            const uint8_t* in = from.At(line, content.left * unit);
            const int32_t offset = area.left - content.left;
            for (int32_t channel = 0; channel < unit; ++channel)
                BoxFilterRow(in + channel, out + channel, count, unit, radius, divide, offset,
                             offset + area.Width(), sums.get());
        }
    });
}

// The filter down the columns: `area` of `to` from the lines of `from` inside
// `content`, every other line counting as 0.  A band of byte columns runs
// down the lines with the running sum of each column; bands are wide, so that
// every line is read in long runs.
template <class Sum, class Divide>
void BlurVertically(const Plane& from, const Plane& to, const CMacRect& content, const CMacRect& area,
                    int32_t unit, int32_t radius, const Divide& divide, WorkPool& pool) {
    const int32_t left = area.left * unit;
    const int32_t bytes = area.Width() * unit;
    const int32_t bandBytes = std::max(256, (bytes / (2 * pool.Threads()) + 63) / 64 * 64);
    const auto inContent = [&](int64_t line) { return line >= content.top && line < content.bottom; };
    pool.ForEach((bytes + bandBytes - 1) / bandBytes, 1, [&](int64_t firstBand, int64_t endBand) {
        const auto start = static_cast<int32_t>(left + firstBand * bandBytes);
        const auto count = static_cast<int32_t>(std::min<int64_t>(left + endBand * bandBytes, left + bytes) - start);
        std::unique_ptr<Sum[]> band(new Sum[static_cast<size_t>(count)]());
        const int64_t lastLine = std::min<int64_t>(int64_t{area.top} + radius, content.bottom - 1);
        for (int64_t line = std::max<int64_t>(int64_t{area.top} - radius, content.top); line <= lastLine; ++line) {
            const uint8_t* in = from.At(static_cast<int32_t>(line), start);
            for (int32_t i = 0; i < count; ++i) band[i] += in[i];
        }
        // Lines outside the content read as this line of zeros; an odd last
        // line is paired with one written to `spare`.
        const std::unique_ptr<uint8_t[]> none(new uint8_t[static_cast<size_t>(count)]());
        const std::unique_ptr<uint8_t[]> spare(new uint8_t[static_cast<size_t>(count)]);
        const auto read = [&](int64_t line) {
            return inContent(line) ? from.At(static_cast<int32_t>(line), start) : none.get();
        };
        for (int32_t line = area.top; line < area.bottom; line += 2) {
            const int64_t next = int64_t{line} + 1;
            const bool pair = next < area.bottom;
            const TwoLines lines{{read(line + int64_t{radius} + 1), pair ? read(next + radius + 1) : none.get()},
                                 {read(line - int64_t{radius}), pair ? read(next - radius) : none.get()},
                                 {to.At(line, start), pair ? to.At(line + 1, start) : spare.get()}};
            SlideBand(band.get(), lines, count, divide);
        }
    });
}

void FillArea(const Plane& plane, const CMacRect& area, int32_t unit) {
    for (int32_t line = area.top; line < area.bottom; ++line) {
        uint8_t* row = plane.At(line, area.left * unit);
        std::fill(row, row + area.Width() * unit, 0);
    }
}

// Runs the planned passes with sums of type Sum divided by `divide`.
template <class Sum, class Divide>
void RunPasses(const Plane& image, const Plane& across, const std::vector<PassAreas>& plan, CMacRect content,
               const CMacRect& wanted, int32_t unit, int32_t radius, const Divide& divide, WorkPool& pool) {
    for (const PassAreas& pass : plan) {
        if (pass.down.IsRectEmpty()) {
            content = CMacRect();
            break;
        }
        BlurHorizontally<Sum>(image, across, content, pass.across, unit, radius, divide, pool);
        BlurVertically<Sum>(across, image, pass.across, pass.down, unit, radius, divide, pool);
        content = pass.down;
    }
    // What no content reaches is 0.
    const CMacRect around[] = {
        CMacRect(wanted.left, wanted.top, wanted.right, content.IsRectEmpty() ? wanted.bottom : content.top),
        CMacRect(wanted.left, content.bottom, wanted.right, content.IsRectEmpty() ? content.bottom : wanted.bottom),
        CMacRect(wanted.left, content.top, content.left, content.bottom),
        CMacRect(content.right, content.top, wanted.right, content.bottom)};
    for (const CMacRect& r : around)
        if (!r.IsRectEmpty()) FillArea(image, r, unit);
}

CMacRect AreaOf(const DibEx& dib, const tagRECT* rect) {
    const CMacRect map(0, 0, dib.GetWidth(), dib.GetHeight());
    return rect == nullptr ? map : map.Intersection(CMacRect(*rect));
}

}  // namespace

int IMAGE_BlurAroundZero(DibEx* dib, int radius, int passes, WorkPool* pool, const tagRECT* content,
                         const tagRECT* wanted) {
    if (dib == nullptr || radius < 1 || passes < 1 || !dib->IsValid() || dib->GetBitsPerPixel() < 8) return 0;
    WorkPool& threads = pool != nullptr ? *pool : WorkPool::Shared();
    const int32_t unit = dib->GetBytesPerPixel();
    const CMacRect map(0, 0, dib->GetWidth(), dib->GetHeight());
    const CMacRect source = AreaOf(*dib, content);
    const CMacRect target = AreaOf(*dib, wanted);
    const std::vector<PassAreas> plan = PlanPasses(map, source, target, radius, passes);

    // The horizontal results go to a buffer that spans only their areas.
    CMacRect spanned;
    for (const PassAreas& pass : plan) spanned = Bound(spanned, pass.across);
    const int64_t stride = std::max<int64_t>(int64_t{spanned.Width()} * unit, 1);
    Vmemory buffer(static_cast<int32_t>(stride), std::max(spanned.Height(), 1));
    const Plane image{dib->CommitPixel(), dib->GetStride(), 0, 0};
    const Plane across{buffer.CommitAs<uint8_t>(), stride, spanned.top, spanned.left * unit};

    // A sum is at most 255 times the lines or columns of its window: below
    // 2^24 it fits 32 bits and the division in single precision gives the
    // same quotients.
    const int64_t window = 2 * int64_t{radius} + 1;
    const int64_t longest = std::max(map.Width(), map.Height());
    if (window <= DivideInFloatBy::kLimit && 255 * std::min(window, longest) < DivideInFloatBy::kLimit) {
        RunPasses<uint32_t>(image, across, plan, source, target, unit, radius, DivideInFloatBy(window), threads);
    } else {
        RunPasses<int64_t>(image, across, plan, source, target, unit, radius, DivideBy(window), threads);
    }
    dib->Decommit();
    return 1;
}
