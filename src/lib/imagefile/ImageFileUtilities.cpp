#include "ImageFileUtilities.h"

#include <cstring>

#include "BmpIF.h"
#include "CodecIF.h"
#include "ImageFileDesc.h"

namespace {

struct ExtensionSt {
    const char* text;
    ImageFileType type;
};

constexpr ExtensionSt kExtensions[] = {
    {"bmp", kImageFileBmp},  {"dib", kImageFileBmp},   {"tmp", kImageFileBmp},  {"jpg", kImageFileJpeg},
    {"jpeg", kImageFileJpeg}, {"tif", kImageFileTiff}, {"tiff", kImageFileTiff}, {"png", kImageFilePng},
    {"ping", kImageFilePng},
};

using InfoFunc = int (*)(const char*, ImageFileDescSt*);
using TransferFunc = int (*)(const char*, ImageFileWorkSt*);

struct CodecSt {
    InfoFunc info;
    TransferFunc read;
    TransferFunc write;
};

// Indexed by type; type 0 has no codec.
constexpr CodecSt kCodecs[] = {
    {nullptr, nullptr, nullptr},
    {BmpIF_Info, BmpIF_Read, BmpIF_Write},
    {JpegIF_Info, JpegIF_Read, JpegIF_Write},
    {TiffIF_Info, TiffIF_Read, TiffIF_Write},
    {PngIF_Info, PngIF_Read, PngIF_Write},
};

const CodecSt& CodecFor(const char* path) { return kCodecs[ImageFile_Type(path)]; }

}  // namespace

int ImageFile_Type(const char* path) {
    if (path == nullptr) return kImageFileUnknown;
    const char* dot = std::strrchr(path, '.');
    if (dot == nullptr) return kImageFileUnknown;
    for (const ExtensionSt& extension : kExtensions) {
        if (std::strcmp(dot + 1, extension.text) == 0) return extension.type;
    }
    return kImageFileUnknown;
}

int ImageFile_Info(const char* path, ImageFileWorkSt* work) {
    ImageFile_ClearDesc(&work->image);
    if (work->alpha != nullptr) ImageFile_ClearDesc(work->alpha);
    const int type = ImageFile_Type(path);
    if (type == kImageFileUnknown) return kImageFileBadData;
    const int result = kCodecs[type].info(path, &work->image);
    if (result != kImageFileOk) return result;
    // JPEG, TIFF and PNG files always load as 24-bit bitmaps.
    if (type != kImageFileBmp && !ImageFile_FitsBitmap(work->image.width, work->image.height, 24))
        return kImageFileBadData;
    return kImageFileOk;
}

int ImageFile_Read(const char* path, ImageFileWorkSt* work) {
    const CodecSt& codec = CodecFor(path);
    return codec.read != nullptr ? codec.read(path, work) : kImageFileCannotOpen;
}

int ImageFile_Write(const char* path, ImageFileWorkSt* work) {
    const CodecSt& codec = CodecFor(path);
    return codec.write != nullptr ? codec.write(path, work) : kImageFileBadData;
}
