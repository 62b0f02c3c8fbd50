// The GIMP plug-in's own parts without GIMP: the layer's pixels, the choice
// of what a run replays, the dialog's start, and the run of the real plug-in
// library on a layer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "GimpDialogStart.h"
#include "GimpFilterRun.h"
#include "GimpLayerPixels.h"
#include "GimpReplay.h"
#include "HostAction.h"
#include "HostParamBlock.h"
#include "HostStyle.h"
#include "InstallData.h"
#include "StyleFile.h"
#include "TempDir.h"

namespace {

TEST(GimpLayerPixels, PlanesFollowTheAlphaAndEveryPixelKeepsItsPlace) {
    // Every byte distinct, so a swapped row, column or plane shows.
    const int32_t width = 5, height = 7;
    std::vector<uint8_t> rgba(std::size_t(width) * height * 4);
    for (std::size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<uint8_t>(i * 7 + 3);
    for (const bool hasAlpha : {true, false}) {
        SCOPED_TRACE(hasAlpha ? "with alpha" : "without alpha");
        const HostImageSt image = LayerPixels_ToHostImage(rgba, width, height, hasAlpha);
        const int planes = hasAlpha ? 4 : 3;
        ASSERT_EQ(image.planes, planes);
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                for (int plane = 0; plane < planes; ++plane)
                    ASSERT_EQ(image.Pixel(x, y)[plane], rgba[(std::size_t(y) * width + x) * 4 + plane]);
        // Back to the layer: unchanged with alpha, opaque without.
        std::vector<uint8_t> expected = rgba;
        if (!hasAlpha)
            for (std::size_t i = 3; i < expected.size(); i += 4) expected[i] = 255;
        EXPECT_EQ(LayerPixels_FromHostImage(image), expected);
    }
}

TEST(GimpLayerPixels, SizeThatDisagreesWithThePixelsIsRefused) {
    const std::vector<uint8_t> twoPixels(8, 1);
    EXPECT_THROW(LayerPixels_ToHostImage(twoPixels, 3, 1, true), std::invalid_argument);
    EXPECT_THROW(LayerPixels_ToHostImage(twoPixels, -2, -1, true), std::invalid_argument);
}

// An opaque square in the middle of a transparent area; with a selection,
// the left half of the square and the ground left of it are selected.
GimpAreaSt SquareArea(bool hasAlpha, bool withSelection) {
    GimpAreaSt area;
    area.width = 48;
    area.height = 40;
    area.hasAlpha = hasAlpha;
    area.rgba.resize(std::size_t(area.width) * area.height * 4);
    for (int32_t y = 0; y < area.height; ++y)
        for (int32_t x = 0; x < area.width; ++x) {
            uint8_t* pixel = &area.rgba[(std::size_t(y) * area.width + x) * 4];
            const bool inside = x >= 12 && x < 36 && y >= 10 && y < 30;
            pixel[0] = 200, pixel[1] = uint8_t(100 + x), pixel[2] = uint8_t(50 + y);
            pixel[3] = hasAlpha && !inside ? 0 : 255;
        }
    if (withSelection) {
        area.selection.assign(std::size_t(area.width) * area.height, 0);
        for (int32_t y = 8; y < 32; ++y)
            for (int32_t x = 4; x < 24; ++x) area.selection[std::size_t(y) * area.width + x] = 255;
    }
    return area;
}

GimpReplaySt Style(const char* name) {
    ShadeParams params = HostStyle_Defaults();
    std::string error;
    EXPECT_TRUE(HostStyle_Load(std::string(MORVANEL_TEST_DATA "/Style/") + name, params, error)) << error;
    GimpReplaySt replay;
    replay.descriptor = HostStyle_Descriptor(params);
    return replay;
}

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

class GimpRun : public ::testing::Test {
protected:
    void SetUp() override {
        SeedSystemFolder(std::getenv("MORVANEL_HOME"), MORVANEL_TEST_DATA);
        options_.pluginPath = MORVANEL_TEST_PLUGIN;
    }
    // The message of the run's failure on the square, marked when it is a
    // quiet cancel; or "no error".
    std::string ErrorOf(const GimpAreaSt& area = SquareArea(true, false)) const {
        try {
            GimpFilterRun(area, Style("Gold.mv"), options_);
        } catch (const GimpRunCancelled& e) {
            return std::string("quiet cancel: ") + e.what();
        } catch (const GimpRunError& e) {
            return e.what();
        }
        return "no error";
    }

    morvanel_test::TempDir dir_;
    morvanel_test::ScopedHome home_{dir_};
    GimpRunOptionsSt options_;
    const std::vector<uint8_t> block_ = std::vector<uint8_t>(sizeof(HostParamBlock), 7);
};

TEST_F(GimpRun, StyleByNameOrPathIsReplayedWithItsValues) {
    for (const std::string style : {"Gold", MORVANEL_TEST_DATA "/Style/Gold.mv"}) {
        const GimpReplaySt replay = GimpReplay_Choose(LayerRunMode::NonInteractive, style, {ActionText(3), block_});
        EXPECT_EQ(IntegerOf(replay.descriptor, "pMcr"), 225) << style;
        EXPECT_EQ(replay.block, block_) << "the last block goes along for its strip height";
    }
    EXPECT_THROW(GimpReplay_Choose(LayerRunMode::NonInteractive, "NoSuchStyle", {}), GimpRunError);
    EXPECT_THROW(GimpReplay_Choose(LayerRunMode::NonInteractive, dir_.file("none.mv"), {}), GimpRunError);
}

TEST_F(GimpRun, WithoutStyleTheLayersReliefComesFirstThenTheLastRunThenTheDefaults) {
    const std::string relief = "the layer's last relief", last = "the parameters of the last run";
    const std::string defaults = "the default parameters";
    const struct {
        LayerRunMode mode;
        GimpRememberedSt remembered;
        std::string source;
        int32_t red;  // -1: no descriptor, the block replays
    } cases[] = {
        {LayerRunMode::NonInteractive, {ActionText(3), block_}, relief, 3},
        {LayerRunMode::Interactive, {"", block_}, last, -1},
        {LayerRunMode::NonInteractive, {"", {}}, defaults, 255},
        {LayerRunMode::WithLastValues, {ActionText(3), block_}, last, -1},
        {LayerRunMode::WithLastValues, {ActionText(3), {}}, relief, 3},
        // Passed over with a note; the block never reaches the plug-in.
        {LayerRunMode::NonInteractive, {"{not json", std::vector<uint8_t>(100, 1)}, defaults, 255},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source + " " + std::to_string(int(c.mode)));
        const GimpReplaySt replay = GimpReplay_Choose(c.mode, "", c.remembered);
        EXPECT_EQ(replay.source, c.source);
        EXPECT_EQ(replay.hasDescriptor, c.red >= 0);
        EXPECT_EQ(c.red >= 0 ? IntegerOf(replay.descriptor, "pMcr") : -1, c.red);
        EXPECT_EQ(replay.descriptor.size() == std::size_t(kShadeParamsScriptCount), c.source == defaults);
        const bool foreign = c.remembered.lastBlock.size() == 100;
        EXPECT_EQ(replay.block.empty(), foreign || c.remembered.lastBlock.empty());
        EXPECT_EQ(replay.note.find("cannot be read") != std::string::npos, foreign) << replay.note;
        EXPECT_EQ(replay.note.find("another version") != std::string::npos, foreign) << replay.note;
    }
}

TEST_F(GimpRun, LayersReliefBecomesTheDialogsStartAndOtherSettingsStay) {
    const std::string settings = dir_.file("Settings.mv");
    std::ofstream(settings, std::ios::binary) << "[USER]\r\nWindowX=17\r\n[MATERIAL]\r\nColorR=10\r\n";
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
    EXPECT_STREQ(params.TextureFilename, "Texture/wood.jpg");
    std::ifstream in(settings, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_NE(text.find("WindowX=17"), std::string::npos) << text;

    EXPECT_FALSE(GimpDialogStart_Write(relief, dir_.file("no/such/folder/Settings.mv"), error));
}

TEST_F(GimpRun, ReliefIsDrawnWhereTheObjectIsAndRecorded) {
    for (const bool hasAlpha : {true, false})
        for (const bool withSelection : {false, true}) {
            SCOPED_TRACE(testing::Message() << "alpha " << hasAlpha << ", selection " << withSelection);
            const GimpAreaSt area = SquareArea(hasAlpha, withSelection);
            const GimpRunResultSt result = GimpFilterRun(area, Style("Gold.mv"), options_);
            ASSERT_EQ(result.rgba.size(), area.rgba.size());
            EXPECT_NE(result.rgba, area.rgba);
            EXPECT_EQ(result.block.size(), sizeof(HostParamBlock));
            EXPECT_EQ(result.recorded.size(), std::size_t(kShadeParamsScriptCount));
            // A layer without alpha stays opaque everywhere.
            for (std::size_t i = 3; !hasAlpha && i < result.rgba.size(); i += 4) ASSERT_EQ(result.rgba[i], 255);
            // Far from the object (and its shadow) the layer is as it was;
            // an opaque layer without a selection is all object.
            if (hasAlpha || withSelection) {
                const std::size_t corner = (std::size_t(1) * area.width + (withSelection ? 46 : 1)) * 4;
                EXPECT_TRUE(std::equal(&result.rgba[corner], &result.rgba[corner] + 4, &area.rgba[corner]));
            }
        }
}

TEST_F(GimpRun, LastBlockReplaysTheRecordedRun) {
    const GimpAreaSt area = SquareArea(true, false);
    const GimpRunResultSt first = GimpFilterRun(area, Style("Glass.mv"), options_);
    GimpReplaySt again;
    again.hasDescriptor = false;
    again.block = first.block;
    EXPECT_EQ(GimpFilterRun(area, again, options_).rgba, first.rgba);
}

TEST_F(GimpRun, FailuresNameTheirCauseAndLeaveTheLayer) {
    options_.progress = [](double) { return false; };
    EXPECT_EQ(ErrorOf(), "cancelled; the layer is unchanged");
    options_.progress = nullptr;

    GimpAreaSt tooWide;
    tooWide.width = 40000;
    tooWide.height = 1;
    tooWide.rgba.assign(std::size_t(tooWide.width) * 4, 0);
    EXPECT_NE(ErrorOf(tooWide).find("40000 x 1"), std::string::npos) << ErrorOf(tooWide);

    // A silent run that ends without a result failed; it was no user's cancel.
    const std::string missing = dir_.file("libmissing.so");
    const std::pair<std::string, std::string> plugins[] = {
        {missing, missing},
        {MORVANEL_TEST_OTHER_VERSION, MORVANEL_TEST_OTHER_VERSION " is a plug-in of another version"},
        {MORVANEL_TEST_SILENT_CANCEL, "the plug-in ended the run without a result; the layer is unchanged"},
    };
    for (const auto& [plugin, cause] : plugins) {
        options_.pluginPath = plugin;
        const std::string error = ErrorOf();
        EXPECT_NE(error.find(cause), std::string::npos) << error;
        EXPECT_FALSE(error.starts_with("quiet cancel")) << error;
    }
}

}  // namespace
