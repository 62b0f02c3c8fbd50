#pragma once
// TIFF files with an alpha channel (the general image file layer keeps
// colour only).
#include <string>

#include "FilterHost.h"

// 1 when the file is a readable TIFF with an alpha channel, 0 when it is a
// TIFF without one, -1 when it cannot be read as TIFF.
int HostTiff_HasAlpha(const std::string& path);
// Reads a TIFF with alpha as 4 planes; colours stored premultiplied come
// back divided by their alpha.  Any read error fails the load.  1 or 0.
int HostTiff_LoadRgba(const std::string& path, HostImageSt& image);
// Writes a 4-plane image as an RGBA TIFF (unassociated alpha).  1 or 0.
int HostTiff_SaveRgba(const std::string& path, const HostImageSt& image);
