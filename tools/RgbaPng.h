#pragma once
// PNG files with their alpha channel, for the render command: the colour
// goes into a 24-bit bitmap, the alpha (255 where the file has none) into an
// 8-bit bitmap of the same size.
#include <string>

class DibEx;

// 1 when read, 0 when the file cannot be read as PNG.
int RgbaPng_Load(const std::string& path, DibEx* colour, DibEx* alpha);
// Writes colour with alpha (null: opaque).  1 when written, else 0.
int RgbaPng_Save(const std::string& path, DibEx* colour, DibEx* alpha);
