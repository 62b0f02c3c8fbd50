#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <vector>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>
#include <jerror.h>

#include "CodecIF.h"
#include "ImageFileDesc.h"
#include "SafeFileWriter.h"

// libjpeg reports fatal errors through error_exit, which here jumps back to
// the function that set the jump point.  Those functions keep only trivially
// destructible locals; the decompressor, compressor and file are owned by the
// RAII sessions of their callers.  Messages are never printed.

namespace {

struct JpegErrorSt {
    jpeg_error_mgr manager;   // first, so the library's pointer is ours too
    jmp_buf jump;
    bool damaged = false;     // a warning said the picture data is broken
};

[[noreturn]] void OnJpegError(j_common_ptr cinfo) {
    longjmp(reinterpret_cast<JpegErrorSt*>(cinfo->err)->jump, 1);
}

// Warnings (level -1) that mean part of the picture was made up by the
// decoder: a truncated file or a broken data segment.  Such a file fails.
void OnJpegMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;
    auto* error = reinterpret_cast<JpegErrorSt*>(cinfo->err);
    const int code = error->manager.msg_code;
    if (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || code == JWRN_MUST_RESYNC || code == JWRN_HUFF_BAD_CODE)
        error->damaged = true;
}

void Silent(j_common_ptr) {}

void InstallErrorHandler(JpegErrorSt* error) {
    jpeg_std_error(&error->manager);
    error->manager.error_exit = OnJpegError;
    error->manager.emit_message = OnJpegMessage;
    error->manager.output_message = Silent;
}

struct JpegReadSession {
    FILE* file = nullptr;
    JpegErrorSt error;
    jpeg_decompress_struct cinfo{};
    std::vector<uint8_t> inkRow;   // one row of CMYK samples

    ~JpegReadSession() {
        jpeg_destroy_decompress(&cinfo);
        if (file != nullptr) std::fclose(file);
    }
};

// Errors that name a kind of JPEG file the library does not decode, rather
// than a broken one.
int FailureOf(const JpegErrorSt& error) {
    const int code = error.manager.msg_code;
    return code == JERR_SOF_UNSUPPORTED || code == JERR_BAD_PRECISION || code == JERR_ARITH_NOTIMPL ||
                   code == JERR_NOT_COMPILED
               ? kImageFileUnsupported
               : kImageFileBadData;
}

int StartReading(JpegReadSession* session) {
    jpeg_decompress_struct* cinfo = &session->cinfo;
    if (setjmp(session->error.jump)) return FailureOf(session->error);
    jpeg_create_decompress(cinfo);
    jpeg_stdio_src(cinfo, session->file);
    jpeg_read_header(cinfo, TRUE);
    return kImageFileOk;
}

// Sequential Huffman-coded data spends at least two bits on every block of
// every MCU (a DC code and an end-of-block code), so the file bounds the
// MCU count.  Progressive and arithmetic-coded files have no such bound.
bool FileCanHoldMcus(const JpegReadSession& session) {
    const jpeg_decompress_struct& cinfo = session.cinfo;
    if (cinfo.progressive_mode || cinfo.arith_code) return true;
    int across = 1, down = 1;
    for (int c = 0; c < cinfo.num_components; ++c) {
        across = std::max(across, cinfo.comp_info[c].h_samp_factor);
        down = std::max(down, cinfo.comp_info[c].v_samp_factor);
    }
    const uint64_t mcus = (uint64_t{cinfo.image_width} + 8 * across - 1) / (8 * across) *
                          ((uint64_t{cinfo.image_height} + 8 * down - 1) / (8 * down));
    return ImageFile_FileCanHold(ImageFile_FileSize(::fileno(session.file)), mcus, 4);
}

int OpenJpeg(const char* path, JpegReadSession* session) {
    session->file = std::fopen(path, "rb");
    if (session->file == nullptr) return kImageFileCannotOpen;
    InstallErrorHandler(&session->error);
    session->cinfo.err = &session->error.manager;
    const int result = StartReading(session);
    if (result != kImageFileOk) return result;
    return FileCanHoldMcus(*session) ? kImageFileOk : kImageFileBadData;
}

bool HasRgbConversion(J_COLOR_SPACE space) {
    return space == JCS_GRAYSCALE || space == JCS_YCbCr || space == JCS_RGB;
}

bool IsInk(J_COLOR_SPACE space) { return space == JCS_CMYK || space == JCS_YCCK; }

// Cyan, magenta, yellow and black samples to blue, green, red: each colour is
// what its ink and the black ink leave of white.  Files that carry the
// Adobe marker store the samples inverted (255 = no ink).
void InkToBgr(const uint8_t* ink, uint8_t* bgr, uint32_t width, bool inverted) {
    for (uint32_t x = 0; x < width; ++x, ink += 4, bgr += 3) {
        const uint32_t k = inverted ? ink[3] : 255u - ink[3];
        for (int c = 0; c < 3; ++c) {
            const uint32_t left = inverted ? ink[c] : 255u - ink[c];
            bgr[2 - c] = static_cast<uint8_t>(left * k / 255);
        }
    }
}

void ReadInkRow(JpegReadSession* session, uint8_t* bgr) {
    jpeg_decompress_struct* cinfo = &session->cinfo;
    JSAMPROW line = session->inkRow.data();
    jpeg_read_scanlines(cinfo, &line, 1);
    InkToBgr(line, bgr, cinfo->output_width, cinfo->saw_Adobe_marker);
}

int DecodeRows(JpegReadSession* session, const ImageFileDescSt& desc, ImageFileProgressFunc progress) {
    jpeg_decompress_struct* cinfo = &session->cinfo;
    if (setjmp(session->error.jump)) return kImageFileBadData;
    const bool ink = IsInk(cinfo->jpeg_color_space);
    if (!ink && !HasRgbConversion(cinfo->jpeg_color_space)) return kImageFileUnsupported;
    if (!ImageFile_DescMatches24(desc, cinfo->image_width, cinfo->image_height)) return kImageFileBadData;
    cinfo->out_color_space = ink ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_start_decompress(cinfo);
    if (cinfo->output_width != desc.width || cinfo->output_height != desc.height ||
        cinfo->output_components != (ink ? 4 : 3))
        return kImageFileBadData;
    if (ink) session->inkRow.resize(std::size_t{desc.width} * 4);
    while (cinfo->output_scanline < cinfo->output_height) {
        const uint32_t row = cinfo->output_scanline;
        JSAMPROW line = ImageFile_DescRow(desc, desc.height - 1 - row);
        if (ink) ReadInkRow(session, line);
        else jpeg_read_scanlines(cinfo, &line, 1);
        ImageFile_ReportRow(progress, row, desc.height);
    }
    jpeg_finish_decompress(cinfo);
    return session->error.damaged ? kImageFileBadData : kImageFileOk;
}

struct JpegWriteSession {
    JpegErrorSt error;
    jpeg_compress_struct cinfo{};

    ~JpegWriteSession() { jpeg_destroy_compress(&cinfo); }
};

int EncodeRows(JpegWriteSession* session, FILE* file, const ImageFileDescSt& desc, ImageFileProgressFunc progress) {
    jpeg_compress_struct* cinfo = &session->cinfo;
    InstallErrorHandler(&session->error);
    cinfo->err = &session->error.manager;
    if (setjmp(session->error.jump)) return kImageFileBadData;
    jpeg_create_compress(cinfo);
    jpeg_stdio_dest(cinfo, file);
    cinfo->image_width = desc.width;
    cinfo->image_height = desc.height;
    cinfo->input_components = 3;
    cinfo->in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(cinfo);
    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height) {
        const uint32_t row = cinfo->next_scanline;
        JSAMPROW line = ImageFile_DescRow(desc, desc.height - 1 - row);
        jpeg_write_scanlines(cinfo, &line, 1);
        ImageFile_ReportRow(progress, row, desc.height);
    }
    jpeg_finish_compress(cinfo);
    return kImageFileOk;
}

}  // namespace

int JpegIF_Info(const char* path, ImageFileDescSt* desc) {
    JpegReadSession session;
    const int result = OpenJpeg(path, &session);
    if (result != kImageFileOk) return result;
    desc->width = session.cinfo.image_width;
    desc->height = session.cinfo.image_height;
    desc->bitsPerPixel = static_cast<uint32_t>(session.cinfo.num_components * session.cinfo.data_precision);
    return kImageFileOk;
}

int JpegIF_Read(const char* path, ImageFileWorkSt* work) {
    JpegReadSession session;
    const int result = OpenJpeg(path, &session);
    if (result != kImageFileOk) return result;
    return DecodeRows(&session, work->image, work->progress);
}

int JpegIF_Write(const char* path, ImageFileWorkSt* work) {
    const ImageFileDescSt& desc = work->image;
    if (!ImageFile_DescMatches24(desc, desc.width, desc.height)) return kImageFileBadData;
    SafeFileWriter writer(path);
    FILE* file = writer.Stream();
    if (file == nullptr) return kImageFileCannotOpen;
    JpegWriteSession session;
    if (EncodeRows(&session, file, desc, work->progress) != kImageFileOk) return kImageFileBadData;
    return writer.Commit() ? kImageFileOk : kImageFileBadData;
}
