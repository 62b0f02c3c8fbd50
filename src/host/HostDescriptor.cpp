#include "HostDescriptor.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <limits>
#include <memory>

#include "HostHandles.h"

// An open reader: the descriptor's items, the position of the current one,
// and whether every expected key was seen.
struct HostReadDescriptorRecord {
    DescriptorItems items;
    std::vector<DescriptorKeyID> expected;
    std::size_t next = 0;  // index of the item after the current one
    HostErr status = 0;
};

struct HostWriteDescriptorRecord {
    DescriptorItems items;
};

namespace {

void AppendWord(std::vector<uint8_t>& bytes, uint32_t word) {
    const auto* raw = reinterpret_cast<const uint8_t*>(&word);
    bytes.insert(bytes.end(), raw, raw + sizeof word);
}

// Reads a descriptor handle's content, refusing to run past its end.
class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    bool AtEnd() const { return position_ == bytes_.size(); }
    uint32_t Word() {
        uint32_t word = 0;
        std::memcpy(&word, Take(sizeof word), sizeof word);
        return word;
    }
    std::string Text(uint32_t length) {
        const uint8_t* start = Take(length);
        return {reinterpret_cast<const char*>(start), length};
    }

private:
    const uint8_t* Take(std::size_t count) {
        if (bytes_.size() - position_ < count) throw DescriptorError("the descriptor's content is cut short");
        const uint8_t* start = bytes_.data() + position_;
        position_ += count;
        return start;
    }
    std::span<const uint8_t> bytes_;
    std::size_t position_ = 0;
};

bool IsPrintable(char c) { return c >= 0x20 && c < 0x7f; }

int32_t JsonInteger(const nlohmann::json& value, const std::string& key) {
    if (value.is_number_integer()) {
        const auto wide = value.get<int64_t>();
        if (wide >= std::numeric_limits<int32_t>::min() && wide <= std::numeric_limits<int32_t>::max())
            return static_cast<int32_t>(wide);
    }
    throw DescriptorError("the value of \"" + key + "\" is not a 32-bit integer");
}

// A text that is not UTF-8 (a file name in another encoding) cannot be a
// JSON string; it is kept byte for byte as {"hex": "2f746d70e9"}.
nlohmann::json TextToJson(const std::string& text) {
    nlohmann::json json(text);
    try {
        (void)json.dump();
        return json;
    } catch (const nlohmann::json::type_error&) {
        static constexpr char kDigits[] = "0123456789abcdef";
        std::string hex;
        for (unsigned char c : text) hex += {kDigits[c >> 4], kDigits[c & 15]};
        return {{"hex", hex}};
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string TextFromJson(const nlohmann::json& value, const std::string& key) {
    if (value.is_string()) return value.get<std::string>();
    const std::string error = "the value of \"" + key + "\" must be a string or {\"hex\": \"...\"}";
    if (value.size() != 1 || !value.contains("hex") || !value["hex"].is_string()) throw DescriptorError(error);
    const std::string hex = value["hex"].get<std::string>();
    if (hex.size() % 2 != 0) throw DescriptorError(error);
    std::string text;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexDigit(hex[i]), low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0) throw DescriptorError(error);
        text += static_cast<char>(high * 16 + low);
    }
    return text;
}

DescriptorItem ItemFromJson(const nlohmann::json& entry) {
    if (!entry.is_object() || !entry.contains("key") || !entry.contains("value") || !entry["key"].is_string())
        throw DescriptorError("a descriptor item needs a \"key\" string and a \"value\"");
    const std::string name = entry["key"].get<std::string>();
    DescriptorItem item;
    item.key = Descriptor_KeyFromName(name);
    const nlohmann::json& value = entry["value"];
    if (value.is_string() || value.is_object()) {
        item.type = kTypeText;
        item.text = TextFromJson(value, name);
    } else {
        item.type = kTypeInteger;
        item.integer = JsonInteger(value, name);
    }
    return item;
}

// ---- read procedures ----

PIReadDescriptor OpenReadProc(PIDescriptorHandle descriptor, const DescriptorKeyID* keys) {
    if (!HostHandle_IsLive(descriptor)) return nullptr;
    auto reader = std::make_unique<HostReadDescriptorRecord>();
    try {
        reader->items = Descriptor_FromHandle(descriptor);
    } catch (const DescriptorError&) {
        return nullptr;
    }
    for (const DescriptorKeyID* key = keys; key != nullptr && *key != 0; ++key) reader->expected.push_back(*key);
    return reader.release();
}

HostErr CloseReadProc(PIReadDescriptor reader) {
    if (reader == nullptr) return 0;
    std::unique_ptr<HostReadDescriptorRecord> owned(reader);
    if (owned->status != 0) return owned->status;
    for (DescriptorKeyID key : owned->expected) {
        const bool present = std::any_of(owned->items.begin(), owned->items.end(),
                                         [key](const DescriptorItem& item) { return item.key == key; });
        if (!present) return kErrMissingParameter;
    }
    return 0;
}

HostBoolean GetKeyProc(PIReadDescriptor reader, DescriptorKeyID* key, DescriptorTypeID* type, int32_t* flags) {
    if (reader == nullptr || reader->next >= reader->items.size()) return 0;
    const DescriptorItem& item = reader->items[reader->next++];
    if (key != nullptr) *key = item.key;
    if (type != nullptr) *type = item.type;
    if (flags != nullptr) *flags = 0;
    return 1;
}

// The item the last getKey call returned, or null before the first.
const DescriptorItem* CurrentItem(PIReadDescriptor reader) {
    if (reader == nullptr || reader->next == 0) return nullptr;
    return &reader->items[reader->next - 1];
}

HostErr Fail(PIReadDescriptor reader, HostErr status) {
    if (reader != nullptr && reader->status == 0) reader->status = status;
    return status;
}

HostErr GetIntegerProc(PIReadDescriptor reader, int32_t* value) {
    const DescriptorItem* item = CurrentItem(reader);
    if (item == nullptr || item->type != kTypeInteger || value == nullptr)
        return Fail(reader, kErrDescriptorWrongType);
    *value = item->integer;
    return 0;
}

HostErr GetTextProc(PIReadDescriptor reader, Handle* text) {
    const DescriptorItem* item = CurrentItem(reader);
    if (item == nullptr || item->type != kTypeText || text == nullptr) return Fail(reader, kErrDescriptorWrongType);
    *text = HostHandle_NewText(item->text);
    return *text == nullptr ? Fail(reader, HostErr{kResultMemFull}) : HostErr{0};
}

// ---- write procedures ----

PIWriteDescriptor OpenWriteProc() { return new HostWriteDescriptorRecord; }

HostErr CloseWriteProc(PIWriteDescriptor writer, PIDescriptorHandle* newDescriptor) {
    if (writer == nullptr) return kErrDescriptorWrongType;
    std::unique_ptr<HostWriteDescriptorRecord> owned(writer);
    if (newDescriptor == nullptr) return 0;
    *newDescriptor = Descriptor_NewHandle(owned->items);
    return *newDescriptor == nullptr ? HostErr{kResultMemFull} : HostErr{0};
}

HostErr PutIntegerProc(PIWriteDescriptor writer, DescriptorKeyID key, int32_t value) {
    if (writer == nullptr) return kErrDescriptorWrongType;
    writer->items.push_back({key, kTypeInteger, value, {}});
    return 0;
}

HostErr PutTextProc(PIWriteDescriptor writer, DescriptorKeyID key, Handle text) {
    if (writer == nullptr || !HostHandle_IsLive(text)) return kErrDescriptorWrongType;
    writer->items.push_back({key, kTypeText, 0, std::string(HostHandle_Text(text))});
    return 0;
}

}  // namespace

std::string Descriptor_KeyName(DescriptorKeyID key) {
    std::string name(4, ' ');
    for (int i = 0; i < 4; ++i) name[i] = static_cast<char>((key >> (24 - 8 * i)) & 0xff);
    if (!std::all_of(name.begin(), name.end(), IsPrintable))
        throw DescriptorError("descriptor key " + std::to_string(key) + " is not four printable characters");
    return name;
}

DescriptorKeyID Descriptor_KeyFromName(std::string_view name) {
    if (name.size() != 4 || !std::all_of(name.begin(), name.end(), IsPrintable))
        throw DescriptorError("descriptor key \"" + std::string(name) + "\" is not four printable characters");
    DescriptorKeyID key = 0;
    for (char c : name) key = (key << 8) | static_cast<uint8_t>(c);
    return key;
}

nlohmann::json Descriptor_ToJson(const DescriptorItems& items) {
    nlohmann::json list = nlohmann::json::array();
    for (const DescriptorItem& item : items) {
        nlohmann::json value = item.type == kTypeText ? TextToJson(item.text) : nlohmann::json(item.integer);
        list.push_back({{"key", Descriptor_KeyName(item.key)}, {"value", std::move(value)}});
    }
    return list;
}

DescriptorItems Descriptor_FromJson(const nlohmann::json& json) {
    if (!json.is_array()) throw DescriptorError("a descriptor must be a list of items");
    DescriptorItems items;
    for (const nlohmann::json& entry : json) items.push_back(ItemFromJson(entry));
    return items;
}

PIDescriptorHandle Descriptor_NewHandle(const DescriptorItems& items) {
    std::vector<uint8_t> bytes;
    for (const DescriptorItem& item : items) {
        AppendWord(bytes, item.key);
        AppendWord(bytes, item.type);
        if (item.type == kTypeText) {
            AppendWord(bytes, static_cast<uint32_t>(item.text.size()));
            bytes.insert(bytes.end(), item.text.begin(), item.text.end());
        } else {
            AppendWord(bytes, static_cast<uint32_t>(item.integer));
        }
    }
    return HostHandle_New(bytes);
}

DescriptorItems Descriptor_FromHandle(PIDescriptorHandle descriptor) {
    if (!HostHandle_IsLive(descriptor)) throw DescriptorError("no descriptor");
    ByteReader reader(HostHandle_Bytes(descriptor));
    DescriptorItems items;
    while (!reader.AtEnd()) {
        DescriptorItem item;
        item.key = reader.Word();
        item.type = reader.Word();
        if (item.type == kTypeText) item.text = reader.Text(reader.Word());
        else if (item.type == kTypeInteger) item.integer = static_cast<int32_t>(reader.Word());
        else throw DescriptorError("the descriptor holds an item of an unknown type");
        items.push_back(std::move(item));
    }
    return items;
}

ReadDescriptorProcs* Descriptor_ReadProcs() {
    static ReadDescriptorProcs procs{kCurrentDescriptorProcsVersion,
                                     kCurrentReadDescriptorProcsCount,
                                     OpenReadProc,
                                     CloseReadProc,
                                     GetKeyProc,
                                     GetIntegerProc,
                                     GetTextProc};
    return &procs;
}

WriteDescriptorProcs* Descriptor_WriteProcs() {
    static WriteDescriptorProcs procs{kCurrentDescriptorProcsVersion,
                                      kCurrentWriteDescriptorProcsCount,
                                      OpenWriteProc,
                                      CloseWriteProc,
                                      PutIntegerProc,
                                      PutTextProc};
    return &procs;
}
