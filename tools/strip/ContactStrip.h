#pragma once
// Contact strips: several pictures laid out in rows on a background, each
// reduced to one height, for showing results side by side.
#include <cstdint>
#include <vector>

#include "FilterHost.h"

struct ContactStripSt {
    int32_t height = 100;   // each picture's height in the strip
    int32_t columns = 0;    // pictures per row; 0: all in one row
    int32_t gap = 8;        // pixels between pictures and around them
    uint8_t background[3] = {255, 255, 255};
};

// The picture over the background colour (its transparency plane, if any,
// blends it), reduced or enlarged to the given height with its proportions
// kept: each output pixel is the mean of the input pixels it covers.
HostImageSt ContactStrip_Fit(const HostImageSt& picture, int32_t height, const uint8_t background[3]);

// The pictures in reading order on a background image (3 planes).
HostImageSt ContactStrip_Make(const std::vector<HostImageSt>& pictures, const ContactStripSt& layout);
