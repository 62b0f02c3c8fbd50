#include "PsControlSlider.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSlider>

#include "CTabPane.h"
#include "DialogItems.h"
#include "WinLayer.h"

PsControlSlider::~PsControlSlider() {
    for (const QMetaObject::Connection& connection : connections_) QObject::disconnect(connection);
    delete edit_;
}

void PsControlSlider::Setup(CTabPane* pane, QSlider* slider, short sliderItem, QLineEdit* edit, short editItem,
                            int32_t min, int32_t max) {
    pane_ = pane;
    slider_ = slider;
    SetControl(slider);
    SetItemID(sliderItem);
    editItem_ = editItem;
    slider_->setRange(min, max);
    if (edit != nullptr) {
        edit_ = new PsControlSliderEdit(*this, edit, editItem);
        edit_->ShowValue(slider_->value());
    }
    connections_ << QObject::connect(slider_, &QSlider::actionTriggered, slider_, [this](int action) { OnAction(action); });
    connections_ << QObject::connect(slider_, &QSlider::sliderPressed, slider_, [this] {
        if (pane_ != nullptr) pane_->Owner().OnUpdatePsControl(kNotifyChangeBegins, itemId_);
    });
    connections_ << QObject::connect(slider_, &QSlider::sliderReleased, slider_, [this] {
        if (pane_ != nullptr) pane_->Owner().PaneGestureEnded();
    });
    connections_ << QObject::connect(slider_, &QSlider::valueChanged, slider_, [this](int value) { OnValueChanged(value); });
}

void PsControlSlider::SetValue(int32_t value) {
    const QSignalBlocker block(slider_);
    slider_->setValue(value);
    if (edit_ != nullptr) edit_->ShowValue(slider_->value());
}

int32_t PsControlSlider::GetMinimum() const { return slider_->minimum(); }
int32_t PsControlSlider::GetMaximum() const { return slider_->maximum(); }
bool PsControlSlider::IsDragging() const { return slider_ != nullptr && slider_->isSliderDown(); }

void PsControlSlider::SetStatus() { Update(); }

void PsControlSlider::Update() {
    if (pane_ != nullptr) pane_->Update(IsDragging());
}

void PsControlSlider::OnAction(int action) {
    // Key and page steps are gestures of their own; a drag kept its step
    // when the slider was taken.
    if (action != QAbstractSlider::SliderMove && pane_ != nullptr)
        pane_->Owner().OnUpdatePsControl(kNotifyChangeBegins, itemId_);
}

void PsControlSlider::OnValueChanged(int value) {
    if (edit_ != nullptr) edit_->ShowValue(value);
    SetStatus();
}

// Return in the number field commits the number and stays in the dialog.
class PsControlSliderEdit::ReturnFilter : public QObject {
public:
    explicit ReturnFilter(PsControlSliderEdit& edit) : edit_(edit) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
        edit_.SetStatus();
        return true;
    }

private:
    PsControlSliderEdit& edit_;
};

PsControlSliderEdit::PsControlSliderEdit(PsControlSlider& slider, QLineEdit* field, short item)
    : slider_(slider), field_(field) {
    // The filter belongs to the field, so it goes with it.
    filter_ = new ReturnFilter(*this);
    filter_->setParent(field);
    SetControl(field);
    SetItemID(item);
    field_->installEventFilter(filter_);
    edited_ = QObject::connect(field_, &QLineEdit::editingFinished, field_, [this] { SetStatus(); });
}

PsControlSliderEdit::~PsControlSliderEdit() {
    QObject::disconnect(edited_);
    delete filter_.data();
}

void PsControlSliderEdit::ShowValue(int32_t value) {
    field_->setText(QString::number(value));
    Invalid();
}

void PsControlSliderEdit::SetValue(int32_t value) {
    ShowValue(value);
    slider_.SetValue(value);
}

void PsControlSliderEdit::SetStatus() {
    QSlider* slider = slider_.GetSliderControl();
    int32_t value = 0;
    if (ParseNumber(field_->text(), slider->minimum(), slider->maximum(), value) != kFetchOk) {
        ShowValue(slider->value());
        return;
    }
    if (value == slider->value()) return;
    if (CTabPane* pane = slider_.GetPane()) pane->Owner().OnUpdatePsControl(kNotifyChangeBegins, slider_.GetItemID());
    slider->setValue(value);  // stores the parameter through SetStatus
    slider_.Invalid();
}
