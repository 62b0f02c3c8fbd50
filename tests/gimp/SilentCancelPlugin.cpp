// A plug-in that ends its start without a result and without a word, as a
// plug-in that gives up on a silent run would.
#include "HostInterface.h"

extern "C" __attribute__((visibility("default"))) void PluginMain(int16_t selector, void*, intptr_t*,
                                                                   int16_t* result) {
    *result = selector == kSelectorStart ? int16_t{kResultUserCanceled} : int16_t{0};
}
