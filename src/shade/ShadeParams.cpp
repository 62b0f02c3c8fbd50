#include "ShadeParams.h"

#include "HclColor.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace {

// Scales of the HSV view: the colour model's hue runs 0..251, saturation and
// value 0..255; the controls show 0..359 degrees and 0..100 percent.
constexpr int32_t kModelHueMax = 251;
constexpr int32_t kControlHueMax = 359;
constexpr int32_t kModelLevelMax = 255;
constexpr int32_t kControlPercentMax = 100;

template <typename Byte, typename Params>
Byte* FieldAt(Params& params, const ShadeParamEntry& entry) {
    return reinterpret_cast<Byte*>(&params) + entry.offset;
}

void CopyText(std::string_view text, char* field) {
    assert(text.size() < kShadeParamsPathSize);
    // An empty view may hold no address at all: copy characters, not bytes.
    std::copy(text.begin(), text.end(), field);
    field[text.size()] = '\0';
}

}  // namespace

const ShadeParamEntry* ShadeParamByScriptIndex(int scriptIndex) {
    const auto table = ShadeParamTable();
    const auto it = std::find_if(table.begin(), table.end(), [&](const ShadeParamEntry& entry) {
        return entry.scriptIndex >= 0 && entry.scriptIndex == scriptIndex;
    });
    return it == table.end() ? nullptr : &*it;
}

const ShadeParamEntry* ShadeParamByKey(std::string_view section, std::string_view key) {
    const auto table = ShadeParamTable();
    const auto it = std::find_if(table.begin(), table.end(), [&](const ShadeParamEntry& entry) {
        return entry.section == section && entry.key == key;
    });
    return it == table.end() ? nullptr : &*it;
}

int32_t& ShadeParamInt(ShadeParams& params, const ShadeParamEntry& entry) {
    assert(entry.kind == ShadeParamKind::Int);
    return *reinterpret_cast<int32_t*>(FieldAt<char>(params, entry));
}

int32_t ShadeParamInt(const ShadeParams& params, const ShadeParamEntry& entry) {
    assert(entry.kind == ShadeParamKind::Int);
    return *reinterpret_cast<const int32_t*>(FieldAt<const char>(params, entry));
}

char* ShadeParamText(ShadeParams& params, const ShadeParamEntry& entry) {
    assert(entry.kind == ShadeParamKind::Text);
    return FieldAt<char>(params, entry);
}

const char* ShadeParamText(const ShadeParams& params, const ShadeParamEntry& entry) {
    assert(entry.kind == ShadeParamKind::Text);
    return FieldAt<const char>(params, entry);
}

void ShadeParamsSetDefaults(ShadeParams& params, std::string_view picturesFolder) {
    params = ShadeParams{};
    for (const ShadeParamEntry& entry : ShadeParamTable()) {
        if (entry.kind == ShadeParamKind::Int) {
            ShadeParamInt(params, entry) = entry.defaultValue;
        } else {
            CopyText(entry.defaultText, ShadeParamText(params, entry));
        }
    }
    if (picturesFolder.size() < kShadeParamsPathSize) CopyText(picturesFolder, params.PathDefault);
}

int32_t ShadeParamClamp(const ShadeParamEntry& entry, int32_t value) {
    if (!entry.range) return value;
    return std::clamp(value, entry.range->minimum, entry.range->maximum);
}

int ShadeParamsClamp(ShadeParams& params, const ShadeParamClampReport& report) {
    int changed = 0;
    for (const ShadeParamEntry& entry : ShadeParamTable()) {
        if (entry.kind != ShadeParamKind::Int) continue;
        int32_t& value = ShadeParamInt(params, entry);
        const int32_t kept = ShadeParamClamp(entry, value);
        if (kept == value) continue;
        if (report) report(entry, value, kept);
        value = kept;
        ++changed;
    }
    return changed;
}

void ShadeParamsDeriveColorHsv(ShadeParams& params) {
    HCLCOLOR color;
    color.R = params.ColorR;
    color.G = params.ColorG;
    color.B = params.ColorB;
    RgbToHsv(&color);
    params.ColorH = color.H * kControlHueMax / kModelHueMax;
    params.ColorS = color.C * kControlPercentMax / kModelLevelMax;
    params.ColorV = color.L * kControlPercentMax / kModelLevelMax;
}
