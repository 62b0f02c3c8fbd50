// PNG reading and writing with an alpha channel, through libpng's simplified
// interface.  Rows of a PNG run top down; bitmap line 0 is the bottom row.
#include "RgbaPng.h"

#include <png.h>

#include <cstring>
#include <vector>

#include "DibEx.h"
#include "SafeFileWriter.h"

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

int RgbaPng_Save(const std::string& path, DibEx* colour, DibEx* alpha) {
    const int32_t width = colour->GetWidth();
    const int32_t height = colour->GetHeight();
    const int channels = alpha != nullptr ? 4 : 3;
    std::vector<png_byte> pixels(static_cast<size_t>(width) * height * channels);
    for (int32_t row = 0; row < height; ++row) {
        png_byte* out = pixels.data() + static_cast<size_t>(row) * width * channels;
        const uint8_t* c = colour->CommitLine(height - 1 - row);
        const uint8_t* a = alpha != nullptr ? alpha->CommitLine(height - 1 - row) : nullptr;
        for (int32_t x = 0; x < width; ++x, out += channels) {
            out[0] = c[x * 3];
            out[1] = c[x * 3 + 1];
            out[2] = c[x * 3 + 2];
            if (a != nullptr) out[3] = a[x];
        }
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = alpha != nullptr ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
    SafeFileWriter writer(path.c_str());
    FILE* stream = writer.Stream();
    if (stream == nullptr || !png_image_write_to_stdio(&image, stream, 0, pixels.data(), 0, nullptr)) return 0;
    return writer.Commit() ? 1 : 0;
}
