// The backup and overwrite dialogs under the offscreen platform, over a real
// library in a temporary folder.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QRadioButton>

#include "../shade/ShadeTestSupport.h"
#include "BackupDlg.h"
#include "CListBox.h"
#include "DialogItems.h"
#include "DialogTestSupport.h"
#include "OverWriteDlg.h"

using namespace morvanel_test;

namespace {

bool ReportHas(BackupDlg& dialog, const QString& text) {
    auto* report = static_cast<CListBox*>(dialog.GetDlgItem(BackupDlg::kItemReport));
    for (int i = 0; i < report->GetCount(); ++i)
        if (report->item(i)->text().contains(text)) return true;
    return false;
}

TEST(OverWriteDlgTest, EachButtonGivesItsChoiceAndRenameNeedsAUsableName) {
    OverWriteDlg rename(nullptr, "question", "wood.png");
    ASSERT_TRUE(rename.OnInitDialog());
    EXPECT_EQ(FetchText(rename, OverWriteDlg::kItemNewName), "wood.png");
    StuffText(rename, OverWriteDlg::kItemNewName, "");
    rename.ItemHit(OverWriteDlg::kItemRename);
    EXPECT_EQ(rename.result(), 0);  // still open
    StuffText(rename, OverWriteDlg::kItemNewName, "oak.jpg");
    rename.ItemHit(OverWriteDlg::kItemRename);
    EXPECT_EQ(rename.result(), OverWriteDlg::kItemRename);
    EXPECT_EQ(rename.Choice(), OverwriteChoice::Rename);
    EXPECT_EQ(rename.NewName(), "oak.png");

    const std::pair<short, OverwriteChoice> buttons[] = {{kItemOk, OverwriteChoice::Overwrite},
                                                         {kItemCancel, OverwriteChoice::Skip},
                                                         {OverWriteDlg::kItemSkipAll, OverwriteChoice::SkipAll},
                                                         {OverWriteDlg::kItemOverwriteAll, OverwriteChoice::OverwriteAll}};
    for (const auto& [item, choice] : buttons) {
        OverWriteDlg dialog(nullptr, "question", "wood.png");
        dialog.OnInitDialog();
        dialog.ItemHit(item);
        EXPECT_EQ(dialog.Choice(), choice) << item;
        EXPECT_EQ(dialog.result(), item);
    }
}

TEST_F(BackupFixture, BackupDialogOffersTheModesAndWritesThePackOnOk) {
    model->StyleList().SetCurSel(-1);
    params.BackupMode = kBackupCurrentStyle;
    BackupDlg dialog(nullptr, true, params, Lists(), Folders(), pack);
    ASSERT_TRUE(dialog.OnInitDialog());
    EXPECT_FALSE(dialog.GetDlgItem(BackupDlg::kItemModeStyle)->isEnabled());
    EXPECT_EQ(GetRadioGroupState(dialog, BackupDlg::kItemModeStyle, BackupDlg::kItemModeAll), BackupDlg::kItemModeStyles);
    EXPECT_FALSE(ReportHas(dialog, "sand.png"));

    static_cast<QRadioButton*>(dialog.GetDlgItem(BackupDlg::kItemModeAll))->click();
    EXPECT_EQ(params.BackupMode, kBackupEverything);
    EXPECT_TRUE(ReportHas(dialog, "sand.png"));
    dialog.ItemHit(kItemOk);
    EXPECT_EQ(dialog.result(), kItemOk);
    EXPECT_EQ(std::filesystem::file_size(pack), 132116u + dialog.Model().Header().totalSize);
}

TEST_F(BackupFixture, RestoreDialogSettlesConflictsThroughOverWriteDlg) {
    BackUp(kBackupAllStyles);
    std::filesystem::create_directories(restore);
    WriteImage(In("wood.png"), 4, 4, 1, 1, 1);
    WriteImage(In("stone.png"), 4, 4, 2, 2, 2);
    std::string toldFolder;
    BackupDlg dialog(nullptr, false, params, Lists(), Folders(), pack,
                     [&](const std::string& folder, bool) { toldFolder = folder; });
    int overwriteQuestions = 0;
    OnNextModal<BackupDlg>([this](BackupDlg* shown) {
        StuffText(*shown, BackupDlg::kItemFolder, QString::fromStdString(restore));
        shown->ItemHit(kItemOk);
    });
    OnNextModal<OverWriteDlg>([&](OverWriteDlg* shown) {
        ++overwriteQuestions;
        shown->ItemHit(OverWriteDlg::kItemOverwriteAll);
    });
    EXPECT_EQ(dialog.DoModal(), kItemOk);
    EXPECT_EQ(overwriteQuestions, 1);
    EXPECT_EQ(ReadBytes(In("wood.png")), ReadBytes(folders.textureFolder + "/wood.png"));
    EXPECT_EQ(ReadBytes(In("stone.png")), ReadBytes(folders.textureFolder + "/stone.png"));
    EXPECT_EQ(toldFolder, restore);
}

}  // namespace
