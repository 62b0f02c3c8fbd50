#include "CodecFiles.h"

#include <cstdio>
#include <jpeglib.h>
#include <png.h>
#include <stdexcept>
#include <tiffio.h>

namespace imagefile_test {

namespace {

int PngColourType(int channels) {
    switch (channels) {
        case 1: return PNG_COLOR_TYPE_GRAY;
        case 2: return PNG_COLOR_TYPE_GRAY_ALPHA;
        case 3: return PNG_COLOR_TYPE_RGB;
        default: return PNG_COLOR_TYPE_RGBA;
    }
}

// One row in the byte layout of a file: 16-bit samples big-endian (PNG) or
// host order (TIFF), low depths packed from the most significant bit.
std::vector<uint8_t> PackRow(const std::vector<uint16_t>& samples, int bitDepth, bool bigEndian16) {
    std::vector<uint8_t> bytes;
    if (bitDepth == 16) {
        for (uint16_t v : samples) {
            const uint8_t hi = static_cast<uint8_t>(v >> 8), lo = static_cast<uint8_t>(v);
            if (bigEndian16) bytes.insert(bytes.end(), {hi, lo});
            else bytes.insert(bytes.end(), {lo, hi});
        }
        return bytes;
    }
    const int perByte = 8 / bitDepth;
    bytes.assign((samples.size() + perByte - 1) / perByte, 0);
    for (size_t i = 0; i < samples.size(); ++i) {
        const int shift = 8 - bitDepth * static_cast<int>(i % perByte + 1);
        bytes[i / perByte] |= static_cast<uint8_t>(samples[i] << shift);
    }
    return bytes;
}

FILE* OpenOrThrow(const std::string& path, const char* mode) {
    FILE* file = std::fopen(path.c_str(), mode);
    if (file == nullptr) throw std::runtime_error("cannot open " + path);
    return file;
}

void WritePngRows(png_structp png, const std::vector<std::vector<uint8_t>>& rows, int passes) {
    for (int pass = 0; pass < passes; ++pass)
        for (const auto& row : rows) png_write_row(png, row.data());
}

}  // namespace

void WritePngSamples(const std::string& path, const SampleImage& image, bool interlaced) {
    FILE* file = OpenOrThrow(path, "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, image.width, image.height, image.bitDepth, PngColourType(image.channels),
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<std::vector<uint8_t>> rows;
    for (const auto& row : image.rows) rows.push_back(PackRow(row, image.bitDepth, true));
    WritePngRows(png, rows, png_set_interlace_handling(png));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

void WritePngPalette(const std::string& path, uint32_t width, const std::vector<std::vector<uint8_t>>& indices,
                     const std::vector<uint8_t>& palette, int transparent) {
    FILE* file = OpenOrThrow(path, "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, width, static_cast<uint32_t>(indices.size()), 4, PNG_COLOR_TYPE_PALETTE,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(png, info, reinterpret_cast<png_const_colorp>(palette.data()), static_cast<int>(palette.size() / 3));
    std::vector<png_byte> alpha(static_cast<size_t>(transparent), 0);
    if (transparent > 0) png_set_tRNS(png, info, alpha.data(), transparent, nullptr);
    png_write_info(png, info);
    std::vector<std::vector<uint8_t>> rows;
    for (const auto& row : indices) rows.push_back(PackRow(std::vector<uint16_t>(row.begin(), row.end()), 4, true));
    WritePngRows(png, rows, 1);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

std::vector<std::vector<uint8_t>> ReadPngRgb(const std::string& path, uint32_t* width, uint32_t* height) {
    FILE* file = OpenOrThrow(path, "rb");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_read_info(png, info);
    *width = png_get_image_width(png, info);
    *height = png_get_image_height(png, info);
    std::vector<std::vector<uint8_t>> rows;
    if (png_get_color_type(png, info) == PNG_COLOR_TYPE_RGB && png_get_bit_depth(png, info) == 8) {
        rows.assign(*height, std::vector<uint8_t>(png_get_rowbytes(png, info)));
        for (auto& row : rows) png_read_row(png, row.data(), nullptr);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return rows;
}

void WriteTiffSamples(const std::string& path, const SampleImage& image, bool premultiplied, int compression) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, image.width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, image.height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, image.bitDepth);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, image.channels);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, image.channels >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    if (image.channels == 2 || image.channels == 4) {
        const uint16_t kinds[] = {premultiplied ? uint16_t{EXTRASAMPLE_ASSOCALPHA} : uint16_t{EXTRASAMPLE_UNASSALPHA}};
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, kinds);
    }
    for (uint32_t y = 0; y < image.height; ++y) {
        std::vector<uint8_t> row = PackRow(image.rows[y], image.bitDepth, false);
        TIFFWriteScanline(tiff, row.data(), y, 0);
    }
    TIFFClose(tiff);
}

void WriteTiffPalette(const std::string& path, uint32_t width, const std::vector<std::vector<uint8_t>>& indices,
                      const std::vector<uint16_t>& red, const std::vector<uint16_t>& green,
                      const std::vector<uint16_t>& blue) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(indices.size()));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
    TIFFSetField(tiff, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
    for (uint32_t y = 0; y < indices.size(); ++y) {
        std::vector<uint8_t> row = indices[y];
        TIFFWriteScanline(tiff, row.data(), y, 0);
    }
    TIFFClose(tiff);
}

void WriteTiffHeaderOnly(const std::string& path, uint32_t width, uint32_t height) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, height);
    TIFFWriteDirectory(tiff);
    TIFFClose(tiff);
}

std::vector<std::vector<uint8_t>> ReadTiffRgb(const std::string& path) {
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    uint32_t height = 0;
    uint16_t samples = 0, bits = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    std::vector<std::vector<uint8_t>> rows;
    if (samples == 3 && bits == 8) {
        rows.assign(height, std::vector<uint8_t>(static_cast<size_t>(TIFFScanlineSize(tiff))));
        for (uint32_t y = 0; y < height; ++y) TIFFReadScanline(tiff, rows[y].data(), y, 0);
    }
    TIFFClose(tiff);
    return rows;
}

void WriteJpegSamples(const std::string& path, const SampleImage& image) {
    FILE* file = OpenOrThrow(path, "wb");
    jpeg_compress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = image.width;
    cinfo.image_height = image.height;
    cinfo.input_components = image.channels;
    cinfo.in_color_space = image.channels == 1 ? JCS_GRAYSCALE : image.channels == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    for (const auto& samples : image.rows) {
        std::vector<uint8_t> row(samples.begin(), samples.end());
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&cinfo, &line, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(file);
}

}  // namespace imagefile_test
