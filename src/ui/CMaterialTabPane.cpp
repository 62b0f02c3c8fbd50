#include "CMaterialTabPane.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QVBoxLayout>

#include "Locks.h"
#include "MainDlgModel.h"
#include "PsColor.h"
#include "UiStrings.h"
#include "WinLayer.h"

namespace {
constexpr int kLockTip = 1601;
constexpr short kSwatchItem = 3;
}  // namespace

CMaterialTabPane::CMaterialTabPane(PaneOwner& owner)
    : CParamPane(owner, UiStringId::kTabMaterial, kLockMaterial, kLockTip) {
    UiStrings_Add({{kLockTip, "Lock the material entries: styles, lists and motion leave them as they are"}});
}

CMaterialTabPane::~CMaterialTabPane() = default;

void CMaterialTabPane::Build(QVBoxLayout& layout) {
    layout.addWidget(AddCheck(2, "pMth", "Through",
                              "The material takes no colour of its own; the colour controls rest while this is on",
                              [this] { EnableColor(); }));
    auto* grid = new QGridLayout;
    layout.addLayout(grid);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(0);
    color_ = std::make_unique<PsColor>();
    PsColor::Hooks hooks;
    hooks.beginChange = [this] { BeginChange(kSwatchItem); };
    hooks.changed = [this](bool dragging) { Update(dragging); };
    hooks.gestureEnded = [this] { Owner().PaneGestureEnded(); };
    hooks.swatchClicked = [this] { SwitchColorMode(); };
    color_->Initialize(Content(), *grid, std::move(hooks));
    AddSliders(layout, {
        {11, "pMsp", "Specular", "How sharp the highlights are"},
        {14, "pMcw", "Transparency", "0 is an opaque material; 100 lets the image behind show through fully"},
        {17, "pMrf", "Reflection", "How much the surface mirrors its surroundings"},
        {20, "pMsl", "Solarization", "Turns the brightest tones of the surface over into dark ones"},
        {23, "pMgr", "Gamma red", "Lifts or lowers the red tones of the surface"},
        {26, "pMgg", "Gamma green", "Lifts or lowers the green tones of the surface"},
        {29, "pMgb", "Gamma blue", "Lifts or lowers the blue tones of the surface"},
    });
}

void CMaterialTabPane::ShowSpecial() {
    ShadeParams& p = Owner().Params();
    color_->Setup(Model().Ui().colorMode, {&p.ColorH, &p.ColorS, &p.ColorV, &p.ColorR, &p.ColorG, &p.ColorB}, true);
    EnableColor();
}

void CMaterialTabPane::EnableSpecial(bool locked) { color_->OnEnable(!locked && Owner().Params().Through == 0); }

void CMaterialTabPane::EnableColor() { color_->OnEnable(!IsLocked() && Owner().Params().Through == 0); }

void CMaterialTabPane::ClearSpecial() { color_.reset(); }

void CMaterialTabPane::SwitchColorMode() {
    if (IsLocked() || !color_->IsWindowEnabled()) return;
    const int32_t mode = color_->GetMode() == kColorHsv ? kColorRgb : kColorHsv;
    Model().Ui().colorMode = mode;
    color_->SetMode(mode, false);
}
