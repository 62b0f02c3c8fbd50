#pragma once
// The profile primitives.  Every call reads the whole file; a file that does
// not exist is first created empty, by reads and writes alike.  Results:
//   0          success (for reads: the key was found)
//   1          reads only: the section or key was not found
//   negative   -errno of the file-system failure (missing folder, no access,
//              a path naming a folder ...), or -EINVAL for arguments that
//              cannot be stored (null names, CR or LF in a name or value, ...)
#include <cstdint>
#include <span>
#include <string>

#include "ProfileEncoding.h"

// Copies defaultValue (when not null) into destination, cut to size - 1
// bytes, then looks the key up.  A found value shorter than size bytes
// replaces the destination's content; a longer one leaves the default.
int32_t GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                                char* destination, int32_t size, const char* path,
                                ProfileEncoding encoding = ProfileEncoding::Utf8);

// The key's value as a decimal number with an optional sign (conversion
// stops at the first other character; an empty value is 0), or defaultValue
// when the key is missing or the file cannot be read.
int32_t GetPrivateProfileInt(const char* section, const char* key, int32_t defaultValue,
                             const char* path, ProfileEncoding encoding = ProfileEncoding::Utf8);

// Sets the key to value, or deletes its line when value is null.  The file
// is replaced whole by rename, so it is never left half written.
int32_t WritePrivateProfileString(const char* section, const char* key, const char* value,
                                  const char* path, ProfileEncoding encoding = ProfileEncoding::Utf8);

// One key to set, its value as it is stored (strings with their quotes), or
// with remove set, a key to delete.
struct ProfileSetting {
    std::string section;
    std::string key;
    std::string value;
    bool remove = false;
};

// Sets and deletes every key in order and writes the file once: the result
// has the same bytes as the same WritePrivateProfileString calls one after
// the other.
// Nothing is written when one of the settings cannot be stored (-EINVAL).
int32_t WritePrivateProfileStrings(std::span<const ProfileSetting> settings, const char* path,
                                   ProfileEncoding encoding = ProfileEncoding::Utf8);
