#include "BmpIF.h"

#include <array>
#include <bit>
#include <cstdio>
#include <cstring>
#include <vector>

#include "ImageFileDesc.h"
#include "SafeFileWriter.h"

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kBitfields = 3;        // colour masks give each channel's bits
constexpr uint32_t kAlphaBitfields = 6;   // the same with an alpha mask

struct BmpHeaderSt {
    uint32_t headerSize = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitsPerPixel = 0;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
    uint32_t pixelOffset = 0;
    uint32_t masks[3] = {};   // red, green, blue, for a masked file
    uint32_t maskBytes = 0;   // masks stored after a 40-byte header

    // 16- and 32-bit pixels whose channels the masks place.
    bool IsMasked() const {
        return (compression == kBitfields || compression == kAlphaBitfields) &&
               (bitsPerPixel == 16 || bitsPerPixel == 32);
    }
    // Masked files load as 24-bit bitmaps; all others at their own depth.
    uint32_t LoadedDepth() const { return IsMasked() ? 24u : bitsPerPixel; }
    // Where the palette ends and, unless the header says otherwise, the rows start.
    uint64_t PaletteEnd(uint64_t paletteEntries) const {
        return kFileHeaderSize + headerSize + maskBytes + paletteEntries * 4;
    }
};

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
void Put16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

// Closes the file on every path out of a reader.
struct FileCloser {
    FILE* file;
    ~FileCloser() {
        if (file != nullptr) std::fclose(file);
    }
};

bool ReadExactly(FILE* file, void* buffer, uint64_t size) {
    return std::fread(buffer, 1, size, file) == size;
}

bool SkipExactly(FILE* file, uint64_t size) {
    std::array<uint8_t, 4096> scratch;
    while (size > 0) {
        const uint64_t chunk = size < scratch.size() ? size : scratch.size();
        if (!ReadExactly(file, scratch.data(), chunk)) return false;
        size -= chunk;
    }
    return true;
}

// Information headers of 40 bytes and their longer forms, which add colour
// masks (52, 56), a colour space (108) and a rendering intent with a
// profile reference (124).
bool IsKnownHeaderSize(uint32_t size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// The file header, the information header and the colour masks; -2 unless
// they are complete and the file starts with "BM", -3 for a header of
// another kind.  The file is left at the palette.
int ReadHeaders(FILE* file, BmpHeaderSt* header) {
    uint8_t raw[kFileHeaderSize + 124];
    if (!ReadExactly(file, raw, kFileHeaderSize) || raw[0] != 'B' || raw[1] != 'M') return kImageFileBadData;
    const uint8_t* info = raw + kFileHeaderSize;
    if (!ReadExactly(file, raw + kFileHeaderSize, 4)) return kImageFileBadData;
    header->headerSize = Get32(info);
    if (!IsKnownHeaderSize(header->headerSize)) return kImageFileUnsupported;
    if (!ReadExactly(file, raw + kFileHeaderSize + 4, kImageFileInfoHeaderSize - 4)) return kImageFileBadData;
    header->pixelOffset = Get32(raw + 10);
    header->width = static_cast<int32_t>(Get32(info + 4));
    header->height = static_cast<int32_t>(Get32(info + 8));
    header->bitsPerPixel = Get16(info + 14);
    header->compression = Get32(info + 16);
    header->coloursUsed = Get32(info + 32);
    uint8_t* rest = raw + kFileHeaderSize + kImageFileInfoHeaderSize;
    if (header->headerSize == kImageFileInfoHeaderSize && header->IsMasked())
        header->maskBytes = header->compression == kAlphaBitfields ? 16 : 12;
    if (!ReadExactly(file, rest, header->headerSize - kImageFileInfoHeaderSize + header->maskBytes))
        return kImageFileBadData;
    for (int c = 0; c < 3; ++c) header->masks[c] = Get32(rest + 4 * c);
    return kImageFileOk;
}

// Palette entries stored in the file: colours used, or the depth's full palette.
uint64_t FilePaletteEntries(const BmpHeaderSt& header) {
    return header.coloursUsed != 0 ? header.coloursUsed : ImageFile_PaletteEntriesFor(header.bitsPerPixel);
}

bool IsSupportedDepth(uint32_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// A mask must be one run of set bits (an empty mask leaves its channel at 0).
bool IsContiguous(uint32_t mask) {
    if (mask == 0) return true;
    const uint32_t low = mask >> std::countr_zero(mask);
    return (low & (low + 1)) == 0;
}

// A longer header gives the rows' offset, which may leave a gap after the
// palette; the 40-byte header's rows follow the palette directly.
uint64_t RowsStart(const BmpHeaderSt& header) {
    const uint64_t paletteEnd = header.PaletteEnd(FilePaletteEntries(header));
    return header.headerSize > kImageFileInfoHeaderSize && header.pixelOffset > paletteEnd ? header.pixelOffset
                                                                                           : paletteEnd;
}

// Bottom-up, uncompressed or masked files of a known depth are read; other
// kinds are refused with -3.  Headers that claim more rows than the file
// holds are refused with -2 before any memory is set aside for them.
int CheckHeaders(const BmpHeaderSt& header, uint64_t fileSize) {
    if (header.width < 1 || header.height == 0 || !IsSupportedDepth(header.bitsPerPixel)) return kImageFileBadData;
    if (header.height < 0 || (header.compression != 0 && !header.IsMasked())) return kImageFileUnsupported;
    for (uint32_t mask : header.masks)
        if (header.IsMasked() && !IsContiguous(mask)) return kImageFileBadData;
    if (!ImageFile_FitsBitmap(header.width, header.height, header.LoadedDepth())) return kImageFileBadData;
    const uint64_t needed = RowsStart(header) + ImageFile_Stride(header.bitsPerPixel, header.width) * header.height;
    return fileSize >= needed ? kImageFileOk : kImageFileBadData;
}

int OpenAndCheck(const char* path, FileCloser* closer, BmpHeaderSt* header) {
    closer->file = std::fopen(path, "rb");
    if (closer->file == nullptr) return kImageFileCannotOpen;
    const int result = ReadHeaders(closer->file, header);
    if (result != kImageFileOk) return result;
    return CheckHeaders(*header, ImageFile_FileSize(::fileno(closer->file)));
}

bool MatchesTarget(const BmpHeaderSt& header, const ImageFileDescSt& desc) {
    return ImageFile_DescIsUsable(desc) && desc.width == static_cast<uint32_t>(header.width) &&
           desc.height == static_cast<uint32_t>(header.height) && desc.bitsPerPixel == header.LoadedDepth();
}

// The palette goes into the bitmap's palette area.  Entries the area has no
// room for (a 24-bit file's optimisation hint, a colour count beyond the
// depth) are skipped, and so is any gap before the rows.
bool ReadPalette(FILE* file, const BmpHeaderSt& header, const ImageFileDescSt& desc) {
    const uint64_t entries = FilePaletteEntries(header);
    const uint64_t kept = entries < desc.paletteEntries ? entries : desc.paletteEntries;
    const uint64_t gap = RowsStart(header) - header.PaletteEnd(entries);
    return ReadExactly(file, ImageFile_DescPalette(desc), kept * 4) && SkipExactly(file, (entries - kept) * 4 + gap);
}

// One channel of a masked pixel, widened or narrowed to 8 bits.
struct ChannelSt {
    uint32_t mask = 0;
    int shift = 0;
    uint64_t maximum = 0;

    explicit ChannelSt(uint32_t m) : mask(m) {
        if (mask == 0) return;
        shift = std::countr_zero(mask);
        maximum = mask >> shift;
    }
    uint8_t Of(uint32_t pixel) const {
        return mask == 0 ? 0 : static_cast<uint8_t>(((pixel & mask) >> shift) * 255 / maximum);
    }
};

// A row of 16- or 32-bit masked pixels into blue, green, red.
void UnmaskRow(const uint8_t* in, uint8_t* out, const BmpHeaderSt& header, const ChannelSt (&channels)[3]) {
    const uint32_t step = header.bitsPerPixel / 8;
    for (int32_t x = 0; x < header.width; ++x, in += step, out += 3) {
        const uint32_t pixel = step == 2 ? Get16(in) : Get32(in);
        out[0] = channels[2].Of(pixel);
        out[1] = channels[1].Of(pixel);
        out[2] = channels[0].Of(pixel);
    }
}

int ReadMaskedRows(FILE* file, const BmpHeaderSt& header, const ImageFileDescSt& desc,
                   ImageFileProgressFunc progress) {
    const ChannelSt channels[3] = {ChannelSt(header.masks[0]), ChannelSt(header.masks[1]), ChannelSt(header.masks[2])};
    std::vector<uint8_t> row(ImageFile_Stride(header.bitsPerPixel, header.width));
    for (uint32_t line = 0; line < desc.height; ++line) {
        if (!ReadExactly(file, row.data(), row.size())) return kImageFileBadData;
        UnmaskRow(row.data(), ImageFile_DescRow(desc, line), header, channels);
        ImageFile_ReportRow(progress, line, desc.height);
    }
    return kImageFileOk;
}

int ReadRows(FILE* file, const ImageFileDescSt& desc, ImageFileProgressFunc progress) {
    for (uint32_t line = 0; line < desc.height; ++line) {
        if (!ReadExactly(file, ImageFile_DescRow(desc, line), desc.bytesPerRow)) return kImageFileBadData;
        ImageFile_ReportRow(progress, line, desc.height);
    }
    return kImageFileOk;
}

int ReadBody(const char* path, FileCloser* closer, ImageFileWorkSt* work) {
    BmpHeaderSt header;
    const int result = OpenAndCheck(path, closer, &header);
    if (result != kImageFileOk) return result;
    if (!MatchesTarget(header, work->image)) return kImageFileBadData;
    if (!ReadPalette(closer->file, header, work->image)) return kImageFileBadData;
    if (header.IsMasked()) return ReadMaskedRows(closer->file, header, work->image, work->progress);
    return ReadRows(closer->file, work->image, work->progress);
}

bool WriteExactly(FILE* file, const void* data, uint64_t size) {
    return std::fwrite(data, 1, size, file) == size;
}

bool WriteFileHeader(FILE* file, const ImageFileDescSt& desc) {
    uint8_t raw[kFileHeaderSize] = {'B', 'M'};
    const uint32_t pixelOffset = kFileHeaderSize + kImageFileInfoHeaderSize + desc.paletteSize;
    Put32(raw + 2, pixelOffset + desc.pixelSize);
    Put32(raw + 6, 0);
    Put32(raw + 10, pixelOffset);
    return WriteExactly(file, raw, sizeof raw);
}

int WriteBody(FILE* file, const ImageFileDescSt& desc, ImageFileProgressFunc progress) {
    const uint8_t* head = ImageFile_DescPalette(desc) - kImageFileInfoHeaderSize;
    if (!WriteFileHeader(file, desc) || !WriteExactly(file, head, kImageFileInfoHeaderSize + desc.paletteSize))
        return kImageFileBadData;
    for (uint32_t line = 0; line < desc.height; ++line) {
        if (!WriteExactly(file, ImageFile_DescRow(desc, line), desc.bytesPerRow)) return kImageFileBadData;
        ImageFile_ReportRow(progress, line, desc.height);
    }
    return kImageFileOk;
}

void ReportDone(ImageFileProgressFunc progress) {
    if (progress != nullptr) progress(0);
}

}  // namespace

int BmpIF_Info(const char* path, ImageFileDescSt* desc) {
    FileCloser closer{nullptr};
    BmpHeaderSt header;
    const int result = OpenAndCheck(path, &closer, &header);
    if (result != kImageFileOk) return result;
    desc->width = static_cast<uint32_t>(header.width);
    desc->height = static_cast<uint32_t>(header.height);
    desc->bitsPerPixel = header.LoadedDepth();
    return kImageFileOk;
}

int BmpIF_Read(const char* path, ImageFileWorkSt* work) {
    int result;
    {
        FileCloser closer{nullptr};
        result = ReadBody(path, &closer, work);
        if (closer.file == nullptr) return result;
    }
    ReportDone(work->progress);
    return result;
}

int BmpIF_Write(const char* path, ImageFileWorkSt* work) {
    const ImageFileDescSt& desc = work->image;
    if (!ImageFile_DescIsUsable(desc)) return kImageFileBadData;
    SafeFileWriter writer(path);
    FILE* file = writer.Stream();
    if (file == nullptr) return kImageFileCannotOpen;
    int result = WriteBody(file, desc, work->progress);
    if (result == kImageFileOk && !writer.Commit()) result = kImageFileBadData;
    ReportDone(work->progress);
    return result;
}
