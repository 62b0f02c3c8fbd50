#include "PsControl.h"

#include <QAbstractSlider>
#include <QWidget>

void PsControl::DrawItem() { Invalid(); }

void PsControl::Enable() {
    if (control_ == nullptr) return;
    control_->setEnabled(true);
    enabled_ = true;
}

void PsControl::Disable() {
    if (control_ == nullptr) return;
    control_->setEnabled(false);
    enabled_ = false;
}

int32_t PsControl::GetValue() const {
    const auto* slider = qobject_cast<const QAbstractSlider*>(control_);
    return slider == nullptr ? 0 : static_cast<int16_t>(slider->value());
}

QRect PsControl::GetBounds() const { return control_ == nullptr ? QRect() : control_->geometry(); }

void PsControl::Invalid() const {
    if (control_ != nullptr) control_->update();
}
