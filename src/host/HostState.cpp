#include "HostState.h"

#include <cstring>

#include "AppFolder.h"
#include "HostParamBlock.h"
#include "HostStyle.h"
#include "RegularFile.h"
#include "SafeFileWriter.h"

std::string HostState_Path() {
    const std::string folder = GetPreferencesFolder();
    return folder.empty() ? std::string() : folder + "/HostParameters.state";
}

bool HostState_Load(std::vector<uint8_t>& block) {
    const std::string path = HostState_Path();
    std::string bytes;
    if (path.empty() || !ReadRegularFile(path, bytes, nullptr) || bytes.empty()) return false;
    block.assign(bytes.begin(), bytes.end());
    return true;
}

void HostState_Clamp(std::vector<uint8_t>& block) {
    HostParamBlock stored;
    if (block.size() < sizeof stored) return;
    std::memcpy(&stored, block.data(), sizeof stored);
    for (int index = 0; index < kShadeParamsScriptCount; ++index) {
        const ShadeParamEntry& entry = *ShadeParamByScriptIndex(index);
        if (entry.kind != ShadeParamKind::Int) continue;
        int32_t& value = *HostParamBlockInt(stored, index);
        value = HostStyle_ClampValue(entry, value, HostState_Path(), std::string(entry.scriptKey));
    }
    std::memcpy(block.data(), &stored, sizeof stored);
}

bool HostState_Save(const std::vector<uint8_t>& block) {
    const std::string path = HostState_Path();
    if (path.empty() || block.empty() || !CreateDataFolder(GetPreferencesFolder().c_str())) return false;
    SafeFileWriter writer(path.c_str());
    FILE* stream = writer.Stream();
    return stream != nullptr && std::fwrite(block.data(), 1, block.size(), stream) == block.size() && writer.Commit();
}
