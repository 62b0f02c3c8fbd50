#pragma once
// CShadeApp: the application object.  This header gathers what the render
// needs (the filter area's colour and alpha bitmaps, the object rectangle,
// the live parameter record, the data folders, the engine and its image
// cache); the host-exchange and dialog half adds its members next to these.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "AppFolder.h"
#include "CMacRect.h"
#include "DibEx.h"
#include "ShadeBaseSt.h"
#include "ShadeParams.h"
#include "ShadingBase.h"

// The plug-in's globals (defined by the plug-in shell).
struct Globals;

// A host colour as three 8-bit components.
struct ShadeColorSt {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

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

    // A texture or foreground file the last render could not read and went on
    // without: the name as the parameters hold it and the path it was read from.
    struct UnreadableImage {
        std::string name;
        std::string path;
    };
    // The images the last render found unreadable; a preview does not try the
    // same name again, so each failure is listed once until the name changes.
    std::vector<UnreadableImage> TakeUnreadableImages() { return std::exchange(unreadable_, {}); }
    ShadingBase& Engine() { return *shadingBase_; }

    // The data folders: the system folder (for names relative to it) and the
    // texture and foreground libraries (for bare names).
    void SetFolders(std::string systemFolder, std::string textureFolder, std::string foregroundFolder);

    // ---- the shell half (defined with the plug-in shell) ----
    // Prepares one start selector: bitmaps of the filter area, host colours,
    // the data folders.  False without globals or for an empty filter area.
    bool SetupMainObject(void* window, Globals* globals);
    // Runs the main dialog; 1 after OK, 0 after Cancel or without a dialog.
    int DispMainDlg();
    // Releases what SetupMainObject made.
    void DeleteMainObject();
    // Host image exchange in strips; 1 on success, 0 on failure.
    int LoadImage();
    int SaveImage();
    // Messages: the error with its code and the render's checkpoint; a
    // formatted alert; a formatted message of the given style and its answer.
    void ErrorMessage(int code);
    void DispMessage(const char* format, ...) __attribute__((format(printf, 2, 3)));
    int DispMessageEx(int style, const char* format, ...) __attribute__((format(printf, 3, 4)));

    bool IsWholeImage() const { return wholeImage_; }
    bool IsSetup() const { return setup_; }
    int GetLastError() const { return lastError_; }
    const ShadeColorSt& GetForegroundColor() const { return foregroundColor_; }
    const ShadeColorSt& GetBackgroundColor() const { return backgroundColor_; }
    const AppPaths& GetPaths() const { return paths_; }

private:
    // A texture or foreground image loaded for the render, kept while its
    // file name stays the same across previews.
    struct CachedImage {
        DibEx bitmap{1};
        std::string loadedName;
        bool unreadable = false;
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
    std::vector<UnreadableImage> unreadable_;
    std::unique_ptr<ShadingBase> shadingBase_;

    // shell state of one start selector
    Globals* globals_ = nullptr;
    bool wholeImage_ = false;
    bool setup_ = false;
    int lastError_ = -999;
    ShadeColorSt foregroundColor_;
    ShadeColorSt backgroundColor_;
    AppPaths paths_;
};
