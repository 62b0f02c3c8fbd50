// The profile reader: look-ups, sets and deletes on any content, in both
// encodings.  A value that can be stored in UTF-8 content is read back as it
// was set.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ProfileText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const auto encoding = (data[0] & 1) ? ProfileEncoding::Utf8 : ProfileEncoding::ShiftJis;
    const std::string_view content(reinterpret_cast<const char*>(data + 1), size - 1);
    const ProfileText text(content, encoding);
    for (const char* section : {"STYLE", "TEXTURE", "SYSTEM", "MODEL"})
        for (const char* key : {"NumItem", "Path1", "Filename", "Version", "IndexItem"}) text.Find(section, key);

    // Section, key and value taken from the input itself.
    const std::size_t third = content.size() / 3;
    const std::string section(content.substr(0, std::min<std::size_t>(third, 12)));
    const std::string key(content.substr(third, std::min<std::size_t>(third, 12)));
    const std::string value(content.substr(2 * third, 40));
    // The round trip is checked on UTF-8 content: under Shift JIS a value that
    // ends in a lead byte swallows its line end (a known limit of the writer).
    if (encoding != ProfileEncoding::Utf8 || !ProfileText::CanStore(section, key, value)) return 0;
    const std::string changed = text.WithValue(section, key, value);
    const auto found = ProfileText(changed, encoding).Find(section, key);
    // A leading and a trailing quote are taken off whatever the value holds.
    const bool quoted = !value.empty() && (value.front() == '"' || value.back() == '"');
    if (!found || (!quoted && *found != value)) std::abort();
    if (!ProfileText(changed, encoding).WithoutKey(section, key)) std::abort();
    return 0;
}
