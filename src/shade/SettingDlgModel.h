#pragma once
// The settings dialog without a window: what its items show for a record,
// which items are active, the folder check with its three messages, and OK
// writing the items back into the record in its fixed order.  SettingDlg
// shows a SettingDlgState and hands it back on OK.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ShadeParams.h"

// Size standard values (SizeStandard).
inline constexpr int32_t kSizeStandardCanvas = 0;
inline constexpr int32_t kSizeStandardObject = 1;
inline constexpr int32_t kSizeStandardFixed = 2;

// Messages of the folder check, each with one place for the path.
inline constexpr int kFolderChooserPromptId = 550;
inline constexpr int kFolderUnusableMessageId = 950;  // empty, too long, not a full path, not a folder
inline constexpr int kFolderCreateQuestionId = 951;   // yes / no
inline constexpr int kFolderCreateFailedMessageId = 952;
inline constexpr int kFolderButtonTipId = 2505;

// The longest folder path the image folder field keeps.
inline constexpr std::size_t kFolderPathMax = kShadeParamsPathSize - 1;

// What the items of the settings dialog hold.
struct SettingDlgState {
    int32_t sizeStandard = kSizeStandardCanvas;  // the radio chosen
    std::string fixedSize;                       // the fixed size field as typed
    bool textureOnCanvas = false;
    bool saveLockStatus = false;
    bool eraseOutside = false;
    bool motionUiDisp = false;
    int32_t motionDevide = 0;  // the pop-up's item number, 0 when none is chosen
    bool copyImageFile = false;
    std::string folder;  // the image folder field
};

// The items for record: an unknown size standard shows as the canvas.
SettingDlgState SettingDlgState_FromParams(const ShadeParams& params);

// The fixed size field is active only with the fixed size standard; the
// folder button and field only while added images are copied.
inline bool SettingDlg_FixedSizeActive(const SettingDlgState& state) {
    return state.sizeStandard == kSizeStandardFixed;
}
inline bool SettingDlg_FolderActive(const SettingDlgState& state) { return state.copyImageFile; }

// How the folder check talks to the user.
class SettingDlgMessages {
public:
    virtual ~SettingDlgMessages() = default;
    // Shows the message `id` formatted with path.
    virtual void Show(int id, const std::string& path) = 0;
    // Asks the yes/no question `id` formatted with path; true for yes.
    virtual bool Ask(int id, const std::string& path) = 0;
};

// True when path can serve as the image folder.  An existing folder can; a
// missing one is created, every level of it, when the user agrees.  An empty
// or too long path, one that is not a full path, and one naming something
// other than a folder are refused with a message.
bool SettingDlg_CheckFolder(const std::string& path, SettingDlgMessages& messages);

// OK: writes the items into params in the dialog's fixed order.  With
// copying on, PathDefault takes the folder field (a path too long for it
// keeps the old one) and, when the folder check passes, lastFolder (the
// main dialog's file chooser folder, lastFolderSize bytes) becomes it.  The
// fixed size is taken as typed within the record's range; text that is no
// number keeps the old size.  A negative subdivision becomes 0.
void SettingDlg_Apply(const SettingDlgState& state, ShadeParams& params, char* lastFolder,
                      std::size_t lastFolderSize, SettingDlgMessages& messages);
