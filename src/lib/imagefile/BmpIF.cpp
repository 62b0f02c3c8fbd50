#include "BmpIF.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "ImageFileDesc.h"
#include "SafeFileWriter.h"

namespace {

constexpr uint32_t kFileHeaderSize = 14;

struct BmpHeaderSt {
    uint32_t headerSize = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitsPerPixel = 0;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
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

// The file header and the information header; -2 unless both are complete
// and the file starts with "BM".
int ReadHeaders(FILE* file, BmpHeaderSt* header) {
    uint8_t raw[kFileHeaderSize + kImageFileInfoHeaderSize];
    if (!ReadExactly(file, raw, kFileHeaderSize) || raw[0] != 'B' || raw[1] != 'M') return kImageFileBadData;
    if (!ReadExactly(file, raw + kFileHeaderSize, kImageFileInfoHeaderSize)) return kImageFileBadData;
    const uint8_t* info = raw + kFileHeaderSize;
    header->headerSize = Get32(info);
    header->width = static_cast<int32_t>(Get32(info + 4));
    header->height = static_cast<int32_t>(Get32(info + 8));
    header->bitsPerPixel = Get16(info + 14);
    header->compression = Get32(info + 16);
    header->coloursUsed = Get32(info + 32);
    return kImageFileOk;
}

// Palette entries stored in the file: colours used, or the depth's full palette.
uint64_t FilePaletteEntries(const BmpHeaderSt& header) {
    return header.coloursUsed != 0 ? header.coloursUsed : ImageFile_PaletteEntriesFor(header.bitsPerPixel);
}

bool IsSupportedDepth(uint32_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

uint64_t FileSize(FILE* file) {
    struct stat status {};
    if (::fstat(::fileno(file), &status) != 0 || status.st_size < 0) return 0;
    return static_cast<uint64_t>(status.st_size);
}

// Only plain files are read: 40-byte header, positive width and height
// (bottom-up rows), a known depth, no compression, and a file long enough
// for the palette and all rows.
// The last test refuses headers that claim more pixels than the file holds
// before any memory is set aside for them.
int CheckHeaders(const BmpHeaderSt& header, uint64_t fileSize) {
    if (header.headerSize != kImageFileInfoHeaderSize || header.compression != 0) return kImageFileBadData;
    if (header.width < 1 || header.height < 1 || !IsSupportedDepth(header.bitsPerPixel)) return kImageFileBadData;
    if (!ImageFile_FitsBitmap(header.width, header.height, header.bitsPerPixel)) return kImageFileBadData;
    const uint64_t paletteEntries = FilePaletteEntries(header);
    const uint64_t needed = kFileHeaderSize + kImageFileInfoHeaderSize + paletteEntries * 4 +
                            ImageFile_Stride(header.bitsPerPixel, header.width) * header.height;
    return fileSize >= needed ? kImageFileOk : kImageFileBadData;
}

int OpenAndCheck(const char* path, FileCloser* closer, BmpHeaderSt* header) {
    closer->file = std::fopen(path, "rb");
    if (closer->file == nullptr) return kImageFileCannotOpen;
    const int result = ReadHeaders(closer->file, header);
    if (result != kImageFileOk) return result;
    return CheckHeaders(*header, FileSize(closer->file));
}

bool MatchesTarget(const BmpHeaderSt& header, const ImageFileDescSt& desc) {
    return ImageFile_DescIsUsable(desc) && desc.width == static_cast<uint32_t>(header.width) &&
           desc.height == static_cast<uint32_t>(header.height) && desc.bitsPerPixel == header.bitsPerPixel &&
           desc.bytesPerRow == ImageFile_Stride(header.bitsPerPixel, header.width);
}

// The palette goes into the bitmap's palette area.  Entries the area has no
// room for (a 24-bit file's optimisation hint, a colour count beyond the
// depth) are skipped, so the rows are still taken directly behind them.
bool ReadPalette(FILE* file, const BmpHeaderSt& header, const ImageFileDescSt& desc) {
    const uint64_t entries = FilePaletteEntries(header);
    const uint64_t kept = entries < desc.paletteEntries ? entries : desc.paletteEntries;
    return ReadExactly(file, ImageFile_DescPalette(desc), kept * 4) && SkipExactly(file, (entries - kept) * 4);
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
    desc->bitsPerPixel = header.bitsPerPixel;
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
