#include <csetjmp>
#include <cstdio>
#include <png.h>

#include "CodecIF.h"
#include "ImageFileDesc.h"
#include "SafeFileWriter.h"

// libpng reports errors through a longjmp back into the function that called
// setjmp.  The functions that hold such a jump point keep only trivially
// destructible locals; the resources (file, library state) are owned by the
// RAII objects of their callers, so a jump never skips a destructor and never
// leaks.

namespace {

[[noreturn]] void OnPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnPngWarning(png_structp, png_const_charp) {}

struct PngReadSession {
    FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;

    ~PngReadSession() {
        if (png != nullptr) png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
        if (file != nullptr) std::fclose(file);
    }
};

// Opens the file, checks the PNG signature and prepares libpng to read it.
int OpenPng(const char* path, PngReadSession* session) {
    session->file = std::fopen(path, "rb");
    if (session->file == nullptr) return kImageFileCannotOpen;
    png_byte signature[8];
    if (std::fread(signature, 1, sizeof signature, session->file) != sizeof signature ||
        png_sig_cmp(signature, 0, sizeof signature) != 0)
        return kImageFileBadData;
    session->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    if (session->png == nullptr) return kImageFileBadData;
    session->info = png_create_info_struct(session->png);
    if (session->info == nullptr) return kImageFileBadData;
    png_init_io(session->png, session->file);
    png_set_sig_bytes(session->png, sizeof signature);
    return kImageFileOk;
}

int ReadPngHeader(png_structp png, png_infop info, ImageFileDescSt* desc) {
    if (setjmp(png_jmpbuf(png))) return kImageFileBadData;
    png_read_info(png, info);
    desc->width = png_get_image_width(png, info);
    desc->height = png_get_image_height(png, info);
    desc->bitsPerPixel = static_cast<uint32_t>(png_get_channels(png, info)) * png_get_bit_depth(png, info);
    return kImageFileOk;
}

// Asks libpng for 8-bit blue, green, red rows whatever the file holds.
void RequestBgr8(png_structp png, png_infop info) {
    const png_byte colourType = png_get_color_type(png, info);
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_expand_gray_1_2_4_to_8(png);
        png_set_gray_to_rgb(png);
    }
    png_set_scale_16(png);
    png_set_strip_alpha(png);
    png_set_bgr(png);
}

// Rows arrive top row first; the storage holds the bottom row first.  An
// interlaced file comes in several passes over the same rows.
int ReadPngRows(png_structp png, png_infop info, const ImageFileDescSt& desc, ImageFileProgressFunc progress) {
    if (setjmp(png_jmpbuf(png))) return kImageFileBadData;
    png_read_info(png, info);
    if (!ImageFile_DescMatches24(desc, png_get_image_width(png, info), png_get_image_height(png, info)))
        return kImageFileBadData;
    RequestBgr8(png, info);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(desc.width) * 3) return kImageFileBadData;
    for (int pass = 0; pass < passes; ++pass) {
        for (uint32_t row = 0; row < desc.height; ++row) {
            png_read_row(png, ImageFile_DescRow(desc, desc.height - 1 - row), nullptr);
            if (pass == passes - 1) ImageFile_ReportRow(progress, row, desc.height);
        }
    }
    png_read_end(png, nullptr);
    return kImageFileOk;
}

struct PngWriteSession {
    png_structp png = nullptr;
    png_infop info = nullptr;

    ~PngWriteSession() {
        if (png != nullptr) png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
    }
};

int WritePngRows(png_structp png, png_infop info, FILE* file, const ImageFileDescSt& desc,
                 ImageFileProgressFunc progress) {
    if (setjmp(png_jmpbuf(png))) return kImageFileBadData;
    png_init_io(png, file);
    png_set_IHDR(png, info, desc.width, desc.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    for (uint32_t row = 0; row < desc.height; ++row) {
        png_write_row(png, ImageFile_DescRow(desc, desc.height - 1 - row));
        ImageFile_ReportRow(progress, row, desc.height);
    }
    png_write_end(png, info);
    return kImageFileOk;
}

// Rows of the stored picture, each with its filter byte, cannot be more than
// what deflate can make of the file's bytes.
bool FileCanHoldRows(FILE* file, const ImageFileDescSt& desc) {
    const uint64_t rowBytes = (uint64_t{desc.width} * desc.bitsPerPixel + 7) / 8 + 1;
    return ImageFile_FileCanHold(ImageFile_FileSize(::fileno(file)), rowBytes * desc.height, kImageFileDeflateRatio);
}

}  // namespace

int PngIF_Info(const char* path, ImageFileDescSt* desc) {
    PngReadSession session;
    int result = OpenPng(path, &session);
    if (result == kImageFileOk) result = ReadPngHeader(session.png, session.info, desc);
    if (result == kImageFileOk && !FileCanHoldRows(session.file, *desc)) return kImageFileBadData;
    return result;
}

int PngIF_Read(const char* path, ImageFileWorkSt* work) {
    PngReadSession session;
    const int result = OpenPng(path, &session);
    if (result != kImageFileOk) return result;
    return ReadPngRows(session.png, session.info, work->image, work->progress);
}

int PngIF_Write(const char* path, ImageFileWorkSt* work) {
    const ImageFileDescSt& desc = work->image;
    if (!ImageFile_DescMatches24(desc, desc.width, desc.height)) return kImageFileBadData;
    SafeFileWriter writer(path);
    FILE* file = writer.Stream();
    if (file == nullptr) return kImageFileCannotOpen;
    PngWriteSession session;
    session.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    if (session.png == nullptr) return kImageFileBadData;
    session.info = png_create_info_struct(session.png);
    if (session.info == nullptr) return kImageFileBadData;
    if (WritePngRows(session.png, session.info, file, desc, work->progress) != kImageFileOk) return kImageFileBadData;
    return writer.Commit() ? kImageFileOk : kImageFileBadData;
}
