#include "GimpReplay.h"

#include "HostAction.h"
#include "HostParamBlock.h"
#include "HostStyle.h"

namespace {

bool IsUsableBlock(const std::vector<uint8_t>& block) { return block.size() == sizeof(HostParamBlock); }

GimpReplaySt FromStyle(const std::string& style) {
    const std::string path = HostStyle_Find(style);
    if (path.empty()) throw GimpRunError("there is no style named " + style);
    ShadeParams params = HostStyle_Defaults();
    std::string error;
    if (!HostStyle_Load(path, params, error)) throw GimpRunError(error);
    GimpReplaySt replay;
    replay.descriptor = HostStyle_Descriptor(params);
    replay.source = "the style " + path;
    return replay;
}

// The layer's relief, the last run's parameters or the defaults.
GimpReplaySt FromLastParameters(const GimpRememberedSt& remembered) {
    GimpReplaySt replay;
    if (!remembered.layerAction.empty()) {
        HostActionSt action;
        std::string error;
        if (HostAction_FromText(remembered.layerAction, action, error)) {
            replay.descriptor = std::move(action.descriptor);
            replay.fromLayer = true;
            replay.source = "the layer's last relief";
            return replay;
        }
        replay.note = "the relief stored on this layer cannot be read (" + error + ")";
    }
    if (IsUsableBlock(remembered.lastBlock)) {
        replay.hasDescriptor = false;
        replay.source = "the parameters of the last run";
        return replay;
    }
    replay.descriptor = HostStyle_Descriptor(HostStyle_Defaults());
    replay.source = "the default parameters";
    return replay;
}

}  // namespace

GimpReplaySt GimpReplay_Choose(LayerRunMode mode, const std::string& style, const GimpRememberedSt& remembered) {
    GimpReplaySt replay;
    if (mode == LayerRunMode::NonInteractive && !style.empty()) {
        replay = FromStyle(style);
    } else if (mode == LayerRunMode::WithLastValues && IsUsableBlock(remembered.lastBlock)) {
        replay.hasDescriptor = false;
        replay.source = "the parameters of the last run";
    } else {
        replay = FromLastParameters(remembered);
    }
    if (IsUsableBlock(remembered.lastBlock)) replay.block = remembered.lastBlock;
    else if (!remembered.lastBlock.empty())
        replay.note += std::string(replay.note.empty() ? "" : "; ") +
                       "the parameters kept from the last run belong to another version and were ignored";
    return replay;
}
