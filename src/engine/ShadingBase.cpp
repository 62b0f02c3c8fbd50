// The engine object: progress, abort and the order of the stages.
#include "ShadingBase.h"

#include <algorithm>

#include "EngineMaps.h"
#include "ImageFunc.h"

ShadingBase::ShadingBase() {
    // Blends absolute and relative widths of the bevel knee and the soft rim.
    edgeCurve.Sigmoid(0.05, 0.2, 0.0, 1.0);
}

ShadingBase::~ShadingBase() = default;

void ShadingBase::SetProgressSpec(ShadingProgressWindow* window, long message,
                                  volatile int* flag) {
    progressWindow = window;
    progressMessage = message;
    abortFlag = flag;
}

void ShadingBase::SetupProgress(int start, int end, int steps) {
    progressStart = start;
    progressEnd = end;
    progressSteps = std::max(steps, 1);
    progressCount = 0;
    progressLast = start - 1;
}

bool ShadingBase::Progress() {
    if (progressWindow == nullptr) return true;
    progressCount = std::min(progressCount + 1, progressSteps);
    const int value = progressStart + static_cast<int>(static_cast<int64_t>(progressEnd - progressStart) *
                                                       progressCount / progressSteps);
    if (value != progressLast) {
        progressLast = value;
        progressWindow->PostMessage(progressMessage, value, 0);
    }
    if (progressWindow->UserAborted()) {
        if (abortFlag != nullptr) *abortFlag = -1;
        return false;
    }
    return true;
}

bool ShadingBase::ForRows(int32_t first, int32_t last, int32_t rowWidth,
                          const std::function<void(int32_t, int32_t)>& rows, bool stepped) {
    // Pieces of about this many pixels: small enough that an abort is noticed
    // at once, large enough that handing them out costs nothing.
    constexpr int64_t kPiecePixels = 4096;
    const int64_t grain = std::max<int64_t>(1, kPiecePixels / std::max(rowWidth, 1));
    const auto piece = [&](int64_t begin, int64_t end) {
        rows(first + static_cast<int32_t>(begin), first + static_cast<int32_t>(end));
    };
    if (progressWindow == nullptr || !stepped) return Pool().ForEach(last - first, grain, piece);
    int64_t reported = 0;
    return Pool().ForEach(last - first, grain, piece, [&](int64_t finished) {
        for (; reported < finished; ++reported)
            if (!Progress()) return false;
        return true;
    });
}

bool ShadingBase::ForColumns(int32_t width, int32_t height,
                             const std::function<void(int32_t, int32_t)>& columns) {
    // A band is a few cache lines wide; it runs down every row.
    constexpr int32_t kBandColumns = 128;
    const int64_t bands = (static_cast<int64_t>(width) + kBandColumns - 1) / kBandColumns;
    const auto piece = [&](int64_t begin, int64_t end) {
        columns(static_cast<int32_t>(begin * kBandColumns),
                static_cast<int32_t>(std::min<int64_t>(end * kBandColumns, width)));
    };
    if (progressWindow == nullptr) return Pool().ForEach(bands, 1, piece);
    // The finished share of the bands, as rows.
    int64_t reported = 0;
    return Pool().ForEach(bands, 1, piece, [&](int64_t finished) {
        for (const int64_t rows = height * finished / bands; reported < rows; ++reported)
            if (!Progress()) return false;
        return true;
    });
}

bool ShadingBase::ShapeFieldsUnchanged(const ShadeBaseSt& b) const {
    const ShadeBaseSt& l = lastBlock;
    return b.image == l.image && b.objectRect == l.objectRect && b.standardSize == l.standardSize && b.pMle == l.pMle &&
           b.pMhe == l.pMhe && b.pMsm == l.pMsm && b.pMbp == l.pMbp && b.pMbw == l.pMbw &&
           b.pMbr == l.pMbr;
}

// The shape maps cover the block's object rectangle (clamped to the mask)
// plus the border.  Shading guarantees it; a stage run on its own after a
// render of another shape finds maps that it must not address.
bool ShadingBase::MapsFitObject(const ShadeBaseSt& b) const {
    const CMacRect& o = b.objectRect;
    return heightMap.IsValid() && b.image->GetWidth() == b.mask->GetWidth() &&
           b.image->GetHeight() == b.mask->GetHeight() && o.left >= 0 && o.top >= 0 &&
           o.right <= b.mask->GetWidth() &&
           o.bottom <= b.mask->GetHeight() && !o.IsRectEmpty() &&
           heightMap.GetWidth() == o.Width() + 2 * kMapBorder &&
           heightMap.GetHeight() == o.Height() + 2 * kMapBorder &&
           distanceMap.GetWidth() == heightMap.GetWidth() && distanceMap.GetHeight() == heightMap.GetHeight();
}

void ShadingBase::RefreshImageCopy(ShadeBaseSt& b) {
    if (b.colorWeight > 255) return;
    if (!imageCopy.IsValid() || imageCopy.GetWidth() != b.image->GetWidth() ||
        imageCopy.GetHeight() != b.image->GetHeight()) {
        EnsureMap(imageCopy, b.image->GetWidth(), b.image->GetHeight(), 24);
        imageCopyStale = 1;
    }
    if (imageCopyStale) {
        IMAGE_Move(&imageCopy, b.image, nullptr, nullptr);
        imageCopyStale = 0;
    }
}

namespace {

CMacRect ClampToImage(const CMacRect& r, int32_t width, int32_t height) {
    return CMacRect(std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, width),
                    std::min(r.bottom, height));
}

int Milestone(int start, int end, int k) { return start + (end - start) * k / 100; }

}  // namespace

int ShadingBase::Shading(ShadeBaseSt* block, int start, int end) {
    ShadeBaseSt& b = *block;
    checkPoint = kCheckStart;

    // Only a 24-bit image with an 8-bit mask of its size can be shaded.
    if (b.image == nullptr || b.mask == nullptr || !b.image->IsValid() || !b.mask->IsValid() ||
        b.image->GetBitsPerPixel() != 24 || b.mask->GetBitsPerPixel() != 8 ||
        b.image->GetWidth() != b.mask->GetWidth() || b.image->GetHeight() != b.mask->GetHeight())
        return 1;

    LightingTables tables;
    BuildLightingTables(b, &tables);

    const int32_t width = b.image->GetWidth();
    const int32_t height = b.image->GetHeight();
    b.objectRect = ClampToImage(b.objectRect, width, height);
    b.renderRect = ClampToImage(b.renderRect, width, height);
    // An object without any pixel has nothing to shade; the maps would get
    // a negative size.
    if (b.objectRect.IsRectEmpty()) {
        checkPoint = kCheckDone;
        return 1;
    }

    // Whatever happens below may leave the work maps half-written: until this
    // render completes, nothing may be reused from them.
    reuseAllowed = b.preview && lastBlockComplete && width == lastImageWidth &&
                   height == lastImageHeight;
    lastBlockComplete = false;

    RefreshImageCopy(b);

    const int distance = CreateDistance(block, start, Milestone(start, end, 3));
    if (distance < 0) return -1;
    if (distance == 1) {
        if (FuncBevel(block, Milestone(start, end, 3), Milestone(start, end, 4)) < 0) return -1;
        if (MakeBevel(block, Milestone(start, end, 4), Milestone(start, end, 5)) < 0) return -1;
    }
    if (TextureMapping(block, Milestone(start, end, 5), Milestone(start, end, 9)) < 0) return -1;
    if (ForeGroundMapping(block, Milestone(start, end, 9), Milestone(start, end, 61)) < 0) return -1;
    FuncAlpha(block, Milestone(start, end, 61), Milestone(start, end, 62));
    if (MakeShadow(block, Milestone(start, end, 62), Milestone(start, end, 63)) < 0) return -1;
    if (Lighting(block, tables, Milestone(start, end, 61), end) < 0) return -1;
    CompositeShadow(block);

    checkPoint = kCheckDone;
    lastBlock = b;
    lastImageWidth = width;
    lastImageHeight = height;
    lastBlockComplete = true;
    return 1;
}
