#include "CEnvironTabPane.h"

#include "Locks.h"
#include "MainDlgModel.h"
#include "UiStrings.h"

namespace {
constexpr int kLockTip = 1603;
}

CEnvironTabPane::CEnvironTabPane(PaneOwner& owner)
    : CImageTabPane(owner, UiStringId::kTabEnviron, kLockForeground, kLockTip) {
    UiStrings_Add({{kLockTip, "Lock the foreground entries: styles, lists and motion leave them as they are"},
                   {2301, "Add an image file to the foreground list"},
                   {2302, "Remove the chosen image from the foreground list"}});
}

PsImageCombo& CEnvironTabPane::List() { return Model().ForegroundList(); }

void CEnvironTabPane::Build(QVBoxLayout& layout) {
    BuildImageRow(layout, 2301, 2302);
    AddSliders(layout, {
        {6, "pEtv", "Threshold", "The foreground image's threshold level, 0 to 255"},
        {9, "pEox", "Offset X", "Moves the foreground image left or right"},
        {12, "pEoy", "Offset Y", "Moves the foreground image up or down"},
        {15, "pEwi", "Weight", "How strongly the foreground image covers the relief"},
        {18, "pEsc", "Scale", "The foreground image's size"},
        {21, "pEct", "Contrast", "Raises or lowers the foreground image's contrast"},
        {24, "pEli", "Lightness", "Makes the foreground image lighter or darker"},
        {27, "pEcr", "Saturation", "Makes the foreground image's colours stronger or paler"},
        {30, "pEhu", "Hue", "Turns the foreground image's hue"},
    });
}
