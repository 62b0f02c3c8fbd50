#include "StyleFile.h"

#include <cstring>
#include <filesystem>
#include <fstream>

#include "FileUtilities.h"
#include "Profile.h"

namespace {

bool IsStyleEntry(const ShadeParamEntry& entry) { return entry.part == ShadeParamPart::Style; }

// A style file can be loaded only when it is a file that opens for reading;
// anything else would silently reset every entry to its default.
bool IsReadableFile(const char* path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    return std::ifstream(path, std::ios::binary).is_open();
}

bool WriteEntry(Profile& profile, const ShadeParams& params, const ShadeParamEntry& entry) {
    const std::string section(entry.section);
    const std::string key(entry.key);
    if (entry.kind == ShadeParamKind::Text)
        return profile.Set(section.c_str(), key.c_str(), ShadeParamText(params, entry));
    return profile.Set(section.c_str(), key.c_str(), static_cast<long>(ShadeParamInt(params, entry)));
}

void ReadEntry(const Profile& profile, ShadeParams& params, const ShadeParamEntry& entry) {
    const std::string section(entry.section);
    const std::string key(entry.key);
    if (entry.kind == ShadeParamKind::Int) {
        ShadeParamInt(params, entry) = profile.Get(section.c_str(), key.c_str(), entry.defaultValue);
        return;
    }
    // At most 254 characters are taken; a longer value leaves the default.
    char value[kShadeParamsTextReadSize];
    const std::string defaultText(entry.defaultText);
    profile.Get(section.c_str(), key.c_str(), defaultText.c_str(), value, kShadeParamsTextReadSize);
    std::strcpy(ShadeParamText(params, entry), value);
}

}  // namespace

StyleFile::StyleFile(ShadeParams& params, const LockFlags* locks, std::string settingsFile,
                     MessageSink messages)
    : params_(params), locks_(locks), settingsFile_(std::move(settingsFile)), messages_(std::move(messages)) {}

int StyleFile::SaveParam(const char* path) {
    if (path == nullptr) return 0;
    Profile profile(path);
    bool written = true;
    for (const ShadeParamEntry& entry : ShadeParamTable()) {
        if (IsStyleEntry(entry)) written = WriteEntry(profile, params_, entry) && written;
    }
    return written ? 1 : 0;
}

int StyleFile::LoadParam(const char* path) {
    if (path == nullptr) return 0;
    const bool settings = IsSettingsFile(path);
    if (!settings && !IsReadableFile(path)) {
        Refuse(path);
        return 0;
    }
    const Profile profile(path);
    for (const ShadeParamEntry& entry : ShadeParamTable()) {
        if (IsLoaded(entry)) ReadEntry(profile, params_, entry);
    }
    if (!settings) styleName_ = std::string(FSNamePart(path));
    if (refreshPanes_) refreshPanes_();
    return 1;
}

bool StyleFile::IsLoaded(const ShadeParamEntry& entry) const {
    if (!IsStyleEntry(entry)) return false;
    return locks_ == nullptr || !locks_->IsGroupLocked(entry.group);
}

void StyleFile::Refuse(const char* path) const {
    if (!messages_) return;
    messages_(kStyleFileMissingMessageId,
              std::string("The style file \"") + path + "\" cannot be found or cannot be read.");
}
