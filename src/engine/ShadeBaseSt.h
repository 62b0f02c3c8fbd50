#pragma once
// The engine block: everything one render needs, derived from the parameter
// record in a single commit step by the driver.  All values are signed 32-bit
// integers except the preview flag and the four bitmap references.  Fields
// named by a parameter key hold that parameter raw unless noted: percentages
// noted "1/256" were scaled by v*256/100, hues by v*252/200 (truncated toward
// zero).
#include <cstdint>

#include "CMacRect.h"

class DibEx;

inline constexpr int kShadeLightSlots = 4;

struct ShadeBaseSt {
    bool preview = false;              // the image is not the full-size image
    DibEx* image = nullptr;            // 24-bit B,G,R, shaded in place
    DibEx* mask = nullptr;             // 8-bit, same size; receives the output alpha
    DibEx* texture = nullptr;          // 24-bit texture image, or null
    DibEx* foreground = nullptr;       // 24-bit foreground image, or null
    CMacRect objectRect;               // the area to shade, in image pixels
    CMacRect renderRect;               // the part of the image to write

    int32_t sizeMode = 0;              // pSms
    int32_t sizeFixed = 0;             // pSfs, reduced for fit-view previews
    int32_t standardSize = 0;          // reference length in pixels, at least 10

    // model
    int32_t pMle = 0;                  // bevel length, percent
    int32_t pMhe = 0;                  // height
    int32_t pMba = 0;                  // soft rim width
    int32_t pMbp = 0;                  // bevel position
    int32_t pMbw = 0;                  // bevel power
    int32_t pMbr = 0;                  // reverse the profile
    int32_t pMsm = 0;                  // smoothing
    int32_t pMth = 0;                  // take the material colour from the image

    // material
    int32_t pMcr = 0;
    int32_t pMcg = 0;
    int32_t pMcb = 0;
    int32_t colorWeight = 0;           // opacity of the material, 256 = opaque
    int32_t pMgr = 0;                  // gamma red, 1/256
    int32_t pMgg = 0;                  // gamma green, 1/256
    int32_t pMgb = 0;                  // gamma blue, 1/256
    int32_t pMsp = 0;                  // specular
    int32_t pMrf = 0;                  // reflection (refraction distance)
    int32_t pMsl = 0;                  // solarization, 1/256

    // texture
    int32_t textureChanged = 0;        // 1 when the texture was (re)loaded for this call
    int32_t textureLocate = 0;         // pStl: anchor the texture to the canvas
    int32_t pTsc = 0;
    int32_t pTtv = 0;
    int32_t pTox = 0;
    int32_t pToy = 0;
    int32_t pTbe = 0;
    int32_t pTco = 0;                  // colour weight, 1/256
    int32_t pTbu = 0;
    int32_t pTwi = 0;                  // weight, raw percent
    int32_t pThu = 0;                  // hue shift, 1/252 turn
    int32_t pTcr = 0;                  // chroma shift, 1/256
    int32_t pTli = 0;                  // light shift, 1/256
    int32_t pTct = 0;                  // contrast, raw

    // foreground
    int32_t foregroundChanged = 0;
    int32_t pEsc = 0;
    int32_t pEtv = 0;
    int32_t pEox = 0;
    int32_t pEoy = 0;
    int32_t pEwi = 0;                  // weight, 1/256
    int32_t pEhu = 0;                  // hue shift, 1/252 turn
    int32_t pEcr = 0;                  // chroma shift, 1/256
    int32_t pEli = 0;                  // light shift, 1/256
    int32_t pEct = 0;                  // contrast, raw

    // lights: channel 0 is the ambient light, 1 and 2 the directional lights
    int32_t lightCount = 0;
    int32_t lightPower[kShadeLightSlots] = {};   // 1/256
    int32_t lightAngleH[kShadeLightSlots] = {};  // degrees
    int32_t lightAngleV[kShadeLightSlots] = {};  // degrees

    // shadow
    int32_t shadowWeight = 0;          // 1/256, 0 when no shadow is enabled
    int32_t shadowDiffusion = 0;       // pLsf
    int32_t shadowDistance = 0;        // pLsd
    int32_t pLem = 0;                  // shadow of light 2
    int32_t pLes = 0;                  // shadow of light 1
};
