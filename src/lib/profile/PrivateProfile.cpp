#include "PrivateProfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "ProfileFile.h"
#include "ProfileText.h"

namespace {

constexpr int32_t kFound = 0;
constexpr int32_t kNotFound = 1;
constexpr int32_t kIntBufferSize = 255;

// Copies text into destination when it fits in size bytes with its
// terminator; returns whether it did.
bool CopyIfFits(std::string_view text, char* destination, int32_t size) {
    if (size <= 0 || text.size() >= static_cast<std::size_t>(size)) return false;
    std::memcpy(destination, text.data(), text.size());
    destination[text.size()] = '\0';
    return true;
}

// Copies text into destination, cut to what fits.
void CopyCut(std::string_view text, char* destination, int32_t size) {
    if (size <= 0) return;
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(size) - 1);
    std::memcpy(destination, text.data(), length);
    destination[length] = '\0';
}

// Decimal digits with an optional sign; conversion stops at the first other
// character and saturates at the limits of int32_t.
int32_t ParseDecimal(const char* text) {
    bool negative = false;
    if (*text == '-' || *text == '+') negative = *text++ == '-';
    int64_t magnitude = 0;
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    for (; *text >= '0' && *text <= '9'; ++text) {
        magnitude = std::min(magnitude * 10 + (*text - '0'), kLimit);
    }
    const int64_t value = negative ? -magnitude : magnitude;
    return static_cast<int32_t>(std::min<int64_t>(value, std::numeric_limits<int32_t>::max()));
}

}  // namespace

int32_t GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                                char* destination, int32_t size, const char* path,
                                ProfileEncoding encoding) {
    if (destination == nullptr) return -EINVAL;
    if (defaultValue != nullptr) CopyCut(defaultValue, destination, size);
    if (section == nullptr || key == nullptr || path == nullptr) return -EINVAL;
    std::string content;
    if (const int32_t result = profile_file::ReadOrCreate(path, content)) return result;
    const auto value = ProfileText(content, encoding).Find(section, key);
    if (!value) return kNotFound;
    CopyIfFits(*value, destination, size);
    return kFound;
}

int32_t GetPrivateProfileInt(const char* section, const char* key, int32_t defaultValue,
                             const char* path, ProfileEncoding encoding) {
    char buffer[kIntBufferSize] = "";
    const int32_t result =
        GetPrivateProfileString(section, key, "", buffer, kIntBufferSize, path, encoding);
    return result == kFound ? ParseDecimal(buffer) : defaultValue;
}

int32_t WritePrivateProfileString(const char* section, const char* key, const char* value,
                                  const char* path, ProfileEncoding encoding) {
    if (section == nullptr || key == nullptr || path == nullptr) return -EINVAL;
    if (!ProfileText::CanStore(section, key, value ? value : "")) return -EINVAL;
    std::string content;
    if (const int32_t result = profile_file::ReadOrCreate(path, content)) return result;
    const ProfileText text(content, encoding);
    if (value != nullptr) return profile_file::Replace(path, text.WithValue(section, key, value));
    const auto remaining = text.WithoutKey(section, key);
    return remaining ? profile_file::Replace(path, *remaining) : 0;
}

int32_t WritePrivateProfileStrings(std::span<const ProfileSetting> settings, const char* path,
                                   ProfileEncoding encoding) {
    if (path == nullptr) return -EINVAL;
    for (const ProfileSetting& setting : settings) {
        if (!ProfileText::CanStore(setting.section, setting.key, setting.value)) return -EINVAL;
    }
    std::string content;
    if (const int32_t result = profile_file::ReadOrCreate(path, content)) return result;
    for (const ProfileSetting& setting : settings) {
        const ProfileText text(content, encoding);
        if (!setting.remove) {
            content = text.WithValue(setting.section, setting.key, setting.value);
        } else if (auto remaining = text.WithoutKey(setting.section, setting.key)) {
            content = std::move(*remaining);
        }
    }
    return profile_file::Replace(path, content);
}
