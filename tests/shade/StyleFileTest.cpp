#include "StyleFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "FileUtilities.h"
#include "InstallData.h"
#include "ShadeTestSupport.h"

using namespace morvanel_test;

namespace {

struct StyleFileFixture : ::testing::Test {
    TempDir dir;
    std::string settingsFile = dir.file("Brenix.mv");
    ShadeParams params{};
    LockFlags locks;
    std::vector<std::pair<int, std::string>> messages;
    int refreshes = 0;
    StyleFile style{params, &locks, settingsFile,
                    [this](int id, const std::string& text) { messages.emplace_back(id, text); }};

    void SetUp() override {
        ShadeParamsSetDefaults(params, "/pictures");
        style.SetRefreshPanes([this] { ++refreshes; });
    }
};

// Sets every style entry to a value of its own inside its range (file names
// get text).
void FillDistinct(ShadeParams& params) {
    int32_t value = -7;
    for (const ShadeParamEntry& entry : ShadeParamTable()) {
        if (entry.part != ShadeParamPart::Style) continue;
        if (entry.kind == ShadeParamKind::Int) {
            ShadeParamInt(params, entry) = ShadeParamClamp(entry, value);
            value += 13;
        } else {
            std::snprintf(ShadeParamText(params, entry), kShadeParamsPathSize, "Texture/%s %d.png",
                          std::string(entry.section).c_str(), value);
        }
    }
}

TEST_F(StyleFileFixture, RoundTripKeepsEveryStyleEntry) {
    FillDistinct(params);
    const ShadeParams saved = params;
    ASSERT_EQ(style.SaveParam(dir.file("all.mv").c_str()), 1);

    ShadeParamsSetDefaults(params, "/pictures");
    ASSERT_EQ(style.LoadParam(dir.file("all.mv").c_str()), 1);
    for (const ShadeParamEntry& entry : ShadeParamTable()) {
        if (entry.part != ShadeParamPart::Style) continue;
        if (entry.kind == ShadeParamKind::Int)
            EXPECT_EQ(ShadeParamInt(params, entry), ShadeParamInt(saved, entry)) << entry.key;
        else
            EXPECT_STREQ(ShadeParamText(params, entry), ShadeParamText(saved, entry)) << entry.key;
    }
    EXPECT_EQ(refreshes, 1);
}

TEST_F(StyleFileFixture, SavedDefaultsHaveExactBytes) {
    params.ColorR = 12;
    params.TextureOffX = -35;
    std::strcpy(params.TextureFilename, "Texture/wood.png");
    ASSERT_EQ(style.SaveParam(dir.file("new.mv").c_str()), 1);
    // Only style keys, in this order; no settings-only key goes into a style.
    EXPECT_EQ(ReadBytes(dir.file("new.mv")),
              "[SYSTEM]\r\nVersion=1\r\n"
              "[MODEL]\r\nLength=100\r\nHeight=100\r\nBase=0\r\nBevelPos=0\r\nBevelPow=100\r\nBevelRvs=0\r\n"
              "Smooth=1\r\n"
              "[MATERIAL]\r\nThrough=0\r\nColorH=0\r\nColorS=100\r\nColorV=100\r\nColorR=12\r\nColorG=0\r\n"
              "ColorB=0\r\nColorW=0\r\nSpecular=0\r\nReflect=0\r\nSolarization=0\r\nGammaR=0\r\nGammaG=0\r\n"
              "GammaB=0\r\n"
              "[TEXTURE]\r\nFilename=\"Texture/wood.png\"\r\nScale=50\r\nThv=128\r\nOffX=-35\r\nOffY=0\r\n"
              "Bend=50\r\nColor=50\r\nBump=0\r\nWight=0\r\nHue=0\r\nCroma=0\r\nLight=0\r\nContrast=0\r\n"
              "[FOREGROUND]\r\nFilename=\"\"\r\nScale=50\r\nThv=128\r\nOffX=0\r\nOffY=0\r\nWight=0\r\nHue=0\r\n"
              "Croma=0\r\nLight=0\r\nContrast=0\r\n"
              "[LIGHT]\r\nAmbient=10\r\nLight1=10\r\nAngleH1=45\r\nAngleV1=30\r\nLight2=100\r\nAngleH2=135\r\n"
              "AngleV2=45\r\nShadowEnableMain=1\r\nShadowEnableSub=1\r\nShadowDist=10\r\nShadowWight=50\r\n"
              "ShadowDif=1\r\n");
}

TEST_F(StyleFileFixture, SaveOverExistingFileUpdatesInPlaceAndKeepsForeignKeys) {
    const std::string path = dir.file("old.mv");
    MakeFile(path,
             "[SYSTEM]\r\nVersion=7\r\nAuthor=\"someone\"\r\n"
             "[MODEL]\r\nHeight=3\r\nCustom=42\r\n"
             "[EXTRA]\r\nNote=\"kept\"\r\n");
    params.Height = 64;
    ASSERT_EQ(style.SaveParam(path.c_str()), 1);
    const std::string text = ReadBytes(path);
    EXPECT_EQ(text.rfind("[SYSTEM]\r\nVersion=1\r\nAuthor=\"someone\"\r\n[MODEL]\r\nHeight=64\r\nCustom=42\r\n", 0), 0u)
        << text;
    EXPECT_NE(text.find("[EXTRA]\r\nNote=\"kept\"\r\n"), std::string::npos);
    EXPECT_EQ(text.find("Height=3"), std::string::npos);
}

TEST_F(StyleFileFixture, LockedModelKeepsModelEntriesButReadsVersionAndOtherGroups) {
    FillDistinct(params);
    ASSERT_EQ(style.SaveParam(dir.file("other.mv").c_str()), 1);
    const ShadeParams fromFile = params;

    ShadeParamsSetDefaults(params, "/pictures");
    const ShadeParams before = params;
    locks.SetLocked(kLockModel, true);
    ASSERT_EQ(style.LoadParam(dir.file("other.mv").c_str()), 1);

    EXPECT_EQ(params.Version, fromFile.Version);
    for (const ShadeParamEntry& entry : ShadeParamTable()) {
        if (entry.part != ShadeParamPart::Style || entry.kind != ShadeParamKind::Int) continue;
        const int32_t expected = ShadeParamInt(entry.group == ShadeParamGroup::Model ? before : fromFile, entry);
        EXPECT_EQ(ShadeParamInt(params, entry), expected) << entry.section << "/" << entry.key;
    }
    EXPECT_STREQ(params.TextureFilename, fromFile.TextureFilename);
}

// Keys a style lacks get their defaults, and so does a file name too long for
// its field; a missing settings file gives every style default and keeps the
// settings-only entries and the style's name.
TEST_F(StyleFileFixture, MissingKeysOverlongNamesAndAMissingSettingsFileGiveTheDefaults) {
    params.Length = 7;
    MakeFile(dir.file("named.mv"), "[MODEL]\r\nHeight=9\r\n[TEXTURE]\r\nFilename=\"" + std::string(300, 'a') +
                                       "\"\r\n[LIGHT]\r\nAmbient=33\r\n");
    ASSERT_EQ(style.LoadParam(dir.file("named.mv").c_str()), 1);
    EXPECT_EQ(params.Height, 9);
    EXPECT_EQ(params.LightPower[kLightChannelAmbient], 33);
    EXPECT_EQ(params.Length, 100);
    EXPECT_STREQ(params.TextureFilename, "");

    FillDistinct(params);
    params.SizeFixedStandard = 777;
    ASSERT_EQ(style.LoadParam(settingsFile.c_str()), 1);
    ShadeParams defaults{};
    ShadeParamsSetDefaults(defaults, "/pictures");
    for (const ShadeParamEntry& entry : ShadeParamTable()) {
        if (entry.part != ShadeParamPart::Style) continue;
        if (entry.kind == ShadeParamKind::Int)
            EXPECT_EQ(ShadeParamInt(params, entry), ShadeParamInt(defaults, entry)) << entry.key;
        else
            EXPECT_STREQ(ShadeParamText(params, entry), "");
    }
    EXPECT_EQ(params.SizeFixedStandard, 777);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(style.StyleName(), "named.mv");

    // Without a settings file an empty path is a missing style, not defaults.
    StyleFile unnamed(params, nullptr, "", {});
    EXPECT_EQ(unnamed.LoadParam(""), 0);
}

// The styles shipped as installation data load, keep every value inside the
// range of its control, and name image files that are shipped with them.
TEST(ShippedStyles, LoadWithinRangesAndFindTheirImages) {
    const std::filesystem::path data = InstallDataFolder();
    ASSERT_TRUE(std::filesystem::exists(data / "Style" / "Default.mv"));
    int count = 0;
    for (const auto& file : std::filesystem::directory_iterator(data / "Style")) {
        if (file.path().extension() != ".mv") continue;
        ++count;
        ShadeParams params{};
        ShadeParamsSetDefaults(params, "");
        StyleFile style(params, nullptr, "", {});
        style.SetRangeReport([](const std::string& path, const ShadeParamEntry& entry, int32_t found, int32_t) {
            ADD_FAILURE() << path << ": " << entry.key << " " << found << " is outside its range";
        });
        ASSERT_EQ(style.LoadParam(file.path().c_str()), 1) << file.path();
        for (const ShadeParamEntry& entry : ShadeParamTable()) {
            if (entry.part != ShadeParamPart::Style || entry.kind != ShadeParamKind::Text) continue;
            const std::string name = ShadeParamText(params, entry);
            if (!name.empty()) {
                EXPECT_EQ(GetFileAttributes((data / name).c_str()), 0) << file.path() << ": " << name;
            }
        }
    }
    EXPECT_GE(count, 8);
}

}  // namespace

TEST_F(StyleFileFixture, OutOfRangeValuesAreClampedAndReported) {
    const std::string path = std::string(MORVANEL_SOURCE_DIR) + "/tests/data/bad/style-out-of-range.mv";
    std::vector<std::string> reports;
    style.SetRangeReport([&](const std::string& file, const ShadeParamEntry& entry, int32_t found, int32_t kept) {
        reports.push_back(file + " " + std::string(entry.key) + " " + std::to_string(found) + " " +
                          std::to_string(kept));
    });
    ASSERT_EQ(style.LoadParam(path.c_str()), 1);
    EXPECT_EQ(params.Height, 100);
    EXPECT_EQ(params.Length, 0);
    EXPECT_EQ(params.ShadowDif, 100);
    EXPECT_EQ(reports, (std::vector<std::string>{path + " Length -5 0", path + " Height 101 100",
                                                 path + " ShadowDif 100000 100"}));
}

// Nothing is read from a file that is missing or no style: the record,
// the style name and the folder stay as they were, and the user is told.
TEST_F(StyleFileFixture, FilesThatAreNoStyleAreRefused) {
    const std::string bad = std::string(MORVANEL_SOURCE_DIR) + "/tests/data/bad/";
    const std::string fifo = dir.file("fifo.mv");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string empty = dir.file("empty.mv");
    MakeFile(empty, "");
    const std::string missing = dir.file("nowhere.mv");
    FillDistinct(params);
    struct Case {
        std::string path;
        int messageId;
    };
    for (const Case& c : {Case{bad + "style-no-section.mv", kStyleFileNotStyleMessageId},
                          Case{std::string(MORVANEL_SOURCE_DIR) + "/data/Samples/Star.png", kStyleFileNotStyleMessageId},
                          Case{empty, kStyleFileNotStyleMessageId}, Case{fifo, kStyleFileMissingMessageId},
                          Case{missing, kStyleFileMissingMessageId},
                          Case{dir.path().string(), kStyleFileMissingMessageId}}) {
        SCOPED_TRACE(c.path);
        messages.clear();
        const ShadeParams before = params;
        EXPECT_EQ(style.LoadParam(c.path.c_str()), 0);
        EXPECT_EQ(std::memcmp(&params, &before, sizeof params), 0);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].first, c.messageId);
        EXPECT_NE(messages[0].second.find(c.path), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_EQ(refreshes, 0);
    EXPECT_EQ(style.StyleName(), "");
    EXPECT_EQ(style.SaveParam(dir.file("no-such-folder/x.mv").c_str()), 0);
}
