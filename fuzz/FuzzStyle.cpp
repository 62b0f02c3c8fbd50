// The style loader: any style file loads into the parameter record (or is
// refused) without touching memory it does not own; the file names it reads
// stay within their fields.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "FuzzInputFile.h"
#include "ShadeParams.h"
#include "StyleFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const FuzzInputFile input(".mv");
    if (!input.Write(data, size)) return 0;
    ShadeParams params{};
    ShadeParamsSetDefaults(params, "/pictures");
    StyleFile style(params, nullptr, std::string(), StyleFile::MessageSink{});
    style.LoadParam(input.Path().c_str());
    if (std::memchr(params.TextureFilename, 0, sizeof params.TextureFilename) == nullptr ||
        std::memchr(params.ForegroundFilename, 0, sizeof params.ForegroundFilename) == nullptr)
        std::abort();
    return 0;
}
