#pragma once
// SettingDlg: the modal settings dialog of the main dialog's settings
// button.  It shows the user settings of the record (size standard, texture
// location, lock saving, erasing outside the object, panes following motion,
// motion subdivision, the image folder and copying into it) and writes them
// back on OK; Cancel leaves the record as it was.  The rules live in
// SettingDlgModel; this class shows its items and forwards the clicks.
#include <cstddef>
#include <cstdint>

#include "CDialog.h"
#include "SettingDlgModel.h"

struct ShadeParams;

namespace SettingItem {
inline constexpr short kSizeObject = 4;
inline constexpr short kSizeCanvas = 5;
inline constexpr short kSizeFixed = 6;
inline constexpr short kFixedSize = 7;
inline constexpr short kTextureOnObject = 9;
inline constexpr short kTextureOnCanvas = 10;
inline constexpr short kSaveLockStatus = 11;
inline constexpr short kEraseOutside = 12;
inline constexpr short kMotionUiDisp = 13;
inline constexpr short kMotionDevide = 14;
inline constexpr short kFolderButton = 16;
inline constexpr short kFolder = 17;
inline constexpr short kCopyImageFile = 18;
}  // namespace SettingItem

class SettingDlg : public CDialog, private SettingDlgMessages {
    Q_OBJECT
public:
    static constexpr int16_t kResourceId = 1003;
    // The entries of the motion subdivision pop-up.
    static constexpr int kMotionDevideItems = 8;

    // Edits params; lastFolder (lastFolderSize bytes) is the main dialog's
    // file chooser folder, which a usable image folder replaces on OK.
    SettingDlg(ShadeParams& params, char* lastFolder, std::size_t lastFolderSize, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    bool DoAction(short* item) override;
    void OnOK() override;

    void OnRadioSettingSizeCanvas() { OnSizeRadio(SettingItem::kSizeCanvas); }
    void OnRadioSettingSizeObj() { OnSizeRadio(SettingItem::kSizeObject); }
    void OnRadioSettingSizeFix() { OnSizeRadio(SettingItem::kSizeFixed); }
    void OnBnClickedButtonDataFolder();
    bool CheckFolder(const std::string& path) { return SettingDlg_CheckFolder(path, *this); }

    // The items as they stand.
    SettingDlgState State() const;

private:
    void BuildLayout();
    void OnSizeRadio(short item);
    void EnableFolderItems();

    // SettingDlgMessages
    void Show(int id, const std::string& path) override;
    bool Ask(int id, const std::string& path) override;

    ShadeParams& params_;
    char* lastFolder_;
    std::size_t lastFolderSize_;
};
