#pragma once
// Colour helpers shared by the texture and foreground mappings.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <iterator>
#include <memory>

#include "EngineMaps.h"
#include "HclColor.h"
#include "MathTbl.h"

struct Bgr {
    int32_t b = 0;
    int32_t g = 0;
    int32_t r = 0;
};

inline Bgr ReadBgr(const uint8_t* p) { return {p[0], p[1], p[2]}; }

inline void WriteBgr(uint8_t* p, const Bgr& c) {
    p[0] = static_cast<uint8_t>(c.b);
    p[1] = static_cast<uint8_t>(c.g);
    p[2] = static_cast<uint8_t>(c.r);
}

inline int32_t Luma(const Bgr& c) { return (77 * c.r + 151 * c.g + 28 * c.b) >> 8; }

// a + ((z - a) * f >> 8) per channel (the shift rounds toward minus infinity).
inline Bgr BlendShift(const Bgr& a, const Bgr& z, int32_t f) {
    return {a.b + ((z.b - a.b) * f >> 8), a.g + ((z.g - a.g) * f >> 8), a.r + ((z.r - a.r) * f >> 8)};
}

// a + (z - a) * f / 256 per channel (the quotient truncated toward zero).
inline Bgr BlendDivide(const Bgr& a, const Bgr& z, int32_t f) {
    return {a.b + (z.b - a.b) * f / 256, a.g + (z.g - a.g) * f / 256, a.r + (z.r - a.r) * f / 256};
}

// Hue, chroma and light shifts in the HCL model, the light through a
// contrast curve first.
struct ColourAdjustment {
    bool on = false;
    int32_t hueShift = 0;
    int32_t chromaShift = 0;
    int32_t lightShift = 0;
    MathTbl contrast;

    void Apply(Bgr& c) const {
        HCLCOLOR h;
        h.R = c.r;
        h.G = c.g;
        h.B = c.b;
        RgbToHcl(&h);
        h.H = WrapHue(h.H + hueShift);
        h.C = ClampInt(h.C + chromaShift, 0, 255);
        h.L = contrast[ClampInt(h.L, 0, 255)];  // blends beyond full weight overshoot
        h.L = ClampInt(h.L + lightShift, 0, 255);
        HclToRgb(&h);
        c = {h.B, h.G, h.R};
    }
};

// The adjustment of recently seen colours: neighbouring pixels of a texture
// or foreground often share a colour, along a row and from one row to the
// next, and the two conversions cost more than a look-up.  Each thread keeps
// its own cache from row to row for one render (`render` tells the renders
// apart: take a new one with NewRender for every pass).
class AdjustedColours {
public:
    static uint64_t NewRender() {
        static std::atomic<uint64_t> renders{0};
        return ++renders;
    }

    static AdjustedColours& ForThread(const ColourAdjustment& adjust, uint64_t render) {
        thread_local std::unique_ptr<AdjustedColours> cache;
        if (!cache) cache = std::make_unique<AdjustedColours>();
        if (cache->render_ != render) {
            cache->adjust_ = &adjust;
            cache->render_ = render;
            std::fill(std::begin(cache->entries_), std::end(cache->entries_), kEmpty);
        }
        return *cache;
    }

    void Apply(Bgr& c) {
        if (!adjust_->on) return;
        if ((static_cast<uint32_t>(c.b) | static_cast<uint32_t>(c.g) | static_cast<uint32_t>(c.r)) > 255) {
            adjust_->Apply(c);  // an overshooting blend: not worth keeping
            return;
        }
        const uint32_t key = static_cast<uint32_t>(c.r) << 16 | static_cast<uint32_t>(c.g) << 8 |
                             static_cast<uint32_t>(c.b);
        const uint32_t slot = (key * 2654435761u) >> (32 - kBits);
        uint64_t entry = entries_[slot];
        if (static_cast<uint32_t>(entry) != key) {
            Bgr adjusted = c;
            adjust_->Apply(adjusted);
            entry = static_cast<uint64_t>(Pack(adjusted)) << 32 | key;
            entries_[slot] = entry;
        }
        c = Unpack(static_cast<uint32_t>(entry >> 32));
    }

private:
    // An adjusted colour is within 0..255 per channel.
    static uint32_t Pack(const Bgr& c) {
        return static_cast<uint32_t>(c.r) << 16 | static_cast<uint32_t>(c.g) << 8 | static_cast<uint32_t>(c.b);
    }
    static Bgr Unpack(uint32_t p) {
        return {static_cast<int32_t>(p & 255), static_cast<int32_t>(p >> 8 & 255), static_cast<int32_t>(p >> 16)};
    }

    static constexpr int kBits = 14;
    // The low half of an entry is its colour key, which never exceeds 24 bits.
    static constexpr uint64_t kEmpty = 0xFFFFFFFFu;
    const ColourAdjustment* adjust_ = nullptr;
    uint64_t render_ = 0;
    uint64_t entries_[1 << kBits];
};
