#pragma once
// CParamPane: what the five parameter panes share.  A lock button that
// freezes the pane's group; rows of label, slider and number field, one per
// record entry; check boxes.  The controls are built when the pane is shown
// and removed when another pane is chosen; the values live in the record and
// the lock in the dialog's lock flags, so both survive.
//
// Every change keeps an undo step first, then writes the entry and
// re-renders the preview.  A double click on a row's label puts the entry
// back to its default (one undo step).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "CTabPane.h"
#include "PsParamSlider.h"

class MainDlgModel;
class QCheckBox;
class QGridLayout;
class QVBoxLayout;

// One slider row: its local item (the number field is local + 1), the
// script key of its entry, the label and the tool tip.
struct PaneSliderRow {
    short local;
    std::string_view key;
    const char* label;
    const char* tip;
};

class CParamPane : public CTabPane {
    Q_OBJECT
public:
    // lockTipId: the string shown as the lock button's tip.
    CParamPane(PaneOwner& owner, int titleId, int lockIndex, int lockTipId);
    ~CParamPane() override;

    void Initialize() override;
    void Clear() override;
    void SetParam() override;
    PsControlButton* GetFirstButton() override { return lock_; }
    bool IsLocked() const override;
    // The lock button's action: sets the group's lock and shows it.
    void SetLock(bool locked);
    // Locked: every control of the pane but the lock button is disabled.
    void EnableDisableControl(bool locked);

    bool IsBuilt() const { return content_ != nullptr; }
    PsControlButton* GetLockButton() const { return lock_; }
    // The slider or check box of an entry's script key while the pane is
    // built; null otherwise.
    PsParamSlider* FindSlider(std::string_view key) const;
    QCheckBox* FindCheck(std::string_view key) const;

protected:
    // Builds the pane's controls into layout.
    virtual void Build(QVBoxLayout& layout) = 0;
    // Shows what the sliders and check boxes do not (special controls).
    virtual void ShowSpecial() {}
    // The special controls under the lock.
    virtual void EnableSpecial(bool /*locked*/) {}
    // Drops what the pane keeps of its special controls before they go.
    virtual void ClearSpecial() {}

    // A grid of slider rows for record entries, added to layout.
    void AddSliders(QVBoxLayout& layout, std::initializer_list<PaneSliderRow> rows);
    // One slider row over any entry; the caller gives range and default.
    PsParamSlider* AddSlider(QGridLayout& grid, short local, std::string key, PsParamSlider::Accessor entry,
                             int32_t min, int32_t max, std::function<int32_t()> defaultValue, const char* label,
                             const char* tip);
    // A check box over a 0/1 entry; after runs once the entry is stored.
    QCheckBox* AddCheck(short local, std::string_view key, const char* label, const char* tip,
                        std::function<void()> after = {});
    // An undo step before a change by the item `local`.
    void BeginChange(short local);
    MainDlgModel& Model();
    // The parent of the built controls.
    QWidget* Content() const { return content_; }

private:
    void ResetToDefault(PsParamSlider& slider);

    PsControlButton* lock_ = nullptr;
    QWidget* content_ = nullptr;
    std::vector<std::pair<std::string, std::unique_ptr<PsParamSlider>>> sliders_;
    std::vector<std::pair<std::string, QCheckBox*>> checks_;
};

// The record entry of a script key; the pane tables name only keys listed
// in the record's table.
const ShadeParamEntry& PaneEntry(std::string_view key);
