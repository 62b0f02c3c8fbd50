#include "HostStyle.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>

#include "AppFolder.h"
#include "StyleFile.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kStyleExtension = ".mv";

void Warn(const std::string& message) { std::fprintf(stderr, "morvanel: warning: %s\n", message.c_str()); }

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

std::string HostStyle_RangeWarning(const std::string& source, const std::string& key, int32_t found,
                                   int32_t kept, const ShadeParamRange& range) {
    return source + ": " + key + "=" + std::to_string(found) + " lies outside " + std::to_string(range.minimum) +
           ".." + std::to_string(range.maximum) + "; " + std::to_string(kept) + " is used";
}

int32_t HostStyle_ClampValue(const ShadeParamEntry& entry, int32_t value, const std::string& source,
                             const std::string& key) {
    const int32_t kept = ShadeParamClamp(entry, value);
    if (kept != value) Warn(HostStyle_RangeWarning(source, key, value, kept, *entry.range));
    return kept;
}

bool HostStyle_Load(const std::string& path, ShadeParams& params, std::string& error) {
    std::string refusal;
    StyleFile style(params, nullptr, std::string(), [&refusal](int, const std::string& text) { refusal = text; });
    style.SetRangeReport([](const std::string& file, const ShadeParamEntry& entry, int32_t found, int32_t kept) {
        const std::string key = "[" + std::string(entry.section) + "] " + std::string(entry.key);
        Warn(HostStyle_RangeWarning(file, key, found, kept, *entry.range));
    });
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

void HostStyle_ClampDescriptor(DescriptorItems& items, const std::string& source) {
    for (DescriptorItem& item : items) {
        if (item.type != kTypeInteger) continue;
        const std::string name = Descriptor_KeyName(item.key);
        const ShadeParamEntry* entry = nullptr;
        for (int index = 0; index < kShadeParamsScriptCount && entry == nullptr; ++index) {
            if (ShadeParamByScriptIndex(index)->scriptKey == name) entry = ShadeParamByScriptIndex(index);
        }
        if (entry == nullptr || entry->kind != ShadeParamKind::Int) continue;
        item.integer = HostStyle_ClampValue(*entry, item.integer, source, name);
    }
}
