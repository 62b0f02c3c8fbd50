#pragma once
// The five group locks of the dialog.  A locked group keeps its entries while
// styles, lists or motion change the others.
#include <array>
#include <cstdint>

#include "ShadeParams.h"

inline constexpr int kLockGroupCount = 5;

// Lock indexes and their bits in a lock mask.
inline constexpr int kLockModel = 0;
inline constexpr int kLockMaterial = 1;
inline constexpr int kLockTexture = 2;
inline constexpr int kLockForeground = 3;
inline constexpr int kLockLight = 4;
inline constexpr uint32_t LockBit(int index) { return 1u << index; }
inline constexpr uint32_t kLockMaskAll = 31;

// The string resource of the unlock question.
inline constexpr int kUnlockQuestionId = 908;

// The record group a lock index guards.
ShadeParamGroup LockGroupOf(int index);
// The lock index of a record group, -1 for groups that are never locked.
int LockIndexOf(ShadeParamGroup group);

// Asks the user a yes/no question; the dialog implements it with a message
// box, tests answer directly.
class LockQuestion {
public:
    virtual ~LockQuestion() = default;
    virtual bool AskYesNo(int stringId) = 0;
};

class LockFlags {
public:
    bool IsLocked(int index) const { return flags_.at(static_cast<size_t>(index)) != 0; }
    void SetLocked(int index, bool locked) { flags_.at(static_cast<size_t>(index)) = locked ? 1 : 0; }
    void Toggle(int index) { SetLocked(index, !IsLocked(index)); }
    bool IsGroupLocked(ShadeParamGroup group) const;
    // True when a group whose bit is in mask is locked.
    bool AnyLocked(uint32_t mask) const;
    void Clear(uint32_t mask);

    // 1 when no group of mask is locked, or when the user agrees to unlock
    // them (they are unlocked then); 0 otherwise.
    int CheckLock(uint32_t mask, LockQuestion& question);

private:
    std::array<uint8_t, kLockGroupCount> flags_{};
};
