#include "GimpDialogStart.h"

#include <cstring>
#include <filesystem>

#include "HostStyle.h"
#include "StyleFile.h"

namespace {

const ShadeParamEntry* EntryOf(DescriptorKeyID key) {
    for (int index = 0; index < kShadeParamsScriptCount; ++index) {
        const ShadeParamEntry* entry = ShadeParamByScriptIndex(index);
        if (Descriptor_KeyFromName(entry->scriptKey) == key) return entry;
    }
    return nullptr;
}

void Apply(const DescriptorItems& relief, ShadeParams& params) {
    for (const DescriptorItem& item : relief) {
        const ShadeParamEntry* entry = EntryOf(item.key);
        if (entry == nullptr) continue;
        if (entry->kind == ShadeParamKind::Text) {
            char* text = ShadeParamText(params, *entry);
            const std::size_t length = std::min(item.text.size(), kShadeParamsPathSize - 1);
            std::memcpy(text, item.text.data(), length);
            text[length] = '\0';
        } else {
            ShadeParamInt(params, *entry) = item.integer;
        }
    }
}

}  // namespace

bool GimpDialogStart_Write(const DescriptorItems& relief, const std::string& settingsFile, std::string& error) {
    ShadeParams params = HostStyle_Defaults();
    StyleFile file(params, nullptr, settingsFile, {});
    std::error_code ec;
    if (std::filesystem::is_regular_file(settingsFile, ec)) file.LoadParam(settingsFile.c_str());
    Apply(relief, params);
    // The colour is recorded as red, green and blue; the dialog's hue,
    // saturation and value follow them.
    ShadeParamsDeriveColorHsv(params);
    if (file.SaveParam(settingsFile.c_str()) == 1) return true;
    error = "cannot write the settings file " + settingsFile;
    return false;
}
