#pragma once
// OverWriteDlg: the question a restore asks about a file of the pack that
// differs from the file already in the folder.  Overwrite (item 1), skip
// (item 2), rename to the name in item 5 (item 3, the default), skip all
// further conflicts (item 6) or overwrite them all (item 7).
#include <string>

#include "BackupDlgModel.h"
#include "CDialog.h"

class OverWriteDlg : public CDialog {
    Q_OBJECT
public:
    static constexpr short kItemRename = 3;
    static constexpr short kItemQuestion = 4;
    static constexpr short kItemNewName = 5;
    static constexpr short kItemSkipAll = 6;
    static constexpr short kItemOverwriteAll = 7;

    OverWriteDlg(QWidget* parent, const std::string& question, std::string fileName);

    bool OnInitDialog() override;
    bool DoAction(short* item) override;

    OverwriteChoice Choice() const { return choice_; }
    // The new name after Rename (with the file's own extension).
    const std::string& NewName() const { return newName_; }

private:
    QString question_;
    std::string fileName_;
    std::string newName_;
    OverwriteChoice choice_ = OverwriteChoice::Skip;
};
