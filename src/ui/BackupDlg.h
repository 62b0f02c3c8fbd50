#pragma once
// BackupDlg: the backup and restore dialog over BackupDlgModel.  It shows the
// model's report before anything is written; OK carries the backup or the
// restore out and closes the dialog, or leaves it open with the report of
// what failed.  Backup mode: the three mode radios (items 4 to 6).  Restore
// mode: the folder (item 10) with its chooser (11) and the check box (12)
// that makes the folder the image folder.  The restore's questions are
// answered by OverWriteDlg and a message box.
#include <functional>
#include <memory>
#include <string>

#include "BackupDlgModel.h"
#include "CDialog.h"

class BackupDlg : public CDialog, private BackupQuestions {
    Q_OBJECT
public:
    static constexpr short kItemModeGroup = 3;
    static constexpr short kItemModeStyle = 4;
    static constexpr short kItemModeStyles = 5;
    static constexpr short kItemModeAll = 6;
    static constexpr short kItemReport = 7;
    static constexpr short kItemRestoreGroup = 8;
    static constexpr short kItemFolder = 10;
    static constexpr short kItemChooseFolder = 11;
    static constexpr short kItemUseFolder = 12;

    // Told after a restore: the main dialog updates its preview and, with
    // useFolder, takes folder as its last file folder.
    using RestoredSink = std::function<void(const std::string& folder, bool useFolder)>;

    BackupDlg(QWidget* parent, bool backup, ShadeParams& params, BackupLists lists, BackupFolders folders,
              std::string packPath, RestoredSink restored = {});
    ~BackupDlg() override;

    bool OnInitDialog() override;
    bool DoAction(short* item) override;
    void OnOK() override;

    BackupDlgModel& Model() { return *model_; }

private:
    OverwriteChoice AskOverwrite(const std::string& question, const std::string& fileName,
                                 std::string& newName) override;
    bool AskCreateFolder(const std::string& question) override;
    void OnRestored(const std::string& folder, bool useFolder) override;

    void BuildBackupItems();
    void BuildRestoreItems();
    void ShowReport();
    void ChooseFolder();

    bool backup_;
    std::unique_ptr<BackupDlgModel> model_;
    RestoredSink restored_;
};
