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

std::vector<std::string> KeysOf(std::string_view section) {
    std::vector<std::string> keys;
    for (const ShadeParamEntry& entry : ShadeParamTable()) {
        if (entry.section == section) keys.emplace_back(entry.key);
    }
    return keys;
}

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
    int scripted = 0;
    for (const ShadeParamEntry& entry : ShadeParamTable()) scripted += entry.scriptIndex >= 0;
    EXPECT_EQ(scripted, kShadeParamsScriptCount);
    EXPECT_EQ(ShadeParamTable().size(), 68u);
}

TEST(ShadeParamsTable, KeysAreListedInFileOrder) {
    using Keys = std::vector<std::string>;
    EXPECT_EQ(KeysOf("SYSTEM"), Keys{"Version"});
    EXPECT_EQ(KeysOf("MODEL"),
              (Keys{"Length", "Height", "Base", "BevelPos", "BevelPow", "BevelRvs", "Smooth"}));
    EXPECT_EQ(KeysOf("MATERIAL"),
              (Keys{"Through", "ColorH", "ColorS", "ColorV", "ColorR", "ColorG", "ColorB", "ColorW",
                    "Specular", "Reflect", "Solarization", "GammaR", "GammaG", "GammaB"}));
    EXPECT_EQ(KeysOf("TEXTURE"), (Keys{"Filename", "Scale", "Thv", "OffX", "OffY", "Bend", "Color",
                                       "Bump", "Wight", "Hue", "Croma", "Light", "Contrast"}));
    EXPECT_EQ(KeysOf("FOREGROUND"), (Keys{"Filename", "Scale", "Thv", "OffX", "OffY", "Wight",
                                          "Hue", "Croma", "Light", "Contrast"}));
    EXPECT_EQ(KeysOf("LIGHT"),
              (Keys{"Ambient", "Light1", "AngleH1", "AngleV1", "Light2", "AngleH2", "AngleV2",
                    "ShadowEnableMain", "ShadowEnableSub", "ShadowDist", "ShadowWight",
                    "ShadowDif"}));
    EXPECT_EQ(KeysOf("SETTING"),
              (Keys{"SizeStandard", "SizeFixedStandard", "TextureLocateCanvas", "SaveLockStatus",
                    "EraseOutside", "MotionUiDisp", "MotionDevide", "CopyImageFile",
                    "PathDefault"}));
    EXPECT_EQ(KeysOf("BACKUP"), (Keys{"BackupMode", "RestoreWork"}));
    // Style entries come first, settings-only entries after them.
    bool settingsSeen = false;
    for (const ShadeParamEntry& entry : ShadeParamTable()) {
        if (entry.part == ShadeParamPart::Settings) settingsSeen = true;
        else EXPECT_FALSE(settingsSeen) << entry.key;
    }
}

TEST(ShadeParamsTable, EveryEntryOwnsItsOwnField) {
    // Mark each field through the table, then check the named fields.
    ShadeParams params{};
    std::set<std::size_t> offsets;
    for (const ShadeParamEntry& entry : ShadeParamTable()) {
        EXPECT_TRUE(offsets.insert(entry.offset).second) << entry.key;
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

    const ShadeParamEntry* texture = ShadeParamByKey("TEXTURE", "Filename");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->kind, ShadeParamKind::Text);
    EXPECT_EQ(ShadeParamText(params, *texture), params.TextureFilename);
    EXPECT_EQ(ShadeParamText(params, *ShadeParamByKey("SETTING", "PathDefault")), params.PathDefault);
    EXPECT_EQ(ShadeParamByKey("MODEL", "Color"), nullptr);
}

TEST(ShadeParamsTable, RangesAndGroups) {
    const auto range = [](const char* section, const char* key) {
        return ShadeParamByKey(section, key)->range;
    };
    EXPECT_EQ(range("MODEL", "Height")->minimum, 1);
    EXPECT_EQ(range("TEXTURE", "Wight")->minimum, -100);
    EXPECT_EQ(range("FOREGROUND", "Wight")->minimum, 0);
    EXPECT_EQ(range("MATERIAL", "ColorH")->maximum, 359);
    EXPECT_EQ(range("LIGHT", "AngleH2")->maximum, 360);
    EXPECT_EQ(range("LIGHT", "AngleV1")->maximum, 90);
    EXPECT_EQ(range("SETTING", "SizeStandard")->maximum, 2);
    EXPECT_FALSE(range("SYSTEM", "Version").has_value());
    EXPECT_EQ(range("SETTING", "SizeFixedStandard")->maximum, 46341);
    for (const ShadeParamEntry& entry : ShadeParamTable()) {
        const bool settings = entry.part == ShadeParamPart::Settings;
        EXPECT_EQ(settings, entry.group == ShadeParamGroup::None) << entry.key;
    }
    EXPECT_EQ(ShadeParamByKey("MATERIAL", "GammaR")->group, ShadeParamGroup::Material);
    EXPECT_EQ(ShadeParamByKey("FOREGROUND", "Filename")->group, ShadeParamGroup::Foreground);
}

TEST(ShadeParamsDefaults, FactoryValues) {
    const ShadeParams p = Defaults();
    EXPECT_EQ(p.Version, 1);
    // A settings file without MODEL or LIGHT section yields these.
    EXPECT_EQ(std::vector<int32_t>({p.Length, p.Height, p.Base, p.BevelPos, p.BevelPow,
                                    p.BevelRvs, p.Smooth}),
              std::vector<int32_t>({100, 100, 0, 0, 100, 0, 1}));
    EXPECT_EQ(std::vector<int32_t>({p.LightPower[0], p.LightPower[1], p.LightAngleH[1],
                                    p.LightAngleV[1], p.LightPower[2], p.LightAngleH[2],
                                    p.LightAngleV[2], p.ShadowEnableMain, p.ShadowEnableSub,
                                    p.ShadowWight, p.ShadowDif, p.ShadowDist}),
              std::vector<int32_t>({10, 10, 45, 30, 100, 135, 45, 1, 1, 50, 1, 10}));
    EXPECT_EQ(std::vector<int32_t>({p.ColorH, p.ColorS, p.ColorV, p.ColorR, p.ColorG, p.ColorB}),
              std::vector<int32_t>({0, 100, 100, 255, 0, 0}));
    EXPECT_EQ(std::vector<int32_t>({p.TextureScale, p.TextureThv, p.TextureBend, p.TextureColor,
                                    p.ForegroundScale, p.ForegroundThv}),
              std::vector<int32_t>({50, 128, 50, 50, 50, 128}));
    EXPECT_EQ(std::vector<int32_t>({p.SizeFixedStandard, p.MotionUiDisp, p.MotionDevide,
                                    p.BackupMode, p.RestoreWork, p.CopyImageFile}),
              std::vector<int32_t>({1000, 1, 3, 1, 1, 0}));
    EXPECT_STREQ(p.PathDefault, "/home/u/Pictures");
    EXPECT_STREQ(p.TextureFilename, "");
    EXPECT_STREQ(p.StylePath, "");
    EXPECT_EQ(p.LightAngleH[0], 0);
    EXPECT_EQ(p.LightPower[3], 0);
}

TEST(ShadeParamsDefaults, PicturesFolderThatDoesNotFitIsNotCut) {
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
        ShadeParams params = Defaults();
        params.ColorR = c.r;
        params.ColorG = c.g;
        params.ColorB = c.b;
        ShadeParamsDeriveColorHsv(params);
        EXPECT_EQ(params.ColorH, c.h) << c.r << "," << c.g << "," << c.b;
        EXPECT_EQ(params.ColorS, c.s) << c.r << "," << c.g << "," << c.b;
        EXPECT_EQ(params.ColorV, c.v) << c.r << "," << c.g << "," << c.b;
        EXPECT_EQ(params.ColorR, c.r);  // the RGB colour itself stays
    }
}
