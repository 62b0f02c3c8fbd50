// The render half of the application object: the engine block from the
// parameters, texture and foreground loading with their cache, and the call
// into the engine.
#include "CShadeApp.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "ImageFile.h"
#include "ImageFunc.h"
#include "RegularFile.h"

namespace {

int32_t Percent256(int32_t v) { return v * 256 / 100; }
int32_t Hue252(int32_t v) { return v * 252 / 200; }

// v * num / den with a 64-bit product; den below 1 counts as num (scale 1).
int32_t Scale(int32_t v, int32_t num, int32_t den) {
    if (den < 1) return v;
    return static_cast<int32_t>(std::clamp<int64_t>(static_cast<int64_t>(v) * num / den, INT32_MIN, INT32_MAX));
}

int32_t Diagonal(int64_t w, int64_t h) {
    return static_cast<int32_t>(std::sqrt(static_cast<double>(w * w + h * h)));
}

}  // namespace

CShadeApp::CShadeApp() : shadingBase_(std::make_unique<ShadingBase>()) {}

CShadeApp::~CShadeApp() = default;

void CShadeApp::SetFolders(std::string systemFolder, std::string textureFolder,
                           std::string foregroundFolder) {
    systemFolder_ = std::move(systemFolder);
    textureFolder_ = std::move(textureFolder);
    foregroundFolder_ = std::move(foregroundFolder);
}

std::string CShadeApp::OpenPath(const std::string& name) const {
    // A name with a folder but no leading "/" lies inside the system folder.
    if (!name.empty() && name.front() != '/' && name.find('/') != std::string::npos)
        return systemFolder_ + "/" + name;
    return name;
}

DibEx* CShadeApp::PrepareImage(char* name, const std::string& folder, CachedImage& cache, bool preview,
                               int32_t imageWidth, int32_t imageHeight, int32_t* changed) {
    const size_t length = strnlen(name, kShadeParamsPathSize);
    std::string current(name, length);
    bool usable = length < kShadeParamsPathSize;
    if (usable && !current.empty() && current.find('/') == std::string::npos) {
        // A bare name belongs to the library folder; the parameters keep the
        // full path.  One that would not fit is not cut: it cannot be opened.
        const std::string full = folder + "/" + current;
        if (full.size() < kShadeParamsPathSize) {
            std::memcpy(name, full.c_str(), full.size() + 1);
            current = full;
        } else {
            usable = false;
        }
    }

    if (preview && current == cache.loadedName) {
        *changed = 0;
        return cache.loadedName.empty() || cache.unreadable ? nullptr : &cache.bitmap;
    }
    cache.loadedName = current;
    cache.unreadable = false;
    *changed = 1;
    if (current.empty()) return nullptr;
    const std::string path = OpenPath(current);
    // A FIFO or a device would block the reader: only regular files are read.
    if (!usable || !IsRegularFile(path.c_str()) || ImageFile_Load(nullptr, path.c_str(), &cache.bitmap, nullptr, nullptr, 1) != 1 ||
        cache.bitmap.GetBitsPerPixel() != 24) {
        // The render goes on without the image.  The name stays cached so
        // that previews do not read a broken file again on every change.
        cache.unreadable = true;
        unreadable_.push_back({current, path});
        return nullptr;
    }
    DibEx& bitmap = cache.bitmap;
    if (preview && bitmap.GetWidth() > imageWidth && bitmap.GetHeight() > imageHeight) {
        tagRECT fit{0, 0, imageWidth, imageHeight};
        CorrectProportionRect(&fit, bitmap.GetWidth(), bitmap.GetHeight());
        IMAGE_Resize(&bitmap, std::max(fit.right - fit.left, 1), std::max(fit.bottom - fit.top, 1), nullptr);
    }
    return &bitmap;
}

ShadeBaseSt CShadeApp::MakeBlock(DibEx* image, DibEx* mask, const CMacRect* rect) {
    // Whatever a caller put into the live record, the engine only ever sees
    // values the controls can set: an entry out of range is clamped here.
    ShadeParams p = shadeParams_;
    ShadeParamsClamp(p);
    unreadable_.clear();
    ShadeBaseSt b;
    const int32_t imgW = image->GetWidth();
    const int32_t imgH = image->GetHeight();
    // Without a full image (a render of a bare bitmap) the scale is 1.
    const int32_t fullW = fullImage_.IsValid() ? fullImage_.GetWidth() : imgW;
    const int32_t fullH = fullImage_.IsValid() ? fullImage_.GetHeight() : imgH;

    b.preview = image != &fullImage_;
    b.image = image;
    b.mask = mask;
    b.sizeMode = p.SizeStandard;
    b.sizeFixed = p.SizeFixedStandard;
    if (b.preview && rect == nullptr) b.sizeFixed = Scale(p.SizeFixedStandard, imgW, fullW);

    // The object rectangle in this image's pixels, widened by one pixel.  Every
    // side is kept inside the image, so an empty object stays empty.
    const CMacRect& o = objectRect_;
    b.objectRect = CMacRect(std::clamp(Scale(o.left, imgW, fullW) - 1, 0, imgW),
                            std::clamp(Scale(o.top, imgH, fullH) - 1, 0, imgH),
                            std::clamp(Scale(o.right, imgW, fullW) + 1, 0, imgW),
                            std::clamp(Scale(o.bottom, imgH, fullH) + 1, 0, imgH));
    if (rect != nullptr) {
        b.renderRect = CMacRect(std::clamp(Scale(rect->left, imgW, fullW), 0, imgW),
                                std::clamp(Scale(rect->top, imgH, fullH), 0, imgH),
                                std::clamp(Scale(rect->right, imgW, fullW), 0, imgW),
                                std::clamp(Scale(rect->bottom, imgH, fullH), 0, imgH));
    } else {
        b.renderRect = CMacRect(0, 0, imgW, imgH);
    }

    if (b.sizeMode == 1) b.standardSize = Diagonal(b.objectRect.Width(), b.objectRect.Height());
    else if (b.sizeMode == 2) b.standardSize = b.sizeFixed;
    else b.standardSize = Diagonal(imgW, imgH);
    if (b.standardSize <= 9) b.standardSize = 10;

    b.texture = PrepareImage(shadeParams_.TextureFilename, textureFolder_, texture_, b.preview, imgW, imgH,
                             &b.textureChanged);
    b.foreground = PrepareImage(shadeParams_.ForegroundFilename, foregroundFolder_, foreground_, b.preview, imgW,
                                imgH, &b.foregroundChanged);

    b.pMle = p.Length;
    b.pMhe = p.Height;
    b.pMba = p.Base;
    b.pMbp = p.BevelPos;
    b.pMbw = p.BevelPow;
    b.pMbr = p.BevelRvs;
    b.pMsm = p.Smooth;
    b.pMth = p.Through;
    b.pMcr = p.ColorR;
    b.pMcg = p.ColorG;
    b.pMcb = p.ColorB;
    b.colorWeight = (100 - p.ColorW) * 256 / 100;
    b.pMgr = Percent256(p.GammaR);
    b.pMgg = Percent256(p.GammaG);
    b.pMgb = Percent256(p.GammaB);
    b.pMsp = p.Specular;
    b.pMrf = p.Reflect;
    b.pMsl = Percent256(p.Solarization);

    b.textureLocate = p.TextureLocateCanvas;
    b.pTsc = p.TextureScale;
    b.pTtv = p.TextureThv;
    b.pTox = p.TextureOffX;
    b.pToy = p.TextureOffY;
    b.pTbe = p.TextureBend;
    b.pTco = Percent256(p.TextureColor);
    b.pTbu = p.TextureBump;
    b.pTwi = p.TextureWight;
    b.pThu = Hue252(p.TextureHue);
    b.pTcr = Percent256(p.TextureCroma);
    b.pTli = Percent256(p.TextureLight);
    b.pTct = p.TextureContrast;

    b.pEsc = p.ForegroundScale;
    b.pEtv = p.ForegroundThv;
    b.pEox = p.ForegroundOffX;
    b.pEoy = p.ForegroundOffY;
    b.pEwi = Percent256(p.ForegroundWight);
    b.pEhu = Hue252(p.ForegroundHue);
    b.pEcr = Percent256(p.ForegroundCroma);
    b.pEli = Percent256(p.ForegroundLight);
    b.pEct = p.ForegroundContrast;

    b.lightCount = 3;
    for (int i = 0; i < 3; ++i) {
        b.lightPower[i] = Percent256(p.LightPower[i]);
        b.lightAngleH[i] = p.LightAngleH[i];
        b.lightAngleV[i] = p.LightAngleV[i];
    }
    b.shadowWeight = p.ShadowEnableMain != 0 || p.ShadowEnableSub != 0 ? Percent256(p.ShadowWight) : 0;
    b.shadowDiffusion = p.ShadowDif;
    b.shadowDistance = p.ShadowDist;
    b.pLem = p.ShadowEnableMain;
    b.pLes = p.ShadowEnableSub;
    return b;
}

int CShadeApp::Filter(DibEx* image, DibEx* mask, const CMacRect* rect, ShadingProgressWindow* window,
                      volatile int* abortFlag) {
    shadingBase_->SetProgressSpec(window, ShadingBase::kProgressMessage, abortFlag);
    // A layer without any non-zero alpha has no object: nothing is shaded.
    if (objectRect_.IsRectEmpty()) return 1;
    ShadeBaseSt block = MakeBlock(image, mask, rect);
    shadingBase_->Shading(&block, 0, 100);
    return 1;
}
