#include "BackupDlg.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "AppFolder.h"
#include "BackupText.h"
#include "CFileDialog.h"
#include "CListBox.h"
#include "DialogItems.h"
#include "OverWriteDlg.h"
#include "UiStrings.h"
#include "WinLayer.h"

namespace {

constexpr int16_t kBackupDialogId = 1004;

enum : int {
    kModeGroup = 10040,
    kModeStyle,
    kModeStyles,
    kModeAll,
    kRestoreGroup,
    kFolderLabel,
    kChooseFolder,
    kUseFolder,
    kChooseFolderTitle,
};

void AddStrings() {
    UiStrings_Add({{kModeGroup, "Back up"},
                   {kModeStyle, "The current style"},
                   {kModeStyles, "Every style of the list"},
                   {kModeAll, "Every style and every library image"},
                   {kRestoreGroup, "Restore"},
                   {kFolderLabel, "Into the folder:"},
                   {kChooseFolder, "Choose..."},
                   {kUseFolder, "Use this folder as the image folder"},
                   {kChooseFolderTitle, "Choose the folder to restore into"}});
}

}  // namespace

BackupDlg::BackupDlg(QWidget* parent, bool backup, ShadeParams& params, BackupLists lists, BackupFolders folders,
                     std::string packPath, RestoredSink restored)
    : CDialog(kBackupDialogId, parent),
      backup_(backup),
      model_(std::make_unique<BackupDlgModel>(params, lists, std::move(folders), static_cast<BackupQuestions&>(*this),
                                                    std::move(packPath))),
      restored_(std::move(restored)) {}

BackupDlg::~BackupDlg() = default;

void BackupDlg::BuildBackupItems() {
    auto* group = new QGroupBox(UiString(kModeGroup), this);
    auto* column = new QVBoxLayout(group);
    SetItem(kItemModeGroup, group);
    const int texts[] = {kModeStyle, kModeStyles, kModeAll};
    for (short item = kItemModeStyle; item <= kItemModeAll; ++item) {
        auto* radio = new QRadioButton(UiString(texts[item - kItemModeStyle]), group);
        column->addWidget(radio);
        SetItem(item, radio);
        connect(radio, &QRadioButton::clicked, this, [this, item] { ItemHit(item); });
    }
    layout()->addWidget(group);
}

void BackupDlg::BuildRestoreItems() {
    auto* group = new QGroupBox(UiString(kRestoreGroup), this);
    auto* column = new QVBoxLayout(group);
    auto* row = new QHBoxLayout;
    auto* folder = new QLineEdit(group);
    folder->setMaxLength(255);
    auto* choose = new QPushButton(UiString(kChooseFolder), group);
    choose->setAutoDefault(false);
    row->addWidget(new QLabel(UiString(kFolderLabel), group));
    row->addWidget(folder, 1);
    row->addWidget(choose);
    auto* useFolder = new QCheckBox(UiString(kUseFolder), group);
    column->addLayout(row);
    column->addWidget(useFolder);
    SetItem(kItemRestoreGroup, group);
    SetItem(kItemFolder, folder);
    SetItem(kItemChooseFolder, choose);
    SetItem(kItemUseFolder, useFolder);
    connect(choose, &QPushButton::clicked, this, [this] { ItemHit(kItemChooseFolder); });
    connect(useFolder, &QCheckBox::clicked, this, [this] { ItemHit(kItemUseFolder); });
    layout()->addWidget(group);
}

bool BackupDlg::OnInitDialog() {
    AddStrings();
    setWindowTitle(BackupString(backup_ ? kBackupTitle : kRestoreTitle));
    auto* column = new QVBoxLayout(this);
    if (backup_) BuildBackupItems();
    else BuildRestoreItems();
    auto* report = new CListBox(this);
    report->setMinimumSize(420, 260);
    column->addWidget(report);
    SetItem(kItemReport, report);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(UiString(UiStringId::kOk), this);
    auto* cancel = new QPushButton(UiString(UiStringId::kCancel), this);
    ok->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(ok);
    column->addLayout(buttons);
    SetItem(kItemOk, ok);
    SetItem(kItemCancel, cancel);
    connect(ok, &QPushButton::clicked, this, [this] { ItemHit(kItemOk); });
    connect(cancel, &QPushButton::clicked, this, [this] { ItemHit(kItemCancel); });

    if (backup_) {
        model_->OnInitBackup();
        if (!model_->CanBackupCurrentStyle()) PIDisableControl(*this, kItemModeStyle);
        SetRadioGroupState(*this, kItemModeStyle, kItemModeAll,
                           static_cast<short>(kItemModeStyle + model_->Params().BackupMode));
    } else {
        model_->OnInitRestore();
        StuffText(*this, kItemFolder, QString::fromStdString(model_->RestoreFolder()));
        SetCheckBoxState(*this, kItemUseFolder, model_->UseRestoreFolder());
    }
    ShowReport();
    return CDialog::OnInitDialog();
}

void BackupDlg::ShowReport() {
    auto* report = static_cast<CListBox*>(GetDlgItem(kItemReport));
    report->ResetContent();
    for (const std::string& line : model_->Report()) report->AddString(QString::fromStdString(line));
    EnableDisableControl(*this, kItemOk, model_->CanOK());
}

void BackupDlg::ChooseFolder() {
    char folder[kAppPathMax + 1] = "";
    if (GetOpenFolderName(this, UiString(kChooseFolderTitle), folder, sizeof folder) == 1)
        StuffText(*this, kItemFolder, QString::fromUtf8(folder));
}

bool BackupDlg::DoAction(short* item) {
    if (backup_ && *item >= kItemModeStyle && *item <= kItemModeAll) {
        SetRadioGroupState(*this, kItemModeStyle, kItemModeAll, *item);
        model_->SetBackupMode(*item - kItemModeStyle);
        ShowReport();
        return true;
    }
    if (!backup_ && *item == kItemChooseFolder) {
        ChooseFolder();
        return true;
    }
    if (!backup_ && *item == kItemUseFolder) return true;  // read on OK
    return CDialog::DoAction(item);
}

void BackupDlg::OnOK() {
    if (model_->HasError()) return;
    bool done = false;
    if (backup_) {
        done = model_->Contract();
    } else {
        model_->SetRestoreFolder(FetchText(*this, kItemFolder).toStdString());
        model_->SetUseRestoreFolder(GetCheckBoxState(*this, kItemUseFolder));
        done = model_->Extract();
    }
    if (done) EndDialog(kItemOk);
    else ShowReport();
}

OverwriteChoice BackupDlg::AskOverwrite(const std::string& question, const std::string& fileName,
                                        std::string& newName) {
    OverWriteDlg dialog(this, question, fileName);
    dialog.DoModal();
    if (parentWidget() != nullptr) parentWidget()->update();
    newName = dialog.NewName();
    return dialog.Choice();
}

bool BackupDlg::AskCreateFolder(const std::string& question) {
    return MessageBox(this, QString::fromStdString(question), UiString(UiStringId::kCaption), kMbQuestion) == kIdYes;
}

void BackupDlg::OnRestored(const std::string& folder, bool useFolder) {
    if (restored_) restored_(folder, useFolder);
}
