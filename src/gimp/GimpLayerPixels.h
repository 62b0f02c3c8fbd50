#pragma once
// The pixels of a layer's filter area as GIMP hands them out and takes them
// back: rows top-down, four bytes a pixel in "R'G'B'A u8" (a layer without an
// alpha channel reads as opaque and ignores the alpha written to it).  The
// filter host wants three planes for a layer without alpha and four for a
// layer with one, the fourth being its transparency plane.
#include <cstdint>
#include <span>
#include <vector>

#include "FilterHost.h"

inline constexpr int32_t kLayerBytesPerPixel = 4;

// The host image of width x height pixels taken from rgba (width * height * 4
// bytes); throws std::invalid_argument when the sizes disagree.
HostImageSt LayerPixels_ToHostImage(std::span<const uint8_t> rgba, int32_t width, int32_t height, bool hasAlpha);

// The host image's pixels in "R'G'B'A u8"; a three-plane image is opaque.
std::vector<uint8_t> LayerPixels_FromHostImage(const HostImageSt& image);
