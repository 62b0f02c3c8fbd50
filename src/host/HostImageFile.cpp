#include "HostImageFile.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

#include "DibEx.h"
#include "HostTiffAlpha.h"
#include "ImageFile.h"
#include "ImageFileUtilities.h"
#include "RgbaPng.h"
#include "SafeFileWriter.h"

namespace {

constexpr uint32_t kLargestSide = 32767;

// The most memory a run takes per pixel of its image: the decoded file, the
// host's copy, the plug-in's bitmaps and the engine's work images (every
// shipped style peaks below this on a 6-megapixel layer).
constexpr uint64_t kRunBytesPerPixel = 20;

// A 24-bit bitmap (bottom-up, blue green red) into an interleaved top-down
// RGB image.
HostImageSt ImageFromBitmap(DibEx& colour) {
    const int32_t width = colour.GetWidth();
    const int32_t height = colour.GetHeight();
    HostImageSt image = HostImage_Make(width, height, 3);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* c = colour.CommitLine(height - 1 - y);
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* pixel = image.Pixel(x, y);
            pixel[0] = c[x * 3 + 2];
            pixel[1] = c[x * 3 + 1];
            pixel[2] = c[x * 3];
        }
    }
    return image;
}

// The colour planes into a 24-bit bitmap.
void BitmapFromImage(const HostImageSt& image, DibEx& colour) {
    colour.Setup(image.width, image.height, 24);
    for (int32_t y = 0; y < image.height; ++y) {
        uint8_t* c = colour.CommitLine(image.height - 1 - y);
        for (int32_t x = 0; x < image.width; ++x) {
            const uint8_t* pixel = image.Pixel(x, y);
            c[x * 3] = pixel[2];
            c[x * 3 + 1] = pixel[1];
            c[x * 3 + 2] = pixel[0];
        }
    }
}

const char* FormatName(int type) {
    switch (type) {
        case kImageFileBmp: return "BMP";
        case kImageFileJpeg: return "JPEG";
        case kImageFileTiff: return "TIFF";
        default: return "PNG";
    }
}

// Why the path cannot be opened as a file, or "" when it can.
std::string AccessProblem(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return "no such file";
        if (errno == EACCES) return "permission denied";
        return std::strerror(errno);
    }
    if (!S_ISREG(status.st_mode)) return "not a regular file";
    if (::access(path.c_str(), R_OK) != 0) return "permission denied";
    return "";
}

std::string ContentProblem(int code, int type) {
    const std::string format = FormatName(type);
    if (code == kImageFileCannotOpen) return "the file cannot be opened";
    if (code == kImageFileUnsupported) return "a kind of " + format + " file that morvanel does not read";
    return "a damaged " + format + " file (cut short, corrupt, or claiming more pixels than it holds)";
}

// The "Name: value kB" line of /proc/meminfo, in bytes (0 when absent).
uint64_t MemInfoValue(const std::string& name) {
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    uint64_t kilobytes = 0;
    std::string unit;
    while (meminfo >> key >> kilobytes) {
        std::getline(meminfo, unit);
        if (key == name + ":") return kilobytes * 1024;
    }
    return 0;
}

// What this process's address-space and data limits still allow.
uint64_t LimitLeft() {
    uint64_t left = std::numeric_limits<uint64_t>::max();
    uint64_t size = 0, resident = 0, shared = 0, text = 0, library = 0, data = 0;
    std::ifstream("/proc/self/statm") >> size >> resident >> shared >> text >> library >> data;
    const uint64_t page = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
    const struct {
        int resource;
        uint64_t used;
    } limits[] = {{RLIMIT_AS, size * page}, {RLIMIT_DATA, data * page}};
    for (const auto& limit : limits) {
        struct rlimit value {};
        if (::getrlimit(limit.resource, &value) != 0 || value.rlim_cur == RLIM_INFINITY) continue;
        left = std::min<uint64_t>(left, value.rlim_cur > limit.used ? value.rlim_cur - limit.used : 0);
    }
    return left;
}

// Memory the run can still take: what the system has available (memory
// and swap) within this process's limits.
uint64_t AvailableMemory() {
    const uint64_t system = MemInfoValue("MemAvailable") + MemInfoValue("SwapFree");
    return std::min(system != 0 ? system : std::numeric_limits<uint64_t>::max(), LimitLeft());
}

// The header's size against the host's limits and the memory at hand.
std::string SizeProblem(uint32_t width, uint32_t height) {
    if (width > kLargestSide || height > kLargestSide) return "the image is larger than 32767 pixels in one direction";
    const uint64_t needed = uint64_t{width} * height * kRunBytesPerPixel;
    const uint64_t available = AvailableMemory();
    if (needed <= available) return "";
    return "not enough memory for a " + std::to_string(width) + "x" + std::to_string(height) + " image (it needs about " +
           std::to_string(needed >> 20) + " MB, " + std::to_string(available >> 20) + " MB are available)";
}

// The decoder writes the rows straight into the image.
bool LoadPng(const std::string& path, HostImageSt& image) {
    RgbaPngPixelsSt png;
    if (!RgbaPng_LoadPixels(path, png)) return false;
    image.width = png.width;
    image.height = png.height;
    image.planes = static_cast<int16_t>(png.planes);
    image.pixels = std::move(png.pixels);
    return true;
}

int LoadColourOnly(const std::string& path, int type, HostImageSt& image) {
    DibEx colour;
    int failure = kImageFileOk;
    if (!ImageFile(&colour).LoadAs(path.c_str(), type, 1, &failure)) return failure;
    image = ImageFromBitmap(colour);
    return kImageFileOk;
}

// The file's pixels; the result code of the reader that failed.
int LoadByType(const std::string& path, int type, HostImageSt& image) {
    if (type == kImageFilePng) return LoadPng(path, image) ? kImageFileOk : kImageFileBadData;
    if (type == kImageFileTiff && HostTiff_HasAlpha(path) == 1)
        return HostTiff_LoadRgba(path, image) == 1 ? kImageFileOk : kImageFileBadData;
    return LoadColourOnly(path, type, image);
}

// Every pixel over the background: colour x alpha + background x (255 - alpha),
// rounded; the result has 3 planes.
HostImageSt OverBackground(const HostImageSt& image, const HostBackgroundSt& background) {
    HostImageSt flat = HostImage_Make(image.width, image.height, 3);
    const uint32_t under[3] = {background.red, background.green, background.blue};
    const std::size_t pixels = std::size_t(image.width) * image.height;
    for (std::size_t i = 0; i < pixels; ++i) {
        const uint8_t* in = image.pixels.data() + i * 4;
        uint8_t* out = flat.pixels.data() + i * 3;
        const uint32_t alpha = in[3];
        for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>((in[c] * alpha + under[c] * (255 - alpha) + 127) / 255);
    }
    return flat;
}

// The type the path's extension names, compared in any case.
int OutputType(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return kImageFileUnknown;
    std::string extension = path.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ImageFile_Type(extension.c_str());
}

bool WriteByType(const std::string& path, int type, const HostImageSt& image, const HostBackgroundSt& background) {
    if (image.planes == 4 && (type == kImageFileJpeg || type == kImageFileBmp) && !background.none)
        return WriteByType(path, type, OverBackground(image, background), background);
    if (type == kImageFilePng)
        return RgbaPng_SavePixels(path, image.width, image.height, image.planes, image.pixels.data()) == 1;
    if (type == kImageFileTiff && image.planes == 4) return HostTiff_SaveRgba(path, image) == 1;
    DibEx colour;
    BitmapFromImage(image, colour);
    return ImageFile(&colour).SaveAs(path.c_str(), type) == 1;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

}  // namespace

bool HostImage_Load(const std::string& path, HostImageSt& image, std::string& error) {
    const std::string problem = AccessProblem(path);
    if (!problem.empty()) {
        error = "cannot read " + path + ": " + problem;
        return false;
    }
    const int type = ImageFile_TypeOfContent(path.c_str());
    if (type == kImageFileUnknown) {
        error = "cannot read " + path + ": not an image morvanel reads (PNG, JPEG, TIFF or BMP)";
        return false;
    }
    // The header first: a broken file or a huge size is refused before any
    // pixel memory is taken.
    ImageFileWorkSt info;
    int code = ImageFile_InfoAs(type, path.c_str(), &info);
    if (code != kImageFileOk) {
        error = "cannot read " + path + ": " + ContentProblem(code, type);
        return false;
    }
    const std::string tooLarge = SizeProblem(info.image.width, info.image.height);
    if (!tooLarge.empty()) {
        error = "cannot read " + path + ": " + tooLarge;
        return false;
    }
    HostImageSt loaded;
    code = LoadByType(path, type, loaded);
    if (code != kImageFileOk) {
        error = "cannot read " + path + ": " + ContentProblem(code, type);
        return false;
    }
    image = std::move(loaded);
    return true;
}

bool HostImage_LoadSelection(const std::string& path, int32_t width, int32_t height,
                             std::vector<uint8_t>& selection, std::string& error) {
    HostImageSt grey;
    if (!HostImage_Load(path, grey, error)) return false;
    if (grey.width != width || grey.height != height) {
        error = "the selection " + path + " is " + std::to_string(grey.width) + "x" + std::to_string(grey.height) +
                ", the image " + std::to_string(width) + "x" + std::to_string(height);
        return false;
    }
    selection.resize(std::size_t(width) * height);
    for (std::size_t i = 0; i < selection.size(); ++i) {
        const uint8_t* pixel = grey.pixels.data() + i * grey.planes;
        selection[i] = static_cast<uint8_t>((pixel[0] * 299 + pixel[1] * 587 + pixel[2] * 114) / 1000);
    }
    return true;
}

bool HostImage_IsWritable(const std::string& path) { return OutputType(path) != kImageFileUnknown; }

bool HostBackground_Parse(const std::string& text, HostBackgroundSt& background) {
    if (text == "none") {
        background = HostBackgroundSt{.none = true};
        return true;
    }
    if (text.size() != 7 || text[0] != '#') return false;
    uint8_t channels[3];
    for (int c = 0; c < 3; ++c) {
        const int high = HexDigit(text[1 + 2 * c]), low = HexDigit(text[2 + 2 * c]);
        if (high < 0 || low < 0) return false;
        channels[c] = static_cast<uint8_t>(high * 16 + low);
    }
    background = HostBackgroundSt{.none = false, .red = channels[0], .green = channels[1], .blue = channels[2]};
    return true;
}

bool HostImage_Save(const std::string& path, const HostImageSt& image, std::string& error,
                    const HostBackgroundSt& background) {
    const int type = OutputType(path);
    if (type == kImageFileUnknown) {
        error = path + ": unknown image format (use .png, .jpg, .jpeg, .tif, .tiff or .bmp)";
        return false;
    }
    // Every writer replaces the file the same way (SafeFileWriter); a file
    // that may not be replaced is named as such before anything is encoded.
    if (const int refusal = SafeFileWriter_CheckReplaceable(path.c_str())) {
        error = SafeFileWriter_ErrorText(path, refusal);
        return false;
    }
    if (!WriteByType(path, type, image, background)) {
        error = SafeFileWriter_Abandoned() ? SafeFileWriter_ErrorText(path, ECANCELED) : "cannot write " + path;
        return false;
    }
    return true;
}
