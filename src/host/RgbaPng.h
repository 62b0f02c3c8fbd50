#pragma once
// PNG files with their alpha channel, for the host and the render command:
// the colour goes into a 24-bit bitmap, the alpha (255 where the file has
// none) into an 8-bit bitmap of the same size.
#include <string>

class DibEx;

// 1 when read, 0 when the file cannot be read as PNG.  hasAlpha, when
// given, tells whether the file itself has an alpha channel (or a
// transparent palette entry or colour).
int RgbaPng_Load(const std::string& path, DibEx* colour, DibEx* alpha, bool* hasAlpha = nullptr);
// Writes colour with alpha as an RGBA file, or without (alpha null) as an
// RGB file.  1 when written, else 0.
int RgbaPng_Save(const std::string& path, DibEx* colour, DibEx* alpha);
