// Descriptors as the plug-in sees them through the read procedures, and
// action files on disk.  The write procedures are checked with the real
// plug-in recording its entries.
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
const DescriptorKeyID kVersion = FourCharCode("pVer");

DescriptorItems Sample() {
    return {{kHeight, kTypeInteger, -2147483647 - 1, {}}, {kTexture, kTypeText, 0, "Texture/wood.jpg"}};
}

TEST(HostDescriptor, ReaderHandsOutItemsInOrderAndReportsMissingKeysAndWrongTypes) {
    PIDescriptorHandle descriptor = Descriptor_NewHandle(Sample());
    ReadDescriptorProcs* read = Descriptor_ReadProcs();
    const DescriptorKeyID keys[] = {kVersion, kHeight, kTexture, 0};
    PIReadDescriptor reader = read->openReadDescriptorProc(descriptor, keys);
    ASSERT_NE(reader, nullptr);

    DescriptorKeyID key = 0;
    DescriptorTypeID type = 0;
    int32_t flags = -1;
    ASSERT_TRUE(read->getKeyProc(reader, &key, &type, &flags));
    EXPECT_EQ(key, kHeight);
    EXPECT_EQ(type, kTypeInteger);
    int32_t value = 0;
    EXPECT_EQ(read->getIntegerProc(reader, &value), 0);
    EXPECT_EQ(value, -2147483647 - 1);

    ASSERT_TRUE(read->getKeyProc(reader, &key, &type, &flags));
    EXPECT_EQ(key, kTexture);
    Handle text = nullptr;
    ASSERT_EQ(read->getTextProc(reader, &text), 0);
    EXPECT_EQ(HostHandle_Text(text), "Texture/wood.jpg");
    HostHandle_Dispose(text);
    EXPECT_FALSE(read->getKeyProc(reader, &key, &type, &flags));
    EXPECT_EQ(read->closeReadDescriptorProc(reader), kErrMissingParameter);  // no pVer

    // Reading a value of the other type fails the reader.
    reader = read->openReadDescriptorProc(descriptor, keys + 3);
    ASSERT_TRUE(read->getKeyProc(reader, &key, nullptr, nullptr));
    text = nullptr;
    EXPECT_EQ(read->getTextProc(reader, &text), kErrDescriptorWrongType);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(read->closeReadDescriptorProc(reader), kErrDescriptorWrongType);
    EXPECT_EQ(read->openReadDescriptorProc(nullptr, keys), nullptr);
    HostHandle_Dispose(descriptor);
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

TEST(HostAction, SavedActionLoadsBackUnchanged) {
    morvanel_test::TempDir dir;
    HostActionSt action{kPlayDialogDisplay, Sample()};
    std::string error;
    ASSERT_TRUE(HostAction_Save(dir.file("a.json"), action, error)) << error;
    HostActionSt loaded;
    ASSERT_TRUE(HostAction_Load(dir.file("a.json"), loaded, error)) << error;
    EXPECT_EQ(loaded.playInfo, kPlayDialogDisplay);
    ASSERT_EQ(loaded.descriptor.size(), 2u);
    EXPECT_EQ(loaded.descriptor[0].integer, -2147483647 - 1);
    EXPECT_EQ(loaded.descriptor[1].text, "Texture/wood.jpg");
    EXPECT_FALSE(HostAction_Save(dir.file("missing/a.json"), action, error));
    // A path that is not UTF-8 is kept byte for byte, the NUL byte included.
    action.descriptor[1].text = std::string("Texture/\xff\0\xc3.jpg", 15);
    ASSERT_TRUE(HostAction_Save(dir.file("b.json"), action, error)) << error;
    ASSERT_TRUE(HostAction_Load(dir.file("b.json"), loaded, error)) << error;
    EXPECT_EQ(loaded.descriptor[1].text, action.descriptor[1].text);
}

TEST(HostAction, MalformedFilesAreRefusedWithAReason) {
    morvanel_test::TempDir dir;
    const std::pair<const char*, const char*> cases[] = {
        {"not json", "{"},
        {"no descriptor", R"({"playInfo": 0})"},
        {"short key", R"({"descriptor": [{"key": "pMh", "value": 1}]})"},
        {"too large", R"({"descriptor": [{"key": "pMhe", "value": 2147483648}]})"},
        {"fraction", R"({"descriptor": [{"key": "pMhe", "value": 1.5}]})"},
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
    HostActionSt action;
    std::string error;
    EXPECT_FALSE(HostAction_Load(dir.file("absent.json"), action, error));
}

}  // namespace
