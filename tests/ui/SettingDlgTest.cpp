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

#include "AppFolder.h"
#include "CMainDlg.h"
#include "CShadeApp.h"
#include "DialogTestSupport.h"
#include "ImageFileDlgHost.h"
#include "InstallData.h"
#include "PsControlButton.h"
#include "PsMonitor.h"
#include "RgbaPng.h"
#include "SettingDlg.h"

namespace {

namespace fs = std::filesystem;
using morvanel_test::OnNextModal;

struct SettingDlgFixture : ::testing::Test {
    morvanel_test::TempDir dir;
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
    EXPECT_FALSE(Item<QRadioButton>(SettingItem::kTextureOnObject)->isChecked());
    EXPECT_TRUE(Item<QCheckBox>(SettingItem::kSaveLockStatus)->isChecked());
    EXPECT_EQ(Item<QComboBox>(SettingItem::kMotionDevide)->currentIndex(), 2);
    EXPECT_EQ(Item<QLineEdit>(SettingItem::kFolder)->text().toStdString(), dir.path().string());
    EXPECT_EQ(dialog->GetDlgItem(SettingItem::kCopyImageFile)->font().pointSize(), 10);

    EXPECT_TRUE(Enabled(SettingItem::kFixedSize));
    Item<QRadioButton>(SettingItem::kSizeCanvas)->click();
    EXPECT_FALSE(Enabled(SettingItem::kFixedSize));
    EXPECT_FALSE(Item<QRadioButton>(SettingItem::kSizeFixed)->isChecked());
    Item<QRadioButton>(SettingItem::kSizeObject)->click();
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

TEST_F(SettingDlgFixture, SubdivisionZeroSurvivesOkAndLargeOnesRaiseTheList) {
    params.MotionDevide = 0;
    Open();
    dialog->ItemHit(kItemOk);
    EXPECT_EQ(params.MotionDevide, 0);

    params.MotionDevide = 12;
    Open();
    auto* popup = Item<QComboBox>(SettingItem::kMotionDevide);
    EXPECT_EQ(popup->count(), 12);
    EXPECT_FALSE(popup->currentText().isEmpty());
    popup->setCurrentIndex(4);
    dialog->ItemHit(kItemOk);
    EXPECT_EQ(params.MotionDevide, 5);
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

TEST_F(SettingDlgFixture, OkCreatesATypedFolderWhenTheUserAgrees) {
    Open();
    Item<QCheckBox>(SettingItem::kCopyImageFile)->click();
    Item<QRadioButton>(SettingItem::kSizeFixed)->click();
    Item<QLineEdit>(SettingItem::kFixedSize)->setText("250");
    Item<QRadioButton>(SettingItem::kTextureOnCanvas)->click();
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
    EXPECT_EQ(params.SizeStandard, kSizeStandardFixed);
    EXPECT_EQ(params.SizeFixedStandard, 250);
    EXPECT_EQ(params.TextureLocateCanvas, 1);
    EXPECT_EQ(dialog->result(), kItemOk);
}

// A square on a transparent ground, as a PNG with alpha.
void WriteSquare(const std::string& path, int32_t size) {
    DibEx colour(1), alpha(1);
    colour.Setup(size, size, 24);
    alpha.Setup(size, size, 8);
    colour.Fill(180, 120, 60);
    for (int32_t line = 0; line < size; ++line) {
        uint8_t* a = alpha.CommitLine(line);
        for (int32_t x = 0; x < size; ++x)
            a[x] = x > size / 4 && x < size * 3 / 4 && line > size / 4 && line < size * 3 / 4 ? 255 : 0;
    }
    alpha.Decommit();
    ASSERT_EQ(RgbaPng_Save(path, &colour, &alpha), 1);
}

TEST(MainDlgSettings, TheSettingsButtonOpensTheDialogAndOkRerendersThePreview) {
    morvanel_test::TempDir dir;
    morvanel_test::DialogHome home{dir};
    WriteSquare(dir.file("in.png"), 160);
    ASSERT_EQ(SeedSystemFolder(GetPreferencesFolder()), 1);
    const AppPaths paths = SetupAppPaths();
    CShadeApp app;
    app.SetFolders(paths.systemFolder, paths.textureFolder, paths.foregroundFolder);
    ImageFileDlgHost host(app, dir.file("in.png"), dir.file("out.png"));
    CMainDlg main(app, host, paths);
    main.OnTimer(-1);
    main.show();
    PsControlButton* settings = main.GetButton(MainItem::kSettings);
    ASSERT_TRUE(settings->isEnabled());
    app.Params().SizeStandard = kSizeStandardCanvas;
    const QImage before = main.GetMonitor()->ShownImage();

    // Cancel changes nothing and renders nothing new.
    OnNextModal<SettingDlg>([](SettingDlg* shown) { shown->ItemHit(kItemCancel); });
    settings->click();
    EXPECT_EQ(app.Params().SizeStandard, kSizeStandardCanvas);
    EXPECT_EQ(main.GetMonitor()->ShownImage(), before);

    // A small fixed reference size makes the relief much steeper.
    OnNextModal<SettingDlg>([](SettingDlg* shown) {
        qobject_cast<QRadioButton*>(shown->GetDlgItem(SettingItem::kSizeFixed))->click();
        qobject_cast<QLineEdit*>(shown->GetDlgItem(SettingItem::kFixedSize))->setText("12");
        shown->ItemHit(kItemOk);
    });
    settings->click();
    EXPECT_EQ(app.Params().SizeStandard, kSizeStandardFixed);
    EXPECT_EQ(app.Params().SizeFixedStandard, 12);
    EXPECT_NE(main.GetMonitor()->ShownImage(), before);
}

}  // namespace
