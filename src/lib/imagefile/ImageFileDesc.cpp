#include "ImageFileDesc.h"

#include <cstdint>
#include <limits>
#include <sys/stat.h>

#include "DibEx.h"

namespace {

constexpr uint64_t kLargestBitmap = static_cast<uint64_t>(std::numeric_limits<int32_t>::max());

uint8_t* StorageBase(const ImageFileDescSt& desc) { return desc.storage->CommitAll(); }

}  // namespace

uint64_t ImageFile_Stride(uint64_t bitsPerPixel, uint64_t width) { return (bitsPerPixel * width + 31) / 32 * 4; }

uint32_t ImageFile_PaletteEntriesFor(uint32_t bitsPerPixel) {
    switch (bitsPerPixel) {
        case 1: return 2;
        case 4: return 16;
        case 8: return 256;
        default: return 0;
    }
}

bool ImageFile_FitsBitmap(uint64_t width, uint64_t height, uint32_t bitsPerPixel) {
    if (width < 1 || height < 1 || width > kLargestBitmap || height > kLargestBitmap) return false;
    const uint64_t stride = ImageFile_Stride(bitsPerPixel, width);
    const uint64_t fixed = kImageFileInfoHeaderSize + ImageFile_PaletteEntriesFor(bitsPerPixel) * 4;
    return stride <= (kLargestBitmap - fixed) / height;
}

bool ImageFile_FileCanHold(uint64_t fileSize, uint64_t rawBytes, uint64_t ratio) {
    return rawBytes / ratio <= fileSize;
}

uint64_t ImageFile_FileSize(int fd) {
    struct stat status {};
    if (::fstat(fd, &status) != 0 || status.st_size < 0) return 0;
    return static_cast<uint64_t>(status.st_size);
}

bool ImageFile_DescIsUsable(const ImageFileDescSt& desc) {
    if (desc.storage == nullptr || !ImageFile_FitsBitmap(desc.width, desc.height, desc.bitsPerPixel)) return false;
    const uint64_t stride = ImageFile_Stride(desc.bitsPerPixel, desc.width);
    const uint64_t pixels = stride * desc.height;
    const uint32_t bytesPerPixel = desc.bitsPerPixel < 8 ? 1 : desc.bitsPerPixel / 8;
    return desc.bytesPerRow == stride && desc.bytesPerPixel == bytesPerPixel && desc.pixelSize == pixels &&
           desc.paletteEntries == ImageFile_PaletteEntriesFor(desc.bitsPerPixel) &&
           desc.paletteSize == desc.paletteEntries * 4 &&
           desc.totalSize == kImageFileInfoHeaderSize + desc.paletteSize + pixels &&
           desc.storage->IsValid() == 1 &&
           static_cast<uint64_t>(desc.storage->GetTotalSize()) >= desc.totalSize;
}

bool ImageFile_DescMatches24(const ImageFileDescSt& desc, uint32_t width, uint32_t height) {
    return desc.bitsPerPixel == 24 && desc.width == width && desc.height == height && ImageFile_DescIsUsable(desc);
}

uint8_t* ImageFile_DescPalette(const ImageFileDescSt& desc) { return StorageBase(desc) + kImageFileInfoHeaderSize; }

uint8_t* ImageFile_DescRow(const ImageFileDescSt& desc, uint32_t line) {
    return ImageFile_DescPalette(desc) + desc.paletteSize + static_cast<size_t>(line) * desc.bytesPerRow;
}

void ImageFile_ClearDesc(ImageFileDescSt* desc) {
    DibEx* storage = desc->storage;
    *desc = ImageFileDescSt{};
    desc->storage = storage;
}

void ImageFile_ReportRow(ImageFileProgressFunc progress, uint32_t row, uint32_t height) {
    if (progress == nullptr || height == 0) return;
    const uint64_t percent = (100 * static_cast<uint64_t>(row) + 100) / height;
    if (percent % 5 == 0) progress(static_cast<int32_t>(percent));
}
