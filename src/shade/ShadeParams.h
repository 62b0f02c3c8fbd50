#pragma once
// The one parameter record of a run and the table that describes its entries.
//
// ShadeParams is plain data (signed 32-bit integers and fixed character
// arrays, no pointers), so undo, capture and motion copy it whole.  The
// record itself enforces no ranges.
//
// kShadeParamTable lists every stored or scripted entry once: its script key
// and number, its profile section and key, its default, the range of the
// control that edits it, its lock group and its place in the record.  Style,
// settings and scripting code iterate over the table instead of naming each
// entry again.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

inline constexpr std::size_t kShadeParamsPathSize = 256;  // 255 characters + 0
inline constexpr int kShadeParamsLightSlots = 4;           // indexed by light channel
inline constexpr int kShadeParamsScriptCount = 59;         // scripted entries 0..58

// Light channels: the index into LightPower, LightAngleH and LightAngleV.
inline constexpr int kLightChannelAmbient = 0;
inline constexpr int kLightChannelSub = 1;
inline constexpr int kLightChannelMain = 2;

struct ShadeParams {
    int32_t Version;
    int32_t SizeStandard;
    int32_t SizeFixedStandard;
    int32_t SaveLockStatus;
    int32_t EraseOutside;
    int32_t CopyImageFile;
    int32_t MotionUiDisp;
    int32_t MotionDevide;
    int32_t TextureLocateCanvas;
    int32_t BackupMode;
    int32_t RestoreWork;
    char PathDefault[kShadeParamsPathSize];
    char StylePath[kShadeParamsPathSize];

    // model
    int32_t Length;
    int32_t Height;
    int32_t Base;
    int32_t BevelPos;
    int32_t BevelPow;
    int32_t BevelRvs;
    int32_t Smooth;

    // material
    int32_t Through;
    int32_t ColorH;
    int32_t ColorS;
    int32_t ColorV;
    int32_t ColorR;
    int32_t ColorG;
    int32_t ColorB;
    int32_t ColorW;
    int32_t GammaR;
    int32_t GammaG;
    int32_t GammaB;
    int32_t Specular;
    int32_t Reflect;
    int32_t Solarization;

    // texture image
    char TextureFilename[kShadeParamsPathSize];
    int32_t TextureScale;
    int32_t TextureThv;
    int32_t TextureOffX;
    int32_t TextureOffY;
    int32_t TextureBend;
    int32_t TextureColor;
    int32_t TextureBump;
    int32_t TextureWight;
    int32_t TextureHue;
    int32_t TextureCroma;
    int32_t TextureLight;
    int32_t TextureContrast;

    // foreground image
    char ForegroundFilename[kShadeParamsPathSize];
    int32_t ForegroundScale;
    int32_t ForegroundThv;
    int32_t ForegroundOffX;
    int32_t ForegroundOffY;
    int32_t ForegroundWight;
    int32_t ForegroundHue;
    int32_t ForegroundCroma;
    int32_t ForegroundLight;
    int32_t ForegroundContrast;

    // lights and shadow; slot 3 and the channel-0 angle slots carry nothing
    int32_t LightPower[kShadeParamsLightSlots];
    int32_t LightAngleH[kShadeParamsLightSlots];
    int32_t LightAngleV[kShadeParamsLightSlots];
    int32_t ShadowEnableMain;
    int32_t ShadowEnableSub;
    int32_t ShadowWight;
    int32_t ShadowDif;
    int32_t ShadowDist;
};

// Which part of the files an entry is stored in: the style sections (also the
// current-state part of the settings file) or the settings-only part.
enum class ShadeParamPart { Style, Settings };

// What kind of field an entry occupies in the record.
enum class ShadeParamKind { Int, Text };

// The lock groups of the dialog; System and None are never locked.
enum class ShadeParamGroup { None, System, Model, Material, Texture, Foreground, Light };

struct ShadeParamRange {
    int32_t minimum;
    int32_t maximum;
};

struct ShadeParamEntry {
    std::string_view scriptKey;  // four characters, empty when not scripted
    int scriptIndex;             // 0..58, -1 when not scripted
    std::string_view section;    // profile section
    std::string_view key;        // profile key name
    ShadeParamPart part;
    ShadeParamGroup group;
    ShadeParamKind kind;
    int32_t defaultValue;              // Int entries
    std::string_view defaultText;      // Text entries (PathDefault: see below)
    std::optional<ShadeParamRange> range;  // absent where the control sets none
    std::size_t offset;                // byte offset of the field in ShadeParams
};

// A Text value is read through a 255-byte buffer, so at most 254 characters
// are taken from a file.
inline constexpr int kShadeParamsTextReadSize = 255;

// All stored entries, in the order the files are written: the style sections
// (SYSTEM, MODEL, MATERIAL, TEXTURE, FOREGROUND, LIGHT), then the settings-only
// keys (SETTING, BACKUP).  StylePath and the unused light slots are not listed.
std::span<const ShadeParamEntry> ShadeParamTable();

// The scripted entry with the given number (0..58), or nullptr.
const ShadeParamEntry* ShadeParamByScriptIndex(int scriptIndex);
// The entry stored under section / key, or nullptr.
const ShadeParamEntry* ShadeParamByKey(std::string_view section, std::string_view key);

// The field an entry describes.  The entry's kind must match.
int32_t& ShadeParamInt(ShadeParams& params, const ShadeParamEntry& entry);
int32_t ShadeParamInt(const ShadeParams& params, const ShadeParamEntry& entry);
char* ShadeParamText(ShadeParams& params, const ShadeParamEntry& entry);
const char* ShadeParamText(const ShadeParams& params, const ShadeParamEntry& entry);

// Fills every listed entry with its default; everything else becomes zero.
// PathDefault has no fixed default: the caller passes the user's pictures
// folder.  A folder too long for the field leaves PathDefault empty rather
// than cut to a different folder.
void ShadeParamsSetDefaults(ShadeParams& params, std::string_view picturesFolder);

// The value brought into the entry's range (unchanged without a range).
int32_t ShadeParamClamp(const ShadeParamEntry& entry, int32_t value);

// Told of every entry whose value was out of range: the value found and the
// value kept.
using ShadeParamClampReport =
    std::function<void(const ShadeParamEntry& entry, int32_t found, int32_t kept)>;

// Brings every Int entry of the table into its range; report (may be empty)
// hears of each change.  Returns the number of entries changed.
int ShadeParamsClamp(ShadeParams& params, const ShadeParamClampReport& report = {});

// Derives ColorH, ColorS and ColorV from ColorR, ColorG and ColorB.
void ShadeParamsDeriveColorHsv(ShadeParams& params);
