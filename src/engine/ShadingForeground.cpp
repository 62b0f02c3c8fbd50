// ForeGroundMapping: the picture that the object reflects.  Each object pixel
// looks the foreground up at its own position, scaled into a window of the
// foreground, mirrored left to right and displaced along the surface normal.
#include <algorithm>
#include <cmath>
#include <vector>

#include "EngineColour.h"
#include "ImageFunc.h"
#include "ShadingBase.h"

namespace {

int32_t ClampInner(int64_t v, int32_t size) {
    if (v <= 0) return std::min(1, size - 1);
    return static_cast<int32_t>(std::min<int64_t>(v, size - 1));
}

}  // namespace

int ShadingBase::ForeGroundMapping(ShadeBaseSt* block, int start, int end) {
    const ShadeBaseSt& b = *block;
    checkPoint = kCheckForeground;
    if (b.foreground == nullptr || b.pEwi < 1 || !MapsFitObject(b)) return 0;
    const ShadeBaseSt& l = lastBlock;
    if (reuseAllowed && b.foregroundChanged == 0 && shapeChanged == 0 && ShapeFieldsUnchanged(b) &&
        b.foreground == l.foreground && b.pEsc == l.pEsc && b.pEtv == l.pEtv && b.pEox == l.pEox &&
        b.pEoy == l.pEoy && b.pEwi == l.pEwi && b.pEhu == l.pEhu && b.pEcr == l.pEcr &&
        b.pEli == l.pEli && b.pEct == l.pEct && mappedForeground.IsValid() &&
        mappedForeground.GetWidth() == heightMap.GetWidth() &&
        mappedForeground.GetHeight() == heightMap.GetHeight())
        return 0;

    DibEx& fg = *b.foreground;
    const int32_t fw = fg.GetWidth();
    const int32_t fh = fg.GetHeight();
    const int32_t imageW = b.image->GetWidth();
    const int32_t imageH = b.image->GetHeight();
    const int64_t zoom = (100 - b.pEsc) * 998 / 100 + 2;  // thousandths

    ColourAdjustment adjust;
    adjust.on = b.pEhu != 0 || b.pEcr != 0 || b.pEli != 0 || b.pEct != 0;
    adjust.hueShift = b.pEhu;
    adjust.chromaShift = b.pEcr;
    adjust.lightShift = b.pEli;
    adjust.contrast.Sigmoid(b.pEct * 0.001, b.pEtv / 255.0, 0.0, 1.0);

    const double z = NormalZ(b.pMhe);
    tagRECT window{0, 0, fw * 256, fh * 256};
    CorrectProportionRect(&window, imageW, imageH);
    const int64_t ww = static_cast<int64_t>(window.right - window.left) * zoom / 1000;
    const int64_t wh = static_cast<int64_t>(window.bottom - window.top) * zoom / 1000;
    const int64_t centreX = (window.left + window.right) / 2;
    const int64_t centreY = (window.top + window.bottom) / 2;
    const int64_t left = centreX - ww / 2 - static_cast<int64_t>(b.pEox) * fw * 256 / 100;
    const int64_t top = centreY - wh / 2 + static_cast<int64_t>(b.pEoy) * fh * 256 / 100;
    const double displacement = 0.1 * std::min(fw * 256, fh * 256) / z;

    EnsureMap(mappedForeground, heightMap.GetWidth(), heightMap.GetHeight(), 24);
    const IntMap heights(heightMap);
    const ByteMap mapped(mappedForeground);
    const ByteMap mask(*b.mask);
    const ByteMap picture(fg);
    const CMacRect& o = b.objectRect;
    const int32_t mapW = heights.Width();
    const int32_t mapH = heights.Height();
    SetupProgress(start, end, mapH - 2 * kMapBorder);

    // The window position of each column and row, divided once instead of
    // once per pixel.
    std::vector<int64_t> columnU(mapW);
    for (int32_t c = kMapBorder; c < mapW - kMapBorder; ++c)
        columnU[c] = static_cast<int64_t>(c + o.left - kMapBorder) * ww / imageW + left;

    // Each row writes only its own row of the map.
    const uint64_t render = AdjustedColours::NewRender();
    const auto mapRows = [&](int32_t firstRow, int32_t endRow) {
        AdjustedColours& adjusted = AdjustedColours::ForThread(adjust, render);
        for (int32_t r = firstRow; r < endRow; ++r) {
            const int32_t y = r + o.top - kMapBorder;
            const int64_t rowV = y * wh / imageH + top;
            const uint8_t* m = mask.Row(y);
            const int32_t* hRow = heights.Row(r);
            const int32_t* hUp = heights.Row(r + 1);
            const int32_t* hDown = heights.Row(r - 1);
            uint8_t* out = mapped.Row(r);
            for (int32_t c = kMapBorder; c < mapW - kMapBorder; ++c) {
                if (m[c + o.left - kMapBorder] == 0) continue;
                const int32_t nx = hRow[c - 1] - hRow[c + 1];
                const int32_t ny = hUp[c] - hDown[c];
                const int64_t u0 = columnU[c] + TruncateWide(displacement * nx);
                const int64_t v0 = rowV - TruncateWide(displacement * ny);
                const int32_t fx = static_cast<int32_t>(u0 & 255);
                const int32_t fy = static_cast<int32_t>(v0 & 255);
                // Mirror left to right; beyond its edges the picture repeats its
                // border pixels.  The left neighbour stays inside a one-pixel-wide
                // picture.
                const int32_t u = ClampInner(fw - u0 / 256 - 1, fw);
                const int32_t v = ClampInner(v0 / 256, fh);
                const int32_t uLeft = std::max(u - 1, 0);
                const uint8_t* row = picture.Row(v);
                const Bgr a = BlendDivide(ReadBgr(row + u * 3), ReadBgr(row + uLeft * 3), fx);
                const uint8_t* next = picture.Row(std::min(v + 1, fh - 1));
                const Bgr bb = BlendDivide(ReadBgr(next + u * 3), ReadBgr(next + uLeft * 3), fx);
                Bgr colour = BlendDivide(a, bb, fy);
                adjusted.Apply(colour);
                WriteBgr(out + c * 3, colour);
            }
        }
    };
    if (!ForRows(kMapBorder, mapH - kMapBorder, mapW - 2 * kMapBorder, mapRows)) return -1;
    return 1;
}
