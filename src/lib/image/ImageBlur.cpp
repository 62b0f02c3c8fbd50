#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

#include "DivideBy.h"
#include "ImageFunc.h"
#include "Vmemory.h"
#include "WorkPool.h"

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
    int64_t sum = 0;
    const int64_t first = std::max<int64_t>(int64_t{from} - radius, 0);
    const int64_t last = std::min<int64_t>(int64_t{from} + radius, count - 1);
    for (int64_t x = first; x <= last; ++x) sum += in[x * step];
    const int64_t leaves = radius;                       // from here x - r lies in the line
    const int64_t enters = int64_t{count} - radius - 1;  // up to here x + r + 1 does
    // The bytes entering and leaving the window of position x.  The leaving
    // byte is addressed only from `leaves` on, where it lies in the line.
    const uint8_t* entering = in + (int64_t{from} + radius + 1) * step;
    const auto leavingAt = [&](int64_t at) { return in + (std::max(at, leaves) - radius) * step; };
    Sum* next = sums;
    int64_t x = from;
    for (; x < to && x < leaves && x < enters; ++x, entering += step) {
        *next++ = static_cast<Sum>(sum);
        sum += *entering;
    }
    const uint8_t* leaving = leavingAt(x);
    for (; x < to && x < enters; ++x, entering += step, leaving += step) {
        *next++ = static_cast<Sum>(sum);
        sum += *entering - *leaving;
    }
    for (; x < to && x < leaves; ++x) *next++ = static_cast<Sum>(sum);
    leaving = leavingAt(x);
    for (; x < to; ++x, leaving += step) {
        *next++ = static_cast<Sum>(sum);
        sum -= *leaving;
    }
    const Divide d = divide;
    if (step == 1) {
        for (int32_t i = 0; i < to - from; ++i) out[i] = static_cast<uint8_t>(d(sums[i]));
    } else {
        for (int32_t i = 0; i < to - from; ++i) out[int64_t{i} * step] = static_cast<uint8_t>(d(sums[i]));
    }
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
        // A copy of its own, which no store to the lines can change, lets the
        // division loop be vectorised.
        const Divide d = divide;
        const auto start = static_cast<int32_t>(left + firstBand * bandBytes);
        const auto count = static_cast<int32_t>(std::min<int64_t>(left + endBand * bandBytes, left + bytes) - start);
        std::unique_ptr<Sum[]> band(new Sum[static_cast<size_t>(count)]());
        const int64_t lastLine = std::min<int64_t>(int64_t{area.top} + radius, content.bottom - 1);
        for (int64_t line = std::max<int64_t>(int64_t{area.top} - radius, content.top); line <= lastLine; ++line) {
            const uint8_t* in = from.At(static_cast<int32_t>(line), start);
            for (int32_t i = 0; i < count; ++i) band[i] += in[i];
        }
        // Lines outside the content read as this line of zeros.
        const std::unique_ptr<uint8_t[]> none(new uint8_t[static_cast<size_t>(count)]());
        for (int32_t line = area.top; line < area.bottom; ++line) {
            uint8_t* out = to.At(line, start);
            const uint8_t* leaving = inContent(int64_t{line} - radius) ? from.At(line - radius, start) : none.get();
            const uint8_t* entering =
                inContent(int64_t{line} + radius + 1) ? from.At(line + radius + 1, start) : none.get();
            for (int32_t i = 0; i < count; ++i) {
                out[i] = static_cast<uint8_t>(d(band[i]));
                band[i] += static_cast<Sum>(entering[i]) - static_cast<Sum>(leaving[i]);
            }
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
    // 2^31 it fits 32 bits and the small divider gives the same quotients.
    const int64_t window = 2 * int64_t{radius} + 1;
    const int64_t longest = std::max(map.Width(), map.Height());
    if (window <= (int64_t{1} << 31) && 255 * std::min(window, longest) < (int64_t{1} << 31)) {
        const DivideSmallBy small(static_cast<uint32_t>(window));
        RunPasses<uint32_t>(image, across, plan, source, target, unit, radius, small, threads);
    } else {
        RunPasses<int64_t>(image, across, plan, source, target, unit, radius, DivideBy(window), threads);
    }
    dib->Decommit();
    return 1;
}
