#include "ImageFileUtilities.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>

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

const CodecSt& CodecOf(int type) {
    return type > kImageFileUnknown && type <= kImageFilePng ? kCodecs[type] : kCodecs[kImageFileUnknown];
}

bool StartsWith(const uint8_t* bytes, size_t size, std::initializer_list<uint8_t> prefix) {
    return size >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes);
}

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

int ImageFile_TypeOfContent(const char* path) {
    FILE* file = path != nullptr ? std::fopen(path, "rb") : nullptr;
    if (file == nullptr) return kImageFileUnknown;
    uint8_t head[8] = {};
    const size_t size = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    if (StartsWith(head, size, {'B', 'M'})) return kImageFileBmp;
    if (StartsWith(head, size, {0xFF, 0xD8, 0xFF})) return kImageFileJpeg;
    if (StartsWith(head, size, {'I', 'I', 42, 0}) || StartsWith(head, size, {'M', 'M', 0, 42}) ||
        StartsWith(head, size, {'I', 'I', 43, 0}) || StartsWith(head, size, {'M', 'M', 0, 43}))
        return kImageFileTiff;
    if (StartsWith(head, size, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})) return kImageFilePng;
    return kImageFileUnknown;
}

int ImageFile_Info(const char* path, ImageFileWorkSt* work) {
    return ImageFile_InfoAs(ImageFile_Type(path), path, work);
}

int ImageFile_Read(const char* path, ImageFileWorkSt* work) {
    return ImageFile_ReadAs(ImageFile_Type(path), path, work);
}

int ImageFile_Write(const char* path, ImageFileWorkSt* work) {
    return ImageFile_WriteAs(ImageFile_Type(path), path, work);
}

int ImageFile_InfoAs(int type, const char* path, ImageFileWorkSt* work) {
    ImageFile_ClearDesc(&work->image);
    if (work->alpha != nullptr) ImageFile_ClearDesc(work->alpha);
    const CodecSt& codec = CodecOf(type);
    if (codec.info == nullptr) return kImageFileBadData;
    const int result = codec.info(path, &work->image);
    if (result != kImageFileOk) return result;
    // JPEG, TIFF and PNG files always load as 24-bit bitmaps.
    if (type != kImageFileBmp && !ImageFile_FitsBitmap(work->image.width, work->image.height, 24))
        return kImageFileBadData;
    return kImageFileOk;
}

int ImageFile_ReadAs(int type, const char* path, ImageFileWorkSt* work) {
    const CodecSt& codec = CodecOf(type);
    return codec.read != nullptr ? codec.read(path, work) : kImageFileCannotOpen;
}

int ImageFile_WriteAs(int type, const char* path, ImageFileWorkSt* work) {
    const CodecSt& codec = CodecOf(type);
    return codec.write != nullptr ? codec.write(path, work) : kImageFileBadData;
}
