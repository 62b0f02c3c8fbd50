#pragma once
// PNG files with their alpha channel, for the host and the render command:
// the colour goes into a 24-bit bitmap, the alpha (255 where the file has
// none) into an 8-bit bitmap of the same size.
#include <cstdint>
#include <string>
#include <vector>

class DibEx;

// 1 when read, 0 when the file cannot be read as PNG.  hasAlpha, when
// given, tells whether the file itself has an alpha channel (or a
// transparent palette entry or colour).
int RgbaPng_Load(const std::string& path, DibEx* colour, DibEx* alpha, bool* hasAlpha = nullptr);
// Writes colour with alpha as an RGBA file, or without (alpha null) as an
// RGB file.  1 when written, else 0.
int RgbaPng_Save(const std::string& path, DibEx* colour, DibEx* alpha);

// Interleaved 8-bit pixels, rows top down without padding: red, green, blue
// and, with 4 planes, alpha.
struct RgbaPngPixelsSt {
    int32_t width = 0;
    int32_t height = 0;
    int planes = 3;
    std::vector<uint8_t> pixels;
};

// Reads the file straight into interleaved pixels: 4 planes when it has an
// alpha channel (or a transparent palette entry or colour), else 3.  1 when
// read, 0 when the file cannot be read as PNG.
int RgbaPng_LoadPixels(const std::string& path, RgbaPngPixelsSt& image);

// How the writer trades time for size: the zlib level (0..9) and the row
// filters (libpng's PNG_FILTER_ flags; 0 = no filter).
struct RgbaPngSpeedSt {
    int level;
    int filters;
};
// The default: fast, and the files stay close in size to the best settings.
RgbaPngSpeedSt RgbaPng_DefaultSpeed();

// Writes width x height interleaved pixels of 3 or 4 planes, rows top down
// without padding, straight from `pixels`.  1 when written, else 0.
int RgbaPng_SavePixels(const std::string& path, int32_t width, int32_t height, int planes, const uint8_t* pixels,
                       RgbaPngSpeedSt speed = RgbaPng_DefaultSpeed());
