#include "UndoHistory.h"

#include <algorithm>

UndoHistory::UndoHistory() : slots_(std::make_unique<std::array<ShadeParams, kUndoSlots>>()) {}

void UndoHistory::Store(const ShadeParams& record) {
    auto& slots = *slots_;
    if (position_ > kUndoSlots - 1) {
        std::move(slots.begin() + 1, slots.end(), slots.begin());
        --position_;
    }
    slots[static_cast<size_t>(position_)] = record;
    ++position_;
    top_ = position_;
}

bool UndoHistory::Undo(bool back, ShadeParams& current) {
    if (back) {
        if (position_ <= 0) return false;
        if (position_ == top_) {
            Store(current);
            --position_;
        }
        --position_;
    } else {
        if (!CanRedo()) return false;
        ++position_;
    }
    current = (*slots_)[static_cast<size_t>(position_)];
    return true;
}
