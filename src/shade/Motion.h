#pragma once
// Motion: the parameters drift towards randomly drawn targets, one leg after
// another, so that looks go by in the preview.  Each leg draws a full set of
// targets (for locked groups too, so that the sequence of draws does not
// depend on the locks) and interpolates the unlocked groups towards them in
// 2^(MotionDevide + 1) steps, while the lights keep turning.
#include <cstdint>
#include <memory>

#include "Locks.h"
#include "ShadeParams.h"

class PsControlCombo;

// State that outlives a dialog run while the plug-in stays loaded.
struct MotionProcessState {
    uint32_t legCounter = 0;
    int32_t vecAngleV1 = 2;  // degrees per step of the main light's elevation
    int32_t vecAngleV2 = 1;  // and of the sub light's
};
MotionProcessState& ProcessMotionState();

// Ticks of 1/60 second between two motion steps.
inline constexpr int64_t kMotionTickInterval = 6;

class Motion {
public:
    explicit Motion(MotionProcessState& process = ProcessMotionState());

    // Starts motion at tick `now`; seeds the generator with `seconds`.
    void Start(int32_t motionDevide, int64_t now, uint32_t seconds);
    void Stop() { due_ = 0; }
    bool IsRunning() const { return due_ != 0; }
    // True when a step is due at tick `now`.
    bool IsDue(int64_t now) const { return due_ != 0 && now >= due_; }
    void Reschedule(int64_t now) { due_ = now + kMotionTickInterval; }

    // One motion step on record.  The lists give the images of a new leg
    // (either may be null: no image change).
    void RandomParam(ShadeParams& record, const LockFlags& locks, const PsControlCombo* textureList,
                     const PsControlCombo* foregroundList);

    int32_t GetStep() const { return step_; }
    int32_t GetSteps() const { return steps_; }
    const ShadeParams& GetLegStart() const { return *legStart_; }
    const ShadeParams& GetLegTarget() const { return *legTarget_; }
    const ShadeParams& GetCapture() const { return *capture_; }
    const MotionProcessState& GetProcessState() const { return process_; }

private:
    void BeginLeg(ShadeParams& record, const LockFlags& locks, const PsControlCombo* textureList,
                  const PsControlCombo* foregroundList);
    void Interpolate(ShadeParams& record, const LockFlags& locks) const;
    void TurnLights(ShadeParams& record);

    MotionProcessState& process_;
    int64_t due_ = 0;
    int32_t step_ = -1;
    int32_t steps_ = 1;
    std::unique_ptr<ShadeParams> legStart_;
    std::unique_ptr<ShadeParams> legTarget_;
    std::unique_ptr<ShadeParams> capture_;
};

// The integer entry of record with the given script key ("pMle").
int32_t& ShadeParamByScript(ShadeParams& record, const char* scriptKey);
