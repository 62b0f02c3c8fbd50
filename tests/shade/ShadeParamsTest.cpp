// The parameter record and its entry table.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "ShadeParams.h"

static_assert(std::is_trivially_copyable_v<ShadeParams>);
static_assert(std::is_standard_layout_v<ShadeParams>);

namespace {

ShadeParams Defaults(std::string_view pictures = "/home/u/Pictures") {
    ShadeParams params;
    std::memset(&params, 0x5A, sizeof params);  // stale content must not survive
    ShadeParamsSetDefaults(params, pictures);
    return params;
}

}  // namespace

TEST(ShadeParamsTable, ScriptKeysNumberTheEntriesInHostOrder) {
    const std::vector<std::string> expected = {
        "pVer", "pSms", "pSfs", "pStl", "pSsl", "pSeo", "pMle", "pMhe", "pMba", "pMbp",
        "pMbw", "pMbr", "pMsm", "pMth", "pMcr", "pMcg", "pMcb", "pMcw", "pMgr", "pMgg",
        "pMgb", "pMsp", "pMrf", "pMsl", "pTpa", "pTsc", "pTtv", "pTox", "pToy", "pTbe",
        "pTco", "pTbu", "pTwi", "pThu", "pTcr", "pTli", "pTct", "pEpa", "pEsc", "pEtv",
        "pEox", "pEoy", "pEwi", "pEhu", "pEcr", "pEli", "pEct", "pLp0", "pLp1", "pLp2",
        "pLh1", "pLh2", "pLv1", "pLv2", "pLem", "pLes", "pLsw", "pLsf", "pLsd"};
    ASSERT_EQ(expected.size(), static_cast<std::size_t>(kShadeParamsScriptCount));
    for (int i = 0; i < kShadeParamsScriptCount; ++i) {
        const ShadeParamEntry* entry = ShadeParamByScriptIndex(i);
        ASSERT_NE(entry, nullptr) << i;
        EXPECT_EQ(entry->scriptKey, expected[i]) << i;
    }
    EXPECT_EQ(ShadeParamByScriptIndex(-1), nullptr);
    EXPECT_EQ(ShadeParamByScriptIndex(59), nullptr);
    EXPECT_EQ(ShadeParamTable().size(), 68u);
}

// Style files hold the style sections in a fixed key order (checked on the
// bytes of a saved style); the settings-only sections are checked here.
TEST(ShadeParamsTable, SettingsKeysAreListedInFileOrder) {
    std::vector<std::string> keys;
    for (const ShadeParamEntry& entry : ShadeParamTable())
        if (entry.part == ShadeParamPart::Settings) keys.emplace_back(entry.key);
    EXPECT_EQ(keys, (std::vector<std::string>{"SizeStandard", "SizeFixedStandard", "TextureLocateCanvas",
                                              "SaveLockStatus", "EraseOutside", "MotionUiDisp", "MotionDevide",
                                              "CopyImageFile", "PathDefault", "BackupMode", "RestoreWork"}));
}

TEST(ShadeParamsTable, EveryEntryOwnsItsOwnField) {
    // Mark each field through the table, then check the named fields.
    ShadeParams params{};
    std::set<std::size_t> offsets;
    for (const ShadeParamEntry& entry : ShadeParamTable()) {
        EXPECT_TRUE(offsets.insert(entry.offset).second) << entry.key;
        EXPECT_EQ(entry.part == ShadeParamPart::Settings, entry.group == ShadeParamGroup::None) << entry.key;
        if (entry.kind == ShadeParamKind::Int) {
            EXPECT_EQ(entry.offset % alignof(int32_t), 0u) << entry.key;
            EXPECT_LE(entry.offset + sizeof(int32_t), sizeof(ShadeParams));
            ShadeParamInt(params, entry) = 1000 + static_cast<int32_t>(offsets.size());
        }
    }
    const auto value = [&](const char* section, const char* key) {
        return ShadeParamInt(params, *ShadeParamByKey(section, key));
    };
    EXPECT_EQ(params.LightPower[0], value("LIGHT", "Ambient"));
    EXPECT_EQ(params.LightPower[1], value("LIGHT", "Light1"));
    EXPECT_EQ(params.LightPower[2], value("LIGHT", "Light2"));
    EXPECT_EQ(params.LightAngleH[1], value("LIGHT", "AngleH1"));
    EXPECT_EQ(params.LightAngleV[2], value("LIGHT", "AngleV2"));
    EXPECT_EQ(params.TextureWight, value("TEXTURE", "Wight"));
    EXPECT_EQ(params.ForegroundWight, value("FOREGROUND", "Wight"));
    EXPECT_EQ(params.GammaB, value("MATERIAL", "GammaB"));
    EXPECT_EQ(params.RestoreWork, value("BACKUP", "RestoreWork"));
    // Slots that carry no parameter are not touched.
    EXPECT_EQ(params.LightAngleH[0], 0);
    EXPECT_EQ(params.LightAngleV[0], 0);
    EXPECT_EQ(params.LightPower[3], 0);
    EXPECT_EQ(params.StylePath[0], '\0');

    EXPECT_EQ(ShadeParamText(params, *ShadeParamByKey("TEXTURE", "Filename")), params.TextureFilename);
    EXPECT_EQ(ShadeParamText(params, *ShadeParamByKey("SETTING", "PathDefault")), params.PathDefault);
    EXPECT_EQ(ShadeParamByKey("MODEL", "Color"), nullptr);
    EXPECT_EQ(ShadeParamByKey("MATERIAL", "GammaR")->group, ShadeParamGroup::Material);
    EXPECT_EQ(ShadeParamByKey("FOREGROUND", "Filename")->group, ShadeParamGroup::Foreground);
}

TEST(ShadeParamsTable, Ranges) {
    struct Case {
        const char* section;
        const char* key;
        int32_t minimum, maximum;
    };
    const Case cases[] = {
        {"MODEL", "Height", 1, 100},          {"TEXTURE", "Wight", -100, 100},
        {"FOREGROUND", "Wight", 0, 100},       {"MATERIAL", "ColorH", 0, 359},
        {"LIGHT", "AngleH2", 0, 360},          {"LIGHT", "AngleV1", 0, 90},
        {"SETTING", "SizeStandard", 0, 2},     {"SETTING", "SizeFixedStandard", 0, 46341},
    };
    for (const Case& c : cases) {
        const auto& range = ShadeParamByKey(c.section, c.key)->range;
        ASSERT_TRUE(range.has_value()) << c.key;
        EXPECT_EQ(range->minimum, c.minimum) << c.key;
        EXPECT_EQ(range->maximum, c.maximum) << c.key;
    }
    EXPECT_FALSE(ShadeParamByKey("SYSTEM", "Version")->range.has_value());
}

// The style entries' defaults are checked on the bytes of a saved style.
TEST(ShadeParamsDefaults, SettingsAndUnusedSlots) {
    const ShadeParams p = Defaults();
    EXPECT_EQ(std::vector<int32_t>({p.SizeStandard, p.SizeFixedStandard, p.TextureLocateCanvas, p.SaveLockStatus,
                                    p.EraseOutside, p.MotionUiDisp, p.MotionDevide, p.CopyImageFile,
                                    p.BackupMode, p.RestoreWork}),
              std::vector<int32_t>({0, 1000, 0, 0, 0, 1, 3, 0, 1, 1}));
    EXPECT_STREQ(p.PathDefault, "/home/u/Pictures");
    EXPECT_STREQ(p.TextureFilename, "");
    EXPECT_STREQ(p.StylePath, "");
    EXPECT_EQ(p.LightAngleH[0], 0);
    EXPECT_EQ(p.LightPower[3], 0);

    // A pictures folder that does not fit is left out, not cut.
    const std::string longest(kShadeParamsPathSize - 1, 'a');
    EXPECT_EQ(std::string(Defaults(longest).PathDefault), longest);
    EXPECT_STREQ(Defaults(longest + "b").PathDefault, "");
}

TEST(ShadeParamsColor, HsvViewFollowsTheRgbColour) {
    struct Case {
        int32_t r, g, b;
        int32_t h, s, v;
    };
    const Case cases[] = {
        {255, 0, 0, 0, 100, 100},
        {0, 0, 255, 240, 100, 100},       // hue 168 of 252
        {200, 100, 50, 20, 74, 78},       // hue 14, saturation 191, value 200
        {128, 128, 128, 331, 0, 50},      // grey: hue (128 >> 1) + 168 = 232
        {0, 0, 0, 240, 0, 0},             // black: hue 168
        {255, 255, 255, 61, 0, 100},      // white: hue 127 + 168 - 252 = 43
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.r << "," << c.g << "," << c.b);
        ShadeParams params = Defaults();
        params.ColorR = c.r;
        params.ColorG = c.g;
        params.ColorB = c.b;
        ShadeParamsDeriveColorHsv(params);
        EXPECT_EQ(params.ColorH, c.h);
        EXPECT_EQ(params.ColorS, c.s);
        EXPECT_EQ(params.ColorV, c.v);
        EXPECT_EQ(params.ColorR, c.r);  // the RGB colour itself stays
    }
}
