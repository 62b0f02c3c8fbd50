#include "HostStyle.h"

#include <filesystem>

#include "AppFolder.h"
#include "StyleFile.h"

ShadeParams HostStyle_Defaults() {
    std::string pictures;
    SHGetFolderPath(nullptr, kFolderIdPictures, nullptr, 0, pictures);
    ShadeParams params{};
    ShadeParamsSetDefaults(params, pictures);
    return params;
}

bool HostStyle_Load(const std::string& path, ShadeParams& params, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        error = "cannot read style file " + path;
        return false;
    }
    std::string refusal;
    StyleFile style(params, nullptr, std::string(), [&refusal](int, const std::string& text) { refusal = text; });
    if (style.LoadParam(path.c_str()) != 1) {
        error = refusal.empty() ? "cannot read style file " + path : refusal;
        return false;
    }
    return true;
}

DescriptorItems HostStyle_Descriptor(const ShadeParams& params) {
    DescriptorItems items;
    for (int index = 0; index < kShadeParamsScriptCount; ++index) {
        const ShadeParamEntry* entry = ShadeParamByScriptIndex(index);
        DescriptorItem item;
        item.key = Descriptor_KeyFromName(entry->scriptKey);
        if (entry->kind == ShadeParamKind::Text) {
            item.type = kTypeText;
            item.text = ShadeParamText(params, *entry);
        } else {
            item.integer = ShadeParamInt(params, *entry);
        }
        items.push_back(std::move(item));
    }
    return items;
}
