#include "CTextureTabPane.h"

#include "Locks.h"
#include "MainDlgModel.h"
#include "UiStrings.h"

namespace {
constexpr int kLockTip = 1602;
}

CTextureTabPane::CTextureTabPane(PaneOwner& owner)
    : CImageTabPane(owner, UiStringId::kTabTexture, kLockTexture, kLockTip) {
    UiStrings_Add({{kLockTip, "Lock the texture entries: styles, lists and motion leave them as they are"},
                   {2201, "Add an image file to the texture list"},
                   {2202, "Remove the chosen image from the texture list"}});
}

PsImageCombo& CTextureTabPane::List() { return Model().TextureList(); }

void CTextureTabPane::Build(QVBoxLayout& layout) {
    BuildImageRow(layout, 2201, 2202);
    AddSliders(layout, {
        {6, "pTtv", "Threshold", "The texture's threshold level, 0 to 255"},
        {9, "pTox", "Offset X", "Moves the texture left or right"},
        {12, "pToy", "Offset Y", "Moves the texture up or down"},
        {15, "pTsc", "Scale", "The texture's size"},
        {18, "pTbe", "Bend", "How much the texture bends over the relief"},
        {21, "pTco", "Colour", "How much of the texture's colour shows"},
        {24, "pTbu", "Bump", "How much the texture raises or sinks the surface"},
        {27, "pTwi", "Weight", "How strongly the texture covers the material"},
        {30, "pThu", "Hue", "Turns the texture's hue"},
        {33, "pTcr", "Saturation", "Makes the texture's colours stronger or paler"},
        {36, "pTli", "Lightness", "Makes the texture lighter or darker"},
        {39, "pTct", "Contrast", "Raises or lowers the texture's contrast"},
    });
}
