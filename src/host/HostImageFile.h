#pragma once
// Image files for the host: PNG, JPEG, TIFF and BMP into and out of an
// 8-bit interleaved HostImageSt.  Inputs are recognised by their content,
// outputs by their extension in any case.  A PNG or TIFF with an alpha
// channel gives a 4-plane image (the fourth plane is the transparency
// plane); every other file gives 3 planes.
#include <cstdint>
#include <string>
#include <vector>

#include "FilterHost.h"

// False (with an error that says why: no such file, permission denied, not a
// regular file, not an image, a damaged file, a kind of file not read, too
// large) when the image cannot be loaded.  The size is checked against the
// file and the memory at hand before the pixels are allocated.
bool HostImage_Load(const std::string& path, HostImageSt& image, std::string& error);

// A grey selection image of exactly width x height: one byte per pixel, the
// luma of each pixel (a grey pixel keeps its value).
bool HostImage_LoadSelection(const std::string& path, int32_t width, int32_t height,
                             std::vector<uint8_t>& selection, std::string& error);

// Whether the path's extension (in any case) names a format the host writes.
bool HostImage_IsWritable(const std::string& path);

// What a format without an alpha channel (JPEG, BMP) shows where a 4-plane
// image is transparent: the image composited over a colour, or with `none`
// the colours as they are.
struct HostBackgroundSt {
    bool none = false;
    uint8_t red = 255;
    uint8_t green = 255;
    uint8_t blue = 255;
};

// "#rrggbb" (hexadecimal, any case) or "none"; false for anything else.
bool HostBackground_Parse(const std::string& text, HostBackgroundSt& background);

// Writes the image.  PNG and TIFF keep the transparency plane of a 4-plane
// image and are written as RGB for a 3-plane one; JPEG and BMP receive the
// image composited over the background.  The file is written under a
// temporary name in the same folder and renamed over path only when
// complete, so a failure leaves nothing behind.
bool HostImage_Save(const std::string& path, const HostImageSt& image, std::string& error,
                    const HostBackgroundSt& background = {});
