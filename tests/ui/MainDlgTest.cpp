// The main dialog on a real image file, with the real application object
// and engine: a slider's gesture, undo and redo, motion and capture, OK with
// and without abort, locks, files through the real choosers, and a settings
// file that cannot be written.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <memory>

#include <QAbstractButton>
#include <QFileDialog>
#include <QMenu>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QVBoxLayout>

#include "AppFolder.h"
#include "BackupDlg.h"
#include "CMainDlg.h"
#include "CProgressDlg.h"
#include "CShadeApp.h"
#include "CTabView.h"
#include "DialogItems.h"
#include "DialogTestSupport.h"
#include "ImageFileDlgHost.h"
#include "InstallData.h"
#include "PsComboView.h"
#include "PsControlButton.h"
#include "PsControlSlider.h"
#include "PsControlCombo.h"
#include "PsMonitor.h"
#include "RgbaPng.h"

namespace {

using morvanel_test::OnNextModal;

// A disc on a transparent ground, as a PNG with alpha.
void WriteDisc(const std::string& path, int32_t width, int32_t height) {
    DibEx colour(1), alpha(1);
    colour.Setup(width, height, 24);
    alpha.Setup(width, height, 8);
    const int32_t radius = std::min(width, height) / 3;
    for (int32_t line = 0; line < height; ++line) {
        uint8_t* c = colour.CommitLine(line);
        uint8_t* a = alpha.CommitLine(line);
        for (int32_t x = 0; x < width; ++x, c += 3) {
            const int32_t dx = x - width / 2, dy = line - height / 2;
            a[x] = dx * dx + dy * dy <= radius * radius ? 255 : 0;
            c[0] = 160, c[1] = static_cast<uint8_t>(60 + x % 100), c[2] = 40;
        }
    }
    colour.Decommit();
    alpha.Decommit();
    ASSERT_EQ(RgbaPng_Save(path, &colour, &alpha), 1);
}

// The height slider, as the modeling pane will have it.
class HeightSlider : public PsControlSlider {
public:
    void SetStatus() override {
        GetPane()->Owner().Params().Height = GetValue();
        Update();
    }
};

class SliderPane : public CTabPane {
public:
    explicit SliderPane(PaneOwner& owner) : CTabPane(owner, "Modeling", 0) {
        auto* layout = new QVBoxLayout(this);
        slider = new QSlider(Qt::Horizontal);
        field = new QLineEdit;
        layout->addWidget(slider);
        layout->addWidget(field);
        control.Setup(this, slider, 20, field, 21, 1, 100);
    }
    void SetParam() override { control.SetValue(Owner().Params().Height); }
    QSlider* slider;
    QLineEdit* field;
    HeightSlider control;
};

struct MainDlgFixture : ::testing::Test {
    morvanel_test::TempDir dir;
    morvanel_test::DialogHome home{dir};
    std::string input = dir.file("disc.png");
    std::string output = dir.file("out.png");
    AppPaths paths;
    CShadeApp app;
    std::unique_ptr<ImageFileDlgHost> host;
    std::unique_ptr<CMainDlg> dialog;

    void SetUp() override {
        WriteDisc(input, 300, 200);
        ASSERT_EQ(SeedSystemFolder(GetPreferencesFolder()), 1);
        paths = SetupAppPaths();
        app.SetFolders(paths.systemFolder, paths.textureFolder, paths.foregroundFolder);
        host = std::make_unique<ImageFileDlgHost>(app, input, output);
    }
    void Open() {
        dialog = std::make_unique<CMainDlg>(app, *host, paths);
        dialog->OnTimer(-1);
        dialog->resize(900, 600);
        dialog->show();
        QApplication::processEvents();
    }
    QImage Preview() const { return dialog->GetMonitor()->ShownImage(); }
    PsControlButton* Button(short item) const { return dialog->GetButton(item); }
};

TEST_F(MainDlgFixture, SliderGestureIsOneUndoStepAndRendersAsItMoves) {
    Open();
    auto* pane = new SliderPane(*dialog);
    dialog->GetTabView()->SetPane(0, pane);
    pane->SetParam();
    const int32_t before = app.Params().Height;
    const QImage shownBefore = Preview();
    EXPECT_FALSE(Button(MainItem::kUndo)->isEnabled());

    pane->slider->setSliderDown(true);
    const int32_t target = before > 50 ? 10 : 90;
    pane->slider->setSliderPosition((before + target) / 2);
    const QImage midway = Preview();
    pane->slider->setSliderPosition(target);
    pane->slider->setSliderDown(false);

    EXPECT_EQ(app.Params().Height, target);
    EXPECT_EQ(pane->field->text(), QString::number(target));
    EXPECT_NE(midway, shownBefore);  // the preview follows the drag
    EXPECT_NE(Preview(), midway);
    EXPECT_TRUE(Button(MainItem::kUndo)->isEnabled());
    EXPECT_FALSE(Button(MainItem::kRedo)->isEnabled());

    // One step back returns to the state before the whole gesture.
    dialog->ItemHit(MainItem::kUndo);
    EXPECT_EQ(app.Params().Height, before);
    EXPECT_EQ(Preview(), shownBefore);
    EXPECT_TRUE(Button(MainItem::kRedo)->isEnabled());
    dialog->ItemHit(MainItem::kRedo);
    EXPECT_EQ(app.Params().Height, target);
}

TEST_F(MainDlgFixture, CancelDuringMotionRestoresTheStateBeforeIt) {
    Open();
    const ShadeParams before = app.Params();
    EXPECT_FALSE(Button(MainItem::kCapture)->isEnabled());
    dialog->ItemHit(MainItem::kMotion);
    ASSERT_TRUE(dialog->Model().IsMotionRunning());
    EXPECT_TRUE(Button(MainItem::kCapture)->isEnabled());
    EXPECT_TRUE(Button(MainItem::kMotion)->GetCheck());
    const QImage shownBefore = Preview();
    for (int64_t tick = 1000; tick < 1100; tick += 10) dialog->OnTimer(tick);
    EXPECT_NE(std::memcmp(&before, &app.Params(), sizeof before), 0);
    EXPECT_NE(Preview(), shownBefore);

    dialog->ItemHit(kItemCancel);
    EXPECT_FALSE(dialog->Model().IsMotionRunning());
    EXPECT_EQ(std::memcmp(&before, &app.Params(), sizeof before), 0);
    EXPECT_EQ(host->Saves(), 0);
}

TEST_F(MainDlgFixture, CaptureKeepsTheLookMotionShows) {
    Open();
    const ShadeParams before = app.Params();
    dialog->ItemHit(MainItem::kMotion);
    for (int64_t tick = 1000; tick < 1100; tick += 10) dialog->OnTimer(tick);
    dialog->ItemHit(MainItem::kCapture);
    EXPECT_FALSE(dialog->Model().IsMotionRunning());
    EXPECT_FALSE(Button(MainItem::kCapture)->isEnabled());
    EXPECT_FALSE(Button(MainItem::kMotion)->GetCheck());
    EXPECT_NE(std::memcmp(&before, &app.Params(), sizeof before), 0);
    // The captured look is one undo step away from the state before motion.
    dialog->ItemHit(MainItem::kUndo);
    EXPECT_EQ(std::memcmp(&before, &app.Params(), sizeof before), 0);
}

TEST_F(MainDlgFixture, OkRendersTheWholeAreaAndWritesIt) {
    Open();
    dialog->ItemHit(kItemOk);
    EXPECT_TRUE(dialog->ResultWritten());
    EXPECT_EQ(host->Saves(), 1);
    EXPECT_GE(host->LastPercent(), 99);
    DibEx written(1), alpha(1);
    ASSERT_EQ(RgbaPng_Load(output, &written, &alpha), 1);
    DibEx original(1), originalAlpha(1);
    ASSERT_EQ(RgbaPng_Load(input, &original, &originalAlpha), 1);
    // The centre of the disc is shaded.
    EXPECT_NE(std::memcmp(written.CommitLine(100, 150), original.CommitLine(100, 150), 3), 0);
}

TEST_F(MainDlgFixture, AbortedOkWritesNothing) {
    Open();
    host->AbortAt(10);
    dialog->ItemHit(kItemOk);
    EXPECT_FALSE(dialog->ResultWritten());
    EXPECT_EQ(host->Saves(), 0);
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(MainDlgFixture, AbortButtonOfTheProgressWindowStopsTheRender) {
    Open();
    OnNextModal<CProgressDlg>([](CProgressDlg* progress) { progress->AbortButton()->click(); });
    dialog->ItemHit(kItemOk);
    EXPECT_FALSE(dialog->ResultWritten());
    EXPECT_EQ(host->Saves(), 0);
}

TEST_F(MainDlgFixture, AllFiveLocksDisableLoadMotionAndTheStyleList) {
    Open();
    dialog->ItemHit(MainItem::kMotion);
    for (int i = 0; i < kLockGroupCount; ++i) dialog->Model().Locks().SetLocked(i, true);
    dialog->EnableControls();
    EXPECT_FALSE(dialog->Model().IsMotionRunning());  // captured first
    EXPECT_FALSE(Button(MainItem::kLoad)->isEnabled());
    EXPECT_FALSE(Button(MainItem::kMotion)->isEnabled());
    EXPECT_FALSE(dialog->GetDlgItem(MainItem::kStyleList)->isEnabled());
    dialog->Model().Locks().SetLocked(kLockLight, false);
    dialog->EnableControls();
    EXPECT_TRUE(Button(MainItem::kLoad)->isEnabled());
    EXPECT_TRUE(dialog->GetDlgItem(MainItem::kStyleList)->isEnabled());
}

TEST_F(MainDlgFixture, StyleSavedAndLoadedThroughTheChoosers) {
    Open();
    const std::string style = dir.file("mine");  // typed without an extension
    app.Params().Height = 37;
    OnNextModal<QFileDialog>([&style](QFileDialog* chooser) {
        chooser->selectFile(QString::fromStdString(style));
        static_cast<QDialog*>(chooser)->accept();
    });
    dialog->ItemHit(MainItem::kSave);
    ASSERT_TRUE(std::filesystem::exists(style + ".mv"));
    EXPECT_EQ(dialog->Model().StyleList().GetPathReal(dialog->Model().StyleList().GetCurrent()), style + ".mv");

    app.Params().Height = 80;
    OnNextModal<QFileDialog>([&style](QFileDialog* chooser) {
        chooser->selectFile(QString::fromStdString(style + ".mv"));
        static_cast<QDialog*>(chooser)->accept();
    });
    dialog->ItemHit(MainItem::kLoad);
    EXPECT_EQ(app.Params().Height, 37);
    EXPECT_EQ(Button(MainItem::kLoad)->GetStatus(), kButtonNormal);
}

TEST_F(MainDlgFixture, BackupPackIsSavedThroughTheBackupDialogAndRestoredElsewhere) {
    Open();
    const std::string pack = dir.file("all.mvz");
    OnNextModal<QFileDialog>([&pack](QFileDialog* chooser) {
        chooser->selectFile(QString::fromStdString(pack));
        static_cast<QDialog*>(chooser)->accept();
    });
    bool backupMode = false;
    OnNextModal<BackupDlg>([&backupMode](BackupDlg* shown) {
        backupMode = shown->GetDlgItem(BackupDlg::kItemModeAll) != nullptr;
        shown->ItemHit(kItemOk);
    });
    dialog->ItemHit(MainItem::kSave);
    EXPECT_TRUE(backupMode);
    ASSERT_TRUE(std::filesystem::exists(pack));
    EXPECT_GT(std::filesystem::file_size(pack), 132116u);

    const std::string restore = dir.file("restored");
    OnNextModal<QFileDialog>([&pack](QFileDialog* chooser) {
        chooser->selectFile(QString::fromStdString(pack));
        static_cast<QDialog*>(chooser)->accept();
    });
    OnNextModal<BackupDlg>([&restore](BackupDlg* shown) {
        StuffText(*shown, BackupDlg::kItemFolder, QString::fromStdString(restore));
        static_cast<QAbstractButton*>(shown->GetDlgItem(BackupDlg::kItemUseFolder))->setChecked(true);
        shown->ItemHit(BackupDlg::kItemUseFolder);
        shown->ItemHit(kItemOk);
    });
    OnNextModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });  // make the folder
    dialog->ItemHit(MainItem::kLoad);
    EXPECT_TRUE(std::filesystem::exists(restore + "/Default.mv"));
    EXPECT_STREQ(dialog->Model().Ui().pathUser, restore.c_str());
}

TEST_F(MainDlgFixture, SettingsFileThatCannotBeWrittenIsToldAndTheRunEnds) {
    Open();
    std::filesystem::remove(paths.settingsFile);
    std::filesystem::create_directory(paths.settingsFile);  // a folder where the file should be
    QString told;
    OnNextModal<CMainDlg>([](CMainDlg* main) { main->ItemHit(kItemCancel); });
    OnNextModal<QMessageBox>([&told](QMessageBox* box) {
        told = box->text();
        box->accept();
    });
    EXPECT_EQ(dialog->DoModal(), kItemCancel);
    EXPECT_TRUE(told.contains("cannot be written")) << told.toStdString();
}

TEST_F(MainDlgFixture, KeyboardShortcuts) {
    Open();
    dialog->activateWindow();
    QTest::keyClick(dialog.get(), Qt::Key_Plus);
    EXPECT_TRUE(dialog->GetMonitor()->IsZoom());
    EXPECT_TRUE(Button(MainItem::kZoom)->GetCheck());
    QTest::keyClick(dialog.get(), Qt::Key_Minus);
    EXPECT_FALSE(dialog->GetMonitor()->IsZoom());

    const int32_t before = app.Params().Height;
    dialog->OnUpdatePsControl(1, 20);
    app.Params().Height = before == 5 ? 6 : 5;
    QTest::keyClick(dialog.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(app.Params().Height, before);
    QTest::keyClick(dialog.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_NE(app.Params().Height, before);

    dialog->GetStyleView()->setFocus();
    QTest::keyClick(dialog.get(), Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), kItemOk);
    EXPECT_EQ(host->Saves(), 1);
}

TEST_F(MainDlgFixture, EscapeIsCancel) {
    Open();
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), kItemCancel);
    EXPECT_EQ(host->Saves(), 0);
}

TEST_F(MainDlgFixture, HoverFollowsTheMouseOverTheButtonChain) {
    Open();
    PsControlButton* load = Button(MainItem::kLoad);
    QCursor::setPos(load->mapToGlobal(load->rect().center()));
    dialog->DoIdle();
    EXPECT_EQ(load->GetStatus(), kButtonHover);
    // A disabled button is skipped.
    PsControlButton* redo = Button(MainItem::kRedo);
    ASSERT_FALSE(redo->isEnabled());
    QCursor::setPos(redo->mapToGlobal(redo->rect().center()));
    dialog->DoIdle();
    EXPECT_EQ(load->GetStatus(), kButtonNormal);
    EXPECT_EQ(redo->GetStatus(), kButtonDisabled);
}

TEST_F(MainDlgFixture, OpaqueWholeImageAsksAboutSelections) {
    DibEx colour(1);
    colour.Setup(120, 80, 24);
    colour.Fill(200, 100, 50);
    ASSERT_EQ(RgbaPng_Save(input, &colour, nullptr), 1);  // opaque, no alpha
    Open();
    QString asked;
    OnNextModal<QMessageBox>([&asked](QMessageBox* box) {
        asked = box->text();
        box->button(QMessageBox::No)->click();
    });
    OnNextModal<CMainDlg>([&asked](CMainDlg* main) {
        // The question comes first, over the dialog.
        EXPECT_FALSE(asked.isEmpty());
        main->ItemHit(kItemCancel);
    });
    EXPECT_EQ(dialog->DoModal(), kItemCancel);
    EXPECT_TRUE(asked.contains("whole")) << asked.toStdString();
}

TEST_F(MainDlgFixture, StyleContextMenuOffersOnlyMovesThatExist) {
    Open();
    PsControlCombo& styles = dialog->Model().StyleList();
    ASSERT_GT(styles.GetCount(), 2);
    styles.Select(1, true);
    const std::string first = styles.GetName(0);
    std::unique_ptr<QMenu> menu(dialog->GetStyleView()->BuildContextMenu(dialog.get()));
    std::map<QString, QAction*> actions;
    for (QAction* action : menu->actions()) actions[action->text()] = action;
    EXPECT_FALSE(actions.at("Move to the top")->isEnabled());
    EXPECT_FALSE(actions.at("Move up")->isEnabled());
    EXPECT_TRUE(actions.at("Move down")->isEnabled());
    actions.at("Move to the bottom")->trigger();
    EXPECT_EQ(styles.GetCurrent(), styles.GetCount() - 1);
    EXPECT_EQ(styles.GetName(styles.GetCount() - 1), first);
    EXPECT_TRUE(dialog->GetStyleView()->text().startsWith(QString::fromStdString(first)));
}

TEST_F(MainDlgFixture, StyleThatCannotBeReadIsToldAndChangesNothing) {
    Open();
    const std::string broken = dir.file("broken.mv");
    std::filesystem::create_directory(broken);  // a name of a style, but no file to read
    const ShadeParams before = app.Params();
    QString told;
    OnNextModal<QMessageBox>([&told](QMessageBox* box) {
        told = box->text();
        box->accept();
    });
    dialog->Model().AddStyleFile(broken.c_str());
    EXPECT_TRUE(told.contains("broken.mv")) << told.toStdString();
    EXPECT_EQ(std::memcmp(&before, &app.Params(), sizeof before), 0);
    // The dialog goes on working.
    dialog->ItemHit(kItemOk);
    EXPECT_EQ(host->Saves(), 1);
}

TEST_F(MainDlgFixture, UnreadableImageIsReportedAndTheDialogStillOpens) {
    std::filesystem::remove(input);
    Open();
    EXPECT_EQ(host->LastError(), -20);
    EXPECT_FALSE(dialog->GetMonitor()->IsImageReady());
    dialog->ItemHit(kItemCancel);
}

}  // namespace
