#pragma once
// The profile format on bytes held in memory: finding sections, keys and
// values, and building the new content for a set or a delete.  A section
// header is "[" name "]" at the start of a line, a key line is name "=" value
// at the start of a line inside its section.  Lines are written with CR LF;
// lines that end in LF alone (as many editors save them) read the same, and
// a UTF-8 byte-order mark before the first line is passed over (and kept).
// The first matching section and the first matching key are used.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "ProfileEncoding.h"

class ProfileText {
public:
    ProfileText(std::string_view content, ProfileEncoding encoding);

    // The value of section / key without its surrounding quotes, or nothing
    // when the section or the key is missing.
    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

    // The whole content after setting section / key to value.
    std::string WithValue(std::string_view section, std::string_view key, std::string_view value) const;
    // The whole content after deleting the key's line, or nothing when the
    // key does not exist (the file is then left as it is).
    std::optional<std::string> WithoutKey(std::string_view section, std::string_view key) const;

    // Whether a section, key and value can be stored without breaking the
    // line structure: no CR or LF anywhere, no "]" in a section name, no "="
    // in a key name, and a key name that is not empty and does not begin
    // with "[".
    static bool CanStore(std::string_view section, std::string_view key, std::string_view value);

private:
    struct Range {
        std::size_t begin;
        std::size_t end;
    };
    struct KeyLine {
        std::size_t lineBegin;   // first byte of the key name
        std::size_t valueBegin;  // first byte after "="
        std::size_t valueEnd;    // the value's CR or LF, or the end of the content
    };

    std::size_t Step(std::size_t pos) const;
    std::size_t FindByte(std::size_t from, std::size_t to, char byte) const;
    std::size_t FindLineEnd(std::size_t from, std::size_t to) const;
    std::size_t NextLine(std::size_t from, std::size_t to) const;
    bool MatchesAt(std::size_t pos, std::size_t limit, std::string_view name, char terminator) const;
    std::optional<Range> FindSectionBody(std::string_view section) const;
    std::optional<KeyLine> FindKeyLine(const Range& body, std::string_view key) const;

    std::string_view content_;
    ProfileEncoding encoding_;
    std::size_t start_;  // the first line's first byte, after a byte-order mark
};
