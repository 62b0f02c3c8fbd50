#include "BackupPack.h"

#include <algorithm>
#include <cstring>

#include "FileUtilities.h"

namespace {

void PutInt32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetUint32(const uint8_t* at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | at[i];
    return value;
}

int32_t GetInt32(const uint8_t* at) { return static_cast<int32_t>(GetUint32(at)); }

bool PutField(uint8_t* field, const std::string& text) {
    if (text.size() >= kPackFieldSize || text.find('\0') != std::string::npos) return false;
    std::memcpy(field, text.data(), text.size());
    return true;
}

// The field's text up to its 0 byte; false when the field has none.
bool GetField(const uint8_t* field, std::string& text) {
    const auto* end = static_cast<const uint8_t*>(std::memchr(field, 0, kPackFieldSize));
    if (end == nullptr) return false;
    text.assign(reinterpret_cast<const char*>(field), static_cast<std::size_t>(end - field));
    return true;
}

std::string LowerExtension(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    std::string extension(dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return extension;
}

PackFault DecodeEntry(const uint8_t* bytes, int32_t i, PackEntrySt& entry) {
    const std::size_t field = static_cast<std::size_t>(i) * kPackFieldSize;
    if (!GetField(bytes + kPackNamesOffset + field, entry.storedName)) return PackFault::NameUnterminated;
    if (entry.storedName.empty()) return PackFault::NameEmpty;
    if (!PackNameIsPlain(entry.storedName)) return PackFault::NameNotPlain;
    if (!GetField(bytes + kPackSourcesOffset + field, entry.sourcePath)) return PackFault::SourceUnterminated;
    entry.size = GetInt32(bytes + kPackSizesOffset + 4 * static_cast<std::size_t>(i));
    if (entry.size < 0) return PackFault::SizeNegative;
    return PackFault::None;
}

}  // namespace

PackFileType PackFileTypeOf(std::string_view name) {
    const std::string extension = LowerExtension(FSNamePart(name));
    if (extension == "mv") return PackFileType::Style;
    if (extension == "mvs") return PackFileType::Set;
    if (extension == "jpg" || extension == "png" || extension == "tif") return PackFileType::Image;
    return PackFileType::Other;
}

bool PackNameIsPlain(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

bool PackHeader_Encode(const PackHeaderSt& header, std::vector<uint8_t>& bytes) {
    if (header.entries.size() > static_cast<std::size_t>(kPackMaxFiles)) return false;
    bytes.assign(kPackHeaderSize, 0);
    std::memcpy(bytes.data(), kPackMagic.data(), kPackMagicSize);
    PutInt32(&bytes[8], static_cast<uint32_t>(header.styleCount));
    PutInt32(&bytes[12], static_cast<uint32_t>(header.entries.size()));
    PutInt32(&bytes[16], header.totalSize);
    for (std::size_t i = 0; i < header.entries.size(); ++i) {
        const PackEntrySt& entry = header.entries[i];
        const std::size_t field = i * kPackFieldSize;
        if (!PutField(&bytes[kPackSourcesOffset + field], entry.sourcePath) ||
            !PutField(&bytes[kPackNamesOffset + field], entry.storedName))
            return false;
        PutInt32(&bytes[kPackSizesOffset + 4 * i], static_cast<uint32_t>(entry.size));
    }
    return true;
}

PackFault PackHeader_Decode(const uint8_t* bytes, std::size_t available, uint64_t packLength,
                            PackHeaderSt& header, int32_t& index) {
    index = -1;
    if (available < kPackHeaderSize) {
        // A short file is refused as short, unless even its magic is wrong.
        const bool magicRead = available >= kPackMagicSize;
        return magicRead && std::memcmp(bytes, kPackMagic.data(), kPackMagicSize) != 0 ? PackFault::BadMagic
                                                                                        : PackFault::ShortRead;
    }
    if (std::memcmp(bytes, kPackMagic.data(), kPackMagicSize) != 0) return PackFault::BadMagic;
    header.styleCount = GetInt32(bytes + 8);
    const int32_t fileCount = GetInt32(bytes + 12);
    header.totalSize = GetUint32(bytes + 16);
    if (header.styleCount < 1 || header.styleCount > kPackMaxStyles) return PackFault::StyleCount;
    if (fileCount < 1 || fileCount > kPackMaxFiles) return PackFault::FileCount;
    header.entries.assign(static_cast<std::size_t>(fileCount), PackEntrySt{});
    uint64_t sum = 0;
    for (int32_t i = 0; i < fileCount; ++i) {
        index = i;
        const PackFault fault = DecodeEntry(bytes, i, header.entries[static_cast<std::size_t>(i)]);
        if (fault != PackFault::None) return fault;
        sum += static_cast<uint64_t>(header.entries[static_cast<std::size_t>(i)].size);
    }
    index = -1;
    if (sum != header.totalSize) return PackFault::SizesNotTotal;
    if (packLength != kPackHeaderSize + static_cast<uint64_t>(header.totalSize)) return PackFault::LengthMismatch;
    return PackFault::None;
}
