// The entry point of the plug-in library: the one symbol it exports.
#include "About.h"
#include "Globals.h"
#include "PluginMessages.h"
#include "Selectors.h"

namespace {

void Dispatch(int16_t selector, Globals* globals) {
    switch (selector) {
        case kSelectorParameters: DoParameters(globals); break;
        case kSelectorPrepare: DoPrepare(globals); break;
        case kSelectorStart: DoStart(globals); break;
        case kSelectorContinue: DoContinue(globals); break;
        case kSelectorFinish: DoFinish(globals); break;
        default: break;  // unknown selectors only make the globals
    }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void PluginMain(int16_t selector, void* record, intptr_t* data,
                                                                   int16_t* result) {
    if (record == nullptr || result == nullptr) return;
    if (selector == kSelectorAbout) {
        sSPBasic = static_cast<AboutRecord*>(record)->sSPBasic;
        ShowAbout();
        return;
    }
    FilterRecord* filterRecord = static_cast<FilterRecord*>(record);
    sSPBasic = filterRecord->sSPBasic;
    Globals* globals = AllocateGlobals(result, filterRecord, filterRecord->handleProcs,
                                       static_cast<int32_t>(sizeof(Globals)), data, ValidateParameters);
    if (globals == nullptr) {
        *result = kResultMemFull;
        return;
    }
    gFilterRecord = filterRecord;
    Dispatch(selector, globals);
    UnlockGlobals(filterRecord->handleProcs, data);
}
