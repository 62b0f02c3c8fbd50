#include "SettingDlg.h"

#include <cstdio>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "CFileDialog.h"
#include "DialogItems.h"
#include "ShadeParams.h"
#include "UiStrings.h"
#include "WinLayer.h"

namespace {

namespace Text {
inline constexpr int kTitle = 2500;
inline constexpr int kSizeGroup = 2501;
inline constexpr int kSizeObject = 2502;
inline constexpr int kSizeCanvas = 2503;
inline constexpr int kSizeFixed = 2504;
inline constexpr int kFolderButton = 2506;
inline constexpr int kTextureGroup = 2507;
inline constexpr int kTextureOnObject = 2508;
inline constexpr int kTextureOnCanvas = 2509;
inline constexpr int kSaveLockStatus = 2510;
inline constexpr int kEraseOutside = 2511;
inline constexpr int kMotionUiDisp = 2512;
inline constexpr int kMotionDevide = 2513;
inline constexpr int kMotionSteps = 2514;  // %d: the steps of one motion leg
inline constexpr int kFolderGroup = 2515;
inline constexpr int kCopyImageFile = 2516;
inline constexpr int kPixels = 2517;
}  // namespace Text

void RegisterStrings() {
    static const bool registered = [] {
        UiStrings_Add({
            {kFolderChooserPromptId, "Choose the image folder"},
            {kFolderUnusableMessageId,
             "The folder \"%s\" cannot be used: give the full path of a folder, at most 255 characters long."},
            {kFolderCreateQuestionId, "The folder \"%s\" does not exist. Create it?"},
            {kFolderCreateFailedMessageId, "The folder \"%s\" could not be created."},
            {kFolderButtonTipId, "Choose the folder that added images are copied into"},
            {Text::kTitle, "Settings"},
            {Text::kSizeGroup, "Size reference"},
            {Text::kSizeObject, "The object"},
            {Text::kSizeCanvas, "The canvas"},
            {Text::kSizeFixed, "A fixed size:"},
            {Text::kPixels, "pixels"},
            {Text::kFolderButton, "Choose..."},
            {Text::kTextureGroup, "Texture placed on"},
            {Text::kTextureOnObject, "The object"},
            {Text::kTextureOnCanvas, "The canvas"},
            {Text::kSaveLockStatus, "Keep the locks from one session to the next"},
            {Text::kEraseOutside, "Erase the area outside the object"},
            {Text::kMotionUiDisp, "Controls follow random and motion steps"},
            {Text::kMotionDevide, "Motion steps per leg:"},
            {Text::kMotionSteps, "%d steps"},
            {Text::kFolderGroup, "Image folder"},
            {Text::kCopyImageFile, "Copy added images into the image folder"},
        });
        return true;
    }();
    (void)registered;
}

QString Formatted(int id, const std::string& path) {
    QString text = UiString(id);
    return text.replace("%s", QString::fromStdString(path));
}

// A motion leg of subdivision n has 2^(n + 1) steps.
QString MotionStepsLabel(int item) {
    return item + 1 < 31 ? UiString(Text::kMotionSteps).replace("%d", QString::number(1LL << (item + 1)))
                         : QString::number(item);
}

}  // namespace

SettingDlg::SettingDlg(ShadeParams& params, char* lastFolder, std::size_t lastFolderSize, QWidget* parent)
    : CDialog(kResourceId, parent), params_(params), lastFolder_(lastFolder), lastFolderSize_(lastFolderSize) {
    RegisterStrings();
    setObjectName("SettingDlg");
}

void SettingDlg::BuildLayout() {
    setWindowTitle(UiString(Text::kTitle));
    auto* layout = new QVBoxLayout(this);

    auto* sizeGroup = new QGroupBox(UiString(Text::kSizeGroup), this);
    auto* sizeLayout = new QGridLayout(sizeGroup);
    auto* sizeObject = new QRadioButton(UiString(Text::kSizeObject), sizeGroup);
    auto* sizeCanvas = new QRadioButton(UiString(Text::kSizeCanvas), sizeGroup);
    auto* sizeFixed = new QRadioButton(UiString(Text::kSizeFixed), sizeGroup);
    auto* fixedSize = new QLineEdit(sizeGroup);
    fixedSize->setMaxLength(6);
    sizeLayout->addWidget(sizeObject, 0, 0, 1, 3);
    sizeLayout->addWidget(sizeCanvas, 1, 0, 1, 3);
    sizeLayout->addWidget(sizeFixed, 2, 0);
    sizeLayout->addWidget(fixedSize, 2, 1);
    sizeLayout->addWidget(new QLabel(UiString(Text::kPixels), sizeGroup), 2, 2);
    layout->addWidget(sizeGroup);

    auto* textureGroup = new QGroupBox(UiString(Text::kTextureGroup), this);
    auto* textureLayout = new QHBoxLayout(textureGroup);
    auto* onObject = new QRadioButton(UiString(Text::kTextureOnObject), textureGroup);
    auto* onCanvas = new QRadioButton(UiString(Text::kTextureOnCanvas), textureGroup);
    textureLayout->addWidget(onObject);
    textureLayout->addWidget(onCanvas);
    layout->addWidget(textureGroup);

    auto* saveLocks = new QCheckBox(UiString(Text::kSaveLockStatus), this);
    auto* eraseOutside = new QCheckBox(UiString(Text::kEraseOutside), this);
    auto* follow = new QCheckBox(UiString(Text::kMotionUiDisp), this);
    layout->addWidget(saveLocks);
    layout->addWidget(eraseOutside);
    layout->addWidget(follow);

    auto* motionRow = new QHBoxLayout;
    auto* motion = new QComboBox(this);
    for (int item = 1; item <= kMotionDevideItems; ++item) motion->addItem(MotionStepsLabel(item));
    motionRow->addWidget(new QLabel(UiString(Text::kMotionDevide), this));
    motionRow->addWidget(motion);
    motionRow->addStretch();
    layout->addLayout(motionRow);

    auto* folderGroup = new QGroupBox(UiString(Text::kFolderGroup), this);
    auto* folderLayout = new QGridLayout(folderGroup);
    auto* copy = new QCheckBox(UiString(Text::kCopyImageFile), folderGroup);
    auto* folder = new QLineEdit(folderGroup);
    folder->setMinimumWidth(320);
    auto* choose = new QPushButton(UiString(Text::kFolderButton), folderGroup);
    choose->setAutoDefault(false);
    folderLayout->addWidget(copy, 0, 0, 1, 2);
    folderLayout->addWidget(folder, 1, 0);
    folderLayout->addWidget(choose, 1, 1);
    layout->addWidget(folderGroup);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(UiString(UiStringId::kOk), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(UiString(UiStringId::kCancel), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);

    SetItem(kItemOk, ok);
    SetItem(kItemCancel, cancel);
    SetItem(SettingItem::kSizeObject, sizeObject);
    SetItem(SettingItem::kSizeCanvas, sizeCanvas);
    SetItem(SettingItem::kSizeFixed, sizeFixed);
    SetItem(SettingItem::kFixedSize, fixedSize);
    SetItem(SettingItem::kTextureOnObject, onObject);
    SetItem(SettingItem::kTextureOnCanvas, onCanvas);
    SetItem(SettingItem::kSaveLockStatus, saveLocks);
    SetItem(SettingItem::kEraseOutside, eraseOutside);
    SetItem(SettingItem::kMotionUiDisp, follow);
    SetItem(SettingItem::kMotionDevide, motion);
    SetItem(SettingItem::kFolderButton, choose);
    SetItem(SettingItem::kFolder, folder);
    SetItem(SettingItem::kCopyImageFile, copy);

    connect(ok, &QPushButton::clicked, this, [this] { ItemHit(kItemOk); });
    connect(cancel, &QPushButton::clicked, this, [this] { ItemHit(kItemCancel); });
    // Buttons and boxes take their own click; the dialog follows the state.
    for (short item = SettingItem::kSizeObject; item <= SettingItem::kCopyImageFile; ++item)
        if (auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(item)))
            connect(button, &QAbstractButton::clicked, this, [this, item] { ItemHit(item); });
    ok->setDefault(true);
}

bool SettingDlg::OnInitDialog() {
    if (IsInitialized()) return true;
    BuildLayout();
    for (short item = 3; item <= SettingItem::kCopyImageFile; ++item)
        if (QWidget* widget = GetDlgItem(item)) {
            QFont font = widget->font();
            font.setPointSize(10);
            widget->setFont(font);
        }

    const SettingDlgState state = SettingDlgState_FromParams(params_);
    SetCheckBoxState(*this, SettingItem::kSaveLockStatus, state.saveLockStatus);
    SetCheckBoxState(*this, SettingItem::kEraseOutside, state.eraseOutside);
    SetCheckBoxState(*this, SettingItem::kMotionUiDisp, state.motionUiDisp);

    const short sizeItem = state.sizeStandard == kSizeStandardObject  ? SettingItem::kSizeObject
                           : state.sizeStandard == kSizeStandardFixed ? SettingItem::kSizeFixed
                                                                      : SettingItem::kSizeCanvas;
    SetRadioGroupState(*this, SettingItem::kSizeObject, SettingItem::kSizeFixed, sizeItem);
    EnableDisableControl(*this, SettingItem::kFixedSize, SettingDlg_FixedSizeActive(state));
    StuffText(*this, SettingItem::kFixedSize, QString::fromStdString(state.fixedSize));

    SetRadioGroupState(*this, SettingItem::kTextureOnObject, SettingItem::kTextureOnCanvas,
                       state.textureOnCanvas ? SettingItem::kTextureOnCanvas : SettingItem::kTextureOnObject);

    // A subdivision of 0 has no entry and shows as none chosen; a larger one
    // than the list holds raises the list.
    auto* motion = qobject_cast<QComboBox*>(GetDlgItem(SettingItem::kMotionDevide));
    motion->setCurrentIndex(-1);
    SetPopUpMenuValue(*this, SettingItem::kMotionDevide, state.motionDevide);
    for (int index = kMotionDevideItems; index < motion->count(); ++index)
        motion->setItemText(index, MotionStepsLabel(index + 1));

    GetDlgItem(SettingItem::kFolderButton)->setToolTip(UiString(kFolderButtonTipId));
    auto* folder = qobject_cast<QLineEdit*>(GetDlgItem(SettingItem::kFolder));
    folder->setMaxLength(static_cast<int>(kFolderPathMax));
    StuffText(*this, SettingItem::kFolder, QString::fromStdString(state.folder));
    SelectTextItem(*this, SettingItem::kFixedSize);
    SelectTextItem(*this, SettingItem::kFolder);
    SetCheckBoxState(*this, SettingItem::kCopyImageFile, state.copyImageFile);
    EnableFolderItems();
    adjustSize();
    return CDialog::OnInitDialog();
}

bool SettingDlg::DoAction(short* item) {
    switch (*item) {
    case kItemOk: OnOK(); return true;
    case kItemCancel: OnCancel(); return true;
    case SettingItem::kSizeObject: OnRadioSettingSizeObj(); return true;
    case SettingItem::kSizeCanvas: OnRadioSettingSizeCanvas(); return true;
    case SettingItem::kSizeFixed: OnRadioSettingSizeFix(); return true;
    case SettingItem::kTextureOnObject:
    case SettingItem::kTextureOnCanvas:
    case SettingItem::kSaveLockStatus:
    case SettingItem::kEraseOutside:
    case SettingItem::kMotionUiDisp: return true;  // the control took the click
    case SettingItem::kFolderButton: OnBnClickedButtonDataFolder(); return true;
    case SettingItem::kCopyImageFile: EnableFolderItems(); return true;
    default: return false;
    }
}

void SettingDlg::OnSizeRadio(short item) {
    SetRadioGroupState(*this, SettingItem::kSizeObject, SettingItem::kSizeFixed, item);
    EnableDisableControl(*this, SettingItem::kFixedSize, item == SettingItem::kSizeFixed);
    SelectTextItem(*this, SettingItem::kFolder);
    SelectTextItem(*this, SettingItem::kFixedSize);
    GetDlgItem(SettingItem::kFolder)->update();
}

void SettingDlg::EnableFolderItems() {
    const bool on = GetCheckBoxState(*this, SettingItem::kCopyImageFile);
    EnableDisableControl(*this, SettingItem::kFolderButton, on);
    EnableDisableControl(*this, SettingItem::kFolder, on);
}

void SettingDlg::OnBnClickedButtonDataFolder() {
    // The chooser starts in the folder of the record, as the dialog opened.
    char chosen[kShadeParamsPathSize];
    std::snprintf(chosen, sizeof(chosen), "%s", params_.PathDefault);
    if (GetOpenFolderName(this, UiString(kFolderChooserPromptId), chosen, sizeof(chosen)) != 1) return;
    StuffText(*this, SettingItem::kFolder, QString::fromUtf8(chosen));
    SelectTextItem(*this, SettingItem::kFixedSize);
    SelectTextItem(*this, SettingItem::kFolder);
    GetDlgItem(SettingItem::kFolder)->update();
}

SettingDlgState SettingDlg::State() const {
    SettingDlgState state;
    switch (GetRadioGroupState(*this, SettingItem::kSizeObject, SettingItem::kSizeFixed)) {
    case SettingItem::kSizeObject: state.sizeStandard = kSizeStandardObject; break;
    case SettingItem::kSizeFixed: state.sizeStandard = kSizeStandardFixed; break;
    default: state.sizeStandard = kSizeStandardCanvas; break;
    }
    state.fixedSize = FetchText(*this, SettingItem::kFixedSize).toStdString();
    state.textureOnCanvas = GetRadioGroupState(*this, SettingItem::kTextureOnObject, SettingItem::kTextureOnCanvas) ==
                            SettingItem::kTextureOnCanvas;
    state.saveLockStatus = GetCheckBoxState(*this, SettingItem::kSaveLockStatus);
    state.eraseOutside = GetCheckBoxState(*this, SettingItem::kEraseOutside);
    state.motionUiDisp = GetCheckBoxState(*this, SettingItem::kMotionUiDisp);
    state.motionDevide = GetPopUpMenuValue(*this, SettingItem::kMotionDevide);
    state.copyImageFile = GetCheckBoxState(*this, SettingItem::kCopyImageFile);
    state.folder = FetchText(*this, SettingItem::kFolder).toStdString();
    return state;
}

void SettingDlg::OnOK() {
    SettingDlg_Apply(State(), params_, lastFolder_, lastFolderSize_, *this);
    CDialog::OnOK();
}

void SettingDlg::Show(int id, const std::string& path) {
    MessageBox(this, Formatted(id, path), UiString(UiStringId::kCaption), kMbWarning);
}

bool SettingDlg::Ask(int id, const std::string& path) {
    return MessageBox(this, Formatted(id, path), UiString(UiStringId::kCaption), kMbQuestion) == kIdYes;
}
