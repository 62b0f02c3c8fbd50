// Globals in host memory, the parameter block's handle and the host flags.
#include "Globals.h"

SPBasicSuite* sSPBasic = nullptr;
FilterRecord* gFilterRecord = nullptr;

namespace {

constexpr bool kRunsOnWindows = false;
constexpr bool kRunsOnMacOS = false;

Globals* FillGlobals(void* memory, int16_t* result, FilterRecord* record) {
    Globals* globals = static_cast<Globals*>(memory);
    globals->result = result;
    globals->filterRecord = record;
    return globals;
}

}  // namespace

bool HandleProcsUsable(const HandleProcs* procs) {
    return procs != nullptr && procs->newProc != nullptr && procs->disposeProc != nullptr &&
           procs->getSizeProc != nullptr && procs->lockProc != nullptr && procs->unlockProc != nullptr;
}

Globals* AllocateGlobals(int16_t* result, FilterRecord* record, HandleProcs* handleProcs, int32_t size,
                         intptr_t* data, InitGlobalsProc initGlobals) {
    if (!HandleProcsUsable(handleProcs) || data == nullptr) return nullptr;
    if (*data != 0) {
        Handle existing = reinterpret_cast<Handle>(*data);
        if (handleProcs->getSizeProc(existing) < size) return nullptr;
        void* memory = handleProcs->lockProc(existing, 0);
        return memory == nullptr ? nullptr : FillGlobals(memory, result, record);
    }
    Handle handle = handleProcs->newProc(size);
    if (handle == nullptr) return nullptr;
    void* memory = handleProcs->lockProc(handle, 0);
    if (memory == nullptr) {
        handleProcs->disposeProc(handle);
        return nullptr;
    }
    Globals* globals = FillGlobals(memory, result, record);
    *result = kResultNoError;
    initGlobals(globals);
    *data = reinterpret_cast<intptr_t>(handle);
    return globals;
}

void UnlockGlobals(HandleProcs* handleProcs, intptr_t* data) {
    if (HandleProcsUsable(handleProcs) && data != nullptr && *data != 0)
        handleProcs->unlockProc(reinterpret_cast<Handle>(*data));
}

bool HostIsPremiere(const FilterRecord& record) {
    return kRunsOnWindows && record.hostSig == kHostSigPremiere;
}

bool HostIsAfterEffects(const FilterRecord& record) {
    return kRunsOnMacOS && record.hostSig == kHostSigAfterEffects;
}

bool HostProcsOk(const FilterRecord& record) {
    return record.advanceState != nullptr && record.displayPixels != nullptr && !HostIsPremiere(record);
}

void ValidateParameters(Globals* globals) {
    FilterRecord* record = globals->filterRecord;
    HandleProcs* procs = record->handleProcs;
    constexpr auto kSize = static_cast<int32_t>(sizeof(HostParamBlock));
    // A handle too small for the block is not one of ours: reading it as a
    // block would run past its end, so it is replaced by a new block.
    if (record->parameters != nullptr && procs->getSizeProc(record->parameters) >= kSize) return;
    if (record->parameters != nullptr) procs->disposeProc(record->parameters);
    record->parameters = procs->newProc(kSize);
    if (record->parameters == nullptr) {
        *globals->result = kResultMemFull;
        return;
    }
    ParamBlockLock lock(record);
    if (lock.Block() == nullptr) {
        procs->disposeProc(record->parameters);
        record->parameters = nullptr;
        *globals->result = kResultMemFull;
        return;
    }
    HostParamBlock& block = *lock.Block();
    HostParamBlockInit(block);
    block.HostIsPremiere = HostIsPremiere(*record) ? 1 : 0;
    block.HostIsAfterEffects = HostIsAfterEffects(*record) ? 1 : 0;
}

ParamBlockLock::ParamBlockLock(FilterRecord* record) : record_(record) {
    if (record_ == nullptr || record_->parameters == nullptr || !HandleProcsUsable(record_->handleProcs)) return;
    HandleProcs* procs = record_->handleProcs;
    if (procs->getSizeProc(record_->parameters) < static_cast<int32_t>(sizeof(HostParamBlock))) return;
    block_ = static_cast<HostParamBlock*>(procs->lockProc(record_->parameters, 0));
}

ParamBlockLock::~ParamBlockLock() {
    if (block_ != nullptr) record_->handleProcs->unlockProc(record_->parameters);
}
