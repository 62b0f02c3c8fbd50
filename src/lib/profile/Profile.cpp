#include "Profile.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <utility>

Profile::Profile(std::string path, ProfileEncoding encoding)
    : path_(std::move(path)), encoding_(encoding) {}

bool Profile::PathUsable() const { return path_.size() <= kMaxPathLength; }

int32_t Profile::Get(const char* section, const char* key, int32_t defaultValue) const {
    if (!PathUsable()) return defaultValue;
    return GetPrivateProfileInt(section, key, defaultValue, path_.c_str(), encoding_);
}

int32_t Profile::Get(const char* section, const char* key, const char* defaultValue,
                     char* destination, int32_t size) const {
    if (destination == nullptr || size <= 0) return -EINVAL;
    const char* fallback = defaultValue ? defaultValue : "";
    if (!PathUsable()) {
        std::snprintf(destination, static_cast<std::size_t>(size), "%s", fallback);
        return -ENAMETOOLONG;
    }
    // The primitive puts the default in first and replaces it only with a
    // value found, so a missing key or an unreadable file leaves the default.
    return GetPrivateProfileString(section, key, fallback, destination, size, path_.c_str(),
                                   encoding_);
}

bool Profile::Set(const char* section, const char* key, const char* value) {
    if (value == nullptr) return false;
    return Write(section, key, "\"%s\"", value);
}

ProfileSetting Profile::Text(std::string section, std::string key, const char* value) {
    return {std::move(section), std::move(key), std::string("\"") + (value ? value : "") + "\""};
}

ProfileSetting Profile::Number(std::string section, std::string key, long value) {
    return {std::move(section), std::move(key), std::to_string(value)};
}

ProfileSetting Profile::Removal(std::string section, std::string key) {
    return {std::move(section), std::move(key), std::string(), true};
}

bool Profile::SetAll(std::span<const ProfileSetting> settings) {
    return PathUsable() && WritePrivateProfileStrings(settings, path_.c_str(), encoding_) == 0;
}

bool Profile::Set(const char* section, const char* key, int value) {
    return Write(section, key, "%d", value);
}

bool Profile::Set(const char* section, const char* key, long value) {
    return Write(section, key, "%ld", value);
}

bool Profile::Del(const char* section, const char* key) {
    return PathUsable() &&
           WritePrivateProfileString(section, key, nullptr, path_.c_str(), encoding_) == 0;
}

bool Profile::Write(const char* section, const char* key, const char* format, ...) {
    if (!PathUsable() || format == nullptr) return false;
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    std::string value;
    if (length >= 0) {
        value.resize(static_cast<std::size_t>(length));
        std::vsnprintf(value.data(), value.size() + 1, format, args);
    }
    va_end(args);
    return length >= 0 &&
           WritePrivateProfileString(section, key, value.c_str(), path_.c_str(), encoding_) == 0;
}
