#include "GimpReplay.h"

#include "GimpDialogStart.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "HostAction.h"
#include "HostParamBlock.h"
#include "HostStyle.h"
#include "StyleFile.h"
#include "InstallData.h"
#include "TempDir.h"

namespace {

using morvanel_test::ScopedHome;
using morvanel_test::TempDir;

int32_t IntegerOf(const DescriptorItems& items, const char* key) {
    for (const DescriptorItem& item : items)
        if (item.key == Descriptor_KeyFromName(key)) return item.integer;
    ADD_FAILURE() << key << " is missing";
    return 0;
}

std::string ActionText(int32_t colourRed) {
    HostActionSt action;
    action.descriptor = {{Descriptor_KeyFromName("pMcr"), kTypeInteger, colourRed, {}}};
    return HostAction_ToText(action);
}

class GimpReplay : public ::testing::Test {
protected:
    void SetUp() override { SeedSystemFolder(std::getenv("MORVANEL_HOME"), MORVANEL_TEST_DATA); }

    TempDir dir_;
    ScopedHome home_{dir_};
    const std::vector<uint8_t> block_ = std::vector<uint8_t>(sizeof(HostParamBlock), 7);
};

TEST_F(GimpReplay, StyleByNameOrPathIsReplayedWithItsValues) {
    for (const std::string style : {"Gold", MORVANEL_TEST_DATA "/Style/Gold.mv"}) {
        const GimpReplaySt replay = GimpReplay_Choose(LayerRunMode::NonInteractive, style, {ActionText(3), block_});
        EXPECT_TRUE(replay.hasDescriptor) << style;
        EXPECT_EQ(IntegerOf(replay.descriptor, "pMcr"), 225) << style;
        EXPECT_EQ(replay.descriptor.size(), std::size_t(kShadeParamsScriptCount));
        EXPECT_EQ(replay.block, block_) << "the last block goes along for its strip height";
    }
}

TEST_F(GimpReplay, StyleThatCannotBeReadStopsTheRun) {
    EXPECT_THROW(GimpReplay_Choose(LayerRunMode::NonInteractive, "NoSuchStyle", {}), GimpRunError);
    EXPECT_THROW(GimpReplay_Choose(LayerRunMode::NonInteractive, dir_.file("none.mv"), {}), GimpRunError);
}

TEST_F(GimpReplay, WithoutStyleTheLayersReliefComesFirstThenTheLastRunThenTheDefaults) {
    struct Case {
        LayerRunMode mode;
        GimpRememberedSt remembered;
        bool hasDescriptor;
        const char* source;
    };
    const Case cases[] = {
        {LayerRunMode::NonInteractive, {ActionText(3), block_}, true, "the layer's last relief"},
        {LayerRunMode::Interactive, {ActionText(3), block_}, true, "the layer's last relief"},
        {LayerRunMode::Interactive, {"", block_}, false, "the parameters of the last run"},
        {LayerRunMode::NonInteractive, {"", {}}, true, "the default parameters"},
        {LayerRunMode::WithLastValues, {ActionText(3), block_}, false, "the parameters of the last run"},
        {LayerRunMode::WithLastValues, {ActionText(3), {}}, true, "the layer's last relief"},
    };
    for (const Case& c : cases) {
        const GimpReplaySt replay = GimpReplay_Choose(c.mode, "", c.remembered);
        EXPECT_EQ(replay.source, c.source) << int(c.mode);
        EXPECT_EQ(replay.hasDescriptor, c.hasDescriptor) << c.source;
        if (replay.source == std::string("the layer's last relief")) {
            EXPECT_EQ(IntegerOf(replay.descriptor, "pMcr"), 3);
        } else if (replay.source == std::string("the default parameters")) {
            EXPECT_EQ(replay.descriptor.size(), std::size_t(kShadeParamsScriptCount));
        }
        EXPECT_TRUE(replay.note.empty()) << replay.note;
    }
}

TEST_F(GimpReplay, UnreadableReliefAndForeignBlockAreIgnoredWithANote) {
    const GimpReplaySt replay =
        GimpReplay_Choose(LayerRunMode::NonInteractive, "", {"{not json", std::vector<uint8_t>(100, 1)});
    EXPECT_EQ(replay.source, "the default parameters");
    EXPECT_TRUE(replay.block.empty()) << "a block of another size never reaches the plug-in";
    EXPECT_NE(replay.note.find("cannot be read"), std::string::npos) << replay.note;
    EXPECT_NE(replay.note.find("another version"), std::string::npos) << replay.note;
}

TEST_F(GimpReplay, LayersReliefBecomesTheDialogsStartAndOtherSettingsStay) {
    const std::string settings = dir_.file("Settings.mv");
    {
        std::ofstream out(settings, std::ios::binary);
        out << "[USER]\r\nWindowX=17\r\n[MATERIAL]\r\nColorR=10\r\nColorG=20\r\n";
    }
    DescriptorItems relief = HostStyle_Descriptor(HostStyle_Defaults());
    for (DescriptorItem& item : relief) {
        if (item.key == Descriptor_KeyFromName("pMcr")) item.integer = 3;
        if (item.key == Descriptor_KeyFromName("pMcg")) item.integer = 90;
        if (item.key == Descriptor_KeyFromName("pMcb")) item.integer = 240;
        if (item.key == Descriptor_KeyFromName("pTpa")) item.text = "Texture/wood.jpg";
    }
    std::string error;
    ASSERT_TRUE(GimpDialogStart_Write(relief, settings, error)) << error;

    ShadeParams params = HostStyle_Defaults();
    StyleFile file(params, nullptr, settings, {});
    ASSERT_EQ(file.LoadParam(settings.c_str()), 1);
    EXPECT_EQ(params.ColorR, 3);
    ShadeParams derived = params;
    ShadeParamsDeriveColorHsv(derived);
    EXPECT_EQ(params.ColorH, derived.ColorH) << "hue follows the recorded colour";
    EXPECT_NE(params.ColorH, HostStyle_Defaults().ColorH);
    EXPECT_STREQ(params.TextureFilename, "Texture/wood.jpg");
    std::ifstream in(settings, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_NE(text.find("WindowX=17"), std::string::npos) << text;

    EXPECT_FALSE(GimpDialogStart_Write(relief, dir_.file("no/such/folder/Settings.mv"), error));
}

}  // namespace
