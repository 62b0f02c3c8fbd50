#pragma once
// The dialog layer's string table: numbered texts in our own English
// wording.  Each dialog registers its own strings next to its code, so a new
// dialog extends the table without touching this file.
#include <cstddef>
#include <initializer_list>

#include <QString>

struct UiStringSt {
    int id;
    const char* text;
};

// Adds strings to the table; a later text for the same id replaces the
// earlier one.
void UiStrings_Add(std::initializer_list<UiStringSt> strings);

// The text of string `id` cut to 255 characters; empty when unknown.
QString UiString(int id);

// Copies string `id` into buffer (at most size - 1 characters, always
// terminated).  A missing string leaves the buffer as it was.
void LoadString(int id, char* buffer, std::size_t size);

// String ids of the framework and the main dialog.
namespace UiStringId {
inline constexpr int kCaption = 501;
inline constexpr int kLoadFilter = 510;
inline constexpr int kSaveFilter = 511;
inline constexpr int kAddStyleFilter = 512;
inline constexpr int kLoadTitle = 513;
inline constexpr int kSaveTitle = 514;
inline constexpr int kAddStyleTitle = 515;
inline constexpr int kMissingEntry = 552;
inline constexpr int kMissingFile = 902;
inline constexpr int kWriteFailed = 903;
inline constexpr int kUnknownFileType = 904;
inline constexpr int kPathUnusable = 905;
inline constexpr int kCopyImageFailed = 906;
inline constexpr int kUnlockQuestion = 908;
inline constexpr int kWholeImageQuestion = 909;
inline constexpr int kManualMissing = 911;
inline constexpr int kImageUnreadable = 912;
inline constexpr int kProgressTitle = 920;
inline constexpr int kProgressText = 921;
inline constexpr int kAbort = 922;
inline constexpr int kOk = 930;
inline constexpr int kCancel = 931;
inline constexpr int kStyleLabel = 932;
inline constexpr int kStyleNone = 933;
inline constexpr int kMenuClear = 940;
inline constexpr int kMenuToTop = 941;
inline constexpr int kMenuUp = 942;
inline constexpr int kMenuDown = 943;
inline constexpr int kMenuToBottom = 944;
inline constexpr int kTabModel = 1201;
inline constexpr int kTabMaterial = 1202;
inline constexpr int kTabTexture = 1203;
inline constexpr int kTabEnviron = 1204;
inline constexpr int kTabLight = 1205;
inline constexpr int kTipUndo = 1301;
inline constexpr int kTipRedo = 1302;
inline constexpr int kTipLoad = 1303;
inline constexpr int kTipSave = 1304;
inline constexpr int kTipSettings = 1305;
inline constexpr int kTipManual = 1306;
inline constexpr int kTipZoom = 1350;
inline constexpr int kTipMotion = 1352;
inline constexpr int kTipCapture = 1353;
inline constexpr int kTipAddStyle = 1400;
inline constexpr int kTipDeleteStyle = 1401;
}  // namespace UiStringId
