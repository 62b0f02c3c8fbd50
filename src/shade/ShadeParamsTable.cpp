// The entry table of ShadeParams: one row per stored or scripted entry, in
// the order the style and settings files are written.
#include <cstddef>

#include "ShadeParams.h"

namespace {

using Part = ShadeParamPart;
using Group = ShadeParamGroup;

constexpr std::optional<ShadeParamRange> kNoRange = std::nullopt;
constexpr std::optional<ShadeParamRange> kPercent = ShadeParamRange{0, 100};
constexpr std::optional<ShadeParamRange> kSwitch = ShadeParamRange{0, 1};
constexpr std::optional<ShadeParamRange> kSigned = ShadeParamRange{-100, 100};
constexpr std::optional<ShadeParamRange> kLevel = ShadeParamRange{0, 255};
// A fixed reference size beyond the diagonal of the largest image (32767
// pixels a side) has no use; below 10 the driver takes 10 anyway.
constexpr std::optional<ShadeParamRange> kReferenceSize = ShadeParamRange{0, 46341};
// A motion leg has 2^(MotionDevide + 1) steps.
constexpr std::optional<ShadeParamRange> kMotionDivision = ShadeParamRange{0, 29};

constexpr std::size_t LightSlot(std::size_t arrayOffset, int channel) {
    return arrayOffset + static_cast<std::size_t>(channel) * sizeof(int32_t);
}

constexpr ShadeParamEntry Int(std::string_view scriptKey, int scriptIndex, std::string_view section,
                              std::string_view key, Part part, Group group, int32_t defaultValue,
                              std::optional<ShadeParamRange> range, std::size_t offset) {
    return {scriptKey, scriptIndex, section, key, part, group, ShadeParamKind::Int,
            defaultValue, {}, range, offset};
}

constexpr ShadeParamEntry Text(std::string_view scriptKey, int scriptIndex, std::string_view section,
                               std::string_view key, Part part, Group group, std::size_t offset) {
    return {scriptKey, scriptIndex, section, key, part, group, ShadeParamKind::Text,
            0, "", kNoRange, offset};
}

constexpr std::size_t kPowerAt = offsetof(ShadeParams, LightPower);
constexpr std::size_t kAngleHAt = offsetof(ShadeParams, LightAngleH);
constexpr std::size_t kAngleVAt = offsetof(ShadeParams, LightAngleV);

#define FIELD(name) offsetof(ShadeParams, name)

constexpr Part S = Part::Style;
constexpr Part U = Part::Settings;

constexpr ShadeParamEntry kTable[] = {
    Int("pVer", 0, "SYSTEM", "Version", S, Group::System, 1, kNoRange, FIELD(Version)),

    Int("pMle", 6, "MODEL", "Length", S, Group::Model, 100, kPercent, FIELD(Length)),
    Int("pMhe", 7, "MODEL", "Height", S, Group::Model, 100, ShadeParamRange{1, 100}, FIELD(Height)),
    Int("pMba", 8, "MODEL", "Base", S, Group::Model, 0, kPercent, FIELD(Base)),
    Int("pMbp", 9, "MODEL", "BevelPos", S, Group::Model, 0, kPercent, FIELD(BevelPos)),
    Int("pMbw", 10, "MODEL", "BevelPow", S, Group::Model, 100, kPercent, FIELD(BevelPow)),
    Int("pMbr", 11, "MODEL", "BevelRvs", S, Group::Model, 0, kSwitch, FIELD(BevelRvs)),
    Int("pMsm", 12, "MODEL", "Smooth", S, Group::Model, 1, kPercent, FIELD(Smooth)),

    Int("pMth", 13, "MATERIAL", "Through", S, Group::Material, 0, kSwitch, FIELD(Through)),
    Int("", -1, "MATERIAL", "ColorH", S, Group::Material, 0, ShadeParamRange{0, 359}, FIELD(ColorH)),
    Int("", -1, "MATERIAL", "ColorS", S, Group::Material, 100, kPercent, FIELD(ColorS)),
    Int("", -1, "MATERIAL", "ColorV", S, Group::Material, 100, kPercent, FIELD(ColorV)),
    Int("pMcr", 14, "MATERIAL", "ColorR", S, Group::Material, 255, kLevel, FIELD(ColorR)),
    Int("pMcg", 15, "MATERIAL", "ColorG", S, Group::Material, 0, kLevel, FIELD(ColorG)),
    Int("pMcb", 16, "MATERIAL", "ColorB", S, Group::Material, 0, kLevel, FIELD(ColorB)),
    Int("pMcw", 17, "MATERIAL", "ColorW", S, Group::Material, 0, kPercent, FIELD(ColorW)),
    Int("pMsp", 21, "MATERIAL", "Specular", S, Group::Material, 0, kPercent, FIELD(Specular)),
    Int("pMrf", 22, "MATERIAL", "Reflect", S, Group::Material, 0, kPercent, FIELD(Reflect)),
    Int("pMsl", 23, "MATERIAL", "Solarization", S, Group::Material, 0, kPercent, FIELD(Solarization)),
    Int("pMgr", 18, "MATERIAL", "GammaR", S, Group::Material, 0, kPercent, FIELD(GammaR)),
    Int("pMgg", 19, "MATERIAL", "GammaG", S, Group::Material, 0, kPercent, FIELD(GammaG)),
    Int("pMgb", 20, "MATERIAL", "GammaB", S, Group::Material, 0, kPercent, FIELD(GammaB)),

    Text("pTpa", 24, "TEXTURE", "Filename", S, Group::Texture, FIELD(TextureFilename)),
    Int("pTsc", 25, "TEXTURE", "Scale", S, Group::Texture, 50, kPercent, FIELD(TextureScale)),
    Int("pTtv", 26, "TEXTURE", "Thv", S, Group::Texture, 128, kLevel, FIELD(TextureThv)),
    Int("pTox", 27, "TEXTURE", "OffX", S, Group::Texture, 0, kSigned, FIELD(TextureOffX)),
    Int("pToy", 28, "TEXTURE", "OffY", S, Group::Texture, 0, kSigned, FIELD(TextureOffY)),
    Int("pTbe", 29, "TEXTURE", "Bend", S, Group::Texture, 50, kPercent, FIELD(TextureBend)),
    Int("pTco", 30, "TEXTURE", "Color", S, Group::Texture, 50, kPercent, FIELD(TextureColor)),
    Int("pTbu", 31, "TEXTURE", "Bump", S, Group::Texture, 0, kSigned, FIELD(TextureBump)),
    Int("pTwi", 32, "TEXTURE", "Wight", S, Group::Texture, 0, kSigned, FIELD(TextureWight)),
    Int("pThu", 33, "TEXTURE", "Hue", S, Group::Texture, 0, kSigned, FIELD(TextureHue)),
    Int("pTcr", 34, "TEXTURE", "Croma", S, Group::Texture, 0, kSigned, FIELD(TextureCroma)),
    Int("pTli", 35, "TEXTURE", "Light", S, Group::Texture, 0, kSigned, FIELD(TextureLight)),
    Int("pTct", 36, "TEXTURE", "Contrast", S, Group::Texture, 0, kSigned, FIELD(TextureContrast)),

    Text("pEpa", 37, "FOREGROUND", "Filename", S, Group::Foreground, FIELD(ForegroundFilename)),
    Int("pEsc", 38, "FOREGROUND", "Scale", S, Group::Foreground, 50, kPercent, FIELD(ForegroundScale)),
    Int("pEtv", 39, "FOREGROUND", "Thv", S, Group::Foreground, 128, kLevel, FIELD(ForegroundThv)),
    Int("pEox", 40, "FOREGROUND", "OffX", S, Group::Foreground, 0, kSigned, FIELD(ForegroundOffX)),
    Int("pEoy", 41, "FOREGROUND", "OffY", S, Group::Foreground, 0, kSigned, FIELD(ForegroundOffY)),
    Int("pEwi", 42, "FOREGROUND", "Wight", S, Group::Foreground, 0, kPercent, FIELD(ForegroundWight)),
    Int("pEhu", 43, "FOREGROUND", "Hue", S, Group::Foreground, 0, kSigned, FIELD(ForegroundHue)),
    Int("pEcr", 44, "FOREGROUND", "Croma", S, Group::Foreground, 0, kSigned, FIELD(ForegroundCroma)),
    Int("pEli", 45, "FOREGROUND", "Light", S, Group::Foreground, 0, kSigned, FIELD(ForegroundLight)),
    Int("pEct", 46, "FOREGROUND", "Contrast", S, Group::Foreground, 0, kSigned,
        FIELD(ForegroundContrast)),

    Int("pLp0", 47, "LIGHT", "Ambient", S, Group::Light, 10, kPercent,
        LightSlot(kPowerAt, kLightChannelAmbient)),
    Int("pLp1", 48, "LIGHT", "Light1", S, Group::Light, 10, kPercent,
        LightSlot(kPowerAt, kLightChannelSub)),
    Int("pLh1", 50, "LIGHT", "AngleH1", S, Group::Light, 45, ShadeParamRange{0, 360},
        LightSlot(kAngleHAt, kLightChannelSub)),
    Int("pLv1", 52, "LIGHT", "AngleV1", S, Group::Light, 30, ShadeParamRange{0, 90},
        LightSlot(kAngleVAt, kLightChannelSub)),
    Int("pLp2", 49, "LIGHT", "Light2", S, Group::Light, 100, kPercent,
        LightSlot(kPowerAt, kLightChannelMain)),
    Int("pLh2", 51, "LIGHT", "AngleH2", S, Group::Light, 135, ShadeParamRange{0, 360},
        LightSlot(kAngleHAt, kLightChannelMain)),
    Int("pLv2", 53, "LIGHT", "AngleV2", S, Group::Light, 45, ShadeParamRange{0, 90},
        LightSlot(kAngleVAt, kLightChannelMain)),
    Int("pLem", 54, "LIGHT", "ShadowEnableMain", S, Group::Light, 1, kSwitch,
        FIELD(ShadowEnableMain)),
    Int("pLes", 55, "LIGHT", "ShadowEnableSub", S, Group::Light, 1, kSwitch, FIELD(ShadowEnableSub)),
    Int("pLsd", 58, "LIGHT", "ShadowDist", S, Group::Light, 10, kPercent, FIELD(ShadowDist)),
    Int("pLsw", 56, "LIGHT", "ShadowWight", S, Group::Light, 50, kPercent, FIELD(ShadowWight)),
    Int("pLsf", 57, "LIGHT", "ShadowDif", S, Group::Light, 1, kPercent, FIELD(ShadowDif)),

    Int("pSms", 1, "SETTING", "SizeStandard", U, Group::None, 0, ShadeParamRange{0, 2},
        FIELD(SizeStandard)),
    Int("pSfs", 2, "SETTING", "SizeFixedStandard", U, Group::None, 1000, kReferenceSize,
        FIELD(SizeFixedStandard)),
    Int("pStl", 3, "SETTING", "TextureLocateCanvas", U, Group::None, 0, kSwitch,
        FIELD(TextureLocateCanvas)),
    Int("pSsl", 4, "SETTING", "SaveLockStatus", U, Group::None, 0, kSwitch, FIELD(SaveLockStatus)),
    Int("pSeo", 5, "SETTING", "EraseOutside", U, Group::None, 0, kSwitch, FIELD(EraseOutside)),
    Int("", -1, "SETTING", "MotionUiDisp", U, Group::None, 1, kSwitch, FIELD(MotionUiDisp)),
    Int("", -1, "SETTING", "MotionDevide", U, Group::None, 3, kMotionDivision, FIELD(MotionDevide)),
    Int("", -1, "SETTING", "CopyImageFile", U, Group::None, 0, kSwitch, FIELD(CopyImageFile)),
    Text("", -1, "SETTING", "PathDefault", U, Group::None, FIELD(PathDefault)),

    Int("", -1, "BACKUP", "BackupMode", U, Group::None, 1, ShadeParamRange{0, 2}, FIELD(BackupMode)),
    Int("", -1, "BACKUP", "RestoreWork", U, Group::None, 1, kSwitch, FIELD(RestoreWork)),
};

#undef FIELD

}  // namespace

std::span<const ShadeParamEntry> ShadeParamTable() { return kTable; }
