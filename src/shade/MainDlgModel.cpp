#include "MainDlgModel.h"

#include "AppFolder.h"
#include "FileUtilities.h"
#include "Profile.h"

namespace {

constexpr int32_t kStyleCapacity = 51;
constexpr int32_t kImageCapacity = 52;
constexpr int32_t kContextMenuId = 1034;
constexpr int32_t kCommandClear = 6;
constexpr int32_t kCommandToTop = 1;
constexpr int32_t kCommandUp = 2;
constexpr int32_t kCommandDown = 3;
constexpr int32_t kCommandToBottom = 4;
constexpr int32_t kTextureListId = 1703;
constexpr int32_t kForegroundListId = 1704;
constexpr const char* kNoImageText = "No image";
constexpr const char* kMissingImageText = "Missing";
constexpr const char* kUnavailableImageText = "unavailable";

const char* const kLockSections[kLockGroupCount] = {"MODEL", "MATERIAL", "TEXTURE", "FOREGROUND", "LIGHT"};

struct FileKey {
    const char* pathKey;
    const char* typeKey;
    int32_t MainDlgUiState::*type;
};

// The FILE section, in the order it is written; FilePath gives each path.
const FileKey kFileKeys[] = {
    {"PATHUSER", "EXTUSER", &MainDlgUiState::extUser},
    {"PATHUSERTEXTURE", "EXTUSERTEXTURE", &MainDlgUiState::extUserTexture},
    {"PATHUSERFOREGROUND", "EXTUSERFOREGROUND", &MainDlgUiState::extUserForeground},
};

char* FilePath(MainDlgUiState& ui, int index) {
    switch (index) {
    case 0: return ui.pathUser;
    case 1: return ui.pathUserTexture;
    default: return ui.pathUserForeground;
    }
}

bool IsSettingsEntry(const ShadeParamEntry& entry) { return entry.part == ShadeParamPart::Settings; }

}  // namespace

MainDlgModel::MainDlgModel(ShadeParams& params, MainDlgFolders folders, MainDlgView& view,
                           StyleParamIO& style, MotionProcessState& motionState)
    : params_(params), folders_(std::move(folders)), view_(view), style_(style), motion_(motionState) {
    styleList_.Setup(folders_.settingsFile, folders_.styleFolder, "mv", "STYLE", 0, kStyleCapacity, "",
                     kMissingImageText);
    textureList_.Initialize(folders_.settingsFile, folders_.textureFolder, "TEXTURE",
                            params_.TextureFilename, 1, kImageCapacity, kNoImageText, kUnavailableImageText);
    foregroundList_.Initialize(folders_.settingsFile, folders_.foregroundFolder, "FOREGROUND",
                               params_.ForegroundFilename, 1, kImageCapacity, kNoImageText,
                               kUnavailableImageText);
    styleList_.SetControlId(kStyleListId);
    textureList_.SetControlId(kTextureListId);
    foregroundList_.SetControlId(kForegroundListId);
    for (PsControlCombo* list : {static_cast<PsControlCombo*>(&styleList_),
                                 static_cast<PsControlCombo*>(&textureList_),
                                 static_cast<PsControlCombo*>(&foregroundList_)}) {
        list->SetupMenu(kContextMenuId, kCommandClear, kCommandToTop, kCommandUp, kCommandDown,
                        kCommandToBottom);
        list->SetSystemFolder(folders_.systemFolder);
        list->SetListener(this);
    }
}

void MainDlgModel::OnDialogStart() {
    LoadUIParam();
    style_.LoadParam(folders_.settingsFile.c_str());
}

bool MainDlgModel::OnDialogEnd() {
    return WriteSettingsFile(style_.StyleKeys());
}

std::vector<ProfileSetting> MainDlgModel::SettingKeys() const {
    std::vector<ProfileSetting> settings;
    for (const ShadeParamEntry& entry : ShadeParamTable()) {
        if (!IsSettingsEntry(entry)) continue;
        std::string section(entry.section);
        std::string key(entry.key);
        settings.push_back(entry.kind == ShadeParamKind::Text
                               ? Profile::Text(section, key, ShadeParamText(params_, entry))
                               : Profile::Number(section, key, ShadeParamInt(params_, entry)));
    }
    if (params_.SaveLockStatus == 1) {
        for (int i = 0; i < kLockGroupCount; ++i)
            settings.push_back(Profile::Number(kLockSections[i], "Lock", locks_.IsLocked(i) ? 1 : 0));
    }
    return settings;
}

std::vector<ProfileSetting> MainDlgModel::DialogKeys() {
    std::vector<ProfileSetting> settings{Profile::Number("MATERIAL", "ColorMode", ui_.colorMode),
                                         Profile::Number("LIGHT", "Channel", ui_.channel)};
    for (int i = 0; i < 3; ++i) {
        settings.push_back(Profile::Text("FILE", kFileKeys[i].pathKey, FilePath(ui_, i)));
        settings.push_back(Profile::Number("FILE", kFileKeys[i].typeKey, ui_.*kFileKeys[i].type));
    }
    settings.push_back(Profile::Number("WINDOW", "Page", ui_.page));
    settings.push_back(Profile::Number("WINDOW", "PosX", ui_.posX));
    settings.push_back(Profile::Number("WINDOW", "PosY", ui_.posY));
    return settings;
}

bool MainDlgModel::SaveUIParam() { return WriteSettingsFile({}); }

// One pass over the file, with the keys in the order they have always been
// written: the given ones, the settings keys, the three lists, the dialog's
// keys.
bool MainDlgModel::WriteSettingsFile(std::vector<ProfileSetting> settings) {
    const std::vector<ProfileSetting> user = SettingKeys();
    settings.insert(settings.end(), user.begin(), user.end());
    for (const PsControlCombo* list : {static_cast<const PsControlCombo*>(&styleList_),
                                       static_cast<const PsControlCombo*>(&textureList_),
                                       static_cast<const PsControlCombo*>(&foregroundList_)}) {
        const std::vector<ProfileSetting> keys = list->SaveSettings();
        settings.insert(settings.end(), keys.begin(), keys.end());
    }
    const std::vector<ProfileSetting> dialog = DialogKeys();
    settings.insert(settings.end(), dialog.begin(), dialog.end());
    const bool written = Profile(folders_.settingsFile).SetAll(settings);
    if (!written) view_.ReportWriteFailure(folders_.settingsFile);
    return written;
}

void MainDlgModel::ReadSettingKeys() {
    const Profile profile(folders_.settingsFile);
    for (const ShadeParamEntry& entry : ShadeParamTable()) {
        if (!IsSettingsEntry(entry)) continue;
        const std::string section(entry.section);
        const std::string key(entry.key);
        if (entry.kind == ShadeParamKind::Int) {
            ShadeParamInt(params_, entry) =
                ShadeParamClamp(entry, profile.Get(section.c_str(), key.c_str(), entry.defaultValue));
            continue;
        }
        // PathDefault: the pictures folder unless the file names another.
        char value[kShadeParamsTextReadSize] = "";
        std::string fallback(entry.defaultText);
        if (key == "PathDefault" && folders_.picturesFolder.size() < kShadeParamsTextReadSize)
            fallback = folders_.picturesFolder;
        profile.Get(section.c_str(), key.c_str(), fallback.c_str(), value, kShadeParamsTextReadSize);
        SetPathField(ShadeParamText(params_, entry), value);
    }
}

void MainDlgModel::ReadFileKeys() {
    const Profile profile(folders_.settingsFile);
    for (int i = 0; i < 3; ++i) {
        char* path = FilePath(ui_, i);
        profile.Get("FILE", kFileKeys[i].pathKey, params_.PathDefault, path, 256);
        ui_.*kFileKeys[i].type = profile.Get("FILE", kFileKeys[i].typeKey, kDefaultFileType);
    }
}

void MainDlgModel::LoadUIParam() {
    const char* path = folders_.settingsFile.c_str();
    const Profile profile(folders_.settingsFile);
    ReadSettingKeys();
    if (params_.SaveLockStatus == 1) {
        for (int i = 0; i < kLockGroupCount; ++i) locks_.SetLocked(i, profile.Get(kLockSections[i], "Lock", 0) == 1);
    }
    styleList_.Load(path, false);
    textureList_.Load(path, false);
    foregroundList_.Load(path, false);
    ui_.styleName = styleList_.GetFileName(styleList_.GetCurrent());
    ui_.colorMode = profile.Get("MATERIAL", "ColorMode", kColorModeHsv);
    ui_.channel = profile.Get("LIGHT", "Channel", kLightChannelMain);
    ReadFileKeys();
    ui_.page = profile.Get("WINDOW", "Page", 0);
    ui_.posX = profile.Get("WINDOW", "PosX", -1);
    ui_.posY = profile.Get("WINDOW", "PosY", -1);
    view_.ShowPage(ui_.page);
    if (ui_.posX > 0 && ui_.posY > 0) view_.MoveWindowTo(ui_.posX, ui_.posY);
    view_.EnableControls();
}

void MainDlgModel::Store(bool keepStyle) {
    SetPathField(params_.StylePath, styleList_.GetPathReal(styleList_.GetCurrent()));
    history_.Store(params_);
    view_.EnableUndoRedo(history_.CanUndo(), false);
    if (!keepStyle) styleList_.SetCurSel(-1);
}

void MainDlgModel::Undo(bool back) {
    const bool storesFirst = back && history_.GetPosition() > 0 && history_.GetPosition() == history_.GetTop();
    if (storesFirst) {
        // The current record goes into the history first, as Store(0) keeps it.
        SetPathField(params_.StylePath, styleList_.GetPathReal(styleList_.GetCurrent()));
        styleList_.SetCurSel(-1);
    }
    if (history_.Undo(back, params_)) AfterRestore();
    view_.EnableUndoRedo(history_.CanUndo(), history_.CanRedo());
    view_.RequestPreview();
}

void MainDlgModel::AfterRestore() {
    if (params_.StylePath[0] != '\0') {
        const std::string path(params_.StylePath);
        styleList_.AddImage(path.c_str());
    } else {
        styleList_.SetCurSel(-1);
    }
    view_.RefreshPanes();
}

void MainDlgModel::StartMotion(int64_t now, uint32_t seconds) {
    motion_.Start(params_.MotionDevide, now, seconds);
    view_.SetMotionButton(true);
    Store(false);
}

void MainDlgModel::StopMotion(bool revert) {
    if (!motion_.IsRunning()) return;
    motion_.Stop();
    view_.SetMotionButton(false);
    if (revert) Undo(true);
}

void MainDlgModel::OnTimer(int64_t now, int32_t appStatus) {
    if (!motion_.IsDue(now)) return;
    if (appStatus != 1) {
        StopMotion(false);
        return;
    }
    RandomParam();
    motion_.Reschedule(now);
}

void MainDlgModel::RandomParam() {
    motion_.RandomParam(params_, locks_, &textureList_, &foregroundList_);
    if (params_.MotionUiDisp == 1) {
        if (ui_.colorMode == kColorModeHsv) ShadeParamsDeriveColorHsv(params_);
        view_.RefreshPanes();
    }
    view_.RequestPreview();
}

void MainDlgModel::Capture() {
    if (!motion_.IsRunning()) return;
    StopMotion(false);
    params_ = motion_.GetCapture();
    view_.RefreshPanes();
    view_.RequestPreview();
}

void MainDlgModel::LoadSelectedStyle() {
    const std::string path = styleList_.GetPathReal(styleList_.GetCurrent());
    if (path.empty()) return;
    // A relative entry lies in the system folder, never in the host's
    // working folder.
    const std::string load = styleList_.ResolvePath(path);
    if (style_.LoadParam(load.c_str())) ui_.styleName = std::string(FSNamePart(path));
}

void MainDlgModel::OnComboChanged(PsControlCombo& combo) {
    StopMotion(true);
    if (&combo == &styleList_) LoadSelectedStyle();
    view_.RefreshPanes();
    view_.RequestPreview();
}

void MainDlgModel::OnComboChangeBegins(PsControlCombo&) {
    Store(false);
}

bool MainDlgModel::NoteUnreadableImage(const std::string& name, const std::string& path) {
    textureList_.MarkUnreadable(name);
    foregroundList_.MarkUnreadable(name);
    return toldUnreadable_.insert(path).second;
}
