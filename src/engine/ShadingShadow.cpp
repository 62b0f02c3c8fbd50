// The cast shadow: MakeShadow draws the displaced, weighted mask of each
// enabled light into the shadow map, blurs it and darkens what shows through
// the material; CompositeShadow lays it under the object after lighting.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "EngineMaps.h"
#include "ImageFunc.h"
#include "ShadingBase.h"

namespace {

bool SameLights(const ShadeBaseSt& b, const ShadeBaseSt& l) {
    for (int i = 0; i <= 2; ++i)
        if (b.lightPower[i] != l.lightPower[i]) return false;
    for (int i = 1; i <= 2; ++i)
        if (b.lightAngleH[i] != l.lightAngleH[i] || b.lightAngleV[i] != l.lightAngleV[i]) return false;
    return true;
}

void Extend(CMacRect& box, const CMacRect& r) {
    box.left = std::min(box.left, r.left);
    box.top = std::min(box.top, r.top);
    box.right = std::max(box.right, r.right);
    box.bottom = std::max(box.bottom, r.bottom);
}

// The shadow of one light: the mask drawn into `target` of the map, moved by
// (ox, oy), at `strength`.
struct Cast {
    CMacRect target;
    int64_t ox;
    int64_t oy;
    int32_t strength;
};

// The shadows of the lights that cast one (powers p1, p2) into a map of
// width x height with margin m.
std::vector<Cast> PlanCasts(const ShadeBaseSt& b, int32_t p1, int32_t p2, int32_t m, double distance,
                            int32_t width, int32_t height) {
    std::vector<Cast> casts;
    const CMacRect& o = b.objectRect;
    for (int i = 1; i <= 2; ++i) {
        const int32_t power = i == 1 ? p1 : p2;
        const int32_t total = b.lightPower[1] + b.lightPower[2];
        if (total <= 0) continue;
        int32_t s = power * 256 / total;
        s = (256 - b.lightPower[0]) * s / 256;
        s = b.shadowWeight * s / 128;
        if (s <= 0) continue;
        const double h = b.lightAngleH[i] * (-6.28) / 360.0;
        const double v = b.lightAngleV[i] * 1.57 / 90.0;
        const int32_t dx = static_cast<int32_t>(std::clamp(-std::cos(h) * distance * std::tan(v), -1.0e9, 1.0e9));
        const int32_t dy = static_cast<int32_t>(std::clamp(std::sin(h) * distance * std::tan(v), -1.0e9, 1.0e9));
        const int64_t ox = static_cast<int64_t>(dx) + m;
        const int64_t oy = static_cast<int64_t>(dy) + m;
        const CMacRect target(static_cast<int32_t>(std::clamp<int64_t>(o.left + ox, 0, width)),
                              static_cast<int32_t>(std::clamp<int64_t>(o.top + oy, 0, height)),
                              static_cast<int32_t>(std::clamp<int64_t>(o.right + ox, 0, width)),
                              static_cast<int32_t>(std::clamp<int64_t>(o.bottom + oy, 0, height)));
        casts.push_back({target, ox, oy, s});
    }
    return casts;
}

// The densities k * s * w / 65536 (at most 255) of a row of mask values k
// into `out`, where out keeps the larger: w is max(t, a), t every fourth byte
// from `alpha` (the mapped texture's weight), or a without a texture.  Wide
// holds every product k * s * w.
template <class Wide>
void DrawDensities(const uint8_t* __restrict mask, const uint8_t* __restrict alpha, uint8_t* __restrict out,
                   int32_t count, Wide s, int32_t a) {
    const auto store = [&](int32_t x, Wide w) {
        const Wide val = std::min<Wide>(mask[x] * s * w >> 16, 255);
        out[x] = static_cast<uint8_t>(std::max<Wide>(out[x], val));
    };
    if (alpha != nullptr) {
        for (int32_t x = 0; x < count; ++x) store(x, static_cast<Wide>(std::max<int32_t>(alpha[x * 4], a)));
    } else {
        for (int32_t x = 0; x < count; ++x) store(x, static_cast<Wide>(a));
    }
}

// Strength s > 0 and weights 0 <= a: the products fit 32 bits unless both
// are unusually large.
void DrawCastRow(const uint8_t* mask, const uint8_t* alpha, uint8_t* out, int32_t count, int32_t s, int32_t a) {
    const int64_t widest = int64_t{255} * s * std::max(a, 255);
    if (a >= 0 && widest <= UINT32_MAX)
        DrawDensities<uint32_t>(mask, alpha, out, count, static_cast<uint32_t>(s), a);
    else
        DrawDensities<int64_t>(mask, alpha, out, count, s, a);
}

// Eight bytes from `p` as one word, to pass over runs of equal bytes.
uint64_t Word(const uint8_t* p) {
    uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// Lowers each colour of `count` pixels by its shadow density, down to 0.
// Runs of 8 pixels without shadow are passed over; the rest is one loop
// without branches (a density of 0 leaves the pixel as it is), which needs
// byte shuffles to be vectorised: a clone for processors that have them.
__attribute__((target_clones("avx2", "default"))) void DarkenRow(const uint8_t* __restrict shadow, uint8_t* __restrict pixels, int32_t count) {
    constexpr int32_t kRun = 8;
    int32_t x = 0;
    while (x < count) {
        if (count - x >= kRun && Word(shadow + x) == 0) {
            x += kRun;
            continue;
        }
        const int32_t end = std::min(x + 64, count);
        for (; x < end; ++x)
            for (int ch = 0; ch < 3; ++ch) {
                const uint8_t c = pixels[x * 3 + ch];
                pixels[x * 3 + ch] = static_cast<uint8_t>(c > shadow[x] ? c - shadow[x] : 0);
            }
    }
}

// CompositeRow where the object is fully transparent (a = 0): there A = 255 s,
// the opacity becomes s and each colour c * 0 * 255 / A = 0 wherever s > 0.
inline void CompositeUnderNothing(const uint8_t* __restrict shadow, uint8_t* __restrict mask,
                                  uint8_t* __restrict pixels, int32_t count) {
    for (int32_t x = 0; x < count; ++x) {
        const uint8_t keep = shadow[x] == 0 ? 0xff : 0;
        mask[x] = shadow[x];
        for (int ch = 0; ch < 3; ++ch) pixels[x * 3 + ch] &= keep;
    }
}

// Lays `count` pixels of shadow under the object: where the object is
// partly transparent (a < 255) and the shadow has a density s, the opacity
// becomes A / 255 with A = 255 (s + a) - s a, and each colour c becomes
// c * a * 255 / A.  That division is done in single precision: n = c * a *
// 255 is below 2^24 and A at most 65025, both exact floats, and the
// correctly rounded quotient errs by at most 2^-24 of n / A, less than 1 / A,
// which is at most the distance from n / A up to the next integer: the
// truncated quotient is the integer one (checked for every c, a and s).
// Runs of 8 pixels without shadow or fully opaque are passed over, runs of
// fully transparent ones take the short form below; the rest is one loop
// without branches, vectorised where byte shuffles exist.
__attribute__((target_clones("avx2", "default"))) void CompositeRow(const uint8_t* __restrict shadow,
                                                                    uint8_t* __restrict mask,
                                                                    uint8_t* __restrict pixels, int32_t count) {
    constexpr int32_t kRun = 8;
    int32_t x = 0;
    while (x < count) {
        if (count - x >= kRun && (Word(shadow + x) == 0 || Word(mask + x) == UINT64_MAX)) {
            x += kRun;
            continue;
        }
        if (count - x >= kRun && Word(mask + x) == 0) {
            int32_t end = x + kRun;
            while (count - end >= kRun && Word(mask + end) == 0) end += kRun;
            CompositeUnderNothing(shadow + x, mask + x, pixels + x * 3, end - x);
            x = end;
            continue;
        }
        const int32_t end = std::min(x + 256, count);
        for (; x < end; ++x) {
            const int32_t s = shadow[x];
            const int32_t a = mask[x];
            const int32_t blend = -static_cast<int32_t>((s != 0) & (a != 255));  // all bits or none
            const int32_t A = 255 * (s + a) - s * a;
            const auto divisor = static_cast<float>(std::max(A, 1));  // 0 only where s = a = 0
            for (int ch = 0; ch < 3; ++ch) {
                const int32_t c = pixels[x * 3 + ch];
                const auto q = static_cast<int32_t>(static_cast<float>(c * a * 255) / divisor);
                pixels[x * 3 + ch] = static_cast<uint8_t>((q & blend) | (c & ~blend));
            }
            mask[x] = static_cast<uint8_t>((A / 255 & blend) | (a & ~blend));
        }
    }
}

}  // namespace

bool ShadingBase::ShadowReuseAllowed(const ShadeBaseSt& b) const {
    const ShadeBaseSt& l = lastBlock;
    if (!reuseAllowed) return false;
    // The foreground pointer, the texture weight and the smoothing are
    // compared as well: each changes the density drawn from the mask.
    const bool same = b.image == l.image && b.objectRect == l.objectRect &&
                      b.standardSize == l.standardSize && b.shadowWeight == l.shadowWeight &&
                      b.shadowDiffusion == l.shadowDiffusion && b.shadowDistance == l.shadowDistance &&
                      b.pLem == l.pLem && b.pLes == l.pLes && b.colorWeight == l.colorWeight &&
                      SameLights(b, l) && b.texture == l.texture && b.foreground == l.foreground &&
                      b.pTwi == l.pTwi;
    if (!same) return false;
    if (b.pTwi != 0 && b.colorWeight < 256 && textureMapChanged) return false;
    if (b.texture != nullptr &&
        (textureMapChanged || b.textureLocate != l.textureLocate || b.pTbu != l.pTbu ||
         b.pTtv != l.pTtv || b.pTct != l.pTct))
        return false;
    if (b.foreground != nullptr && b.pEwi != l.pEwi) return false;
    if (b.pMba != l.pMba) return false;
    return b.pMba == 0 || (b.pMle == l.pMle && b.pMhe == l.pMhe && b.pMbp == l.pMbp &&
                           b.pMbw == l.pMbw && b.pMbr == l.pMbr && b.pMsm == l.pMsm);
}

int ShadingBase::MakeShadow(ShadeBaseSt* block, int start, int end) {
    const ShadeBaseSt& b = *block;
    checkPoint = kCheckShadowStart;
    const int32_t p1 = b.pLes != 0 ? b.lightPower[1] : 0;
    const int32_t p2 = b.pLem != 0 ? b.lightPower[2] : 0;
    if (b.shadowWeight <= 0 || p1 + p2 <= 0) {
        shadowRect.SetRectEmpty();
        return 0;
    }
    if (!ShadowReuseAllowed(b)) {
        const int64_t margin = std::max<int64_t>(static_cast<int64_t>(b.standardSize) * b.shadowDiffusion / 1000, 0);
        shadowMargin = static_cast<int32_t>(std::min<int64_t>(margin, INT32_MAX / 4));
        if (b.shadowDiffusion > 0 && shadowMargin == 0) shadowMargin = 1;
        const int32_t m = shadowMargin;
        const double distance = static_cast<double>(b.standardSize) * b.shadowDistance / 500.0;
        const int64_t mapW = b.mask->GetWidth() + 2 * static_cast<int64_t>(m);
        const int64_t mapH = b.mask->GetHeight() + 2 * static_cast<int64_t>(m);
        if (mapW > INT32_MAX || mapH > INT32_MAX) throw -1;
        EnsureMap(shadowMap, static_cast<int32_t>(mapW), static_cast<int32_t>(mapH), 8);

        int32_t a = b.colorWeight;
        if (b.foreground != nullptr) a = std::max(b.pEwi, a);
        const bool textureWeighted = b.texture != nullptr && b.pTwi != 0 && a <= 255 &&
                                     MapsFitObject(b) && mappedTexture.IsValid() &&
                                     mappedTexture.GetWidth() == heightMap.GetWidth() &&
                                     mappedTexture.GetHeight() == heightMap.GetHeight();

        checkPoint = kCheckShadowDraw;
        const ByteMap shadow(shadowMap);
        const std::vector<Cast> casts = PlanCasts(b, p1, p2, m, distance, shadow.Width(), shadow.Height());
        // Only the box of the casts is drawn, read and blurred: the rest of
        // the map is never read.
        CMacRect box(INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN);
        for (const Cast& cast : casts) Extend(box, cast.target);
        if (!box.IsRectEmpty())
            ForRows(box.top, box.bottom, box.Width(), [&](int32_t firstRow, int32_t endRow) {
                for (int32_t Y = firstRow; Y < endRow; ++Y) std::fill(shadow.Row(Y) + box.left, shadow.Row(Y) + box.right, 0);
            }, false);
        const ByteMap mask(*b.mask);
        const ByteMap texture(mappedTexture);
        const CMacRect& o = b.objectRect;
        for (const Cast& cast : casts) {
            const CMacRect& target = cast.target;
            const auto drawRows = [&](int32_t firstRow, int32_t endRow) {
                for (int32_t Y = firstRow; Y < endRow; ++Y) {
                    const int32_t sy = static_cast<int32_t>(Y - cast.oy);
                    const int32_t sx = static_cast<int32_t>(target.left - cast.ox);
                    const uint8_t* alpha =
                        textureWeighted ? texture.Row(sy - o.top + kMapBorder) + (sx - o.left + kMapBorder) * 4 + 3 : nullptr;
                    DrawCastRow(mask.Row(sy) + sx, alpha, shadow.Row(Y) + target.left, target.Width(), cast.strength, a);
                }
            };
            ForRows(target.top, target.bottom, target.Width(), drawRows, false);
        }

        checkPoint = kCheckShadowBlur;
        const CMacRect imagePart(m, m, shadow.Width() - m, shadow.Height() - m);
        if (box.IsRectEmpty()) {
            shadowRect.SetRectEmpty();
        } else {
            // Two passes spread the box by at most 2m; of that only the
            // image's part of the map is ever read.
            const int64_t spread = m > 0 ? 2 * int64_t{m} : 0;
            shadowRect = CMacRect(static_cast<int32_t>(std::max<int64_t>(box.left - spread, imagePart.left)),
                                  static_cast<int32_t>(std::max<int64_t>(box.top - spread, imagePart.top)),
                                  static_cast<int32_t>(std::min<int64_t>(box.right + spread, imagePart.right)),
                                  static_cast<int32_t>(std::min<int64_t>(box.bottom + spread, imagePart.bottom)));
            if (m > 0) IMAGE_BlurAroundZero(&shadowMap, m, 2, &Pool(), &box, &shadowRect);
        }
        checkPoint = kCheckShadowRect;
    }
    checkPoint = kCheckShadowDarken;
    if (DarkenImageCopy(b, start, end) < 0) return -1;
    checkPoint = kCheckShadowDone;
    return 1;
}

int ShadingBase::DarkenImageCopy(const ShadeBaseSt& b, int start, int end) {
    if (shadowRect.IsRectEmpty() || b.colorWeight >= 256) return 1;
    // The copy is refreshed by Shading; a stage run on its own (or after a
    // render of another image) may find it missing or of another size, and
    // the loop below addresses it with mask coordinates.
    if (!imageCopy.IsValid() || imageCopy.GetBitsPerPixel() != 24 ||
        imageCopy.GetWidth() != b.mask->GetWidth() || imageCopy.GetHeight() != b.mask->GetHeight())
        return 1;
    const int32_t m = shadowMargin;
    SetupProgress(start, end, shadowRect.Height());
    const ByteMap shadow(shadowMap);
    const ByteMap copy(imageCopy);
    const auto darkenRows = [&](int32_t firstRow, int32_t endRow) {
        for (int32_t Y = firstRow; Y < endRow; ++Y)
            DarkenRow(shadow.Row(Y) + shadowRect.left, copy.Row(Y - m) + (shadowRect.left - m) * 3, shadowRect.Width());
    };
    const bool done = ForRows(shadowRect.top, shadowRect.bottom, shadowRect.Width(), darkenRows);
    // Rows of the copy may be darkened even when the render stopped.
    imageCopyStale = 1;
    if (!done) return -1;
    return 1;
}

void ShadingBase::CompositeShadow(ShadeBaseSt* block) {
    const ShadeBaseSt& b = *block;
    checkPoint = kCheckComposite;
    if (b.shadowWeight < 1 || shadowRect.Width() < 1 || shadowRect.Height() < 1) return;
    const int32_t m = shadowMargin;
    // The shadow rectangle addresses the mask the shadow was drawn from.
    if (shadowMap.GetWidth() != b.mask->GetWidth() + 2 * m || shadowMap.GetHeight() != b.mask->GetHeight() + 2 * m ||
        b.image->GetWidth() != b.mask->GetWidth() || b.image->GetHeight() != b.mask->GetHeight())
        return;
    const CMacRect area = CMacRect(shadowRect.left - m, shadowRect.top - m, shadowRect.right - m, shadowRect.bottom - m)
                              .Intersection(b.renderRect);
    if (area.IsRectEmpty()) return;
    const ByteMap shadow(shadowMap);
    const ByteMap image(*b.image);
    const ByteMap mask(*b.mask);
    const auto compositeRows = [&](int32_t firstRow, int32_t endRow) {
        for (int32_t y = firstRow; y < endRow; ++y)
            CompositeRow(shadow.Row(y + m) + area.left + m, mask.Row(y) + area.left, image.Row(y) + area.left * 3,
                         area.Width());
    };
    ForRows(area.top, area.bottom, area.Width(), compositeRows, false);
}
