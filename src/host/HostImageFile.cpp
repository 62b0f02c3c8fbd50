#include "HostImageFile.h"

#include <unistd.h>

#include <atomic>
#include <filesystem>

#include "DibEx.h"
#include "HostTiffAlpha.h"
#include "ImageFile.h"
#include "ImageFileUtilities.h"
#include "RgbaPng.h"

namespace {

constexpr uint32_t kLargestSide = 32767;

// A 24-bit bitmap (bottom-up, blue green red) and an optional 8-bit alpha
// bitmap into an interleaved top-down image.
HostImageSt ImageFromBitmaps(DibEx& colour, DibEx* alpha) {
    const int32_t width = colour.GetWidth();
    const int32_t height = colour.GetHeight();
    HostImageSt image = HostImage_Make(width, height, alpha != nullptr ? 4 : 3);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* c = colour.CommitLine(height - 1 - y);
        const uint8_t* a = alpha != nullptr ? alpha->CommitLine(height - 1 - y) : nullptr;
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* pixel = image.Pixel(x, y);
            pixel[0] = c[x * 3 + 2];
            pixel[1] = c[x * 3 + 1];
            pixel[2] = c[x * 3];
            if (a != nullptr) pixel[3] = a[x];
        }
    }
    return image;
}

// The colour planes into a 24-bit bitmap and, when the image has one and
// alpha is given, the transparency plane into an 8-bit bitmap.
void BitmapsFromImage(const HostImageSt& image, DibEx& colour, DibEx* alpha) {
    colour.Setup(image.width, image.height, 24);
    if (alpha != nullptr) alpha->Setup(image.width, image.height, 8);
    for (int32_t y = 0; y < image.height; ++y) {
        uint8_t* c = colour.CommitLine(image.height - 1 - y);
        uint8_t* a = alpha != nullptr ? alpha->CommitLine(image.height - 1 - y) : nullptr;
        for (int32_t x = 0; x < image.width; ++x) {
            const uint8_t* pixel = image.Pixel(x, y);
            c[x * 3] = pixel[2];
            c[x * 3 + 1] = pixel[1];
            c[x * 3 + 2] = pixel[0];
            if (a != nullptr) a[x] = image.planes == 4 ? pixel[3] : 255;
        }
    }
}

bool LoadPng(const std::string& path, HostImageSt& image) {
    DibEx colour, alpha;
    bool hasAlpha = false;
    if (!RgbaPng_Load(path, &colour, &alpha, &hasAlpha)) return false;
    image = ImageFromBitmaps(colour, hasAlpha ? &alpha : nullptr);
    return true;
}

bool LoadColourOnly(const std::string& path, HostImageSt& image) {
    DibEx colour;
    if (!ImageFile_Load(nullptr, path.c_str(), &colour, nullptr, nullptr, 1) || !colour.IsValid()) return false;
    image = ImageFromBitmaps(colour, nullptr);
    return true;
}

bool LoadByType(const std::string& path, int type, HostImageSt& image) {
    if (type == kImageFilePng) return LoadPng(path, image);
    if (type == kImageFileTiff && HostTiff_HasAlpha(path) == 1) return HostTiff_LoadRgba(path, image) == 1;
    return LoadColourOnly(path, image);
}

bool WriteByType(const std::string& path, int type, const HostImageSt& image) {
    if (type == kImageFileTiff && image.planes == 4) return HostTiff_SaveRgba(path, image) == 1;
    DibEx colour, alpha;
    const bool keepsAlpha = type == kImageFilePng && image.planes == 4;
    BitmapsFromImage(image, colour, keepsAlpha ? &alpha : nullptr);
    if (type == kImageFilePng) return RgbaPng_Save(path, &colour, keepsAlpha ? &alpha : nullptr) == 1;
    return ImageFile_Save(nullptr, path.c_str(), &colour, nullptr, nullptr, 0, 0) == 1;
}

// A fresh name in path's folder with path's extension, which selects the
// format of the writers.
std::string TemporaryNameFor(const std::filesystem::path& path) {
    static std::atomic<unsigned> counter{0};
    const std::string name = ".morvanel-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    return (path.parent_path() / (name + path.extension().string())).string();
}

}  // namespace

bool HostImage_Load(const std::string& path, HostImageSt& image, std::string& error) {
    const int type = ImageFile_Type(path.c_str());
    if (type == kImageFileUnknown) {
        error = path + ": unknown image format (use .png, .jpg, .jpeg, .tif, .tiff or .bmp)";
        return false;
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        error = "cannot read " + path + ": no such file";
        return false;
    }
    // The header first: a broken file or a huge size is refused before any
    // pixel memory is taken.
    ImageFileWorkSt info;
    if (ImageFile_Info(path.c_str(), &info) != kImageFileOk) {
        error = "cannot read " + path + ": not a readable image of its format";
        return false;
    }
    if (info.image.width > kLargestSide || info.image.height > kLargestSide) {
        error = path + ": the image is larger than 32767 pixels in one direction";
        return false;
    }
    HostImageSt loaded;
    if (!LoadByType(path, type, loaded)) {
        error = "cannot read " + path + ": not a readable image of its format";
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

bool HostImage_IsWritable(const std::string& path) { return ImageFile_Type(path.c_str()) != kImageFileUnknown; }

bool HostImage_Save(const std::string& path, const HostImageSt& image, std::string& error) {
    const int type = ImageFile_Type(path.c_str());
    if (type == kImageFileUnknown) {
        error = path + ": unknown image format (use .png, .jpg, .jpeg, .tif, .tiff or .bmp)";
        return false;
    }
    const std::string temporary = TemporaryNameFor(path);
    std::error_code ec;
    const bool written = WriteByType(temporary, type, image);
    if (written) std::filesystem::rename(temporary, path, ec);
    if (!written || ec) {
        std::filesystem::remove(temporary, ec);
        error = "cannot write " + path;
        return false;
    }
    return true;
}
