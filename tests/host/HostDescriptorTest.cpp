// Damaged descriptor handles and action files are refused.  Reading and
// writing descriptors is checked with the real plug-in replaying and
// recording its entries, and action files through the command.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "HostAction.h"
#include "HostDescriptor.h"
#include "HostHandles.h"
#include "TempDir.h"

namespace {

const DescriptorKeyID kHeight = FourCharCode("pMhe");
const DescriptorKeyID kTexture = FourCharCode("pTpa");

DescriptorItems Sample() {
    return {{kHeight, kTypeInteger, -2147483647 - 1, {}}, {kTexture, kTypeText, 0, "Texture/wood.jpg"}};
}

TEST(HostDescriptor, CorruptHandleContentIsRefused) {
    PIDescriptorHandle whole = Descriptor_NewHandle(Sample());
    std::span<uint8_t> bytes = HostHandle_Bytes(whole);
    Handle cut = HostHandle_New(bytes.first(bytes.size() - 1));  // the text's last character missing
    EXPECT_THROW(Descriptor_FromHandle(cut), DescriptorError);
    const DescriptorKeyID keys[] = {0};
    EXPECT_EQ(Descriptor_ReadProcs()->openReadDescriptorProc(cut, keys), nullptr);
    std::vector<uint8_t> unknownType(bytes.begin(), bytes.end());
    unknownType[4] ^= 0xff;  // the first item's type
    Handle odd = HostHandle_New(unknownType);
    EXPECT_THROW(Descriptor_FromHandle(odd), DescriptorError);
    for (Handle handle : {whole, cut, odd}) HostHandle_Dispose(handle);
}

TEST(HostAction, MalformedFilesAreRefusedWithAReason) {
    morvanel_test::TempDir dir;
    const std::pair<const char*, const char*> cases[] = {
        {"not json", "{"},
        {"no descriptor", R"({"playInfo": 0})"},
        {"short key", R"({"descriptor": [{"key": "pMh", "value": 1}]})"},
        {"too large", R"({"descriptor": [{"key": "pMhe", "value": 2147483648}]})"},
        {"no value", R"({"descriptor": [{"key": "pMhe"}]})"},
        {"play info", R"({"playInfo": 7, "descriptor": []})"},
        {"odd hex", R"({"descriptor": [{"key": "pTpa", "value": {"hex": "2f7"}}]})"},
        {"not hex", R"({"descriptor": [{"key": "pTpa", "value": {"hex": "zz"}}]})"},
        {"other object", R"({"descriptor": [{"key": "pTpa", "value": {"text": "a"}}]})"},
    };
    for (const auto& [name, text] : cases) {
        std::ofstream(dir.file("bad.json")) << text;
        HostActionSt action{kPlayDialogSilent, Sample()};
        std::string error;
        EXPECT_FALSE(HostAction_Load(dir.file("bad.json"), action, error)) << name;
        EXPECT_FALSE(error.empty()) << name;
        EXPECT_EQ(action.playInfo, kPlayDialogSilent) << name;  // untouched
    }
}

}  // namespace
