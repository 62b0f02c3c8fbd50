#pragma once
// The material pane: the colour (PsColor), the through check box, and the
// surface entries (specular power, colour weight, reflection, reversal and
// the three gammas).
#include <memory>

#include "CParamPane.h"

class PsColor;

class CMaterialTabPane : public CParamPane {
    Q_OBJECT
public:
    explicit CMaterialTabPane(PaneOwner& owner);
    ~CMaterialTabPane() override;
    PsColor* GetColor() const { return color_.get(); }
    // The swatch's click: the other colour mode, kept as the dialog's.
    void SwitchColorMode();

protected:
    void Build(QVBoxLayout& layout) override;
    void ShowSpecial() override;
    void EnableSpecial(bool locked) override;
    void ClearSpecial() override;

private:
    void EnableColor();

    std::unique_ptr<PsColor> color_;
};
