#pragma once
// PsControlSlider: a parameter slider with its number field
// (PsControlSliderEdit).  A subclass per edited parameter overrides SetStatus
// to store the value into its ShadeParams entry and then calls Update().
//
// One gesture is one undo step: the step is kept when the user takes hold
// of the slider (or steps it by key or page), and the preview follows every
// move.
#include <cstdint>

#include <QPointer>
#include <QLineEdit>

#include "PsControl.h"

class CTabPane;
class PsControlSliderEdit;
class QSlider;

class PsControlSlider : public PsControl {
public:
    PsControlSlider() = default;
    ~PsControlSlider() override;

    // Binds the slider and its number field (may be null) of pane.
    void Setup(CTabPane* pane, QSlider* slider, short sliderItem, QLineEdit* edit, short editItem, int32_t min,
               int32_t max);
    // Sets the slider and the field without storing anything.
    void SetValue(int32_t value);
    int32_t GetMinimum() const;
    int32_t GetMaximum() const;
    QSlider* GetSliderControl() const { return slider_; }
    short GetSliderID() const { return itemId_; }
    short GetTextEditID() const { return editItem_; }
    CTabPane* GetPane() const { return pane_; }
    PsControlSliderEdit* GetEdit() const { return edit_; }
    bool IsDragging() const;

    // Stores the slider's value into its parameter and updates the pane.
    virtual void SetStatus();
    // Calls Update on the pane, telling whether a drag is on.
    void Update();

private:
    void OnValueChanged(int value);
    void OnAction(int action);

    CTabPane* pane_ = nullptr;
    QSlider* slider_ = nullptr;
    short editItem_ = 0;
    PsControlSliderEdit* edit_ = nullptr;
    QList<QMetaObject::Connection> connections_;
};

class PsControlSliderEdit : public CEdit {
public:
    explicit PsControlSliderEdit(PsControlSlider& slider, QLineEdit* field, short item);
    ~PsControlSliderEdit() override;

    // Shows value in the field and moves the slider to it.
    void SetValue(int32_t value);
    // Shows value in the field only.
    void ShowValue(int32_t value);
    // The typed text: a number within the slider's range becomes its value
    // (one undo step, parameter stored); anything else shows the slider's
    // value again and changes nothing.
    void SetStatus();
    QLineEdit* Field() const { return field_; }

private:
    class ReturnFilter;
    PsControlSlider& slider_;
    QPointer<QLineEdit> field_;
    QPointer<QObject> filter_;
    QMetaObject::Connection edited_;
};
