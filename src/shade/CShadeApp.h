#pragma once
// CShadeApp: the application object.  This header gathers what the render
// needs (the filter area's colour and alpha bitmaps, the object rectangle,
// the live parameter record, the data folders, the engine and its image
// cache); the host-exchange and dialog half adds its members next to these.
#include <cstdint>
#include <memory>
#include <string>

#include "CMacRect.h"
#include "DibEx.h"
#include "ShadeBaseSt.h"
#include "ShadeParams.h"
#include "ShadingBase.h"

class CShadeApp {
public:
    CShadeApp();
    virtual ~CShadeApp();
    CShadeApp(const CShadeApp&) = delete;
    CShadeApp& operator=(const CShadeApp&) = delete;

    // Renders `image` and `mask` in place from the live parameters.  `rect`
    // (may be null) is the part to write, in full-image pixels; `window` (may
    // be null) receives progress; `abortFlag` (may be null) becomes -1 when
    // the user stops the render.  An image other than FullImage() is a
    // preview.  Returns 1; allocation failures are thrown as the int -1.
    int Filter(DibEx* image, DibEx* mask, const CMacRect* rect, ShadingProgressWindow* window,
               volatile int* abortFlag);

    // The engine block of one render: the commit step from the parameters.
    ShadeBaseSt MakeBlock(DibEx* image, DibEx* mask, const CMacRect* rect);

    // The filter area: 24-bit colour, 8-bit alpha, and the object's bounding
    // rectangle in bitmap coordinates of these two.
    DibEx& FullImage() { return fullImage_; }
    DibEx& FullMask() { return fullMask_; }
    const CMacRect& GetObjectRect() const { return objectRect_; }
    void SetObjectRect(const CMacRect& rect) { objectRect_ = rect; }

    ShadeParams& Params() { return shadeParams_; }
    ShadingBase& Engine() { return *shadingBase_; }

    // The data folders: the system folder (for names relative to it) and the
    // texture and foreground libraries (for bare names).
    void SetFolders(std::string systemFolder, std::string textureFolder, std::string foregroundFolder);

private:
    // A texture or foreground image loaded for the render, kept while its
    // file name stays the same across previews.
    struct CachedImage {
        DibEx bitmap{1};
        std::string loadedName;
    };

    DibEx* PrepareImage(char* name, const std::string& folder, CachedImage& cache, bool preview,
                        int32_t imageWidth, int32_t imageHeight, int32_t* changed);
    std::string OpenPath(const std::string& name) const;

    ShadeParams shadeParams_{};
    DibEx fullImage_{1};
    DibEx fullMask_{1};
    CMacRect objectRect_;
    std::string systemFolder_;
    std::string textureFolder_;
    std::string foregroundFolder_;
    CachedImage texture_;
    CachedImage foreground_;
    std::unique_ptr<ShadingBase> shadingBase_;
};
