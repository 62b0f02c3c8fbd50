#pragma once
// HostParamBlock: the block the host keeps in the filter record's
// `parameters` handle between runs.  It carries the 59 scripted entries of
// one run in script-entry order (the two file names as length-prefixed
// strings) and the shell's own state.  The layout is fixed: a later run,
// possibly of a later build, reads the bytes an earlier one stored.
#include <cstddef>
#include <cstdint>

#include "ShadeParams.h"

inline constexpr std::size_t kStr255Size = 256;
// A length-prefixed string keeps at most this many characters, followed by
// a 0 byte inside its 256 bytes.
inline constexpr std::size_t kStr255MaxCharacters = 254;

// Script entries held in the integer runs around the two paths.
inline constexpr int kBlockTexturePathEntry = 24;     // pTpa
inline constexpr int kBlockForegroundPathEntry = 37;  // pEpa

struct HostParamBlock {
    int32_t entries0to23[24];          // pVer ... pMsl
    uint8_t texturePath[kStr255Size];  // entry 24, pTpa
    int32_t entries25to36[12];         // pTsc ... pTct
    uint8_t foregroundPath[kStr255Size];  // entry 37, pEpa
    int32_t entries38to58[21];         // pEsc ... pLsd
    uint8_t ShowDialog;                // 1: the next start shows the main dialog
    int16_t StripRows;                 // rows per transfer strip
    uint8_t HostProcsOk;
    uint8_t HostIsPremiere;
    uint8_t HostIsAfterEffects;        // stored, never consulted
};

static_assert(offsetof(HostParamBlock, entries0to23) == 0);
static_assert(offsetof(HostParamBlock, texturePath) == 96);
static_assert(offsetof(HostParamBlock, entries25to36) == 352);
static_assert(offsetof(HostParamBlock, foregroundPath) == 400);
static_assert(offsetof(HostParamBlock, entries38to58) == 656);
static_assert(offsetof(HostParamBlock, ShowDialog) == 740);
static_assert(offsetof(HostParamBlock, StripRows) == 742);
static_assert(offsetof(HostParamBlock, HostProcsOk) == 744);
static_assert(offsetof(HostParamBlock, HostIsPremiere) == 745);
static_assert(offsetof(HostParamBlock, HostIsAfterEffects) == 746);
static_assert(sizeof(HostParamBlock) == 748);

// A new block: flags 0, StripRows 1, and every scripted entry (paths
// included) at its default, so that a recorded descriptor holding only some
// keys changes those keys of the defaults.
void HostParamBlockInit(HostParamBlock& block);

// The slot of a scripted integer entry (0..58 except 24 and 37), or nullptr.
// Inline: the host reads and mends the slots of a stored block too.
inline int32_t* HostParamBlockInt(HostParamBlock& block, int scriptIndex) {
    if (scriptIndex >= 0 && scriptIndex < kBlockTexturePathEntry) return &block.entries0to23[scriptIndex];
    if (scriptIndex > kBlockTexturePathEntry && scriptIndex < kBlockForegroundPathEntry)
        return &block.entries25to36[scriptIndex - kBlockTexturePathEntry - 1];
    if (scriptIndex > kBlockForegroundPathEntry && scriptIndex < kShadeParamsScriptCount)
        return &block.entries38to58[scriptIndex - kBlockForegroundPathEntry - 1];
    return nullptr;
}
// The length-prefixed slot of entry 24 or 37, or nullptr.
uint8_t* HostParamBlockPath(HostParamBlock& block, int scriptIndex);

// destination (kShadeParamsPathSize bytes) := the characters of a
// length-prefixed string, 0-terminated.
void Str255ToString(const uint8_t* source, char* destination);
// destination (kStr255Size bytes) := at most 254 characters of the
// 0-terminated source (a longer one is cut), the length byte and a 0 byte
// after the last character.
void StringToStr255(const char* source, uint8_t* destination);
// The same from characters that need not be 0-terminated.
void CharactersToStr255(const char* characters, std::size_t count, uint8_t* destination);

// The 59 scripted entries: block -> parameters and back.
void PhotoshopToApp(HostParamBlock& block, ShadeParams& params);
void AppToPhotoshop(const ShadeParams& params, HostParamBlock& block);
