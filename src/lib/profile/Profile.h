#pragma once
// Typed access to one profile file.  There is no cache: every Get reads the
// file, every Set rewrites it (see PrivateProfile.h for the result codes).
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "PrivateProfile.h"

class Profile {
public:
    // Longest path a Profile accepts; a longer one is refused (every call
    // fails with -ENAMETOOLONG) rather than cut to another file's name.
    static constexpr std::size_t kMaxPathLength = 254;

    explicit Profile(std::string path, ProfileEncoding encoding = ProfileEncoding::Utf8);

    const std::string& path() const { return path_; }

    // The value as GetPrivateProfileInt reads it.
    int32_t Get(const char* section, const char* key, int32_t defaultValue) const;
    // destination becomes defaultValue (empty when null), then the value is
    // read into it; when the key is missing or the file cannot be read it is
    // reset to the default.  Returns the GetPrivateProfileString result.
    int32_t Get(const char* section, const char* key, const char* defaultValue,
                char* destination, int32_t size) const;

    // The setters return true when the file was written, false when it could
    // not be (the file is then unchanged).
    bool Set(const char* section, const char* key, const char* value);  // as "\"%s\""
    bool Set(const char* section, const char* key, int value);          // as "%d"
    bool Set(const char* section, const char* key, long value);         // as "%ld"
    bool Del(const char* section, const char* key);
    // Sets every key and writes the file once, with the same bytes as the
    // Sets one by one.  Build the settings with Text and Number.
    bool SetAll(std::span<const ProfileSetting> settings);
    bool Write(const char* section, const char* key, const char* format, ...)
        __attribute__((format(printf, 4, 5)));

    // A setting as Set stores it: a string in double quotes, a number in
    // decimal.
    static ProfileSetting Text(std::string section, std::string key, const char* value);
    static ProfileSetting Number(std::string section, std::string key, long value);
    // A deletion as Del does it.
    static ProfileSetting Removal(std::string section, std::string key);

private:
    bool PathUsable() const;

    std::string path_;
    ProfileEncoding encoding_;
};
