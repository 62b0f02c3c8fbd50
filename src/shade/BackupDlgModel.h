#pragma once
// The backup dialog without a window: packing styles, their images and the
// three library lists into one pack file, and restoring such a pack into a
// folder.  Both first build a report of what will happen (SetupBackup,
// SetupRestore); Contract and Extract then carry it out.
//
// A restore treats the pack as untrusted input: the whole header is checked
// before anything is written, every file lands inside the chosen folder, and
// each file is written under a temporary name and renamed into place, so a
// restore that fails half-way leaves every file that was there intact and
// reports which files were restored and which were not.  Packs are copied in
// 64 KiB chunks and never read whole.
//
// The questions a restore asks (overwrite a differing file, create a missing
// folder) go to BackupQuestions, which the dialog answers with OverWriteDlg
// and a message box, and the command line from its options or the terminal.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "BackupPack.h"
#include "PsControlCombo.h"
#include "PsImageCombo.h"
#include "ShadeParams.h"

// The answers of the overwrite question; a choice of "all" answers every
// later conflict of the same restore.
enum class OverwriteChoice : int32_t {
    Skip = 0,
    SkipAll = 1,
    Overwrite = 2,
    OverwriteAll = 3,
    Rename = 4,
};

// Backup modes (BackupMode).
inline constexpr int32_t kBackupCurrentStyle = 0;
inline constexpr int32_t kBackupAllStyles = 1;
inline constexpr int32_t kBackupEverything = 2;

// The rename dialog's rule: the part of text after its last "/", with its
// extension replaced by that of fileName (added when it has none).  Empty
// when that leaves no usable file name.
std::string OverWriteNewName(const std::string& text, const std::string& fileName);

class BackupQuestions {
public:
    virtual ~BackupQuestions() = default;
    // A file of the pack differs from the file already at its place.
    // question is the formatted question; for Rename, newName (which starts
    // as fileName) receives the new name, made with OverWriteNewName.
    virtual OverwriteChoice AskOverwrite(const std::string& question, const std::string& fileName,
                                         std::string& newName) = 0;
    // The restore folder does not exist; true creates it.
    virtual bool AskCreateFolder(const std::string& question) = 0;
    // After a restore the lists were reloaded: the preview is to be updated;
    // with useFolder the dialog's last file folder becomes folder.
    virtual void OnRestored(const std::string& /*folder*/, bool /*useFolder*/) {}
};

// The folders of the data folder (system folder and libraries).
struct BackupFolders {
    std::string systemFolder;
    std::string styleFolder;
    std::string textureFolder;
    std::string foregroundFolder;
};

// The three library lists.
struct BackupLists {
    PsControlCombo& style;
    PsImageCombo& texture;
    PsImageCombo& foreground;
};

class BackupDlgModel {
public:
    BackupDlgModel(ShadeParams& params, BackupLists lists, BackupFolders folders,
                   BackupQuestions& questions, std::string packPath);

    // Backup: mode 0 needs a selected style; without one the mode becomes 1.
    bool CanBackupCurrentStyle() const;
    void OnInitBackup();
    // A mode radio: stores BackupMode and builds the report again.
    void SetBackupMode(int32_t mode);
    void SetupBackup();
    // Writes the pack; false (reported) on failure.
    bool Contract();

    // Restore: the folder starts as PathDefault, the check box as RestoreWork.
    void OnInitRestore();
    void SetupRestore();
    void SetRestoreFolder(std::string folder) { restoreFolder_ = std::move(folder); }
    void SetUseRestoreFolder(bool use) { useRestoreFolder_ = use; }
    const std::string& RestoreFolder() const { return restoreFolder_; }
    bool UseRestoreFolder() const { return useRestoreFolder_; }
    // Restores the pack into the restore folder; false (reported) on failure.
    bool Extract();

    const std::vector<std::string>& Report() const { return report_; }
    bool HasError() const { return error_; }
    bool CanOK() const { return !error_ && ready_; }
    const PackHeaderSt& Header() const { return header_; }
    const ShadeParams& Params() const { return params_; }
    const std::string& PackPath() const { return packPath_; }
    const std::string& PackName() const { return packName_; }
    // What the last Extract wrote, and what it did not restore.
    const std::vector<std::string>& Restored() const { return restored_; }
    const std::vector<std::string>& NotRestored() const { return notRestored_; }
    const std::vector<std::pair<std::string, std::string>>& RenameTable() const { return renames_; }
    // The temporary set file a backup saves the lists into.
    std::string TempSetFile() const;

private:
    class PackReader;

    // Report rule: the first error clears the report and heads it.
    void ReportError(const std::string& message, const std::string& path);
    void ResetReport();
    void AddFileLines();

    // Backup steps.
    std::string ResolvePath(const std::string& path, const std::string& folder) const;
    bool AddFile(const std::string& path, const std::string& folder, const std::string& storedName = {});
    void AddStyle(int32_t index);
    void AddImageList(const PsImageCombo& list, const std::string& folder);
    void CleanSetFile(const std::string& path);
    void CleanList(const std::string& path, const char* section, const char* countKey, int32_t first,
                   int32_t selection);
    bool InPack(const std::string& resolved) const;
    bool CopySource(std::FILE* pack, const PackEntrySt& entry, std::vector<char>& buffer);

    // Restore steps.
    bool OpenPack(PackReader& reader);
    bool CheckFolder();
    bool CheckTargets();
    bool RestoreFile(PackReader& reader, std::size_t index, OverwriteChoice& choice, std::vector<bool>& present);
    bool Identical(PackReader& reader, const PackEntrySt& entry, const std::string& target);
    bool Settle(const PackEntrySt& entry, std::string& target, OverwriteChoice& choice);
    bool WriteFile(PackReader& reader, const PackEntrySt& entry, const std::string& target);
    std::string RepairedPath(const std::string& value) const;
    void RepairPaths(const std::vector<bool>& present);
    void RepairStyle(const std::string& path);
    void RepairList(const std::string& path, const char* section, const char* countKey);
    void ReloadLists(const std::vector<bool>& present);
    void ReportRestoreOutcome();
    std::string TargetOf(const std::string& name) const;

    ShadeParams& params_;
    BackupLists lists_;
    BackupFolders folders_;
    BackupQuestions& questions_;
    std::string packPath_;
    std::string packName_;
    PackHeaderSt header_;
    std::vector<std::string> resolved_;  // the backup's source files, by entry
    std::vector<std::string> report_;
    bool error_ = false;
    bool ready_ = false;
    bool backup_ = true;
    std::string restoreFolder_;
    bool useRestoreFolder_ = true;
    std::vector<std::pair<std::string, std::string>> renames_;
    std::vector<std::string> targets_;  // where each entry of the pack now lies
    std::vector<std::string> restored_;
    std::vector<std::string> notRestored_;
};
