#include "GimpReplay.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "HostAction.h"
#include "HostParamBlock.h"
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

}  // namespace
