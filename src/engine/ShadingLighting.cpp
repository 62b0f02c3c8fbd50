// The lighting and material loop: per pixel a normal from the height map, an
// ambient and two directional lights, the material colour with texture tint
// and show-through, the foreground overlay, the highlight and the gammas.
#include <emmintrin.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <memory>
#include <vector>

#include "EngineMaps.h"
#include "ShadingBase.h"

namespace {

double GammaOf(int32_t g) { return g >= 0 ? 1.0 + 8.0 * g / 256.0 : 1.0 / (1.0 - 8.0 * g / 256.0); }

// trunc(pow(rz, exponent) * strength) for a reflection rz in [0, 1], read
// from a table of the reflections where the integer steps, so that the power
// is taken only right next to a step.
//
// With e = exponent >= 1 and K = floor(|strength|), the value steps from k - 1
// to k (in magnitude) at t_k = (k / |strength|)^(1/e), k = 1..K.  Each t_k, as
// computed, is kept as a band [t_k (1 - m), t_k (1 + m)], m = kMargin.  An rz
// above the bands of t_1..t_k and below the band of t_(k+1) gets k; an rz in
// a band takes the power.  Why that k is what the power gives:
// - The computed t_k is within a relative 2e-15 of the exact root: one
//   rounding each for k/|strength|, 1/e and the band bound, the power's error
//   below one ulp, and the error of 1/e magnified by |ln t_k| <= ln 4096 < 9
//   (|strength| < 4096 here): about (1 + 1 + 2 + 9) * 2^-53 < 2e-15.
// - Above the band of t_k, the exact rz^e |strength| is at least
//   k (1 + m - 4e-15)^e > k (1 + m / 2); the computed power (error below one
//   ulp) times |strength| (one rounding) then still exceeds k.
// - Below the band of t_(k+1), the exact value is at most
//   (k + 1)(1 - m + 4e-15)^e < (k + 1)(1 - m / 2), and the computed one stays
//   below k + 1.  Above the last band: pow(rz, e) <= 1 for rz <= 1, so the
//   product is at most |strength| < K + 1.
// - A negative strength gives the negated product, truncated alike.
// An exponent below 1, no strength or a strength too great for the table
// leave the table empty: every reflection then takes the power.
class HighlightSteps {
public:
    void Build(double strength, double exponent) {
        const double magnitude = std::abs(strength);
        if (!(exponent >= 1.0) || strength == 0.0 || !(magnitude < kMaxSteps)) return;
        const int32_t steps = static_cast<int32_t>(magnitude);
        const double root = 1.0 / exponent;
        low_.resize(steps + 1);
        high_.resize(steps + 1);
        double narrowest = 1.0;
        double previous = 0.0;
        for (int32_t k = 0; k < steps; ++k) {
            const double t = std::pow((k + 1) / magnitude, root);
            low_[k] = t * (1.0 - kMargin);
            high_[k] = t * (1.0 + kMargin);
            if (k > 0) narrowest = std::min(narrowest, t - previous);
            previous = t;
        }
        // The ends of the search: no reflection reaches these.
        low_[steps] = high_[steps] = std::numeric_limits<double>::infinity();
        sign_ = strength < 0.0 ? -1 : 1;
        base_ = steps > 0 ? low_[0] : 1.0;
        // Buckets an eighth as wide as the narrowest step, so that most
        // buckets hold no band; their count is bounded by the steps.
        const double buckets = std::clamp(8.0 * (1.0 - base_) / std::max(narrowest, 1e-300), 1.0, 128.0 * steps + 16.0);
        scale_ = buckets / std::max(1.0 - base_, 1e-300);
        // The bands that lie wholly below every rz of a bucket: Bucket() never
        // decreases with rz, so a band whose top falls in an earlier bucket is
        // below every rz of a later one.
        buckets_.assign(static_cast<size_t>(buckets) + 2, 0);
        last_ = static_cast<double>(buckets_.size() - 1);
        for (int32_t k = 0; k < steps; ++k) {
            const size_t b = Bucket(high_[k]);
            if (b + 1 < buckets_.size()) ++buckets_[b + 1];
        }
        for (size_t b = 1; b < buckets_.size(); ++b) buckets_[b] += buckets_[b - 1];
        // A bucket before the bucket of the bottom of the next band holds
        // only reflections between the bands: its count is their value.  That
        // needs the bands in order, as the search relies on them anyway.
        if (std::is_sorted(high_.begin(), high_.end())) {
            std::vector<size_t> bottoms(steps + 1);  // the bucket of the bottom of each band
            for (int32_t k = 0; k <= steps; ++k) bottoms[k] = Bucket(low_[k]);
            for (size_t b = 0; b < buckets_.size(); ++b)
                if (b < bottoms[buckets_[b]]) buckets_[b] |= kBetweenBands;
        }
        built_ = true;
    }

    // The value at rz, or false when the power must be taken.
    bool Find(double rz, int32_t* value) const {
        if (!built_) return false;
        const uint16_t bucket = buckets_[Bucket(rz)];
        int32_t k = bucket & kBandsBelow;
        if (!(bucket & kBetweenBands)) {
            // A bucket holds about one band at most: two steps without
            // branches nearly always finish the count.
            k += high_[k] < rz;
            k += high_[k] < rz;
            while (high_[k] < rz) ++k;
            if (low_[k] <= rz) return false;
        }
        *value = sign_ * k;
        return true;
    }

    // What ShadeNormals() needs to find four values at once, in the same
    // operations as Bucket(); no buckets when there is no table.
    struct Lanes {
        const uint16_t* buckets = nullptr;
        double base = 0.0;
        double scale = 0.0;
        double last = 0.0;
        int32_t sign = 0;
    };
    Lanes ForLanes() const { return built_ ? Lanes{buckets_.data(), base_, scale_, last_, sign_} : Lanes{}; }

    // A bucket: the bands below it, and whether it lies between two bands.
    static constexpr uint16_t kBandsBelow = 0x7FFF;
    static constexpr uint16_t kBetweenBands = 0x8000;

private:
    static constexpr double kMargin = 1e-10;
    static constexpr double kMaxSteps = 4096.0;

    // Bucket 0 holds the reflections below the first band (and no number),
    // the others equal parts of the rest; the last one ends the table.
    size_t Bucket(double rz) const {
        const double position = (rz - base_) * scale_ + 1.0;
        // Between 0 and the last bucket, far inside the range of int32_t.
        return static_cast<size_t>(static_cast<int32_t>(std::min(position > 0.0 ? position : 0.0, last_)));
    }

    bool built_ = false;
    int32_t sign_ = 1;
    double base_ = 1.0;
    double scale_ = 1.0;
    double last_ = 0.0;  // the last bucket
    std::vector<double> low_;
    std::vector<double> high_;
    std::vector<uint16_t> buckets_;
};

struct Light {
    bool lit = false;
    int32_t power = 0;
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double strength = 0.0;  // specular strength
    double faintBelow = 0.0;  // reflections below this add no highlight
    HighlightSteps steps;

    int32_t Highlight(double rz, double exponent) const {
        // Without strength, at a faint reflection, or at r = 0 with a
        // positive exponent, the power adds 0.
        if (strength == 0.0 || !(rz > 0.0 || exponent == 0.0) || rz < faintBelow) return 0;
        int32_t value = 0;
        if (steps.Find(rz, &value)) return value;
        return static_cast<int32_t>(std::pow(rz, exponent) * strength);
    }
};

// The reflection below which pow(r, exponent) * strength stays below 1 in
// magnitude and so truncates to 0: the power need not be taken there.  The
// bound is lowered by a millionth, far more than the rounding of the power,
// the product and the bound itself; exponents below 1 get no bound.
double FaintBelow(double strength, double exponent) {
    if (!(exponent >= 1.0) || strength == 0.0) return 0.0;
    return std::pow(1.0 / std::abs(strength), 1.0 / exponent) * (1.0 - 1e-6);
}

// Everything of the loop that does not depend on the pixel.
struct LightingSetup {
    double z = 0.0;
    double zz = 0.0;
    double exponent = 0.0;
    double refraction = 0.0;
    Light lights[2];
    int32_t solarize[257] = {};
    bool textureInUse = false;
    bool foregroundInUse = false;
    int32_t textureColor = 0;
    int32_t foregroundWeight = 0;
};

bool SameSize(DibEx& a, DibEx& b) {
    return a.IsValid() && b.IsValid() && a.GetWidth() == b.GetWidth() && a.GetHeight() == b.GetHeight();
}

// What the lights make of one height gradient: everything of a pixel that
// depends on its normal alone.
struct NormalShade {
    int32_t light = 0;       // diffuse light after solarization and ambient, 0..256
    int32_t highlight = 0;
    double shiftX = 0.0;     // displacement of what shows through, pixels
    double shiftY = 0.0;
};

// A row is shaded in chunks of this many pixels.
constexpr int32_t kChunk = 64;

// Four doubles, or four 32-bit integers, worked on together: one AVX
// register, or two SSE2 registers where AVX is missing.
typedef double Doubles __attribute__((vector_size(32)));
typedef int32_t Ints __attribute__((vector_size(16)));
constexpr int32_t kLanes = 4;

// The highlights of one light at four reflections: from the buckets of its
// table when all four lie between two bands, else one by one.  The bucket
// is worked out with the same operations, in the same order, as
// HighlightSteps::Bucket() (clamped below by a select, then by min).
__attribute__((always_inline)) inline Ints HighlightsOf(const Light& light, const HighlightSteps::Lanes& table,
                                                         const Doubles& rz, double exponent) {
    if (table.buckets != nullptr) {
        const Doubles zero = {};
        const Doubles position = (rz - table.base) * table.scale + 1.0;
        const Doubles above = position > zero ? position : zero;
        const Doubles limit = zero + table.last;
        const Ints index = __builtin_convertvector(limit < above ? limit : above, Ints);
        const Ints buckets = {table.buckets[index[0]], table.buckets[index[1]], table.buckets[index[2]],
                              table.buckets[index[3]]};
        if ((buckets[0] & buckets[1] & buckets[2] & buckets[3] & HighlightSteps::kBetweenBands) != 0)
            return table.sign * (buckets & HighlightSteps::kBandsBelow);
    }
    return Ints{light.Highlight(rz[0], exponent), light.Highlight(rz[1], exponent), light.Highlight(rz[2], exponent),
                light.Highlight(rz[3], exponent)};
}

// The shades of `count` (at most kChunk) gradients, four at a time: first
// the floating point of every group, without a branch, so that the
// divisions and roots of successive groups overlap; then the highlights and
// the solarization.  The gradient arrays have room for a whole last group of
// four.  Each lane goes through the same correctly rounded operations, in
// the same order, as one gradient alone would; the AVX build is the same
// code on wider registers (AVX brings no fused multiply-add, so no product
// is fused with a sum).  A light that is off adds neither light nor
// highlight.
__attribute__((target_clones("avx", "default"))) void ShadeNormals(const LightingSetup& s, int32_t ambient,
                                                                    const int32_t* nx, const int32_t* ny,
                                                                    int32_t count, NormalShade* out) {
    const Doubles zero = {};
    const Doubles one = zero + 1.0;
    const bool refracted = s.refraction != 0.0;
    alignas(32) int32_t diffuse[kChunk];
    alignas(32) double reflections[2][kChunk];
    alignas(32) double shiftX[kChunk] = {};
    alignas(32) double shiftY[kChunk] = {};
    for (int32_t i = 0; i < count; i += kLanes) {
        Ints ix;
        Ints iy;
        std::memcpy(&ix, nx + i, sizeof ix);
        std::memcpy(&iy, ny + i, sizeof iy);
        const Doubles gx = __builtin_convertvector(ix, Doubles);
        const Doubles gy = __builtin_convertvector(iy, Doubles);
        const Doubles sum = gx * gx + gy * gy + s.zz;
        const __m128d rootLow = _mm_sqrt_pd(__m128d{sum[0], sum[1]});
        const __m128d rootHigh = _mm_sqrt_pd(__m128d{sum[2], sum[3]});
        const Doubles len = {rootLow[0], rootLow[1], rootHigh[0], rootHigh[1]};
        const Doubles nX = gx / len;
        const Doubles nY = gy / len;
        const Doubles nZ = s.z / len;
        Ints light = {};
        for (int l = 0; l < 2; ++l) {
            if (!s.lights[l].lit) continue;
            const Light& source = s.lights[l];
            // std::clamp(v, 0, 1), NaN included, as min(1, v) then max(0, .).
            const Doubles dot = nX * source.x + nY * source.y + nZ * source.z;
            const Doubles dotBelow = one < dot ? one : dot;
            const Doubles d = zero > dotBelow ? zero : dotBelow;
            const Ints level = __builtin_convertvector(256.0 * d, Ints);  // 256 at full light
            light += level * source.power / 256;
            const Doubles r = 2.0 * nZ * d - source.z;
            const Doubles rBelow = one < r ? one : r;
            const Doubles rz = zero > rBelow ? zero : rBelow;
            std::memcpy(reflections[l] + i, &rz, sizeof rz);
        }
        std::memcpy(diffuse + i, &light, sizeof light);
        if (refracted) {
            const Doubles x = nX / nZ * s.refraction;
            const Doubles y = nY / nZ * s.refraction;
            std::memcpy(shiftX + i, &x, sizeof x);
            std::memcpy(shiftY + i, &y, sizeof y);
        }
    }
    const HighlightSteps::Lanes tables[2] = {s.lights[0].steps.ForLanes(), s.lights[1].steps.ForLanes()};
    for (int32_t i = 0; i < count; i += kLanes) {
        Ints highlight = {};
        for (int l = 0; l < 2; ++l) {
            if (!s.lights[l].lit) continue;
            Doubles rz;
            std::memcpy(&rz, reflections[l] + i, sizeof rz);
            highlight += HighlightsOf(s.lights[l], tables[l], rz, s.exponent);
        }
        for (int32_t j = 0; j < std::min(kLanes, count - i); ++j) {
            NormalShade& shade = out[i + j];
            shade.light = std::min(s.solarize[std::min(diffuse[i + j], 256)] + ambient, 256);
            shade.highlight = highlight[j];
            shade.shiftX = shiftX[i + j];
            shade.shiftY = shiftY[i + j];
        }
    }
}

// The gradients of the pixels of one chunk that are in the mask, with room
// for a whole last group of four.
struct ChunkGradients {
    int32_t count = 0;
    int32_t x[kChunk];
    int32_t nx[kChunk + kLanes];
    int32_t ny[kChunk + kLanes];

    // Whether fewer than half of the gradients repeat the one before: a
    // smoothed slope gives nearly every pixel a gradient of its own, which a
    // cache would only look up, miss and enter.
    bool MostlyNew() const {
        int32_t repeats = 0;
        for (int32_t i = 1; i < count; ++i) repeats += (nx[i] == nx[i - 1]) & (ny[i] == ny[i - 1]);
        return 2 * repeats < count;
    }
};

// The shades of recently seen gradients.  Flat areas and straight bevels
// repeat a few gradients over and over, along a row or down a column; each
// is worked out once.  The gradients of a chunk that are not cached are
// queued and shaded together; a chunk of mostly new gradients is shaded
// whole, past the cache (which only remembers shades, so either way gives
// the same ones).  A thread keeps its cache from row to row for one render
// (`render` tells the renders apart).
class NormalShadeCache {
public:
    static NormalShadeCache& ForThread(const LightingSetup& setup, int32_t ambient, uint64_t render) {
        thread_local std::unique_ptr<NormalShadeCache> cache;
        if (!cache) cache = std::make_unique<NormalShadeCache>();
        if (cache->render_ != render) {
            cache->setup_ = &setup;
            cache->ambient_ = ambient;
            cache->render_ = render;
            std::fill(std::begin(cache->keys_), std::end(cache->keys_), kEmpty);
        }
        return *cache;
    }

    // The shades of the chunk's gradients, in their order.
    void Shade(ChunkGradients& g, NormalShade* out) {
        if (g.MostlyNew()) {
            PadLastGroup(g.nx, g.ny, g.count);
            ShadeNormals(*setup_, ambient_, g.nx, g.ny, g.count, out);
            return;
        }
        int32_t places[kChunk];
        for (int32_t i = 0; i < g.count; ++i) places[i] = Find(g.nx[i], g.ny[i], &out[i]);
        const NormalShade* queued = ShadeQueued();
        for (int32_t i = 0; i < g.count; ++i)
            if (places[i] >= 0) out[i] = queued[places[i]];
    }

private:
    // Zeros after the last of `count` gradients up to a whole group of four.
    static void PadLastGroup(int32_t* nx, int32_t* ny, int32_t count) {
        std::fill_n(nx + count, kLanes - 1, 0);
        std::fill_n(ny + count, kLanes - 1, 0);
    }

    // The shade of gradient (nx, ny) into *shade when it is known (returns
    // -1), or else the place in the queue of its shade in ShadeQueued().
    int32_t Find(int32_t nx, int32_t ny, NormalShade* shade) {
        const uint64_t key = static_cast<uint64_t>(static_cast<uint32_t>(nx)) << 32 | static_cast<uint32_t>(ny);
        const uint32_t hash = (static_cast<uint32_t>(nx) * 0x9E3779B1u) ^ (static_cast<uint32_t>(ny) * 0x85EBCA77u);
        const uint32_t slot = hash >> (32 - kBits);
        Entry& entry = entries_[slot];
        if (keys_[slot] == key) {
            if (entry.queued < 0) *shade = entry.shade;
            return entry.queued;
        }
        const int32_t place = queued_++;
        queuedX_[place] = nx;
        queuedY_[place] = ny;
        queuedSlot_[place] = slot;
        keys_[slot] = key;
        entry.queued = place;
        return place;
    }

    // Shades the queued gradients, enters them (in queue order, so that a
    // slot ends with the shade of its key) and empties the queue.
    const NormalShade* ShadeQueued() {
        if (queued_ == 0) return queuedShades_;
        PadLastGroup(queuedX_, queuedY_, queued_);
        ShadeNormals(*setup_, ambient_, queuedX_, queuedY_, queued_, queuedShades_);
        for (int32_t place = 0; place < queued_; ++place) {
            Entry& entry = entries_[queuedSlot_[place]];
            entry.shade = queuedShades_[place];
            entry.queued = -1;
        }
        queued_ = 0;
        return queuedShades_;
    }

    static constexpr int kBits = 12;
    // No gradient has this key: heights are never negative, so a difference
    // of two is never INT32_MIN.
    static constexpr uint64_t kEmpty = 0x8000000000000000u;
    struct Entry {
        NormalShade shade;
        int32_t queued;  // place in the queue while the shade is not worked out, else -1
    };
    const LightingSetup* setup_ = nullptr;
    int32_t ambient_ = 0;
    uint64_t render_ = 0;
    uint64_t keys_[1 << kBits];
    Entry entries_[1 << kBits];
    int32_t queued_ = 0;
    int32_t queuedX_[kChunk + kLanes];
    int32_t queuedY_[kChunk + kLanes];
    uint32_t queuedSlot_[kChunk + 1];
    NormalShade queuedShades_[kChunk];
};

}  // namespace

void ShadingBase::BuildLightingTables(const ShadeBaseSt& b, LightingTables* tables) {
    tables->gammaR.Gamma(GammaOf(b.pMgr), 0.0, 1.0);
    tables->gammaG.Gamma(GammaOf(b.pMgg), 0.0, 1.0);
    tables->gammaB.Gamma(GammaOf(b.pMgb), 0.0, 1.0);
    tables->solarizeCurve.Sigmoid(0.01, 1.0, 1.0, 0.3);
}

int ShadingBase::Lighting(ShadeBaseSt* block, const LightingTables& tables, int start, int end) {
    const ShadeBaseSt& b = *block;
    checkPoint = kCheckLighting;
    const CMacRect& o = b.objectRect;
    const CMacRect area = o.Intersection(b.renderRect);
    if (area.IsRectEmpty() || !MapsFitObject(b)) return 1;
    // What shows through a transparent material comes from the image copy.
    if (b.colorWeight < 256 && !SameSize(imageCopy, *b.image)) return 1;
    SetupProgress(start, end, o.Height());

    LightingSetup s;
    s.z = NormalZ(b.pMhe);
    s.zz = s.z * s.z;
    s.exponent = std::pow(b.pMsp / 100.0 + 1.0, 8.0);
    s.refraction = static_cast<double>(b.pMrf) * b.standardSize / 1000.0;
    for (int i = 1; i <= 2; ++i) {
        Light& light = s.lights[i - 1];
        const double h = b.lightAngleH[i] * (-6.28) / 360.0;
        const double v = b.lightAngleV[i] * 1.57 / 90.0;
        light.power = b.lightPower[i];
        light.lit = light.power > 0;
        light.x = std::cos(h) * std::sin(v);
        light.y = std::sin(h) * std::sin(v);
        light.z = std::cos(v);
        light.strength = 2000.0 * std::pow(b.pMsp / 100.0, 2.0) * std::pow(light.power / 256.0, 16.0);
    }
    for (int i = 0; i < 256; ++i)
        s.solarize[i] = i + b.pMsl * (tables.solarizeCurve[i] - i) / 256;
    s.solarize[256] = 256 + b.pMsl * (tables.solarizeCurve[255] - 256) / 256;

    s.textureInUse = b.texture != nullptr && SameSize(mappedTexture, heightMap) &&
                     !(b.pTbu == 0 && b.pTco == 0 && b.pTwi == 0);
    s.textureColor = b.pTco;
    const bool foregroundMapped = b.foreground != nullptr && SameSize(mappedForeground, heightMap);
    s.foregroundWeight = b.pEwi;
    s.foregroundInUse = foregroundMapped && s.foregroundWeight > 0;
    if (foregroundMapped)
        for (Light& light : s.lights) light.strength += s.foregroundWeight;
    for (Light& light : s.lights) {
        light.faintBelow = FaintBelow(light.strength, s.exponent);
        if (light.lit) light.steps.Build(light.strength, s.exponent);
    }

    const IntMap heights(heightMap);
    const ByteMap image(*b.image);
    const ByteMap mask(*b.mask);
    const ByteMap copy(imageCopy);
    const ByteMap texture(mappedTexture);
    const ByteMap foreground(mappedForeground);
    // Block fields in locals: the byte stores below could alias the block.
    const bool fromImage = b.pMth != 0;
    const int32_t material[3] = {b.pMcb, b.pMcg, b.pMcr};
    const int32_t colorWeight = b.colorWeight;
    const bool showThrough = colorWeight < 256;  // a texture weight byte never reaches 256
    const bool refracted = showThrough && s.refraction != 0.0;
    const bool textureInUse = s.textureInUse;
    const int32_t textureColor = s.textureColor;
    const bool foregroundInUse = s.foregroundInUse;
    const int32_t foregroundWeight = s.foregroundWeight;
    const int32_t objectLeft = o.left;
    const int32_t objectTop = o.top;
    const int32_t copyRight = std::max(copy.Width() - 2, 0);
    const int32_t copyTop = std::max(copy.Height() - 2, 0);
    const uint8_t* const gammaB = tables.gammaB.table;
    const uint8_t* const gammaG = tables.gammaG.table;
    const uint8_t* const gammaR = tables.gammaR.table;

    // A row goes in chunks: first the shade of every pixel of the chunk and
    // the lines that its show-through sample will read, fetched ahead, then
    // the colours.  The samples wander over the image copy with the normals,
    // and fetching them early lets their reads overlap.
    struct Pending {
        int32_t fx;
        int32_t fy;
        const uint8_t* near;  // sample pixel (ix, iy)
        const uint8_t* far;   // sample pixel (ix, iy1)
        int32_t step;         // bytes from ix to ix1
    };

    static std::atomic<uint64_t> renders{0};
    const uint64_t render = ++renders;
    const auto shadeRows = [&](int32_t firstRow, int32_t endRow) {
        NormalShadeCache& cache = NormalShadeCache::ForThread(s, b.lightPower[0], render);
        ChunkGradients gradients;
        NormalShade shades[kChunk];
        Pending pending[kChunk];
        for (int32_t y = firstRow; y < endRow; ++y) {
            const int32_t r = y - objectTop + kMapBorder;
            const int32_t* hRow = heights.Row(r);
            const int32_t* hUp = heights.Row(r + 1);
            const int32_t* hDown = heights.Row(r - 1);
            uint8_t* pixels = image.Row(y);
            const uint8_t* m = mask.Row(y);
            const uint8_t* textureRow = textureInUse ? texture.Row(r) : nullptr;
            const uint8_t* foregroundRow = foregroundInUse ? foreground.Row(r) : nullptr;
            const uint8_t* copyRow = showThrough && !refracted ? copy.Row(y) : nullptr;
            for (int32_t chunk = area.left; chunk < area.right; chunk += kChunk) {
                const int32_t chunkEnd = std::min(chunk + kChunk, area.right);
                int32_t count = 0;
                for (int32_t x = chunk; x < chunkEnd; ++x) {
                    if (m[x] == 0) continue;
                    const int32_t c = x - objectLeft + kMapBorder;
                    gradients.x[count] = x;
                    gradients.nx[count] = hRow[c - 1] - hRow[c + 1];
                    gradients.ny[count] = hUp[c] - hDown[c];
                    ++count;
                }
                gradients.count = count;
                cache.Shade(gradients, shades);
                for (int32_t i = 0; refracted && i < count; ++i) {
                    Pending& p = pending[i];
                    const NormalShade& shade = shades[i];
                    const int32_t x = gradients.x[i];
                    const int64_t sx = TruncateWide(256.0 * (x - shade.shiftX));
                    const int64_t sy = TruncateWide(256.0 * (y + shade.shiftY));
                    p.fx = static_cast<int32_t>(sx & 255);
                    p.fy = static_cast<int32_t>(sy & 255);
                    const int32_t ix = static_cast<int32_t>(std::clamp<int64_t>(sx / 256, 0, copyRight));
                    const int32_t iy = static_cast<int32_t>(std::clamp<int64_t>(sy / 256, 0, copyTop));
                    const int32_t ix1 = std::min(ix + 1, copy.Width() - 1);
                    const int32_t iy1 = std::min(iy + 1, copy.Height() - 1);
                    p.near = copy.Row(iy) + ix * 3;
                    p.far = copy.Row(iy1) + ix * 3;
                    p.step = (ix1 - ix) * 3;
                    __builtin_prefetch(p.near);
                    __builtin_prefetch(p.far);
                }
                for (int32_t i = 0; i < count; ++i) {
                    const Pending& p = pending[i];
                    const NormalShade& shade = shades[i];
                    const int32_t x = gradients.x[i];
                    const int32_t c = x - objectLeft + kMapBorder;
                    uint8_t* px = pixels + x * 3;
                    int32_t col[3];
                    for (int ch = 0; ch < 3; ++ch) col[ch] = fromImage ? px[ch] : material[ch];

                    int32_t w = colorWeight;
                    if (textureInUse) {
                        const uint8_t* t = textureRow + c * 4;
                        w = std::max<int32_t>(t[3], colorWeight);
                        if (textureColor != 0)
                            for (int ch = 0; ch < 3; ++ch) col[ch] += (t[ch] - col[ch]) * textureColor / 256;
                    }
                    if (showThrough) {
                        int32_t q[3];
                        if (!refracted) {
                            for (int ch = 0; ch < 3; ++ch) q[ch] = copyRow[x * 3 + ch];
                        } else {
                            for (int ch = 0; ch < 3; ++ch) {
                                const int32_t a0 = p.near[ch];
                                const int32_t b0 = p.near[p.step + ch];
                                const int32_t a1 = p.far[ch];
                                const int32_t b1 = p.far[p.step + ch];
                                const int32_t top = a0 + (b0 - a0) * p.fx / 256;
                                const int32_t bottom = a1 + (b1 - a1) * p.fx / 256;
                                q[ch] = top + (bottom - top) * p.fy / 256;
                            }
                        }
                        for (int ch = 0; ch < 3; ++ch) col[ch] += (256 - w) * (q[ch] - col[ch]) / 256;
                    }

                    for (int ch = 0; ch < 3; ++ch) col[ch] = col[ch] * shade.light / 256;

                    if (foregroundInUse) {
                        const uint8_t* f = foregroundRow + c * 3;
                        for (int ch = 0; ch < 3; ++ch) col[ch] += (f[ch] - col[ch]) * foregroundWeight / 256;
                    }
                    // Material colours and powers outside their ranges can leave a
                    // channel below 0; the gamma tables have 256 entries.
                    px[0] = gammaB[ClampInt(col[0] + shade.highlight, 0, 255)];
                    px[1] = gammaG[ClampInt(col[1] + shade.highlight, 0, 255)];
                    px[2] = gammaR[ClampInt(col[2] + shade.highlight, 0, 255)];
                }
            }
        }
    };
    if (!ForRows(area.top, area.bottom, area.Width(), shadeRows)) return -1;
    return 1;
}
