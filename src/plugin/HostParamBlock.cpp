// The parameter block's slots, its path strings and the copies between the
// block and the live parameter record.
#include "HostParamBlock.h"

#include <algorithm>
#include <cstring>

void HostParamBlockInit(HostParamBlock& block) {
    std::memset(&block, 0, sizeof block);
    block.StripRows = 1;
    // PathDefault is not a scripted entry: the pictures folder is not needed.
    ShadeParams defaults{};
    ShadeParamsSetDefaults(defaults, {});
    AppToPhotoshop(defaults, block);
}

uint8_t* HostParamBlockPath(HostParamBlock& block, int scriptIndex) {
    if (scriptIndex == kBlockTexturePathEntry) return block.texturePath;
    if (scriptIndex == kBlockForegroundPathEntry) return block.foregroundPath;
    return nullptr;
}

void Str255ToString(const uint8_t* source, char* destination) {
    // A length byte of 255 (never written by us) still stays inside both
    // 256-byte fields.
    const std::size_t count = source[0];
    std::memcpy(destination, source + 1, count);
    destination[count] = '\0';
}

void CharactersToStr255(const char* characters, std::size_t count, uint8_t* destination) {
    count = std::min(count, kStr255MaxCharacters);
    destination[0] = static_cast<uint8_t>(count);
    std::memcpy(destination + 1, characters, count);
    destination[count + 1] = 0;
}

void StringToStr255(const char* source, uint8_t* destination) {
    CharactersToStr255(source, strnlen(source, kStr255MaxCharacters + 1), destination);
}

void PhotoshopToApp(HostParamBlock& block, ShadeParams& params) {
    for (int index = 0; index < kShadeParamsScriptCount; ++index) {
        const ShadeParamEntry& entry = *ShadeParamByScriptIndex(index);
        if (entry.kind == ShadeParamKind::Text)
            Str255ToString(HostParamBlockPath(block, index), ShadeParamText(params, entry));
        else
            ShadeParamInt(params, entry) = *HostParamBlockInt(block, index);
    }
}

void AppToPhotoshop(const ShadeParams& params, HostParamBlock& block) {
    for (int index = 0; index < kShadeParamsScriptCount; ++index) {
        const ShadeParamEntry& entry = *ShadeParamByScriptIndex(index);
        if (entry.kind == ShadeParamKind::Text) {
            const char* text = ShadeParamText(params, entry);
            CharactersToStr255(text, strnlen(text, kShadeParamsPathSize), HostParamBlockPath(block, index));
        } else {
            *HostParamBlockInt(block, index) = ShadeParamInt(params, entry);
        }
    }
}
