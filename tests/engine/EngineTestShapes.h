#pragma once
// Synthetic images, masks and engine blocks for the engine tests.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "DibEx.h"
#include "ShadeBaseSt.h"
#include "ShadingBase.h"

struct TestScene {
    DibEx image{1};
    DibEx mask{1};
    ShadeBaseSt block;
};

// An image of width x height filled with one colour, a mask from `coverage`
// (x, y) -> 0..255, and a block with neutral settings over the mask's
// bounding rectangle widened by one pixel.
inline void MakeScene(TestScene& s, int32_t width, int32_t height,
                      const std::function<int(int32_t, int32_t)>& coverage) {
    s.image.Setup(width, height, 24);
    s.image.Fill(40, 80, 120);
    s.mask.Setup(width, height, 8);
    CMacRect box(width, height, 0, 0);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const int v = coverage(x, y);
            *s.mask.CommitLine(y, x) = static_cast<uint8_t>(v);
            if (v == 0) continue;
            box.left = std::min(box.left, x);
            box.top = std::min(box.top, y);
            box.right = std::max(box.right, x + 1);
            box.bottom = std::max(box.bottom, y + 1);
        }
    ShadeBaseSt& b = s.block;
    b = ShadeBaseSt{};
    b.image = &s.image;
    b.mask = &s.mask;
    b.objectRect = CMacRect(std::max(box.left - 1, 0), std::max(box.top - 1, 0),
                            std::min(box.right + 1, width), std::min(box.bottom + 1, height));
    b.renderRect = CMacRect(0, 0, width, height);
    b.standardSize = 100;
    b.pMle = 100;
    b.pMhe = 100;
    b.pMbw = 100;
    b.pMsm = 1;
    b.pMcr = 255;
    b.colorWeight = 256;
    b.lightCount = 3;
}

// A filled disc of the given radius around (cx, cy).
inline std::function<int(int32_t, int32_t)> Disc(int32_t cx, int32_t cy, int32_t radius) {
    return [=](int32_t x, int32_t y) {
        const int64_t dx = x - cx;
        const int64_t dy = y - cy;
        return dx * dx + dy * dy <= static_cast<int64_t>(radius) * radius ? 255 : 0;
    };
}

// The pixel of an engine map (bordered, over the object rectangle) at image pixel (x, y).
inline uint8_t* MapPixel(DibEx& map, const ShadeBaseSt& b, int32_t x, int32_t y) {
    const int32_t border = ShadingBase::kMapBorder;
    return map.CommitLine(y - b.objectRect.top + border, x - b.objectRect.left + border);
}

// Value of a 32-bit engine map at image pixel (x, y).
inline int32_t& MapAt(DibEx& map, const ShadeBaseSt& b, int32_t x, int32_t y) {
    return *reinterpret_cast<int32_t*>(MapPixel(map, b, x, y));
}

// The bytes of a bitmap's pixels, padding included.
inline std::vector<uint8_t> Bytes(DibEx& dib) {
    const uint8_t* p = dib.CommitPixel();
    return std::vector<uint8_t>(p, p + dib.GetPixelSize());
}

// A picture with hard and soft edges, used as texture and foreground.
inline void MakePicture(DibEx& picture, int32_t width, int32_t height) {
    picture.Setup(width, height, 24);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* p = picture.CommitLine(y, x);
            p[0] = static_cast<uint8_t>((x ^ y) * 5);
            p[1] = static_cast<uint8_t>(((x / 8 + y / 8) % 2) * 230);
            p[2] = static_cast<uint8_t>(x * 3 + y);
        }
}

// Every stage on: texture with bump and weight, foreground, soft rim,
// smoothing, a transparent refracting material and a blurred shadow.
inline void EveryStage(ShadeBaseSt& b, DibEx& texture, DibEx& foreground) {
    b.texture = &texture;
    b.foreground = &foreground;
    b.pMle = 80, b.pMhe = 70, b.pMba = 20, b.pMbp = 30, b.pMbw = 80, b.pMsm = 15;
    b.colorWeight = 180, b.pMsp = 40, b.pMrf = 20, b.pMsl = 25, b.pMgr = 30;
    b.pTsc = 50, b.pTtv = 128, b.pTbe = 50, b.pTco = 128, b.pTwi = 40, b.pTbu = 30, b.pThu = 20, b.pTct = 30;
    b.pEsc = 50, b.pEtv = 128, b.pEwi = 76, b.pEhu = -20, b.pEct = 20;
    b.lightPower[0] = 25, b.lightPower[1] = 128, b.lightPower[2] = 230;
    b.lightAngleH[1] = 45, b.lightAngleV[1] = 30, b.lightAngleH[2] = 135, b.lightAngleV[2] = 45;
    b.shadowWeight = 128, b.shadowDiffusion = 30, b.shadowDistance = 30, b.pLem = 1, b.pLes = 1;
}
