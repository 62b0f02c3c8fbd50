#pragma once
// The main dialog's state and operations without a window: the settings
// file's user keys (SaveUIParam / LoadUIParam), the order at dialog start and
// end, the undo history, the group locks, motion and capture, and the three
// library lists.  The Qt dialog owns one and implements MainDlgView; the
// style file keys are read and written through StyleParamIO.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "Locks.h"
#include "Motion.h"
#include "PrivateProfile.h"
#include "PsControlCombo.h"
#include "PsImageCombo.h"
#include "ShadeParams.h"
#include "UndoHistory.h"

// What the model asks of the dialog.  Everything but the question has a
// do-nothing default so that a view implements only what it shows.
class MainDlgView : public LockQuestion {
public:
    virtual void RefreshPanes() {}
    virtual void RequestPreview() {}
    virtual void EnableUndoRedo(bool /*undo*/, bool /*redo*/) {}
    virtual void ShowPage(int32_t /*page*/) {}
    virtual void MoveWindowTo(int32_t /*x*/, int32_t /*y*/) {}
    virtual void EnableControls() {}
    virtual void SetMotionButton(bool /*running*/) {}
    // The settings file (or a list file) could not be written.
    virtual void ReportWriteFailure(const std::string& /*path*/) {}
    // Shows the message of a string resource formatted with text.
    virtual void ShowMessage(int /*messageId*/, const std::string& /*text*/) {}
};

// The style half of the settings file: the parameter keys of a style file.
class StyleParamIO {
public:
    virtual ~StyleParamIO() = default;
    virtual int SaveParam(const char* path) = 0;
    // The keys SaveParam writes, in the order it writes them, so that the
    // settings file takes them in the same pass as its own keys.
    virtual std::vector<ProfileSetting> StyleKeys() const = 0;
    virtual int LoadParam(const char* path) = 0;
};

// Colour control modes and the FILE keys' default file type.
inline constexpr int32_t kColorModeRgb = 0;
inline constexpr int32_t kColorModeHsv = 1;
inline constexpr int32_t kDefaultFileType = 1;

// Control ids the lists notify with.
inline constexpr int32_t kStyleListId = 1702;

// The file types of the style file dialogs, as EXTUSER numbers them.
enum class UserFileType : int32_t {
    Style = 1,           // .mv
    Set = 2,             // .mvs: the style list and both image lists
    StyleList = 3,       // .mv1
    TextureList = 4,     // .mv2
    ForegroundList = 5,  // .mv3
    Backup = 6,          // .mvz
};

// The outcome of loading or saving a file the user chose.
enum class UserFileResult {
    Done,
    Refused,       // a lock stayed on, or the file was refused (and reported)
    Failed,        // the file could not be written or named (reported)
    RunBackup,     // a backup pack: the caller runs the backup or restore dialog on it
};

// Messages the file flows show.
inline constexpr int kMissingFileMessageId = 902;
inline constexpr int kPathUnusableMessageId = 905;
inline constexpr int kCopyImageFailedMessageId = 906;

// The folders the model works with.
struct MainDlgFolders {
    std::string systemFolder;
    std::string settingsFile;
    std::string styleFolder;
    std::string textureFolder;
    std::string foregroundFolder;
    std::string picturesFolder;
};

// The user's state beside the parameter record that the settings file keeps.
struct MainDlgUiState {
    int32_t colorMode = kColorModeHsv;
    int32_t channel = kLightChannelMain;
    char pathUser[256] = "";
    int32_t extUser = kDefaultFileType;
    char pathUserTexture[256] = "";
    int32_t extUserTexture = kDefaultFileType;
    char pathUserForeground[256] = "";
    int32_t extUserForeground = kDefaultFileType;
    int32_t page = 0;
    int32_t posX = -1;
    int32_t posY = -1;
    std::string styleName;
};

class MainDlgModel : private PsComboListener {
public:
    MainDlgModel(ShadeParams& params, MainDlgFolders folders, MainDlgView& view, StyleParamIO& style,
                 MotionProcessState& motionState = ProcessMotionState());

    // Dialog start: LoadUIParam, then the parameter keys of the settings file.
    void OnDialogStart();
    // Dialog end (OK or Cancel): the parameter keys, then the keys of
    // SaveUIParam, written in one pass with the bytes of the two writes one
    // after the other.  False when the settings file could not be written
    // (the view was told).
    bool OnDialogEnd();

    // Writes the user keys and the lists into the settings file; false (and
    // reported) when the file could not be written.
    bool SaveUIParam();
    void LoadUIParam();

    void Store(bool keepStyle);
    void Undo(bool back);
    int CheckLock(uint32_t mask) { return locks_.CheckLock(mask, view_); }

    // Motion at tick `now`, seeded with `seconds`.
    void StartMotion(int64_t now, uint32_t seconds);
    void StopMotion(bool revert);
    // The timer: runs a motion step when due.  appStatus is the application
    // object's status; anything but 1 stops motion.
    void OnTimer(int64_t now, int32_t appStatus);
    void RandomParam();
    // Stops motion and keeps the look of the previous step.
    void Capture();
    bool IsMotionRunning() const { return motion_.IsRunning(); }

    // The style add button after its file dialog: an undo step, then the
    // file is added to the style list (or selected when listed) and its
    // folder becomes PATHUSER.  1 when added.
    int AddStyleFile(const char* path);
    // The style delete button: with an entry selected, an undo step that
    // keeps the selection, then the entry leaves the list.  1 when removed.
    int DeleteStyle();
    // An image pane's add button after its file dialog: the current file
    // becomes the chosen path, or with CopyImageFile its copy in PathDefault
    // (message 906 and the chosen path when the copy fails); the list then
    // selects or adds it, and the folder and type are remembered.  False
    // when nothing was chosen or the path does not fit (message 905).
    bool AddImageFile(PsImageCombo& list, const char* path, int32_t fileType);
    // The delete button is offered while an entry other than the placeholder
    // is selected.
    bool CanDeleteImage(const PsImageCombo& list) const { return list.GetIndex() >= list.GetFirst(); }
    int DeleteImageFile(PsImageCombo& list);
    // The dialog's Save and Load buttons after their file dialogs, by the
    // chosen file type; afterwards the file's folder is PATHUSER and the type
    // EXTUSER.
    UserFileResult SaveUserFile(const char* path, int32_t fileType);
    UserFileResult LoadUserFile(const char* path, int32_t fileType);

    // A render could not read the texture or foreground image name (opened as
    // path): its list entries are marked unreadable.  True the first time
    // path is reported in this dialog, when the user is to be told.
    bool NoteUnreadableImage(const std::string& name, const std::string& path);

    ShadeParams& Params() { return params_; }
    LockFlags& Locks() { return locks_; }
    const UndoHistory& History() const { return history_; }
    const Motion& GetMotion() const { return motion_; }
    MainDlgUiState& Ui() { return ui_; }
    PsControlCombo& StyleList() { return styleList_; }
    PsImageCombo& TextureList() { return textureList_; }
    PsImageCombo& ForegroundList() { return foregroundList_; }
    const MainDlgFolders& Folders() const { return folders_; }

private:
    void OnComboChanged(PsControlCombo& combo) override;
    void OnComboChangeBegins(PsControlCombo& combo) override;
    void LoadSelectedStyle();
    void AfterRestore();
    void ReadSettingKeys();
    // The settings-only keys (with the lock keys when they are kept), and the
    // dialog's own keys, as they are written.
    std::vector<ProfileSetting> SettingKeys() const;
    std::vector<ProfileSetting> DialogKeys();
    // Writes settings followed by the user keys and the lists.
    bool WriteSettingsFile(std::vector<ProfileSetting> settings);
    void ReadFileKeys();
    bool UsablePath(const char* path);
    // The CopyImageFile rule: the list's current file becomes the copy of
    // path in PathDefault, which never replaces a file already there.
    void CopyIntoImageFolder(PsImageCombo& list, const char* path);
    // The folder of path (cut at its last "/") into a FILE folder field.
    void RememberFolder(char* folderField, const char* path);
    UserFileResult SaveLists(const char* path, UserFileType type);
    UserFileResult LoadLists(const char* path, UserFileType type);

    ShadeParams& params_;
    MainDlgFolders folders_;
    MainDlgView& view_;
    StyleParamIO& style_;
    LockFlags locks_;
    UndoHistory history_;
    Motion motion_;
    MainDlgUiState ui_;
    PsControlCombo styleList_;
    PsImageCombo textureList_;
    PsImageCombo foregroundList_;
    std::set<std::string> toldUnreadable_;
};
