#pragma once
// What a run of plug-in-morvanel starts from.
//
//  - non-interactive with a style: that style, silently;
//  - non-interactive without a style, and interactive (handed to the
//    plug-in, whose dialog then decides what it shows): the layer's own
//    relief (the action kept on the layer by its last run), else the
//    parameters of the last run in this GIMP, else the defaults;
//  - with last values: the last run's parameter block replayed as it is,
//    else as above.
// The parameter block of the last run goes along whenever there is one, so
// the plug-in keeps its strip height between runs.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "HostDescriptor.h"

// The run modes of a GIMP procedure, with GIMP's values.
enum class LayerRunMode : int32_t { Interactive = 0, NonInteractive = 1, WithLastValues = 2 };

// A run that cannot go on; the message is for the user, and the layer has
// not been touched.
class GimpRunError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The user closed the dialog with Cancel: nothing to report.
class GimpRunCancelled : public GimpRunError {
public:
    using GimpRunError::GimpRunError;
};

struct GimpRememberedSt {
    std::string layerAction;         // the action text kept on the layer, empty when none
    std::vector<uint8_t> lastBlock;  // the last run's parameter block, empty when none
};

struct GimpReplaySt {
    bool hasDescriptor = true;  // false: the block alone is replayed
    DescriptorItems descriptor;
    std::vector<uint8_t> block;
    bool fromLayer = false;  // the descriptor is the layer's own relief
    std::string source;  // what the parameters are, in words ("the layer's last relief")
    std::string note;    // something the user should know (a stored relief that was unreadable)
};

// style: empty, a path to a style file, or a style's name as the morvanel
// command takes it ("Gold").  Throws GimpRunError for a style that cannot
// be found or read.
GimpReplaySt GimpReplay_Choose(LayerRunMode mode, const std::string& style, const GimpRememberedSt& remembered);
