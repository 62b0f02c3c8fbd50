// The lighting and material loop: per pixel a normal from the height map, an
// ambient and two directional lights, the material colour with texture tint
// and show-through, the foreground overlay, the highlight and the gammas.
#include <algorithm>
#include <cmath>

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
};

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

// Bilinear sample of a 24-bit bitmap at (sx, sy) in 1/256 pixel, clamped so
// that both sample columns and rows lie inside the bitmap.
void SampleShowThrough(const ByteMap& copy, int64_t sx, int64_t sy, int32_t out[3]) {
    const int32_t fx = static_cast<int32_t>(sx & 255);
    const int32_t fy = static_cast<int32_t>(sy & 255);
    const int32_t ix = static_cast<int32_t>(std::clamp<int64_t>(sx / 256, 0, std::max(copy.Width() - 2, 0)));
    const int32_t iy = static_cast<int32_t>(std::clamp<int64_t>(sy / 256, 0, std::max(copy.Height() - 2, 0)));
    const int32_t ix1 = std::min(ix + 1, copy.Width() - 1);
    const int32_t iy1 = std::min(iy + 1, copy.Height() - 1);
    const uint8_t* r0 = copy.Row(iy);
    const uint8_t* r1 = copy.Row(iy1);
    for (int ch = 0; ch < 3; ++ch) {
        const int32_t a0 = r0[ix * 3 + ch];
        const int32_t b0 = r0[ix1 * 3 + ch];
        const int32_t a1 = r1[ix * 3 + ch];
        const int32_t b1 = r1[ix1 * 3 + ch];
        const int32_t top = a0 + (b0 - a0) * fx / 256;
        const int32_t bottom = a1 + (b1 - a1) * fx / 256;
        out[ch] = top + (bottom - top) * fy / 256;
    }
}

// What the lights make of one height gradient (nx, ny): everything of a
// pixel that depends on its normal alone.
struct NormalShade {
    bool filled = false;
    int32_t nx = 0;
    int32_t ny = 0;
    int32_t light = 0;       // diffuse light after solarization and ambient, 0..256
    int32_t highlight = 0;
    double shiftX = 0.0;     // displacement of what shows through, pixels
    double shiftY = 0.0;
};

NormalShade ShadeNormal(const LightingSetup& s, int32_t ambient, int32_t nx, int32_t ny) {
    NormalShade out;
    out.filled = true;
    out.nx = nx;
    out.ny = ny;
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
        // The power is the costliest step; without strength, or at r = 0
        // with a positive exponent, it adds 0.
        if (light.strength != 0.0 && (rz > 0.0 || s.exponent == 0.0))
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
// repeat a few gradients over and over; each is worked out once.
class NormalShadeCache {
public:
    NormalShadeCache(const LightingSetup& setup, int32_t ambient) : setup_(setup), ambient_(ambient) {}

    const NormalShade& Get(int32_t nx, int32_t ny) {
        const uint32_t hash = (static_cast<uint32_t>(nx) * 0x9E3779B1u) ^ (static_cast<uint32_t>(ny) * 0x85EBCA77u);
        NormalShade& slot = slots_[hash >> (32 - kBits)];
        if (!slot.filled || slot.nx != nx || slot.ny != ny) slot = ShadeNormal(setup_, ambient_, nx, ny);
        return slot;
    }

private:
    static constexpr int kBits = 10;
    const LightingSetup& setup_;
    int32_t ambient_;
    NormalShade slots_[1 << kBits];
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

    const IntMap heights(heightMap);
    const ByteMap image(*b.image);
    const ByteMap mask(*b.mask);
    const ByteMap copy(imageCopy);
    const ByteMap texture(mappedTexture);
    const ByteMap foreground(mappedForeground);

    const auto shadeRows = [&](int32_t firstRow, int32_t endRow) {
        NormalShadeCache shades(s, b.lightPower[0]);
        for (int32_t y = firstRow; y < endRow; ++y) {
            const int32_t r = y - o.top + kMapBorder;
            const int32_t* hRow = heights.Row(r);
            const int32_t* hUp = heights.Row(r + 1);
            const int32_t* hDown = heights.Row(r - 1);
            uint8_t* pixels = image.Row(y);
            const uint8_t* m = mask.Row(y);
            for (int32_t x = area.left; x < area.right; ++x) {
                if (m[x] == 0) continue;
                const int32_t c = x - o.left + kMapBorder;
                const int32_t nx = hRow[c - 1] - hRow[c + 1];
                const int32_t ny = hUp[c] - hDown[c];
                const NormalShade& shade = shades.Get(nx, ny);
                const int32_t l = shade.light;

                uint8_t* px = pixels + x * 3;
                int32_t col[3];
                if (b.pMth != 0) {
                    col[0] = px[0];
                    col[1] = px[1];
                    col[2] = px[2];
                } else {
                    col[0] = b.pMcb;
                    col[1] = b.pMcg;
                    col[2] = b.pMcr;
                }

                int32_t w = b.colorWeight;
                if (s.textureInUse) {
                    const uint8_t* t = texture.Row(r) + c * 4;
                    w = std::max<int32_t>(t[3], b.colorWeight);
                    if (s.textureColor != 0)
                        for (int ch = 0; ch < 3; ++ch) col[ch] += (t[ch] - col[ch]) * s.textureColor / 256;
                }

                if (w < 256) {
                    int32_t q[3];
                    if (s.refraction == 0.0) {
                        const uint8_t* qp = copy.Row(y) + x * 3;
                        q[0] = qp[0];
                        q[1] = qp[1];
                        q[2] = qp[2];
                    } else {
                        const int64_t sx = TruncateWide(256.0 * (x - shade.shiftX));
                        const int64_t sy = TruncateWide(256.0 * (y + shade.shiftY));
                        SampleShowThrough(copy, sx, sy, q);
                    }
                    for (int ch = 0; ch < 3; ++ch) col[ch] += (256 - w) * (q[ch] - col[ch]) / 256;
                }

                for (int ch = 0; ch < 3; ++ch) col[ch] = col[ch] * l / 256;

                if (s.foregroundInUse) {
                    const uint8_t* f = foreground.Row(r) + c * 3;
                    for (int ch = 0; ch < 3; ++ch) col[ch] += (f[ch] - col[ch]) * s.foregroundWeight / 256;
                }
                // Material colours and powers outside their ranges can leave a
                // channel below 0; the gamma tables have 256 entries.
                for (int ch = 0; ch < 3; ++ch) col[ch] = ClampInt(col[ch] + shade.highlight, 0, 255);

                px[0] = tables.gammaB[col[0]];
                px[1] = tables.gammaG[col[1]];
                px[2] = tables.gammaR[col[2]];
            }
        }
    };
    if (!ForRows(area.top, area.bottom, area.Width(), shadeRows)) return -1;
    return 1;
}
