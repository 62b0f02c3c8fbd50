#pragma once
// The lighting pane: one light channel at a time (main, sub, ambient) chosen
// by the radio buttons, its direction on the disc with two angle fields and
// its power; the two shadow switches and the shadow entries.
#include "CParamPane.h"

class PsControlAngle;
class QLineEdit;
class QRadioButton;

class CLightingTabPane : public CParamPane {
    Q_OBJECT
public:
    explicit CLightingTabPane(PaneOwner& owner);
    PsControlAngle* GetAngle() const { return angle_; }
    QRadioButton* GetRadio(int channel) const;
    // The radio buttons' action: edits channel from now on (no entry changes).
    void ChooseChannel(int channel);
    int Channel();

protected:
    void Build(QVBoxLayout& layout) override;
    void ShowSpecial() override;
    void EnableSpecial(bool locked) override;
    void ClearSpecial() override;

private:
    PsControlAngle* angle_ = nullptr;
    QRadioButton* radios_[3] = {};
    PsParamSlider* power_ = nullptr;
};
