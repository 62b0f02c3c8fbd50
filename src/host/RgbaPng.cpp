// PNG reading and writing with an alpha channel: reading through libpng's
// simplified interface, writing row by row with our own zlib level and
// filters.  Rows of a PNG run top down; bitmap line 0 is the bottom row.
#include "RgbaPng.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "DibEx.h"
#include "SafeFileWriter.h"

namespace {

// Chosen by measuring every level and filter on rendered images
// (bench/png, morvanel_png_settings): level 5 with the Up filter alone
// writes a 4000 x 3000 render in less than half the time of libpng's
// defaults (level 6, every filter tried on every row), and its file is a few
// percent larger.  The levels below 4 write files twice as large.
constexpr int kDefaultLevel = 5;
constexpr int kDefaultFilters = PNG_FILTER_UP;

}  // namespace

int RgbaPng_Load(const std::string& path, DibEx* colour, DibEx* alpha, bool* hasAlpha) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return 0;
    if (hasAlpha != nullptr) *hasAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = PNG_FORMAT_BGRA;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return 0;
    }
    const int32_t width = static_cast<int32_t>(image.width);
    const int32_t height = static_cast<int32_t>(image.height);
    colour->Setup(width, height, 24);
    alpha->Setup(width, height, 8);
    if (!colour->IsValid() || !alpha->IsValid()) return 0;
    for (int32_t row = 0; row < height; ++row) {
        const png_byte* in = pixels.data() + static_cast<size_t>(row) * width * 4;
        uint8_t* c = colour->CommitLine(height - 1 - row);
        uint8_t* a = alpha->CommitLine(height - 1 - row);
        for (int32_t x = 0; x < width; ++x) {
            c[x * 3] = in[x * 4];
            c[x * 3 + 1] = in[x * 4 + 1];
            c[x * 3 + 2] = in[x * 4 + 2];
            a[x] = in[x * 4 + 3];
        }
    }
    return 1;
}

namespace {

// Rows come from `rowAt` one at a time, top row first.
using RowSource = const uint8_t* (*)(void* context, int32_t row);

// libpng reports errors by longjmp; nothing in this function may need a
// destructor, so the file is closed by the caller.
bool WriteRows(FILE* file, int32_t width, int32_t height, int planes, RgbaPngSpeedSt speed, RowSource rowAt,
               void* context) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 planes == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_set_compression_level(png, speed.level);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, speed.filters == 0 ? PNG_FILTER_NONE : speed.filters);
    png_write_info(png, info);
    for (int32_t row = 0; row < height; ++row) png_write_row(png, rowAt(context, row));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

// The file is replaced only when it was written completely.
bool WriteFile(const std::string& path, int32_t width, int32_t height, int planes, RgbaPngSpeedSt speed,
               RowSource rowAt, void* context) {
    if (width <= 0 || height <= 0 || (planes != 3 && planes != 4)) return false;
    SafeFileWriter writer(path.c_str());
    FILE* stream = writer.Stream();
    if (stream == nullptr || !WriteRows(stream, width, height, planes, speed, rowAt, context)) return false;
    return writer.Commit();
}

// A bottom-up colour bitmap with its alpha (or none), one RGBA (or RGB) row
// at a time.
struct BitmapRows {
    DibEx* colour;
    DibEx* alpha;
    int planes;
    std::vector<png_byte> row;

    static const uint8_t* At(void* context, int32_t r) {
        auto& self = *static_cast<BitmapRows*>(context);
        const int32_t width = self.colour->GetWidth();
        const int32_t line = self.colour->GetHeight() - 1 - r;
        const uint8_t* c = self.colour->CommitLine(line);
        const uint8_t* a = self.alpha != nullptr ? self.alpha->CommitLine(line) : nullptr;
        png_byte* out = self.row.data();
        for (int32_t x = 0; x < width; ++x, out += self.planes, c += 3) {
            out[0] = c[2];
            out[1] = c[1];
            out[2] = c[0];
            if (a != nullptr) out[3] = a[x];
        }
        return self.row.data();
    }
};

struct PixelRows {
    const uint8_t* pixels;
    size_t rowBytes;

    static const uint8_t* At(void* context, int32_t row) {
        const auto& self = *static_cast<const PixelRows*>(context);
        return self.pixels + self.rowBytes * static_cast<size_t>(row);
    }
};

}  // namespace

RgbaPngSpeedSt RgbaPng_DefaultSpeed() { return {kDefaultLevel, kDefaultFilters}; }

int RgbaPng_Save(const std::string& path, DibEx* colour, DibEx* alpha) {
    const int planes = alpha != nullptr ? 4 : 3;
    BitmapRows rows{colour, alpha, planes,
                    std::vector<png_byte>(static_cast<size_t>(std::max(colour->GetWidth(), 0)) * planes)};
    return WriteFile(path, colour->GetWidth(), colour->GetHeight(), planes, RgbaPng_DefaultSpeed(), BitmapRows::At,
                     &rows)
               ? 1
               : 0;
}

int RgbaPng_SavePixels(const std::string& path, int32_t width, int32_t height, int planes, const uint8_t* pixels,
                       RgbaPngSpeedSt speed) {
    if (pixels == nullptr) return 0;
    PixelRows rows{pixels, static_cast<size_t>(std::max(width, 0)) * static_cast<size_t>(planes)};
    return WriteFile(path, width, height, planes, speed, PixelRows::At, &rows) ? 1 : 0;
}

int RgbaPng_LoadPixels(const std::string& path, RgbaPngPixelsSt& out) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return 0;
    const bool hasAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = hasAlpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    RgbaPngPixelsSt loaded;
    loaded.width = static_cast<int32_t>(image.width);
    loaded.height = static_cast<int32_t>(image.height);
    loaded.planes = hasAlpha ? 4 : 3;
    loaded.pixels.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, loaded.pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return 0;
    }
    out = std::move(loaded);
    return 1;
}
