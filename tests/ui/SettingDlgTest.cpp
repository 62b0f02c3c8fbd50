// The settings dialog driven as a user drives it: what its items show and
// dim, Cancel, OK with a folder to create, and the main dialog's settings
// button re-rendering the preview after OK.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

#include "MainDlgFixture.h"
#include "SettingDlg.h"

namespace {

namespace fs = std::filesystem;
using namespace morvanel_test;

struct SettingDlgFixture : ::testing::Test {
    TempDir dir;
    ShadeParams params{};
    char lastFolder[256] = "/last";
    std::unique_ptr<SettingDlg> dialog;

    void SetUp() override { ShadeParamsSetDefaults(params, dir.path().string()); }
    void Open() {
        dialog = std::make_unique<SettingDlg>(params, lastFolder, sizeof(lastFolder));
        ASSERT_TRUE(dialog->OnInitDialog());
    }
    template <class W>
    W* Item(short item) const {
        auto* widget = qobject_cast<W*>(dialog->GetDlgItem(item));
        EXPECT_NE(widget, nullptr) << item;
        return widget;
    }
    bool Enabled(short item) const { return dialog->GetDlgItem(item)->isEnabled(); }
};

TEST_F(SettingDlgFixture, ItemsShowTheRecordAndDimWithTheirSwitches) {
    params.SizeStandard = kSizeStandardFixed;
    params.SizeFixedStandard = 777;
    params.TextureLocateCanvas = 1;
    params.SaveLockStatus = 1;
    params.MotionDevide = 3;
    params.CopyImageFile = 1;
    Open();
    EXPECT_TRUE(Item<QRadioButton>(SettingItem::kSizeFixed)->isChecked());
    EXPECT_EQ(Item<QLineEdit>(SettingItem::kFixedSize)->text(), "777");
    EXPECT_TRUE(Item<QRadioButton>(SettingItem::kTextureOnCanvas)->isChecked());
    EXPECT_TRUE(Item<QCheckBox>(SettingItem::kSaveLockStatus)->isChecked());
    EXPECT_EQ(Item<QComboBox>(SettingItem::kMotionDevide)->currentIndex(), 2);
    EXPECT_EQ(Item<QLineEdit>(SettingItem::kFolder)->text().toStdString(), dir.path().string());

    EXPECT_TRUE(Enabled(SettingItem::kFixedSize));
    Item<QRadioButton>(SettingItem::kSizeCanvas)->click();
    EXPECT_FALSE(Enabled(SettingItem::kFixedSize));
    Item<QRadioButton>(SettingItem::kSizeFixed)->click();
    EXPECT_TRUE(Enabled(SettingItem::kFixedSize));
    // The two radio groups are independent.
    EXPECT_TRUE(Item<QRadioButton>(SettingItem::kTextureOnCanvas)->isChecked());

    EXPECT_TRUE(Enabled(SettingItem::kFolder) && Enabled(SettingItem::kFolderButton));
    Item<QCheckBox>(SettingItem::kCopyImageFile)->click();
    EXPECT_FALSE(Enabled(SettingItem::kFolder) || Enabled(SettingItem::kFolderButton));
    Item<QCheckBox>(SettingItem::kCopyImageFile)->click();
    EXPECT_TRUE(Enabled(SettingItem::kFolder) && Enabled(SettingItem::kFolderButton));
}

TEST_F(SettingDlgFixture, CancelLeavesEveryEntry) {
    const ShadeParams before = params;
    Open();
    Item<QRadioButton>(SettingItem::kSizeFixed)->click();
    Item<QLineEdit>(SettingItem::kFixedSize)->setText("31");
    Item<QCheckBox>(SettingItem::kEraseOutside)->click();
    Item<QCheckBox>(SettingItem::kCopyImageFile)->click();
    Item<QLineEdit>(SettingItem::kFolder)->setText("/nowhere");
    OnNextModal<SettingDlg>([](SettingDlg* shown) { shown->ItemHit(kItemCancel); });
    EXPECT_EQ(dialog->DoModal(), kItemCancel);
    EXPECT_EQ(std::memcmp(&before, &params, sizeof(params)), 0);
    EXPECT_STREQ(lastFolder, "/last");
}

TEST_F(SettingDlgFixture, OkKeepsSubdivisionsAndCreatesATypedFolderWhenTheUserAgrees) {
    params.MotionDevide = 0;  // no subdivision survives an OK
    Open();
    dialog->ItemHit(kItemOk);
    EXPECT_EQ(params.MotionDevide, 0);

    params.MotionDevide = 12;  // more than the list offers raises it
    Open();
    auto* popup = Item<QComboBox>(SettingItem::kMotionDevide);
    EXPECT_EQ(popup->count(), 12);
    popup->setCurrentIndex(4);
    Item<QCheckBox>(SettingItem::kCopyImageFile)->click();
    const std::string folder = dir.file("images/new");
    Item<QLineEdit>(SettingItem::kFolder)->setText(QString::fromStdString(folder));
    QString question;
    OnNextModal<QMessageBox>([&question](QMessageBox* box) {
        question = box->text();
        box->button(QMessageBox::Yes)->click();
    });
    dialog->ItemHit(kItemOk);
    EXPECT_TRUE(question.contains(QString::fromStdString(folder))) << question.toStdString();
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(params.CopyImageFile, 1);
    EXPECT_STREQ(params.PathDefault, folder.c_str());
    EXPECT_STREQ(lastFolder, folder.c_str());
    EXPECT_EQ(params.MotionDevide, 5);
    EXPECT_EQ(dialog->result(), kItemOk);
}

TEST_F(MainDlgFixture, TheSettingsButtonOpensTheDialogAndOkRerendersThePreview) {
    Open();
    PsControlButton* settings = Button(MainItem::kSettings);
    ASSERT_TRUE(settings->isEnabled());
    P().SizeStandard = kSizeStandardCanvas;
    const QImage before = Preview();
    // A small fixed reference size makes the relief much steeper.
    OnNextModal<SettingDlg>([](SettingDlg* shown) {
        qobject_cast<QRadioButton*>(shown->GetDlgItem(SettingItem::kSizeFixed))->click();
        qobject_cast<QLineEdit*>(shown->GetDlgItem(SettingItem::kFixedSize))->setText("12");
        shown->ItemHit(kItemOk);
    });
    settings->click();
    EXPECT_EQ(P().SizeStandard, kSizeStandardFixed);
    EXPECT_EQ(P().SizeFixedStandard, 12);
    EXPECT_NE(Preview(), before);
}

}  // namespace
