#pragma once
// The work record handed to every image file reader and writer.
#include <cstdint>

class DibEx;

// Result codes shared by the readers and writers.  Any non-zero code is a
// failure; these are the ones the readers and writers of this library use.
enum ImageFileResult : int {
    kImageFileOk = 0,
    kImageFileCannotOpen = -1,   // the file cannot be opened or created
    kImageFileBadData = -2,      // not this format, damaged or truncated, or claiming more
                                 // pixels than the file can hold
    kImageFileUnsupported = -3,  // a valid file of a variant that is not read (a compression,
                                 // colour space or layout the reader does not know)
};

// Description of one bitmap's storage: the memory block of a DibEx, which
// holds a packed bitmap (40-byte information
// header, palette of 4-byte entries blue, green, red, 0, then the pixel rows,
// bottom row first, each padded to a multiple of 4 bytes).
struct ImageFileDescSt {
    DibEx* storage = nullptr;     // the bitmap whose memory block is described, not owned
    uint32_t totalSize = 0;       // header + palette + pixels, in bytes
    uint32_t paletteSize = 0;     // palette bytes
    uint32_t pixelSize = 0;       // pixel bytes
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bytesPerRow = 0;
    uint32_t bytesPerPixel = 0;
    uint32_t bitsPerPixel = 0;
    uint32_t paletteEntries = 0;
};

// Progress callback: receives a percentage, its result is not used.
using ImageFileProgressFunc = int32_t (*)(int32_t);

struct ImageFileWorkSt {
    ImageFileDescSt image;
    ImageFileDescSt* alpha = nullptr;   // optional 8-bit alpha bitmap
    ImageFileProgressFunc progress = nullptr;
};
