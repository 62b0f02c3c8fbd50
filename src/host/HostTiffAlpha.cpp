#include "HostTiffAlpha.h"

#include <tiffio.h>

#include <unistd.h>

#include <memory>
#include <vector>

#include "ImageFileDesc.h"
#include "SafeFileWriter.h"

namespace {

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

TiffHandle OpenQuietly(const std::string& path, const char* mode) {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    return TiffHandle(TIFFOpen(path.c_str(), mode));
}

// The first extra sample, when it is an alpha channel; else null.
uint16_t* AlphaKind(TIFF* tiff) {
    uint16_t count = 0;
    uint16_t* kinds = nullptr;
    if (!TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &count, &kinds) || count == 0) return nullptr;
    return kinds[0] == EXTRASAMPLE_ASSOCALPHA || kinds[0] == EXTRASAMPLE_UNASSALPHA ? kinds : nullptr;
}

// The fields and rows of an RGBA image, alpha not associated.
bool WriteRgbaTiff(TIFF* tiff, const HostImageSt& image) {
    const uint16_t alphaKind = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(image.width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(image.height));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 4);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &alphaKind);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
    std::vector<uint8_t> row(std::size_t(image.width) * 4);
    for (int32_t y = 0; y < image.height; ++y) {
        const uint8_t* source = image.Pixel(0, y);
        row.assign(source, source + row.size());
        if (TIFFWriteScanline(tiff, row.data(), static_cast<uint32_t>(y), 0) < 0) return false;
    }
    return TIFFFlush(tiff) == 1;
}


}  // namespace

int HostTiff_HasAlpha(const std::string& path) {
    TiffHandle tiff = OpenQuietly(path, "r");
    if (!tiff) return -1;
    return AlphaKind(tiff.get()) != nullptr ? 1 : 0;
}

int HostTiff_LoadRgba(const std::string& path, HostImageSt& image) {
    TiffHandle tiff = OpenQuietly(path, "r");
    if (!tiff) return 0;
    uint16_t* kinds = AlphaKind(tiff.get());
    if (kinds == nullptr) return 0;
    // Colours stored multiplied by their alpha are divided back below.  The
    // library's RGBA conversion would multiply the colours by an unassociated
    // alpha; declared associated, they pass through as stored.
    const bool premultiplied = kinds[0] == EXTRASAMPLE_ASSOCALPHA;
    uint16_t count = 0;
    TIFFGetField(tiff.get(), TIFFTAG_EXTRASAMPLES, &count, &kinds);
    std::vector<uint16_t> associated(kinds, kinds + count);
    associated[0] = EXTRASAMPLE_ASSOCALPHA;
    TIFFSetField(tiff.get(), TIFFTAG_EXTRASAMPLES, count, associated.data());

    uint32_t width = 0, height = 0;
    TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
    if (width == 0 || height == 0 || width > 32767 || height > 32767) return 0;
    std::vector<uint32_t> raster(std::size_t(width) * height);
    // A read error (a strip cut short or corrupt) ends the read.
    if (!TIFFReadRGBAImageOriented(tiff.get(), width, height, raster.data(), ORIENTATION_TOPLEFT, 1)) return 0;
    image = HostImage_Make(static_cast<int32_t>(width), static_cast<int32_t>(height), 4);
    for (std::size_t i = 0; i < raster.size(); ++i) {
        uint8_t* pixel = image.pixels.data() + i * 4;
        const auto alpha = static_cast<uint8_t>(TIFFGetA(raster[i]));
        const uint8_t divisor = premultiplied ? alpha : 255;
        pixel[0] = ImageFile_Unpremultiply(static_cast<uint8_t>(TIFFGetR(raster[i])), divisor);
        pixel[1] = ImageFile_Unpremultiply(static_cast<uint8_t>(TIFFGetG(raster[i])), divisor);
        pixel[2] = ImageFile_Unpremultiply(static_cast<uint8_t>(TIFFGetB(raster[i])), divisor);
        pixel[3] = alpha;
    }
    return 1;
}

int HostTiff_SaveRgba(const std::string& path, const HostImageSt& image) {
    if (image.planes != 4 || image.width <= 0 || image.height <= 0) return 0;
    SafeFileWriter writer(path.c_str());
    // The handle gets its own descriptor; the writer keeps the original to
    // flush and rename once the handle is closed.
    const int fd = writer.IsOpen() ? ::dup(writer.Descriptor()) : -1;
    if (fd < 0) return 0;
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    TiffHandle tiff(TIFFFdOpen(fd, path.c_str(), "w"));
    if (!tiff) {
        ::close(fd);
        return 0;
    }
    if (!WriteRgbaTiff(tiff.get(), image)) return 0;
    tiff.reset();
    return writer.Commit() ? 1 : 0;
}
