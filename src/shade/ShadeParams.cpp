#include "ShadeParams.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace {

template <typename Byte, typename Params>
Byte* FieldAt(Params& params, const ShadeParamEntry& entry) {
    return reinterpret_cast<Byte*>(&params) + entry.offset;
}

void CopyText(std::string_view text, char* field) {
    assert(text.size() < kShadeParamsPathSize);
    std::memcpy(field, text.data(), text.size());
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
