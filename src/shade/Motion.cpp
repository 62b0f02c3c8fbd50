#include "Motion.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "AppFolder.h"
#include "PsControlCombo.h"
#include "Random.h"

namespace {

// How a target is drawn.  r is a new RandomDouble, b a new RandomShift(24).
enum class Draw {
    Power,       // trunc(scale * r^power) + add, at most limit
    Byte,        // b
    BytePercent, // b * 100 / 255
    Difference,  // trunc(100 * r^power) - trunc(100 * r^power), the first drawn first
    Sign,        // -100 when b < 128, else 100
};

struct TargetRule {
    const char* scriptKey;
    Draw draw;
    double power;
    int32_t scale;
    int32_t add;
    int32_t limit;
};

constexpr int32_t kNoLimit = INT32_MAX;

// Every target, in the order the generator is drawn; each is interpolated.
constexpr TargetRule kTargets[] = {
    {"pMle", Draw::Power, 0.1, 100, 20, 100},
    {"pMhe", Draw::Power, 0.1, 99, 1, kNoLimit},
    {"pMba", Draw::Power, 8, 100, 0, kNoLimit},
    {"pMbp", Draw::Power, 32, 100, 0, kNoLimit},
    {"pMbw", Draw::Power, 0.1, 100, 0, kNoLimit},
    {"pMsm", Draw::Power, 4, 100, 0, kNoLimit},
    {"pMcr", Draw::Byte, 0, 0, 0, 0},
    {"pMcg", Draw::Byte, 0, 0, 0, 0},
    {"pMcb", Draw::Byte, 0, 0, 0, 0},
    {"pMcw", Draw::Power, 2, 100, 0, kNoLimit},
    {"pMsp", Draw::BytePercent, 0, 0, 0, 0},
    {"pMrf", Draw::BytePercent, 0, 0, 0, 0},
    {"pMsl", Draw::Power, 4, 100, 0, kNoLimit},
    {"pMgr", Draw::Power, 32, 100, 0, kNoLimit},
    {"pMgg", Draw::Power, 32, 100, 0, kNoLimit},
    {"pMgb", Draw::Power, 32, 100, 0, kNoLimit},
    {"pTtv", Draw::Byte, 0, 0, 0, 0},
    {"pTox", Draw::Difference, 8, 0, 0, 0},
    {"pToy", Draw::Difference, 8, 0, 0, 0},
    {"pTsc", Draw::Power, 0.7, 100, 0, kNoLimit},
    {"pTbe", Draw::BytePercent, 0, 0, 0, 0},
    {"pTco", Draw::Power, 0.5, 100, 0, kNoLimit},
    {"pTbu", Draw::Difference, 8, 0, 0, 0},
    {"pTwi", Draw::Sign, 0, 0, 0, 0},
    {"pTct", Draw::Difference, 32, 0, 0, 0},
    {"pThu", Draw::Difference, 8, 0, 0, 0},
    {"pTcr", Draw::Difference, 32, 0, 0, 0},
    {"pTli", Draw::Difference, 32, 0, 0, 0},
    {"pEtv", Draw::Byte, 0, 0, 0, 0},
    {"pEox", Draw::Difference, 8, 0, 0, 0},
    {"pEoy", Draw::Difference, 8, 0, 0, 0},
    {"pEwi", Draw::Power, 2, 100, 0, kNoLimit},
    {"pEsc", Draw::Power, 0.5, 100, 0, kNoLimit},
    {"pEct", Draw::Difference, 32, 0, 0, 0},
    {"pEhu", Draw::Difference, 32, 0, 0, 0},
    {"pEcr", Draw::Difference, 32, 0, 0, 0},
    {"pEli", Draw::Difference, 32, 0, 0, 0},
    {"pLp0", Draw::Power, 4, 100, 0, kNoLimit},
    {"pLp1", Draw::Power, 2, 100, 0, kNoLimit},
    {"pLsf", Draw::Power, 16, 50, 1, kNoLimit},
};

int32_t Percent(double power) { return static_cast<int32_t>(100.0 * std::pow(RandomDouble(), power)); }

int32_t Byte() { return static_cast<int32_t>(RandomShift(24)); }

int32_t DrawTarget(const TargetRule& rule) {
    switch (rule.draw) {
    case Draw::Power:
        return std::min(static_cast<int32_t>(rule.scale * std::pow(RandomDouble(), rule.power)) + rule.add,
                        rule.limit);
    case Draw::Byte: return Byte();
    case Draw::BytePercent: return Byte() * 100 / 255;
    case Draw::Difference: {
        // Two statements: the order of the draws must not be left to the
        // compiler's evaluation order of a subtraction.
        const int32_t minuend = Percent(rule.power);
        return minuend - Percent(rule.power);
    }
    case Draw::Sign: return Byte() < 128 ? -100 : 100;
    }
    return 0;
}

const ShadeParamEntry& EntryOf(const char* scriptKey) {
    for (const ShadeParamEntry& entry : ShadeParamTable())
        if (entry.scriptKey == scriptKey) return entry;
    std::abort();  // the target table names only entries of the record
}

// The image of a new leg: entry trunc(b * count / 256) of the list.
void DrawImage(char* field, const PsControlCombo& list) {
    const int64_t index = static_cast<int64_t>(Byte()) * list.GetCount() / 256;
    SetPathField(field, list.GetPathReal(static_cast<int32_t>(index)));
}

// Moves value by step and reverses the step once it reaches 71 or 29.
void SwingElevation(int32_t& value, int32_t& step) {
    value += step;
    if (value >= 71 || value <= 29) step = -step;
}

}  // namespace

int32_t& ShadeParamByScript(ShadeParams& record, const char* scriptKey) {
    return ShadeParamInt(record, EntryOf(scriptKey));
}

MotionProcessState& ProcessMotionState() {
    static MotionProcessState state;
    return state;
}

Motion::Motion(MotionProcessState& process)
    : process_(process),
      legStart_(std::make_unique<ShadeParams>()),
      legTarget_(std::make_unique<ShadeParams>()),
      capture_(std::make_unique<ShadeParams>()) {}

void Motion::Start(int32_t motionDevide, int64_t now, uint32_t seconds) {
    due_ = now + kMotionTickInterval;
    const int32_t exponent = std::clamp(motionDevide + 1, 0, 30);
    steps_ = std::max(1, 1 << exponent);
    step_ = -1;
    Randomize(seconds);
}

void Motion::BeginLeg(ShadeParams& record, const LockFlags& locks, const PsControlCombo* textureList,
                      const PsControlCombo* foregroundList) {
    ++process_.legCounter;
    *legStart_ = record;
    *legTarget_ = record;
    for (const TargetRule& rule : kTargets) ShadeParamInt(*legTarget_, EntryOf(rule.scriptKey)) = DrawTarget(rule);
    // A locked light group keeps its elevations as they are.
    if (!locks.IsLocked(kLockLight)) {
        for (const char* key : {"pLv1", "pLv2"}) {
            int32_t& elevation = ShadeParamByScript(record, key);
            elevation = std::clamp(elevation, 30, 70);
        }
    }
    if (textureList && !locks.IsLocked(kLockTexture) && process_.legCounter % 5 == 0)
        DrawImage(record.TextureFilename, *textureList);
    if (foregroundList && !locks.IsLocked(kLockForeground) && process_.legCounter % 5 == 2)
        DrawImage(record.ForegroundFilename, *foregroundList);
}

void Motion::Interpolate(ShadeParams& record, const LockFlags& locks) const {
    for (const TargetRule& rule : kTargets) {
        const ShadeParamEntry& entry = EntryOf(rule.scriptKey);
        if (locks.IsGroupLocked(entry.group)) continue;
        const int64_t start = ShadeParamInt(*legStart_, entry);
        const int64_t target = ShadeParamInt(*legTarget_, entry);
        ShadeParamInt(record, entry) = static_cast<int32_t>(start + (target - start) * step_ / steps_);
    }
}

void Motion::TurnLights(ShadeParams& record) {
    ShadeParamByScript(record, "pLp2") = 100;
    ShadeParamByScript(record, "pLsw") = 50;
    ShadeParamByScript(record, "pLsd") = 10;
    int32_t& angle1 = ShadeParamByScript(record, "pLh1");
    int32_t& angle2 = ShadeParamByScript(record, "pLh2");
    angle1 = (angle1 + 10) % 360;
    angle2 = (angle2 + 5) % 360;
    SwingElevation(ShadeParamByScript(record, "pLv1"), process_.vecAngleV1);
    SwingElevation(ShadeParamByScript(record, "pLv2"), process_.vecAngleV2);
}

void Motion::RandomParam(ShadeParams& record, const LockFlags& locks, const PsControlCombo* textureList,
                         const PsControlCombo* foregroundList) {
    step_ = (step_ + 1) % steps_;
    if (step_ == 0) BeginLeg(record, locks, textureList, foregroundList);
    *capture_ = record;
    Interpolate(record, locks);
    if (!locks.IsLocked(kLockLight)) TurnLights(record);
}
