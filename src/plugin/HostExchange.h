#pragma once
// Moving the filter area between the host and the application's bitmaps in
// horizontal strips through advanceState.
//
// Host rows run top-down, bitmap lines bottom-up: the top row of filterRect
// is line H - 1.  The host's pixels are 8-bit planes interleaved (red, green,
// blue, then transparency when the layer has it); the colour bitmap holds
// blue, green, red.
#include <cstdint>

#include "CMacRect.h"
#include "DibEx.h"
#include "HostInterface.h"

struct HostExchangeLoadSt {
    // The object's bounding rectangle in bitmap coordinates (columns from
    // filterRect's left edge, bitmap lines); empty when no pixel has alpha.
    CMacRect objectRect;
    // Neither transparency nor selection, and filterRect covers the image.
    bool wholeImage = false;
};

// Reads filterRect into colour (W x H, 24 bit) and alpha (W x H, 8 bit).
// The alpha is 255 without transparency and selection, else the selection
// or else the transparency plane, closed so that one-pixel holes are
// filled.  False when advanceState fails or the host hands out buffers that
// do not fit the request; strips already read stay read.
bool HostExchange_Load(FilterRecord& record, int32_t stripRows, DibEx& colour, DibEx& alpha,
                       HostExchangeLoadSt& result);

// Writes colour back, blended by alpha: out = in + (c - in) * a / 255.  With
// eraseOutside a layer with transparency loses the pixels whose alpha is 0.
// False when advanceState fails or the buffers do not fit; strips already
// written stay written.
bool HostExchange_Save(FilterRecord& record, int32_t stripRows, DibEx& colour, DibEx& alpha, bool eraseOutside);
