#include "GimpFilterRun.h"

#include <gtest/gtest.h>

#include "HostParamBlock.h"
#include "HostStyle.h"
#include "InstallData.h"
#include "TempDir.h"

namespace {

using morvanel_test::ScopedHome;
using morvanel_test::TempDir;

// An opaque square in the middle of a transparent area; with a selection,
// the disc-free left half is selected.
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
            pixel[3] = hasAlpha ? (inside ? 255 : 0) : 255;
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

std::string ErrorOf(const GimpAreaSt& area, const GimpReplaySt& replay, const GimpRunOptionsSt& options) {
    try {
        GimpFilterRun(area, replay, options);
    } catch (const GimpRunError& e) {
        return e.what();
    }
    return "no error";
}

class GimpFilterRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        SeedSystemFolder(std::getenv("MORVANEL_HOME"), MORVANEL_TEST_DATA);
        options_.pluginPath = MORVANEL_TEST_PLUGIN;
    }

    TempDir dir_;
    ScopedHome home_{dir_};
    GimpRunOptionsSt options_;
};

TEST_F(GimpFilterRunTest, ReliefIsDrawnWhereTheObjectIsAndRecorded) {
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
            if (!hasAlpha) {
                for (std::size_t i = 3; i < result.rgba.size(); i += 4) ASSERT_EQ(result.rgba[i], 255);
            }
            // Far from the object (and from its shadow) the layer is as it
            // was; an opaque layer without a selection is all object.
            if (hasAlpha || withSelection) {
                const int32_t x = withSelection ? 46 : 1;
                const std::size_t corner = (std::size_t(1) * area.width + x) * 4;
                EXPECT_TRUE(std::equal(&result.rgba[corner], &result.rgba[corner] + 4, &area.rgba[corner]));
            }
        }
}

TEST_F(GimpFilterRunTest, LastBlockReplaysTheRecordedRun) {
    const GimpAreaSt area = SquareArea(true, false);
    const GimpRunResultSt first = GimpFilterRun(area, Style("Glass.mv"), options_);
    GimpReplaySt again;
    again.hasDescriptor = false;
    again.block = first.block;
    EXPECT_EQ(GimpFilterRun(area, again, options_).rgba, first.rgba);
}

TEST_F(GimpFilterRunTest, CancelLeavesNothingToWrite) {
    int calls = 0;
    options_.progress = [&calls](double) { return ++calls < 1; };
    EXPECT_EQ(ErrorOf(SquareArea(true, false), Style("Gold.mv"), options_), "cancelled; the layer is unchanged");
    EXPECT_GE(calls, 1);
}

TEST_F(GimpFilterRunTest, DialogWithoutDisplayIsAnErrorNotACancel) {
    std::vector<std::pair<const char*, std::string>> saved;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (const char* value = std::getenv(name)) saved.emplace_back(name, value);
        ::unsetenv(name);
    }
    options_.withDialog = true;
    const GimpAreaSt area = SquareArea(true, false);
    try {
        GimpFilterRun(area, Style("Gold.mv"), options_);
        ADD_FAILURE() << "the dialog ran without a display";
    } catch (const GimpRunCancelled&) {
        ADD_FAILURE() << "reported as a quiet cancel";
    } catch (const GimpRunError& e) {
        EXPECT_NE(std::string(e.what()).find("No display"), std::string::npos) << e.what();
    }
    for (const auto& [name, value] : saved) ::setenv(name, value.c_str(), 1);
}

TEST_F(GimpFilterRunTest, MissingOrForeignPluginIsNamedInTheMessage) {
    options_.pluginPath = dir_.file("libmissing.so");
    std::string error = ErrorOf(SquareArea(true, false), Style("Gold.mv"), options_);
    EXPECT_NE(error.find(dir_.file("libmissing.so")), std::string::npos) << error;
    EXPECT_NE(error.find("the layer is unchanged"), std::string::npos) << error;

    options_.pluginPath = MORVANEL_TEST_OTHER_VERSION;
    error = ErrorOf(SquareArea(true, false), Style("Gold.mv"), options_);
    EXPECT_NE(error.find(MORVANEL_TEST_OTHER_VERSION), std::string::npos) << error;
    EXPECT_NE(error.find("another version"), std::string::npos) << error;
}

TEST_F(GimpFilterRunTest, AreaTooLargeForTheRecordIsRefused) {
    GimpAreaSt area;
    area.width = 40000;
    area.height = 1;
    area.rgba.assign(std::size_t(area.width) * 4, 0);
    const std::string error = ErrorOf(area, Style("Gold.mv"), options_);
    EXPECT_NE(error.find("40000 x 1"), std::string::npos) << error;
}

}  // namespace
