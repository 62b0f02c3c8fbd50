#pragma once
// The modeling pane: the relief's profile (bevel position and power, height,
// width, smoothing, base) with the bevel curve and the reverse check box.
#include "CParamPane.h"

class PsControlMathTbl;

class CModelingTabPane : public CParamPane {
    Q_OBJECT
public:
    explicit CModelingTabPane(PaneOwner& owner);
    PsControlMathTbl* GetCurve() const { return curve_; }

protected:
    void Build(QVBoxLayout& layout) override;
    void ShowSpecial() override;

private:
    PsControlMathTbl* curve_ = nullptr;
};
