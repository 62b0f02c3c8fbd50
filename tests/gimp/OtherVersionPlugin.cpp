// A plug-in library of another version: it answers every selector with
// success but keeps a parameter block of a size this host does not know.
#include "HostInterface.h"

extern "C" __attribute__((visibility("default"))) void PluginMain(int16_t selector, void* record, intptr_t*,
                                                                   int16_t* result) {
    *result = 0;
    if (selector == kSelectorAbout) return;
    auto* filter = static_cast<FilterRecord*>(record);
    if (filter->parameters == nullptr) filter->parameters = filter->handleProcs->newProc(100);
}
