#pragma once
// The plug-in's globals, kept by the host in a handle between calls, the
// process-wide values of the current call, and access to the host's handles.
#include <cstdint>

#include "HostInterface.h"
#include "HostParamBlock.h"

struct Globals {
    int16_t* result;             // the host's result of the current call
    FilterRecord* filterRecord;  // the current filter record
};

// The host's basic suite, taken at every call, and the current filter record
// (set once the globals are found).
extern SPBasicSuite* sSPBasic;
extern FilterRecord* gFilterRecord;

using InitGlobalsProc = void (*)(Globals* globals);

// Finds the globals in the data slot or makes them there.  A new handle is
// filled, the result set to 0 and initGlobals called before it is stored in
// the slot.  Returns the locked globals, or nullptr (the caller reports
// -108) when the handle procedures are missing or no handle can be had.
Globals* AllocateGlobals(int16_t* result, FilterRecord* record, HandleProcs* handleProcs, int32_t size,
                         intptr_t* data, InitGlobalsProc initGlobals);
// Unlocks the globals handle held in the data slot.
void UnlockGlobals(HandleProcs* handleProcs, intptr_t* data);

// Makes sure the record's parameters handle holds a HostParamBlock; a new
// one is initialised and gets the host flags.  On failure the result is
// -108.
void ValidateParameters(Globals* globals);

// True when the handle procedures that the plug-in calls are all present.
bool HandleProcsUsable(const HandleProcs* procs);

// The parameter block, locked for the lifetime of this object.  Block() is
// null when the record holds no usable block.
class ParamBlockLock {
public:
    explicit ParamBlockLock(FilterRecord* record);
    ~ParamBlockLock();
    ParamBlockLock(const ParamBlockLock&) = delete;
    ParamBlockLock& operator=(const ParamBlockLock&) = delete;
    HostParamBlock* Block() const { return block_; }

private:
    FilterRecord* record_;
    HostParamBlock* block_ = nullptr;
};

// Host identity.  The plug-in runs on neither of the platforms these hosts
// are singled out on, so both answer false here.
bool HostIsPremiere(const FilterRecord& record);
bool HostIsAfterEffects(const FilterRecord& record);
// The host offers advanceState and displayPixels and is no Premiere host.
bool HostProcsOk(const FilterRecord& record);
