#pragma once
// The undo history: 64 copies of the parameter record.  position is the slot
// the next store writes; top the number of valid slots.
#include <array>
#include <cstdint>
#include <memory>

#include "ShadeParams.h"

inline constexpr int32_t kUndoSlots = 64;

class UndoHistory {
public:
    UndoHistory();

    // Appends record; when the history is full the oldest slot is dropped.
    void Store(const ShadeParams& record);
    // Back: restores the previous record into current (storing current first
    // when nothing was undone since the last store).  Forward: redoes.  True
    // when current was replaced.
    bool Undo(bool back, ShadeParams& current);

    bool CanUndo() const { return position_ >= 1; }
    bool CanRedo() const { return position_ < top_ - 1; }
    int32_t GetPosition() const { return position_; }
    int32_t GetTop() const { return top_; }
    const ShadeParams& Slot(int32_t index) const { return (*slots_).at(static_cast<size_t>(index)); }

private:
    std::unique_ptr<std::array<ShadeParams, kUndoSlots>> slots_;
    int32_t position_ = 0;
    int32_t top_ = 0;
};
