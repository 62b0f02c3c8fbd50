#pragma once
// PsParamSlider: the slider of one record entry.  The entry is reached
// through an accessor, so that the lighting pane's power slider can follow
// the chosen light channel; SetStatus stores the slider's value there and
// updates the pane.
#include <cstdint>
#include <functional>

#include "PsControlSlider.h"
#include "ShadeParams.h"

class PsParamSlider : public PsControlSlider {
public:
    using Accessor = std::function<int32_t&(ShadeParams&)>;

    PsParamSlider(Accessor entry, std::function<int32_t()> defaultValue)
        : entry_(std::move(entry)), default_(std::move(defaultValue)) {}

    // Called after each stored value (the modeling pane redraws its curve).
    void SetAfterStore(std::function<void()> after) { after_ = std::move(after); }
    int32_t& Entry();
    int32_t GetDefault() const { return default_(); }
    // Shows the entry's current value without storing anything.
    void ShowEntry() { SetValue(Entry()); }

    void SetStatus() override;

private:
    Accessor entry_;
    std::function<int32_t()> default_;
    std::function<void()> after_;
};
