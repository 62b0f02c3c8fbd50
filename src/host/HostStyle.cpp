#include "HostStyle.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "AppFolder.h"
#include "StyleFile.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kStyleExtension = ".mv";

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The folders searched for a style name, first match wins.
std::vector<fs::path> StyleFolders() {
    std::vector<fs::path> folders;
    const std::string system = GetPreferencesFolder();
    if (!system.empty()) folders.push_back(fs::path(system) / "Style");
    folders.push_back(".");
    return folders;
}

// The style files of a folder by lower-case name (the settings file, which
// also reads as a style, is no style of the user's).
std::map<std::string, HostStyleNameSt> StylesIn(const fs::path& folder) {
    std::map<std::string, HostStyleNameSt> styles;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string file = it->path().filename().string();
        if (!EndsWith(file, kStyleExtension) || file == kSettingsFileName || !it->is_regular_file(ec)) continue;
        const std::string name = file.substr(0, file.size() - kStyleExtension.size());
        const std::string path = folder == "." ? file : it->path().string();
        const auto [slot, added] = styles.emplace(Lower(name), HostStyleNameSt{name, path});
        // Of names that differ only in case, the first in byte order stands.
        if (!added && slot->second.name > name) slot->second = {name, path};
    }
    return styles;
}

}  // namespace

std::string HostStyle_Find(const std::string& nameOrPath) {
    if (nameOrPath.find('/') != std::string::npos || EndsWith(nameOrPath, kStyleExtension)) return nameOrPath;
    for (const fs::path& folder : StyleFolders()) {
        std::error_code ec;
        const fs::path exact = folder / (nameOrPath + std::string(kStyleExtension));
        if (fs::is_regular_file(exact, ec)) return folder == "." ? exact.filename().string() : exact.string();
        const auto styles = StylesIn(folder);
        const auto found = styles.find(Lower(nameOrPath));
        if (found != styles.end()) return found->second.path;
    }
    return {};
}

std::vector<HostStyleNameSt> HostStyle_List() {
    std::map<std::string, HostStyleNameSt> all;
    for (const fs::path& folder : StyleFolders()) all.merge(StylesIn(folder));
    std::vector<HostStyleNameSt> list;
    for (auto& [key, style] : all) list.push_back(std::move(style));
    return list;
}

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
