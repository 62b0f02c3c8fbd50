#pragma once
// The host's scripting descriptors: an ordered list of key/type/value items.
//
// A descriptor handle holds the items one after the other: key and type (4
// bytes each), then an integer's 4 bytes, or a text's length (4 bytes) and
// characters, in the machine's byte order (a handle never leaves the
// process).  The read procedures open a reader over such a handle and hand
// out its items in order; the write procedures collect items and close into
// a new handle.  Integers are signed 32-bit, texts are byte strings; action
// files hold the same items as JSON (Descriptor_ToJson).
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "HostInterface.h"

struct DescriptorItem {
    DescriptorKeyID key = 0;
    DescriptorTypeID type = kTypeInteger;  // kTypeInteger or kTypeText
    int32_t integer = 0;
    std::string text;
};
using DescriptorItems = std::vector<DescriptorItem>;

// A descriptor that cannot be read: the message says what is wrong.
class DescriptorError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The status a get procedure answers when the item has another type.
constexpr HostErr kErrDescriptorWrongType = -1716;

// "pMhe" <-> its four-character code.  A key must be four printable
// characters; anything else is a DescriptorError.
std::string Descriptor_KeyName(DescriptorKeyID key);
DescriptorKeyID Descriptor_KeyFromName(std::string_view name);

// [{"key": "pMhe", "value": 12}, {"key": "pTpa", "value": "Texture/a.jpg"}]:
// a number is an integer item, a string a text item.  A text that is not
// valid UTF-8 is written as its bytes in hexadecimal,
// {"key": "pTpa", "value": {"hex": "2f746d702fe92e6a7067"}}, and read back
// byte for byte.
nlohmann::json Descriptor_ToJson(const DescriptorItems& items);
DescriptorItems Descriptor_FromJson(const nlohmann::json& json);

// A new handle holding the items; null when no memory.
PIDescriptorHandle Descriptor_NewHandle(const DescriptorItems& items);
// The items of a descriptor handle; a DescriptorError when the handle is not
// live or its content is cut short or of an unknown type.
DescriptorItems Descriptor_FromHandle(PIDescriptorHandle descriptor);

// The tables to place in PIDescriptorParameters.
ReadDescriptorProcs* Descriptor_ReadProcs();
WriteDescriptorProcs* Descriptor_WriteProcs();
