// TextureMapping: lays the tiled texture over the object (scale, offset,
// canvas or object anchoring, bend by the relief), turns its luma into the
// material's opacity, adjusts its colour and optionally embosses the heights.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "EngineColour.h"
#include "ImageFunc.h"
#include "ShadingBase.h"

namespace {

// The texture as 32-bit texels, colour and opacity, with one more column and
// one more row that repeat the first ones: the bilinear neighbours of the
// last column and row need no wrap test, and the opacity of a texel is
// looked up once per render instead of four times per pixel.
class TexelTable {
public:
    struct Texel {
        Bgr colour;
        int32_t opacity;
    };

    TexelTable(DibEx& texture, const MathTbl& weightCurve, const MathTbl& contrast)
        : width(texture.GetWidth()), height(texture.GetHeight()), stride_(width + 1),
          texels_(static_cast<size_t>(stride_) * (height + 1)) {
        const ByteMap pixels(texture);
        for (int32_t v = 0; v <= height; ++v) {
            const uint8_t* row = pixels.Row(v == height ? 0 : v);
            for (int32_t u = 0; u <= width; ++u) {
                const uint8_t* p = row + (u == width ? 0 : u) * 3;
                const int32_t opacity = contrast[weightCurve[Luma(ReadBgr(p))]];
                texels_[static_cast<size_t>(v) * stride_ + u] =
                    static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                    static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(opacity) << 24;
            }
        }
    }

    // The texel (u, v) and its right, lower and lower right neighbours.
    void Corners(int32_t u, int32_t v, Texel& p, Texel& q, Texel& p1, Texel& q1) const {
        const uint32_t* t = texels_.data() + static_cast<size_t>(v) * stride_ + u;
        p = Unpack(t[0]);
        q = Unpack(t[1]);
        p1 = Unpack(t[stride_]);
        q1 = Unpack(t[stride_ + 1]);
    }

    const int32_t width;
    const int32_t height;

private:
    static Texel Unpack(uint32_t t) {
        return {{static_cast<int32_t>(t & 255), static_cast<int32_t>(t >> 8 & 255),
                 static_cast<int32_t>(t >> 16 & 255)},
                static_cast<int32_t>(t >> 24)};
    }

    int32_t stride_;
    std::vector<uint32_t> texels_;
};

int64_t Wrap(int64_t value, int64_t period) {
    // Most positions lie within one tile of the first one, where one
    // addition or subtraction (chosen without a jump) finds the remainder;
    // the division is the costly step.
    int64_t w = value < 0 ? value + period : value;
    w = w >= period ? w - period : w;
    if (static_cast<uint64_t>(w) < static_cast<uint64_t>(period)) return w;
    w = value % period;
    return w < 0 ? w + period : w;
}

}  // namespace

bool ShadingBase::TextureReuseAllowed(const ShadeBaseSt& b) const {
    const ShadeBaseSt& l = lastBlock;
    // The opacity blend depends on the material's colour weight, so that is
    // compared too; a recomputed shape needs a new bump.
    return reuseAllowed && b.textureChanged == 0 && shapeChanged == 0 && ShapeFieldsUnchanged(b) &&
           b.textureLocate == l.textureLocate && b.texture == l.texture && b.pTbu == l.pTbu &&
           b.pTsc == l.pTsc && b.pTtv == l.pTtv && b.pTox == l.pTox && b.pToy == l.pToy &&
           b.pTbe == l.pTbe && b.pThu == l.pThu && b.pTcr == l.pTcr && b.pTli == l.pTli &&
           b.pTct == l.pTct && b.pTco == l.pTco && b.pTwi == l.pTwi &&
           b.colorWeight == l.colorWeight && mappedTexture.IsValid() &&
           mappedTexture.GetWidth() == heightMap.GetWidth() &&
           mappedTexture.GetHeight() == heightMap.GetHeight();
}

int ShadingBase::TextureMapping(ShadeBaseSt* block, int start, int end) {
    const ShadeBaseSt& b = *block;
    checkPoint = kCheckTexture;
    if (b.texture == nullptr || (b.pTbu == 0 && b.pTco == 0 && b.pTwi == 0) || !MapsFitObject(b)) return 0;
    if (TextureReuseAllowed(b)) {
        textureMapChanged = 0;
        return 0;
    }
    textureMapChanged = 1;
    if (b.preview && shapeChanged == 0 && heightBumped == 1) {
        IMAGE_Move(&heightMap, &scratchMap, nullptr, nullptr);
        bevelLength = bevelLengthSaved;
        shapeChanged = 1;
    }

    const int32_t tw = b.texture->GetWidth();
    const int32_t th = b.texture->GetHeight();
    const double scale = 10000.0 * std::pow((101 - b.pTsc) * 0.01, 4.0) *
                         std::sqrt(static_cast<double>(tw) * tw + static_cast<double>(th) * th) /
                         b.standardSize;
    const int64_t ox = static_cast<int64_t>(b.pTox) * tw * 256 / 100;
    const int64_t oy = static_cast<int64_t>(b.pToy) * th * 256 / 100;
    int64_t bump = TruncateWide(50.0 * std::pow(std::abs(b.pTbu) / 100.0, 3.0) * b.standardSize);
    if (b.pTbu < 0) bump = -bump;
    if (shapeChanged == 0) bump = 0;
    const double bend = b.pTbe * 2e-6 * b.pMhe / b.standardSize;
    const CMacRect& o = b.objectRect;
    int64_t originX = static_cast<int64_t>(tw) * 256 / 2;
    int64_t originY = static_cast<int64_t>(th) * 256 / 2;
    if (b.textureLocate != 0) {
        originX = TruncateWide(((o.left + o.right) / 2) * scale);
        originY = TruncateWide(((o.top + o.bottom) / 2) * scale);
    }

    ColourAdjustment adjust;
    adjust.on = b.pTct != 0 || b.pThu != 0 || b.pTcr != 0 || b.pTli != 0;
    adjust.hueShift = b.pThu;
    adjust.chromaShift = b.pTcr;
    adjust.lightShift = b.pTli;
    const double threshold = b.pTtv / 255.0;
    adjust.contrast.Sigmoid(b.pTct * 0.001, threshold, 0.0, 1.0);

    // An opaque material ignores the texture weight.
    const int32_t weight = b.colorWeight > 255 ? 0 : b.pTwi;
    const int32_t blend = (256 - b.colorWeight) * std::abs(weight) / 100;
    MathTbl weightCurve;
    if (weight > 0) weightCurve.Sigmoid(0.1, threshold, 0.0, weight / 100.0);
    if (weight < 0) weightCurve.Sigmoid(0.1, threshold, -weight / 100.0, 0.0);
    const MathTbl& contrast = adjust.contrast;
    MathTbl bumpCurve;
    int32_t bumpedMaximum = 0;
    if (bump != 0) {
        bumpCurve.Sigmoid(0.05, threshold, 0.0, 1.0);
        bumpCurve.Smooth(10);
        heightBumped = 1;
        IMAGE_Move(&scratchMap, &heightMap, nullptr, nullptr);
        bevelLengthSaved = bevelLength;
    } else {
        heightBumped = 0;
    }

    EnsureMap(mappedTexture, heightMap.GetWidth(), heightMap.GetHeight(), 32);
    const IntMap heights(heightMap);
    const IntMap unbumped(scratchMap);
    const ByteMap mapped(mappedTexture);
    const ByteMap mask(*b.mask);
    const int32_t mapW = heights.Width();
    const int32_t mapH = heights.Height();
    const int32_t hc = mapW / 2;
    const int32_t hr = mapH / 2;
    const int64_t spanU = static_cast<int64_t>(tw) * 256;
    const int64_t spanV = static_cast<int64_t>(th) * 256;
    const int64_t shiftU = originX - ox;
    const int64_t shiftV = originY - oy;
    const TexelTable texture(*b.texture, weightCurve, contrast);
    // The height change of each luma of the plain texture colour (a blend of
    // texels stays within 0..255).
    int64_t bumpOfLuma[256] = {};
    if (bump != 0)
        for (int32_t luma = 0; luma < 256; ++luma) bumpOfLuma[luma] = (bumpCurve[contrast[luma]] - 128) * bump / 128;
    // The texture position of each pixel of a run of a row, before
    // truncation: the relief bends the texture (higher parts show it
    // larger), so the scale is that of the pixel's height, times the pixel's
    // distance from the centre.  On a slope the height changes at every
    // pixel; one loop over the run, kept apart from the sampling, becomes
    // packed divisions and products, each rounded exactly like its scalar
    // form.  A run fits on the stack: no buffer is allocated per row.
    constexpr int32_t kRun = 256;
    const auto placeRun = [&](const int32_t* source, int32_t dy, int32_t first, int32_t end, double* placeU,
                              double* placeV) {
        const double y = dy;
        for (int32_t c = first; c < end; ++c) {
            const double s = scale / (1.0 + source[c] * bend);
            placeU[c - first] = (c - hc) * s;
            placeV[c - first] = y * s;
        }
    };
    SetupProgress(start, end, mapH - 2 * kMapBorder);

    // Each row reads and writes only its own row of every map.
    std::mutex maximumMutex;
    const uint64_t render = AdjustedColours::NewRender();
    const auto mapRows = [&](int32_t firstRow, int32_t endRow) {
        AdjustedColours& adjusted = AdjustedColours::ForThread(adjust, render);
        int32_t pieceMaximum = 0;
        for (int32_t r = firstRow; r < endRow; ++r) {
            const uint8_t* m = mask.Row(r + o.top - kMapBorder);
            int32_t* hRow = heights.Row(r);
            const int32_t* source = bump != 0 ? unbumped.Row(r) : hRow;
            uint8_t* out = mapped.Row(r);
            double placeU[kRun], placeV[kRun];
            for (int32_t c = kMapBorder; c < mapW - kMapBorder; ++c) {
                const int32_t inRun = (c - kMapBorder) % kRun;
                if (inRun == 0) placeRun(source, r - hr, c, std::min(c + kRun, mapW - kMapBorder), placeU, placeV);
                if (m[c + o.left - kMapBorder] == 0) continue;
                const int32_t h = source[c];
                const int64_t u0 = Wrap(TruncateWide(placeU[inRun]) + shiftU, spanU);
                const int64_t v0 = Wrap(TruncateWide(placeV[inRun]) + shiftV, spanV);
                const int32_t fx = static_cast<int32_t>(u0 & 255);
                const int32_t fy = static_cast<int32_t>(v0 & 255);
                TexelTable::Texel p, q, p1, q1;
                texture.Corners(static_cast<int32_t>(u0 >> 8), static_cast<int32_t>(v0 >> 8), p, q, p1, q1);
                Bgr row0 = BlendShift(p.colour, q.colour, fx);
                Bgr row1 = BlendShift(p1.colour, q1.colour, fx);
                const Bgr plain = BlendShift(row0, row1, fy);

                Bgr colour = plain;
                int32_t w = 0;
                if (blend >= 1) {
                    // Threshold-aware blend: opaque and transparent texture parts
                    // keep crisp colours where they meet.
                    int32_t wP = p.opacity;
                    int32_t wP1 = p1.opacity;
                    if (!(wP > 128 && q.opacity > 128)) {
                        wP += (q.opacity - wP) * fx >> 8;
                        if (q.opacity > 0) row0 = q.colour;
                    }
                    if (!(wP1 > 128 && q1.opacity > 128)) {
                        wP1 += (q1.opacity - wP1) * fx >> 8;
                        if (q1.opacity > 0) row1 = q1.colour;
                    }
                    Bgr chosen;
                    if (wP > 128 && wP1 > 128) {
                        chosen = BlendShift(row0, row1, fy);
                    } else {
                        wP += (wP1 - wP) * fy >> 8;
                        chosen = wP > 128 ? row0 : row1;
                    }
                    colour = BlendShift(plain, chosen, blend);
                    w = wP;
                }
                adjusted.Apply(colour);
                uint8_t* px = out + c * 4;
                WriteBgr(px, colour);
                px[3] = static_cast<uint8_t>(w);

                if (bump != 0) {
                    const int64_t raised = h + bumpOfLuma[Luma(plain)];
                    const int32_t nh = static_cast<int32_t>(std::clamp<int64_t>(raised, 0, INT32_MAX));
                    hRow[c] = nh;
                    pieceMaximum = std::max(pieceMaximum, nh);
                }
            }
        }
        const std::lock_guard<std::mutex> lock(maximumMutex);
        bumpedMaximum = std::max(bumpedMaximum, pieceMaximum);
    };
    if (!ForRows(kMapBorder, mapH - kMapBorder, mapW - 2 * kMapBorder, mapRows)) return -1;
    if (bump != 0) bevelLength = std::max(bumpedMaximum, 1);
    return 1;
}
