// The main dialog model's file flows: adding and deleting styles and
// images, and the files the user loads and saves through the Save and Load
// buttons.
#include <cstring>
#include <filesystem>
#include <system_error>

#include "AppFolder.h"
#include "FileUtilities.h"
#include "MainDlgModel.h"

bool MainDlgModel::UsablePath(const char* path) {
    if (path == nullptr || path[0] == '\0') return false;
    if (std::strlen(path) <= kComboPathMax) return true;
    // A chosen file goes into a 256-byte field and a list whose file gives
    // back at most 254 characters; a longer path is refused rather than cut
    // into the name of some other file.
    view_.ShowMessage(kPathUnusableMessageId, path);
    return false;
}

void MainDlgModel::RememberFolder(char* folderField, const char* path) {
    SetPathField(folderField, FSFolderPart(path));
}

int MainDlgModel::AddStyleFile(const char* path) {
    if (!UsablePath(path)) return 0;
    StopMotion(true);
    Store(false);
    const int added = styleList_.AddImage(path);
    RememberFolder(ui_.pathUser, path);
    return added;
}

int MainDlgModel::DeleteStyle() {
    if (styleList_.GetCurrent() < styleList_.GetFirst()) return 0;
    StopMotion(true);
    Store(true);
    return styleList_.DelImage();
}

void MainDlgModel::CopyIntoImageFolder(PsImageCombo& list, const char* path) {
    char copy[kAppPathMax + 1] = "";
    // Without an image folder the copy would land in the working folder.
    const bool named = params_.PathDefault[0] != '\0' &&
                       MakeDataFolderPath(copy, path, params_.PathDefault) == 1 &&
                       std::strlen(copy) <= kComboPathMax;
    std::error_code error;
    if (named && std::filesystem::equivalent(path, copy, error)) return;  // already there
    if (named && CopyFile(path, copy, true)) list.SetCurrentFile(copy);
    else view_.ShowMessage(kCopyImageFailedMessageId, copy[0] ? copy : path);
}

bool MainDlgModel::AddImageFile(PsImageCombo& list, const char* path, int32_t fileType) {
    if (!UsablePath(path)) return false;
    StopMotion(true);
    Store(false);
    list.SetCurrentFile(path);
    if (params_.CopyImageFile == 1) CopyIntoImageFolder(list, path);
    list.Update();
    const bool foreground = &list == &foregroundList_;
    RememberFolder(foreground ? ui_.pathUserForeground : ui_.pathUserTexture, path);
    (foreground ? ui_.extUserForeground : ui_.extUserTexture) = fileType;
    return true;
}

int MainDlgModel::DeleteImageFile(PsImageCombo& list) {
    if (!CanDeleteImage(list)) return 0;
    StopMotion(true);
    Store(false);
    return list.DelImage();
}

UserFileResult MainDlgModel::SaveLists(const char* path, UserFileType type) {
    bool written = true;
    if (type == UserFileType::Set || type == UserFileType::StyleList) written = styleList_.Save(path);
    if (type == UserFileType::Set || type == UserFileType::TextureList)
        written = textureList_.Save(path) && written;
    if (type == UserFileType::Set || type == UserFileType::ForegroundList)
        written = foregroundList_.Save(path) && written;
    if (written) return UserFileResult::Done;
    view_.ReportWriteFailure(path);
    return UserFileResult::Failed;
}

UserFileResult MainDlgModel::SaveUserFile(const char* path, int32_t fileType) {
    const auto type = static_cast<UserFileType>(fileType);
    if (type < UserFileType::Style || type > UserFileType::Backup) return UserFileResult::Failed;
    if (!UsablePath(path)) return UserFileResult::Failed;
    StopMotion(true);
    UserFileResult result = UserFileResult::Done;
    if (type == UserFileType::Backup) {
        result = UserFileResult::RunBackup;
    } else if (type != UserFileType::Style) {
        result = SaveLists(path, type);
    } else if (style_.SaveParam(path) == 1) {
        styleList_.AddImage(path);
    } else {
        view_.ReportWriteFailure(path);
        result = UserFileResult::Failed;
    }
    RememberFolder(ui_.pathUser, path);
    ui_.extUser = fileType;
    return result;
}

UserFileResult MainDlgModel::LoadLists(const char* path, UserFileType type) {
    if (type == UserFileType::Set) {
        // A set file brings no image list into a locked group.
        if (!locks_.IsLocked(kLockTexture)) textureList_.Load(path, true);
        if (!locks_.IsLocked(kLockForeground)) foregroundList_.Load(path, true);
        styleList_.Load(path, true);
        return UserFileResult::Done;
    }
    if (type == UserFileType::StyleList) {
        styleList_.Load(path, true);
        return UserFileResult::Done;
    }
    const bool texture = type == UserFileType::TextureList;
    if (!CheckLock(LockBit(texture ? kLockTexture : kLockForeground))) return UserFileResult::Refused;
    (texture ? textureList_ : foregroundList_).Load(path, true);
    return UserFileResult::Done;
}

UserFileResult MainDlgModel::LoadUserFile(const char* path, int32_t fileType) {
    const auto type = static_cast<UserFileType>(fileType);
    if (type < UserFileType::Style || type > UserFileType::Backup) return UserFileResult::Failed;
    if (!UsablePath(path)) return UserFileResult::Failed;
    if (GetFileAttributes(path) != 0) {
        // Reading a missing list file would leave an empty one behind.
        view_.ShowMessage(kMissingFileMessageId, path);
        return UserFileResult::Refused;
    }
    StopMotion(true);
    Store(false);
    UserFileResult result = UserFileResult::Done;
    // A restore may replace files of every group: all five locks must allow it.
    if (type == UserFileType::Backup) result = CheckLock(kLockMaskAll) ? UserFileResult::RunBackup : UserFileResult::Refused;
    else if (type != UserFileType::Style) result = LoadLists(path, type);
    else if (style_.LoadParam(path) == 1) ui_.styleName = std::string(FSNamePart(path));
    else result = UserFileResult::Refused;
    RememberFolder(ui_.pathUser, path);
    ui_.extUser = fileType;
    view_.RefreshPanes();
    view_.RequestPreview();
    return result;
}
