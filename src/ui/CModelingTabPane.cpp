#include "CModelingTabPane.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "Locks.h"
#include "PsControlMathTbl.h"
#include "UiStrings.h"

namespace {
constexpr int kLockTip = 1600;
}

CModelingTabPane::CModelingTabPane(PaneOwner& owner) : CParamPane(owner, UiStringId::kTabModel, kLockModel, kLockTip) {
    UiStrings_Add({{kLockTip, "Lock the modeling entries: styles, lists and motion leave them as they are"}});
}

void CModelingTabPane::Build(QVBoxLayout& layout) {
    auto* top = new QHBoxLayout;
    layout.addLayout(top);
    curve_ = new PsControlMathTbl(Content());
    curve_->setObjectName("BevelCurve");
    curve_->setToolTip("The profile of the edge: height across the width of the bevel");
    curve_->Setup(&Owner().Params(), 3);
    top->addWidget(curve_, 1);
    const auto redraw = [this] { curve_->Update(); };
    top->addWidget(AddCheck(2, "pMbr", "Reverse", "Turns the bevel over: the edge rises where it fell", redraw));
    AddSliders(layout, {
        {5, "pMbp", "Bevel position", "Where the bevel's curve bends, from the outer edge inwards"},
        {8, "pMbw", "Bevel power", "How round the bevel is; 0 is a straight slope"},
        {11, "pMhe", "Height", "How high the relief stands"},
        {14, "pMle", "Width", "How far the bevel reaches into the shape"},
        {17, "pMsm", "Smooth", "Softens the profile's corners"},
        {20, "pMba", "Base", "Where a flat base begins under the bevel"},
    });
    for (const char* key : {"pMbp", "pMbw", "pMhe", "pMle", "pMba"}) FindSlider(key)->SetAfterStore(redraw);
}

void CModelingTabPane::ShowSpecial() { curve_->Update(); }
