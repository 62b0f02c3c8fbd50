#include "PsParamSlider.h"

#include "CTabPane.h"

int32_t& PsParamSlider::Entry() { return entry_(GetPane()->Owner().Params()); }

void PsParamSlider::SetStatus() {
    Entry() = GetValue();
    if (after_) after_();
    Update();
}
