#pragma once
// Image files for the host: PNG, JPEG, TIFF and BMP into and out of an
// 8-bit interleaved HostImageSt.  A PNG or TIFF with an alpha channel gives
// a 4-plane image (the fourth plane is the transparency plane); every other
// file gives 3 planes.
#include <cstdint>
#include <string>
#include <vector>

#include "FilterHost.h"

// False (with error) for an unknown extension, a missing, unreadable or
// damaged file, or an image larger than 32767 pixels in one direction.
bool HostImage_Load(const std::string& path, HostImageSt& image, std::string& error);

// A grey selection image of exactly width x height: one byte per pixel, the
// luma of each pixel (a grey pixel keeps its value).
bool HostImage_LoadSelection(const std::string& path, int32_t width, int32_t height,
                             std::vector<uint8_t>& selection, std::string& error);

// Whether the path's extension names a format the host writes.
bool HostImage_IsWritable(const std::string& path);

// Writes the image; its transparency plane goes along when the format holds
// one (PNG, TIFF).  The file is written under a temporary name in the same
// folder and renamed over path only when complete, so a failure leaves
// nothing behind.
bool HostImage_Save(const std::string& path, const HostImageSt& image, std::string& error);
