#pragma once
// ShadingBase: the shading engine.  One render (Shading) runs the stages in a
// fixed order on the image and mask of an engine block:
//
//   CreateDistance -> FuncBevel -> MakeBevel     shape: distance, smoothing, profile
//   TextureMapping                               texture colour, weight and bump
//   ForeGroundMapping                            mirrored foreground picture
//   FuncAlpha                                    soft rim of the mask
//   MakeShadow                                   cast shadow map
//   lighting and material loop                   the shaded colours
//   shadow compositing                           shadow laid under the object
//
// Each stage keeps its result in a work bitmap of the engine.  A preview may
// reuse a stage's previous result when every block field the result depends
// on equals the block of the previous completed render (lastBlock); full
// renders recompute everything.  Stages return -1 when the render is aborted;
// allocation failures are thrown as the int -1.
//
// The loops over independent rows or columns are shared by the threads of a
// work pool; every piece writes only its own rows or columns, so the result
// is the same bytes whatever the number of threads.  Progress and abort are
// handled on the calling thread only.
#include <cstdint>
#include <functional>

#include "CMacRect.h"
#include "DibEx.h"
#include "MathTbl.h"
#include "ShadeBaseSt.h"
#include "Vmemory.h"
#include "WorkPool.h"

// Receives render progress and answers whether the user asked to stop.
class ShadingProgressWindow {
public:
    virtual ~ShadingProgressWindow() = default;
    // Delivered at once, like the dialog layer's PostMessage.
    virtual void PostMessage(long message, int value, int second) = 0;
    virtual bool UserAborted() = 0;
};

// Per-render tables of the lighting loop.
struct LightingTables {
    MathTbl gammaR;
    MathTbl gammaG;
    MathTbl gammaB;
    MathTbl solarizeCurve;
};

class ShadingBase {
public:
    static constexpr long kProgressMessage = 2026;
    static constexpr int kMapBorder = 10;         // work maps extend the object by this
    static constexpr int kMaxDistance = 640000;   // 2500 pixels in 1/256

    // Checkpoints passed by a render, shown with an error code.
    enum CheckPoint : int {
        kCheckStart = 1000,
        kCheckDistanceSetup = 1010,
        kCheckDistancePasses = 1011,
        kCheckBevelFunction = 1020,
        kCheckBevelProfile = 1030,
        kCheckBevelApply = 1031,
        kCheckTexture = 1040,
        kCheckForeground = 1050,
        kCheckAlpha = 1060,
        kCheckShadowStart = 1070,
        kCheckShadowDraw = 1071,
        kCheckShadowBlur = 1072,
        kCheckShadowRect = 1073,
        kCheckShadowDarken = 1074,
        kCheckShadowDone = 1075,
        kCheckLighting = 1080,
        kCheckComposite = 1090,
        kCheckDone = 1099,
    };

    ShadingBase();
    virtual ~ShadingBase();
    ShadingBase(const ShadingBase&) = delete;
    ShadingBase& operator=(const ShadingBase&) = delete;

    // Progress and abort.  `window` may be null (no progress, no abort).
    void SetProgressSpec(ShadingProgressWindow* window, long message, volatile int* abortFlag);
    void SetupProgress(int start, int end, int steps);
    bool Progress();

    // The threads that share the stages' loops; null: the shared pool.
    void SetWorkPool(WorkPool* pool) { workPool = pool; }
    WorkPool& Pool() const { return workPool != nullptr ? *workPool : WorkPool::Shared(); }

    // One render; 1 when completed, -1 when aborted.
    int Shading(ShadeBaseSt* block, int start, int end);

    // The stages, each with its progress range (start, end).
    int CreateDistance(ShadeBaseSt* block, int start, int end);
    int FuncBevel(ShadeBaseSt* block, int start, int end);
    int MakeBevel(ShadeBaseSt* block, int start, int end);
    int TextureMapping(ShadeBaseSt* block, int start, int end);
    int ForeGroundMapping(ShadeBaseSt* block, int start, int end);
    int FuncAlpha(ShadeBaseSt* block, int start, int end);
    int MakeShadow(ShadeBaseSt* block, int start, int end);
    int Lighting(ShadeBaseSt* block, const LightingTables& tables, int start, int end);
    void CompositeShadow(ShadeBaseSt* block);

    // State for callers, tests and benchmarks.
    int GetCheckPoint() const { return checkPoint; }
    int GetMaxDistance() const { return maxDistance; }
    int GetBevelLength() const { return bevelLength; }
    int GetProfileLength() const { return profileLength; }
    int GetShadowMargin() const { return shadowMargin; }
    const CMacRect& GetShadowRect() const { return shadowRect; }
    const ShadeBaseSt& GetLastBlock() const { return lastBlock; }
    bool ShapeChanged() const { return shapeChanged != 0; }
    bool TextureMapChanged() const { return textureMapChanged != 0; }
    bool HeightBumped() const { return heightBumped != 0; }
    const MathTbl& EdgeCurve() const { return edgeCurve; }
    DibEx& DistanceMap() { return distanceMap; }
    DibEx& HeightMap() { return heightMap; }
    DibEx& MappedTexture() { return mappedTexture; }
    DibEx& MappedForeground() { return mappedForeground; }
    DibEx& ImageCopy() { return imageCopy; }
    DibEx& ShadowMap() { return shadowMap; }
    // Entries 0..GetProfileLength() of the profile after MakeBevel.
    const int32_t* BevelProfile() const { return bevelProfile; }
    int32_t BevelProfileCount() const { return profileMemory.Count(); }

    // Tables of a render, built from the block (also used by tests).
    static void BuildLightingTables(const ShadeBaseSt& block, LightingTables* tables);
    // The height of the smoothed distance `h` through the profile.
    int32_t ProfileHeight(int32_t h) const;
    // The blend of absolute and relative widths for a percentage (0..255).
    int32_t EdgeWeight(int32_t percent) const;

private:
    bool ShapeFieldsUnchanged(const ShadeBaseSt& block) const;
    bool MapsFitObject(const ShadeBaseSt& block) const;
    bool TextureReuseAllowed(const ShadeBaseSt& block) const;
    bool ShadowReuseAllowed(const ShadeBaseSt& block) const;
    void RefreshImageCopy(ShadeBaseSt& block);
    void BuildProfile(const ShadeBaseSt& block, int32_t length);
    bool DistancePass(int pass, int32_t width, int32_t height);
    int BoxFilterHorizontal(DibEx& from, DibEx& to, int radius);
    int BoxFilterVertical(DibEx& from, DibEx& to, int radius, bool trackMaximum);
    int DarkenImageCopy(const ShadeBaseSt& block, int start, int end);
    bool Step() { return progressWindow == nullptr || Progress(); }
    // rows(begin, end) over the rows first..last-1, shared by the pool's
    // threads, one progress step per row unless `stepped` is false; false on
    // abort.  rowWidth (pixels of a row) sizes the pieces.
    bool ForRows(int32_t first, int32_t last, int32_t rowWidth, const std::function<void(int32_t, int32_t)>& rows,
                 bool stepped = true);
    // columns(begin, end) over bands of the columns 0..width-1 of a map of
    // `height` rows, one progress step per row in all; false on abort.
    bool ForColumns(int32_t width, int32_t height, const std::function<void(int32_t, int32_t)>& columns);

    // progress
    ShadingProgressWindow* progressWindow = nullptr;
    long progressMessage = kProgressMessage;
    int progressStart = 0;
    int progressEnd = 0;
    int progressLast = -1;
    int progressSteps = 1;
    int progressCount = 0;
    volatile int* abortFlag = nullptr;
    int checkPoint = 0;
    WorkPool* workPool = nullptr;

    int32_t maxDistance = 1;
    int32_t bevelLength = 1;
    int32_t bevelLengthSaved = 1;
    int32_t profileLength = 0;     // entries 0..profileLength of bevelProfile are built

    // The block of the previous completed render.  lastBlockComplete is
    // cleared while a render runs, so a render that was aborted or failed
    // leaves nothing that a preview could wrongly reuse.
    // reuseAllowed holds for the render in progress: a preview after a
    // completed render.  Each stage adds its own field comparisons.
    ShadeBaseSt lastBlock;
    bool lastBlockComplete = false;
    bool reuseAllowed = false;
    int32_t lastImageWidth = 0;
    int32_t lastImageHeight = 0;

    Vmemory profileMemory{4};
    Vmemory columnSums{4};
    int32_t* bevelProfile = nullptr;

    DibEx distanceMap{2};
    DibEx heightMap{2};
    DibEx scratchMap{2};
    DibEx mappedTexture{2};
    DibEx mappedForeground{2};
    DibEx imageCopy{2};
    DibEx shadowMap{2};

    // The map holds the shadow only inside shadowRect: the rest is scratch.
    int32_t shadowMargin = 0;
    CMacRect shadowRect;

    uint8_t shapeChanged = 1;
    uint8_t imageCopyStale = 1;
    uint8_t textureMapChanged = 1;
    uint8_t heightBumped = 0;

    MathTbl edgeCurve;
};
