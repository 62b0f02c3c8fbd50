#include <cstring>
#include <fcntl.h>
#include <memory>
#include <tiffio.h>
#include <unistd.h>
#include <vector>

#include "CodecIF.h"
#include "ImageFileDesc.h"
#include "SafeFileWriter.h"
#include "Vmemory.h"

namespace {

int SilentHandler(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

// Opens a TIFF on a descriptor with every library message suppressed.
// The handle owns the descriptor from then on.
TiffHandle OpenOnDescriptor(int fd, const char* name, const char* mode) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options == nullptr) {
        ::close(fd);
        return nullptr;
    }
    TIFFOpenOptionsSetErrorHandlerExtR(options, SilentHandler, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, SilentHandler, nullptr);
    TIFF* tiff = TIFFFdOpenExt(fd, name, mode, options);
    TIFFOpenOptionsFree(options);
    if (tiff == nullptr) ::close(fd);
    return TiffHandle(tiff);
}

int OpenTiff(const char* path, TiffHandle* handle) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return kImageFileCannotOpen;
    *handle = OpenOnDescriptor(fd, path, "r");
    return *handle ? kImageFileOk : kImageFileBadData;
}

// The library's RGBA conversion multiplies colours by an unassociated alpha
// channel.  The alpha channel is dropped here, so the colours must stay as
// stored: the first extra sample is declared associated, which the converter
// passes through unchanged.
// Returns true when the colours are stored multiplied by the alpha
// (associated alpha): the reader divides them out again.
bool KeepColoursUnderAlpha(TIFF* tiff) {
    uint16_t count = 0;
    uint16_t* kinds = nullptr;
    if (!TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &count, &kinds) || count == 0) return false;
    if (kinds[0] == EXTRASAMPLE_ASSOCALPHA) return true;
    if (kinds[0] != EXTRASAMPLE_UNASSALPHA) return false;
    std::vector<uint16_t> associated(kinds, kinds + count);
    associated[0] = EXTRASAMPLE_ASSOCALPHA;
    TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, count, associated.data());
    return false;
}

// How many times the compression can expand the stored data at most; 0 for
// the compressions without a useful bound (JPEG, fax codes, ...).
uint64_t ExpansionLimit(uint16_t compression) {
    switch (compression) {
        case COMPRESSION_NONE: return kImageFileStoredRatio;
        case COMPRESSION_PACKBITS: return kImageFilePackBitsRatio;
        case COMPRESSION_LZW: return kImageFileLzwRatio;
        case COMPRESSION_DEFLATE:
        case COMPRESSION_ADOBE_DEFLATE: return kImageFileDeflateRatio;
        default: return 0;
    }
}

uint16_t CompressionOf(TIFF* tiff) {
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    return compression;
}

bool HasDecoder(TIFF* tiff) { return TIFFIsCODECConfigured(CompressionOf(tiff)) == 1; }

bool FileCanHoldPixels(TIFF* tiff, const ImageFileDescSt& desc) {
    const uint64_t ratio = ExpansionLimit(CompressionOf(tiff));
    if (ratio == 0) return true;
    const uint64_t rowBytes = (uint64_t{desc.width} * desc.bitsPerPixel + 7) / 8;
    return ImageFile_FileCanHold(ImageFile_FileSize(TIFFFileno(tiff)), rowBytes * desc.height, ratio);
}

uint32_t FieldOf(TIFF* tiff, ttag_t tag) {
    uint32_t value = 0;
    TIFFGetField(tiff, tag, &value);
    return value;
}

// The converter delivers the whole picture as 32-bit pixels (red in the low
// byte), bottom row first, which is the storage's row order.
void StoreRaster(const uint32_t* raster, const ImageFileDescSt& desc, bool premultiplied,
                 ImageFileProgressFunc progress) {
    for (uint32_t line = 0; line < desc.height; ++line) {
        const uint32_t* source = raster + static_cast<size_t>(line) * desc.width;
        uint8_t* target = ImageFile_DescRow(desc, line);
        for (uint32_t x = 0; x < desc.width; ++x, target += 3) {
            const auto alpha = static_cast<uint8_t>(premultiplied ? TIFFGetA(source[x]) : 255);
            target[0] = ImageFile_Unpremultiply(static_cast<uint8_t>(TIFFGetB(source[x])), alpha);
            target[1] = ImageFile_Unpremultiply(static_cast<uint8_t>(TIFFGetG(source[x])), alpha);
            target[2] = ImageFile_Unpremultiply(static_cast<uint8_t>(TIFFGetR(source[x])), alpha);
        }
        ImageFile_ReportRow(progress, line, desc.height);
    }
}

void SetRgbFields(TIFF* tiff, const ImageFileDescSt& desc) {
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, desc.width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, desc.height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
}

// Rows go out top row first, each turned from blue, green, red into red,
// green, blue.
bool WriteRgbRows(TIFF* tiff, const ImageFileDescSt& desc, ImageFileProgressFunc progress) {
    Vmemory buffer(1, static_cast<int>(desc.width * 3));
    auto* rgb = static_cast<uint8_t*>(buffer.Commit());
    for (uint32_t row = 0; row < desc.height; ++row) {
        const uint8_t* bgr = ImageFile_DescRow(desc, desc.height - 1 - row);
        for (uint32_t x = 0; x < desc.width * 3; x += 3) {
            rgb[x] = bgr[x + 2];
            rgb[x + 1] = bgr[x + 1];
            rgb[x + 2] = bgr[x];
        }
        if (TIFFWriteScanline(tiff, rgb, row, 0) < 0) return false;
        ImageFile_ReportRow(progress, row, desc.height);
    }
    return TIFFFlush(tiff) == 1;
}

}  // namespace

int TiffIF_Info(const char* path, ImageFileDescSt* desc) {
    TiffHandle tiff;
    const int result = OpenTiff(path, &tiff);
    if (result != kImageFileOk) return result;
    uint16_t samples = 1;
    uint16_t bitsPerSample = 1;
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    desc->width = FieldOf(tiff.get(), TIFFTAG_IMAGEWIDTH);
    desc->height = FieldOf(tiff.get(), TIFFTAG_IMAGELENGTH);
    desc->bitsPerPixel = static_cast<uint32_t>(samples) * bitsPerSample;
    if (!HasDecoder(tiff.get())) return kImageFileUnsupported;
    return FileCanHoldPixels(tiff.get(), *desc) ? kImageFileOk : kImageFileBadData;
}

int TiffIF_Read(const char* path, ImageFileWorkSt* work) {
    const ImageFileDescSt& desc = work->image;
    TiffHandle tiff;
    const int result = OpenTiff(path, &tiff);
    if (result != kImageFileOk) return result;
    if (!ImageFile_DescMatches24(desc, FieldOf(tiff.get(), TIFFTAG_IMAGEWIDTH), FieldOf(tiff.get(), TIFFTAG_IMAGELENGTH)))
        return kImageFileBadData;
    if (!HasDecoder(tiff.get())) return kImageFileUnsupported;
    const bool premultiplied = KeepColoursUnderAlpha(tiff.get());
    char message[1024];
    if (!TIFFRGBAImageOK(tiff.get(), message)) return kImageFileUnsupported;
    Vmemory raster(4, static_cast<int>(desc.width * desc.height));
    auto* pixels = static_cast<uint32_t*>(raster.Commit());
    if (!TIFFReadRGBAImageOriented(tiff.get(), desc.width, desc.height, pixels, ORIENTATION_BOTLEFT, 1))
        return kImageFileBadData;
    StoreRaster(pixels, desc, premultiplied, work->progress);
    return kImageFileOk;
}

int TiffIF_Write(const char* path, ImageFileWorkSt* work) {
    const ImageFileDescSt& desc = work->image;
    if (!ImageFile_DescMatches24(desc, desc.width, desc.height)) return kImageFileBadData;
    SafeFileWriter writer(path);
    if (!writer.IsOpen()) return kImageFileCannotOpen;
    // The handle gets its own descriptor; the writer keeps the original to
    // flush and rename once the handle is closed.
    const int fd = ::dup(writer.Descriptor());
    if (fd < 0) return kImageFileCannotOpen;
    TiffHandle tiff = OpenOnDescriptor(fd, path, "w");
    if (!tiff) return kImageFileBadData;
    SetRgbFields(tiff.get(), desc);
    const bool written = WriteRgbRows(tiff.get(), desc, work->progress);
    tiff.reset();
    return written && writer.Commit() ? kImageFileOk : kImageFileBadData;
}
