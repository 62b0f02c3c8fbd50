// The BMP reader through the image file layer, as 24-bit and as stored.
#include <cstdint>

#include "DibEx.h"
#include "FuzzInputFile.h"
#include "ImageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const FuzzInputFile input(".bmp");
    if (!input.Write(data, size)) return 0;
    for (int convertTo24 : {1, 0}) {
        try {
            DibEx bitmap(1);
            DibEx alpha(1);
            ImageFile_Load(nullptr, input.Path().c_str(), &bitmap, &alpha, nullptr, convertTo24);
        } catch (int) {
            // Out of memory for a huge declared size is a refusal, not a fault.
        }
    }
    return 0;
}
