#include "OverWriteDlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "BackupText.h"
#include "DialogItems.h"
#include "UiStrings.h"

namespace {

constexpr int16_t kOverWriteDialogId = 1005;

enum : int {
    kTitle = 10050,
    kOverwrite,
    kSkip,
    kRename,
    kNewNameLabel,
    kSkipAll,
    kOverwriteAll,
};

void AddStrings() {
    UiStrings_Add({{kTitle, "The file exists"},
                   {kOverwrite, "Overwrite"},
                   {kSkip, "Skip"},
                   {kRename, "Rename"},
                   {kNewNameLabel, "New name:"},
                   {kSkipAll, "Skip all"},
                   {kOverwriteAll, "Overwrite all"}});
}

}  // namespace

OverWriteDlg::OverWriteDlg(QWidget* parent, const std::string& question, std::string fileName)
    : CDialog(kOverWriteDialogId, parent), question_(QString::fromStdString(question)), fileName_(std::move(fileName)) {}

bool OverWriteDlg::OnInitDialog() {
    AddStrings();
    setWindowTitle(UiString(kTitle));
    auto* layout = new QGridLayout(this);
    auto* question = new QLabel(question_, this);
    question->setWordWrap(true);
    auto* newName = new QLineEdit(QString::fromStdString(fileName_), this);
    newName->setMaxLength(254);
    layout->addWidget(question, 0, 0, 1, 4);
    layout->addWidget(new QLabel(UiString(kNewNameLabel), this), 1, 0);
    layout->addWidget(newName, 1, 1, 1, 3);
    SetItem(kItemQuestion, question);
    SetItem(kItemNewName, newName);
    const std::pair<short, int> buttons[] = {{kItemRename, kRename},   {kItemOk, kOverwrite}, {kItemCancel, kSkip},
                                             {kItemSkipAll, kSkipAll}, {kItemOverwriteAll, kOverwriteAll}};
    int column = 0;
    for (const auto& [item, text] : buttons) {
        auto* button = new QPushButton(UiString(text), this);
        button->setAutoDefault(false);
        button->setDefault(item == kItemRename);
        layout->addWidget(button, 2 + column / 4, column % 4);
        ++column;
        SetItem(item, button);
        connect(button, &QPushButton::clicked, this, [this, id = item] { ItemHit(id); });
    }
    newName->selectAll();
    newName->setFocus();
    return CDialog::OnInitDialog();
}

bool OverWriteDlg::DoAction(short* item) {
    switch (*item) {
        case kItemOk: choice_ = OverwriteChoice::Overwrite; break;
        case kItemCancel: choice_ = OverwriteChoice::Skip; break;
        case kItemSkipAll: choice_ = OverwriteChoice::SkipAll; break;
        case kItemOverwriteAll: choice_ = OverwriteChoice::OverwriteAll; break;
        case kItemRename: {
            // A name that leaves nothing usable keeps the question open.
            newName_ = OverWriteNewName(FetchText(*this, kItemNewName).toStdString(), fileName_);
            if (newName_.empty()) return true;
            choice_ = OverwriteChoice::Rename;
            break;
        }
        default: return CDialog::DoAction(item);
    }
    EndDialog(*item);
    return true;
}
