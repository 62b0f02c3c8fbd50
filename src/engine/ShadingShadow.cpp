// The cast shadow: MakeShadow draws the displaced, weighted mask of each
// enabled light into the shadow map, blurs it and darkens what shows through
// the material; CompositeShadow lays it under the object after lighting.
#include <algorithm>
#include <climits>
#include <cmath>
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
            const int32_t s = cast.strength;
            const auto drawRows = [&](int32_t firstRow, int32_t endRow) {
                for (int32_t Y = firstRow; Y < endRow; ++Y) {
                    const int32_t sy = static_cast<int32_t>(Y - cast.oy);
                    const uint8_t* mRow = mask.Row(sy);
                    const uint8_t* tRow = textureWeighted ? texture.Row(sy - o.top + kMapBorder) : nullptr;
                    uint8_t* out = shadow.Row(Y);
                    for (int32_t X = target.left; X < target.right; ++X) {
                        const int32_t sx = static_cast<int32_t>(X - cast.ox);
                        const int32_t k = mRow[sx];
                        int32_t val;
                        if (textureWeighted) {
                            const int32_t t = tRow[(sx - o.left + kMapBorder) * 4 + 3];
                            val = k * s * std::max(t, a) / 65536;
                        } else {
                            val = k * s * a / 65536;
                        }
                        val = std::min(val, 255);
                        out[X] = static_cast<uint8_t>(std::max<int32_t>(out[X], val));
                    }
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
        for (int32_t Y = firstRow; Y < endRow; ++Y) {
            const uint8_t* sRow = shadow.Row(Y);
            uint8_t* cRow = copy.Row(Y - m);
            for (int32_t X = shadowRect.left; X < shadowRect.right; ++X) {
                const int32_t s = sRow[X];
                if (s == 0) continue;
                uint8_t* px = cRow + (X - m) * 3;
                for (int ch = 0; ch < 3; ++ch) px[ch] = static_cast<uint8_t>(std::max(px[ch] - s, 0));
            }
        }
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
    const CMacRect& rr = b.renderRect;
    const CMacRect area(std::max(shadowRect.left - m, rr.left), std::max(shadowRect.top - m, rr.top),
                        std::min(shadowRect.right - m, rr.right), std::min(shadowRect.bottom - m, rr.bottom));
    if (area.IsRectEmpty()) return;
    const ByteMap shadow(shadowMap);
    const ByteMap image(*b.image);
    const ByteMap mask(*b.mask);
    const auto compositeRows = [&](int32_t firstRow, int32_t endRow) {
        for (int32_t y = firstRow; y < endRow; ++y) {
            const uint8_t* sRow = shadow.Row(y + m);
            uint8_t* mRow = mask.Row(y);
            uint8_t* px = image.Row(y);
            for (int32_t x = area.left; x < area.right; ++x) {
                const int32_t s = sRow[x + m];
                const int32_t a = mRow[x];
                if (s == 0 || a >= 255) continue;
                const int32_t A = 255 * (s + a) - s * a;
                uint8_t* c = px + x * 3;
                if (a == 0) {
                    c[0] = c[1] = c[2] = 0;  // c * 0 * 255 / A
                } else {
                    for (int ch = 0; ch < 3; ++ch) c[ch] = static_cast<uint8_t>(c[ch] * a * 255 / A);
                }
                mRow[x] = static_cast<uint8_t>(A / 255);
            }
        }
    };
    ForRows(area.top, area.bottom, area.Width(), compositeRows, false);
}
