// The action-file reader: any bytes load or are refused with a reason.
#include <cstdint>
#include <cstdlib>

#include "FuzzInputFile.h"
#include "HostAction.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const FuzzInputFile input(".json");
    if (!input.Write(data, size)) return 0;
    HostActionSt action;
    std::string error;
    if (!HostAction_Load(input.Path(), action, error) && error.empty()) std::abort();
    return 0;
}
