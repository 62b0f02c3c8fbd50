#include "Locks.h"

namespace {

constexpr ShadeParamGroup kGroups[kLockGroupCount] = {
    ShadeParamGroup::Model, ShadeParamGroup::Material, ShadeParamGroup::Texture,
    ShadeParamGroup::Foreground, ShadeParamGroup::Light};

}  // namespace

ShadeParamGroup LockGroupOf(int index) {
    return index >= 0 && index < kLockGroupCount ? kGroups[index] : ShadeParamGroup::None;
}

int LockIndexOf(ShadeParamGroup group) {
    for (int i = 0; i < kLockGroupCount; ++i)
        if (kGroups[i] == group) return i;
    return -1;
}

bool LockFlags::IsGroupLocked(ShadeParamGroup group) const {
    const int index = LockIndexOf(group);
    return index >= 0 && IsLocked(index);
}

bool LockFlags::AnyLocked(uint32_t mask) const {
    for (int i = 0; i < kLockGroupCount; ++i)
        if ((mask & LockBit(i)) && IsLocked(i)) return true;
    return false;
}

void LockFlags::Clear(uint32_t mask) {
    for (int i = 0; i < kLockGroupCount; ++i)
        if (mask & LockBit(i)) SetLocked(i, false);
}

int LockFlags::CheckLock(uint32_t mask, LockQuestion& question) {
    if (!AnyLocked(mask)) return 1;
    if (!question.AskYesNo(kUnlockQuestionId)) return 0;
    Clear(mask);
    return 1;
}
