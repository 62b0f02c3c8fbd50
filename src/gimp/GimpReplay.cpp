#include "GimpReplay.h"

#include <filesystem>

#include "AppFolder.h"
#include "HostAction.h"
#include "HostParamBlock.h"
#include "HostStyle.h"

namespace {

namespace fs = std::filesystem;

bool IsUsableBlock(const std::vector<uint8_t>& block) { return block.size() == sizeof(HostParamBlock); }

GimpReplaySt FromStyle(const std::string& style) {
    const std::string path = GimpReplay_StylePath(style);
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

std::string GimpReplay_StylePath(const std::string& style) {
    if (style.empty() || style.find('/') != std::string::npos) return style;
    const std::string folder = GetPreferencesFolder();
    if (folder.empty()) return style;
    const fs::path styles = fs::path(folder) / "Style";
    std::error_code ec;
    for (const fs::path& candidate : {styles / style, styles / (style + ".mv")})
        if (fs::is_regular_file(candidate, ec)) return candidate.string();
    return style;
}

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
