#include "StyleFile.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "FileUtilities.h"
#include "RegularFile.h"

namespace {

bool IsStyleEntry(const ShadeParamEntry& entry) { return entry.part == ShadeParamPart::Style; }

// Bytes that no profile text holds: control characters other than tab, CR
// and LF (a NUL in an image, a binary header ...).
bool HoldsBinaryBytes(const std::string& content) {
    return std::any_of(content.begin(), content.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n') || byte == 0x7F;
    });
}

// Whether a header line of one of the style sections begins a line.
bool HasStyleSection(const std::string& content) {
    for (const ShadeParamEntry& entry : ShadeParamTable()) {
        if (!IsStyleEntry(entry)) continue;
        const std::string header = "[" + std::string(entry.section) + "]";
        for (std::size_t at = content.find(header); at != std::string::npos; at = content.find(header, at + 1)) {
            if (at == 0 || content[at - 1] == '\n' || (at == 3 && content.starts_with("\xEF\xBB\xBF"))) return true;
        }
    }
    return false;
}

ProfileSetting SettingOf(const ShadeParams& params, const ShadeParamEntry& entry) {
    std::string section(entry.section);
    std::string key(entry.key);
    if (entry.kind == ShadeParamKind::Text) return Profile::Text(section, key, ShadeParamText(params, entry));
    return Profile::Number(section, key, ShadeParamInt(params, entry));
}

}  // namespace

StyleFile::StyleFile(ShadeParams& params, const LockFlags* locks, std::string settingsFile,
                     MessageSink messages)
    : params_(params), locks_(locks), settingsFile_(std::move(settingsFile)), messages_(std::move(messages)) {}

int StyleFile::SaveParam(const char* path) {
    if (path == nullptr) return 0;
    return Profile(path).SetAll(StyleKeys()) ? 1 : 0;
}

std::vector<ProfileSetting> StyleFile::StyleKeys() const {
    std::vector<ProfileSetting> settings;
    for (const ShadeParamEntry& entry : ShadeParamTable()) {
        if (IsStyleEntry(entry)) settings.push_back(SettingOf(params_, entry));
    }
    return settings;
}

int StyleFile::LoadParam(const char* path) {
    if (path == nullptr) return 0;
    const bool settings = IsSettingsFile(path);
    if (!settings) {
        std::string content;
        int reason = 0;
        if (!ReadRegularFile(path, content, &reason)) {
            Refuse(kStyleFileMissingMessageId,
                   std::string("The style file \"") + path + "\" cannot be read: " + FileFailureText(reason) + ".");
            return 0;
        }
        if (HoldsBinaryBytes(content) || !HasStyleSection(content)) {
            Refuse(kStyleFileNotStyleMessageId, std::string("\"") + path + "\" is not a style file.");
            return 0;
        }
    }
    const Profile profile(path);
    for (const ShadeParamEntry& entry : ShadeParamTable()) {
        if (IsLoaded(entry)) ReadEntry(profile, path, entry);
    }
    if (!settings) styleName_ = std::string(FSNamePart(path));
    if (refreshPanes_) refreshPanes_();
    return 1;
}

void StyleFile::ReadEntry(const Profile& profile, const char* path, const ShadeParamEntry& entry) {
    const std::string section(entry.section);
    const std::string key(entry.key);
    if (entry.kind == ShadeParamKind::Int) {
        const int32_t found = profile.Get(section.c_str(), key.c_str(), entry.defaultValue);
        const int32_t kept = ShadeParamClamp(entry, found);
        if (kept != found && rangeReport_) rangeReport_(path, entry, found, kept);
        ShadeParamInt(params_, entry) = kept;
        return;
    }
    // At most 254 characters are taken; a longer value leaves the default.
    char value[kShadeParamsTextReadSize];
    const std::string defaultText(entry.defaultText);
    profile.Get(section.c_str(), key.c_str(), defaultText.c_str(), value, kShadeParamsTextReadSize);
    std::strcpy(ShadeParamText(params_, entry), value);
}

bool StyleFile::IsLoaded(const ShadeParamEntry& entry) const {
    if (!IsStyleEntry(entry)) return false;
    return locks_ == nullptr || !locks_->IsGroupLocked(entry.group);
}

void StyleFile::Refuse(int messageId, const std::string& text) const {
    if (messages_) messages_(messageId, text);
}
