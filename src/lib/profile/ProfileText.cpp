#include "ProfileText.h"

namespace {

constexpr char kCR = '\r';
constexpr char kLF = '\n';
constexpr std::string_view kLineEnd = "\r\n";
// Some editors put a UTF-8 byte-order mark before the first line.
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsShiftJisLead(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

void AppendLine(std::string& out, std::string_view a, std::string_view b, std::string_view c) {
    out.append(a).append(b).append(c).append(kLineEnd);
}

}  // namespace

ProfileText::ProfileText(std::string_view content, ProfileEncoding encoding)
    : content_(content), encoding_(encoding), start_(content.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0) {}

std::size_t ProfileText::Step(std::size_t pos) const {
    const bool twoBytes = encoding_ == ProfileEncoding::ShiftJis &&
                          IsShiftJisLead(static_cast<unsigned char>(content_[pos])) &&
                          pos + 1 < content_.size();
    return pos + (twoBytes ? 2 : 1);
}

// Position of the first byte equal to `byte` in [from, to), stepping by
// characters, or `to` when there is none.
std::size_t ProfileText::FindByte(std::size_t from, std::size_t to, char byte) const {
    std::size_t pos = from;
    while (pos < to && content_[pos] != byte) pos = Step(pos);
    return pos < to ? pos : to;
}

// Position of the first CR, or of the first LF that does not follow a CR,
// in [from, to), or `to` when there is none: a value ends there, so that
// LF-only lines read like CR LF ones.  (The CR of a CR LF may have been taken
// as the second byte of a two-byte character; its LF does not end the line.)
std::size_t ProfileText::FindLineEnd(std::size_t from, std::size_t to) const {
    std::size_t pos = from;
    while (pos < to && content_[pos] != kCR && !(content_[pos] == kLF && (pos == 0 || content_[pos - 1] != kCR)))
        pos = Step(pos);
    return pos < to ? pos : to;
}

// Position after the first LF in [from, to), or `to` when there is none.
std::size_t ProfileText::NextLine(std::size_t from, std::size_t to) const {
    const std::size_t lf = FindByte(from, to, kLF);
    return lf < to ? lf + 1 : to;
}

// Whether `name` followed by `terminator` starts at pos and ends before limit.
bool ProfileText::MatchesAt(std::size_t pos, std::size_t limit, std::string_view name,
                            char terminator) const {
    const std::size_t terminatorPos = pos + name.size();
    return terminatorPos < limit && content_.compare(pos, name.size(), name) == 0 &&
           content_[terminatorPos] == terminator;
}

// The body of the first section called `section`: from the line after its
// header to the next line that begins with "[", or to the end.  Headers and
// section ends count only at the start of a line, so a "[" inside a value
// (a file name such as "photo [1].png") neither opens nor ends a section.
std::optional<ProfileText::Range> ProfileText::FindSectionBody(std::string_view section) const {
    const std::size_t size = content_.size();
    std::size_t pos = start_;
    while (pos < size && !(content_[pos] == '[' && MatchesAt(pos + 1, size, section, ']'))) {
        pos = NextLine(pos, size);
    }
    if (pos >= size) return std::nullopt;
    const std::size_t begin = NextLine(pos + 1 + section.size(), size);
    std::size_t end = begin;
    while (end < size && content_[end] != '[') end = NextLine(end, size);
    return Range{begin, end};
}

std::optional<ProfileText::KeyLine> ProfileText::FindKeyLine(const Range& body,
                                                             std::string_view key) const {
    for (std::size_t line = body.begin; line < body.end; line = NextLine(line, body.end)) {
        if (!MatchesAt(line, body.end, key, '=')) continue;
        const std::size_t valueBegin = line + key.size() + 1;
        return KeyLine{line, valueBegin, FindLineEnd(valueBegin, content_.size())};
    }
    return std::nullopt;
}

std::optional<std::string_view> ProfileText::Find(std::string_view section,
                                                  std::string_view key) const {
    const auto body = FindSectionBody(section);
    if (!body) return std::nullopt;
    const auto line = FindKeyLine(*body, key);
    if (!line) return std::nullopt;
    std::size_t begin = line->valueBegin;
    std::size_t end = line->valueEnd;
    if (begin < end && content_[begin] == '"') ++begin;
    if (begin < end && content_[end - 1] == '"') --end;
    return content_.substr(begin, end - begin);
}

std::string ProfileText::WithValue(std::string_view section, std::string_view key,
                                   std::string_view value) const {
    std::string out;
    out.reserve(content_.size() + section.size() + key.size() + value.size() + 8);
    const auto body = FindSectionBody(section);
    if (body) {
        if (const auto line = FindKeyLine(*body, key)) {
            out.append(content_.substr(0, line->valueBegin)).append(value);
            out.append(content_.substr(line->valueEnd));
            return out;
        }
    }
    // A new line goes at the end of the section body, or a new section at
    // the end of the file.  Both must start a line of their own, also when
    // the last line of the file has no CR LF.
    const std::size_t insertAt = body ? body->end : content_.size();
    out.append(content_.substr(0, insertAt));
    if (insertAt > start_ && content_[insertAt - 1] != kLF) out.append(kLineEnd);
    if (!body) AppendLine(out, "[", section, "]");
    AppendLine(out, key, "=", value);
    out.append(content_.substr(insertAt));
    return out;
}

std::optional<std::string> ProfileText::WithoutKey(std::string_view section,
                                                   std::string_view key) const {
    const auto body = FindSectionBody(section);
    if (!body) return std::nullopt;
    const auto line = FindKeyLine(*body, key);
    if (!line) return std::nullopt;
    std::string out(content_.substr(0, line->lineBegin));
    out.append(content_.substr(NextLine(line->lineBegin, content_.size())));
    return out;
}

bool ProfileText::CanStore(std::string_view section, std::string_view key, std::string_view value) {
    constexpr std::string_view kLineBreaks = "\r\n";
    const auto breaksLine = [&](std::string_view text) {
        return text.find_first_of(kLineBreaks) != std::string_view::npos;
    };
    return !breaksLine(section) && !breaksLine(key) && !breaksLine(value) &&
           section.find(']') == std::string_view::npos && !key.empty() && key.front() != '[' &&
           key.find('=') == std::string_view::npos;
}
