#include "SettingDlgModel.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "AppFolder.h"

namespace {

// Copies text into a field of size bytes when it fits with its end.
bool StoreText(char* field, std::size_t size, const std::string& text) {
    if (field == nullptr || text.size() >= size) return false;
    std::memcpy(field, text.c_str(), text.size() + 1);
    return true;
}

int32_t FixedSizeOf(const std::string& typed, int32_t current) {
    std::size_t used = 0;
    long long number = 0;
    try {
        number = std::stoll(typed, &used, 10);
    } catch (const std::exception&) {
        return current;
    }
    if (typed.find_first_not_of(" \t", used) != std::string::npos) return current;
    const ShadeParamEntry* entry = ShadeParamByKey("SETTING", "SizeFixedStandard");
    const long long low = entry != nullptr && entry->range ? entry->range->minimum : 0;
    const long long high = entry != nullptr && entry->range ? entry->range->maximum : INT32_MAX;
    return static_cast<int32_t>(std::clamp(number, low, high));
}

}  // namespace

SettingDlgState SettingDlgState_FromParams(const ShadeParams& params) {
    SettingDlgState state;
    state.sizeStandard = params.SizeStandard == kSizeStandardObject || params.SizeStandard == kSizeStandardFixed
                             ? params.SizeStandard
                             : kSizeStandardCanvas;
    state.fixedSize = std::to_string(params.SizeFixedStandard);
    state.textureOnCanvas = params.TextureLocateCanvas != 0;
    state.saveLockStatus = params.SaveLockStatus != 0;
    state.eraseOutside = params.EraseOutside != 0;
    state.motionUiDisp = params.MotionUiDisp != 0;
    state.motionDevide = std::max(params.MotionDevide, 0);
    state.copyImageFile = params.CopyImageFile == 1;
    state.folder.assign(params.PathDefault, strnlen(params.PathDefault, sizeof(params.PathDefault)));
    return state;
}

bool SettingDlg_CheckFolder(const std::string& path, SettingDlgMessages& messages) {
    namespace fs = std::filesystem;
    if (path.empty() || path.size() > kFolderPathMax || path.front() != '/') {
        messages.Show(kFolderUnusableMessageId, path);
        return false;
    }
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (fs::is_directory(status)) return true;
    if (fs::exists(status)) {
        // A file of that name: added images cannot go into it.
        messages.Show(kFolderUnusableMessageId, path);
        return false;
    }
    if (!messages.Ask(kFolderCreateQuestionId, path)) return false;
    if (CreateDataFolder(path.c_str()) != 1) {
        messages.Show(kFolderCreateFailedMessageId, path);
        return false;
    }
    return true;
}

void SettingDlg_Apply(const SettingDlgState& state, ShadeParams& params, char* lastFolder,
                      std::size_t lastFolderSize, SettingDlgMessages& messages) {
    params.CopyImageFile = state.copyImageFile ? 1 : 0;
    if (params.CopyImageFile == 1) {
        // The typed folder is kept even when the check fails, so the user
        // finds it again; only a path cut to fit would name another folder.
        StoreText(params.PathDefault, sizeof(params.PathDefault), state.folder);
        if (SettingDlg_CheckFolder(state.folder, messages)) StoreText(lastFolder, lastFolderSize, state.folder);
    }
    params.SaveLockStatus = state.saveLockStatus ? 1 : 0;
    params.EraseOutside = state.eraseOutside ? 1 : 0;
    switch (state.sizeStandard) {
    case kSizeStandardCanvas: params.SizeStandard = kSizeStandardCanvas; break;
    case kSizeStandardFixed:
        params.SizeStandard = kSizeStandardFixed;
        params.SizeFixedStandard = FixedSizeOf(state.fixedSize, params.SizeFixedStandard);
        break;
    case kSizeStandardObject: params.SizeStandard = kSizeStandardObject; break;
    default: break;
    }
    params.TextureLocateCanvas = state.textureOnCanvas ? 1 : 0;
    params.MotionDevide = std::max(state.motionDevide, 0);
    params.MotionUiDisp = state.motionUiDisp ? 1 : 0;
}
