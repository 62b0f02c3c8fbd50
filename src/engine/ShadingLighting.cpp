// The lighting and material loop: per pixel a normal from the height map, an
// ambient and two directional lights, the material colour with texture tint
// and show-through, the foreground overlay, the highlight and the gammas.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <iterator>
#include <memory>

#include "EngineMaps.h"
#include "ShadingBase.h"

namespace {

double GammaOf(int32_t g) { return g >= 0 ? 1.0 + 8.0 * g / 256.0 : 1.0 / (1.0 - 8.0 * g / 256.0); }

struct Light {
    bool lit = false;
    int32_t power = 0;
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double strength = 0.0;  // specular strength
    double faintBelow = 0.0;  // reflections below this add no highlight
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

NormalShade ShadeNormal(const LightingSetup& s, int32_t ambient, int32_t nx, int32_t ny) {
    NormalShade out;
    const double len = std::sqrt(static_cast<double>(nx) * nx + static_cast<double>(ny) * ny + s.zz);
    const double nX = nx / len;
    const double nY = ny / len;
    const double nZ = s.z / len;
    int32_t diffuse = 0;
    for (const Light& light : s.lights) {
        if (!light.lit) continue;
        const double d = std::clamp(nX * light.x + nY * light.y + nZ * light.z, 0.0, 1.0);
        diffuse += static_cast<int32_t>(256.0 * d) * light.power / 256;
        const double rz = std::clamp(2.0 * nZ * d - light.z, 0.0, 1.0);
        // The power is the costliest step; without strength, at a faint
        // reflection, or at r = 0 with a positive exponent, it adds 0.
        if (light.strength != 0.0 && (rz > 0.0 || s.exponent == 0.0) && rz >= light.faintBelow)
            out.highlight += static_cast<int32_t>(std::pow(rz, s.exponent) * light.strength);
    }
    const int32_t l = std::min(diffuse, 256);
    out.light = std::min(s.solarize[l] + ambient, 256);
    if (s.refraction != 0.0) {
        out.shiftX = nX / nZ * s.refraction;
        out.shiftY = nY / nZ * s.refraction;
    }
    return out;
}

// The shades of recently seen gradients.  Flat areas and straight bevels
// repeat a few gradients over and over, along a row or down a column; each
// is worked out once.  A thread keeps its cache from row to row for one
// render (`render` tells the renders apart).
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

    const NormalShade& Get(int32_t nx, int32_t ny) {
        const uint64_t key = static_cast<uint64_t>(static_cast<uint32_t>(nx)) << 32 | static_cast<uint32_t>(ny);
        const uint32_t hash = (static_cast<uint32_t>(nx) * 0x9E3779B1u) ^ (static_cast<uint32_t>(ny) * 0x85EBCA77u);
        const uint32_t slot = hash >> (32 - kBits);
        if (keys_[slot] != key) {
            keys_[slot] = key;
            values_[slot] = ShadeNormal(*setup_, ambient_, nx, ny);
        }
        return values_[slot];
    }

private:
    static constexpr int kBits = 12;
    // No gradient has this key: heights are never negative, so a difference
    // of two is never INT32_MIN.
    static constexpr uint64_t kEmpty = 0x8000000000000000u;
    const LightingSetup* setup_ = nullptr;
    int32_t ambient_ = 0;
    uint64_t render_ = 0;
    uint64_t keys_[1 << kBits];
    NormalShade values_[1 << kBits];
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
    const CMacRect area(std::max(o.left, b.renderRect.left), std::max(o.top, b.renderRect.top),
                        std::min(o.right, b.renderRect.right), std::min(o.bottom, b.renderRect.bottom));
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
    for (Light& light : s.lights) light.faintBelow = FaintBelow(light.strength, s.exponent);

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
    constexpr int32_t kChunk = 64;
    struct Pending {
        int32_t x;
        int32_t light;
        int32_t highlight;
        int32_t fx;
        int32_t fy;
        const uint8_t* near;  // sample pixel (ix, iy)
        const uint8_t* far;   // sample pixel (ix, iy1)
        int32_t step;         // bytes from ix to ix1
    };

    static std::atomic<uint64_t> renders{0};
    const uint64_t render = ++renders;
    const auto shadeRows = [&](int32_t firstRow, int32_t endRow) {
        NormalShadeCache& shades = NormalShadeCache::ForThread(s, b.lightPower[0], render);
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
                    const NormalShade& shade = shades.Get(hRow[c - 1] - hRow[c + 1], hUp[c] - hDown[c]);
                    Pending& p = pending[count++];
                    p.x = x;
                    p.light = shade.light;
                    p.highlight = shade.highlight;
                    if (!refracted) continue;
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
                    const int32_t x = p.x;
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

                    for (int ch = 0; ch < 3; ++ch) col[ch] = col[ch] * p.light / 256;

                    if (foregroundInUse) {
                        const uint8_t* f = foregroundRow + c * 3;
                        for (int ch = 0; ch < 3; ++ch) col[ch] += (f[ch] - col[ch]) * foregroundWeight / 256;
                    }
                    // Material colours and powers outside their ranges can leave a
                    // channel below 0; the gamma tables have 256 entries.
                    px[0] = gammaB[ClampInt(col[0] + p.highlight, 0, 255)];
                    px[1] = gammaG[ClampInt(col[1] + p.highlight, 0, 255)];
                    px[2] = gammaR[ClampInt(col[2] + p.highlight, 0, 255)];
                }
            }
        }
    };
    if (!ForRows(area.top, area.bottom, area.Width(), shadeRows)) return -1;
    return 1;
}
