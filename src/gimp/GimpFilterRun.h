#pragma once
// One run of the plug-in library on a layer's filter area, hosted by the
// filter host: the area's pixels (and the selection over it) go in, the
// rendered pixels, the descriptor the plug-in recorded and its parameter
// block come out.  Nothing here talks to GIMP, so a failure at any point
// leaves the layer as it was: the caller writes only a finished result.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "GimpReplay.h"
#include "HostDescriptor.h"

struct GimpAreaSt {
    int32_t width = 0;
    int32_t height = 0;
    bool hasAlpha = false;
    std::vector<uint8_t> rgba;       // width * height pixels in "R'G'B'A u8", rows top-down
    std::vector<uint8_t> selection;  // width * height bytes, or empty when nothing is selected
};

struct GimpRunResultSt {
    std::vector<uint8_t> rgba;  // the filter area after the run, as GimpAreaSt::rgba
    DescriptorItems recorded;   // what the plug-in recorded for this run
    std::vector<uint8_t> block; // the plug-in's parameter block after the run
    std::string messages;       // what the plug-in said on its way (may be empty)
};

struct GimpRunOptionsSt {
    std::string pluginPath;  // the plug-in library to load
    bool withDialog = false;
    // Told (fraction done 0..1); answers false once the user cancelled.
    std::function<bool(double)> progress;
};

// Throws GimpRunError with a message for the user when the plug-in cannot
// be loaded or is of another version, the area is too large or memory runs
// out, the user cancels, or the plug-in ends without a result.
GimpRunResultSt GimpFilterRun(const GimpAreaSt& area, const GimpReplaySt& replay, const GimpRunOptionsSt& options);
