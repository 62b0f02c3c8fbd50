// The main dialog on a real image file: a slider's gesture, undo and redo,
// motion and capture, OK with and without abort, locks, files through the
// real choosers, and files that cannot be read or written.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>

#include "BackupDlg.h"
#include "CProgressDlg.h"
#include "MainDlgFixture.h"
#include "PsControlCombo.h"
#include "PsParamSlider.h"

namespace {

using namespace morvanel_test;

bool SameParams(const ShadeParams& a, const ShadeParams& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Picks path in the next file chooser.
void ChooseFile(const std::string& path) {
    OnNextModal<QFileDialog>([path](QFileDialog* chooser) {
        chooser->selectFile(QString::fromStdString(path));
        static_cast<QDialog*>(chooser)->accept();
    });
}

TEST_F(MainDlgFixture, SliderGestureIsOneUndoStepKeyStepsAreStepsOfTheirOwn) {
    Open();
    QSlider* slider = Show(kModeling).FindSlider("pMhe")->GetSliderControl();
    const int32_t before = P().Height;
    const QImage shownBefore = Preview();
    EXPECT_FALSE(Button(MainItem::kUndo)->isEnabled());

    slider->setSliderDown(true);
    const int32_t target = before > 50 ? 10 : 90;
    slider->setSliderPosition((before + target) / 2);
    const QImage midway = Preview();
    slider->setSliderPosition(target);
    slider->setSliderDown(false);
    EXPECT_EQ(P().Height, target);
    EXPECT_NE(midway, shownBefore);  // the preview follows the drag
    EXPECT_TRUE(Button(MainItem::kUndo)->isEnabled());

    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(P().Height, target + 2);
    Undo();
    EXPECT_EQ(P().Height, target + 1);
    Undo();
    // One step back over the gesture returns to the state before it.
    Undo();
    EXPECT_EQ(P().Height, before);
    EXPECT_EQ(Preview(), shownBefore);
    EXPECT_TRUE(Button(MainItem::kRedo)->isEnabled());
    dialog->ItemHit(MainItem::kRedo);
    EXPECT_EQ(P().Height, target);
}

TEST_F(MainDlgFixture, CaptureKeepsTheLookMotionShowsAndCancelRestoresTheStateBeforeIt) {
    Open();
    const ShadeParams before = P();
    for (const bool capture : {true, false}) {
        SCOPED_TRACE(capture ? "capture" : "cancel");
        dialog->ItemHit(MainItem::kMotion);
        ASSERT_TRUE(dialog->Model().IsMotionRunning());
        const QImage shownBefore = Preview();
        for (int64_t tick = 1000; tick < 1100; tick += 10) dialog->OnTimer(tick);
        EXPECT_FALSE(SameParams(before, P()));
        EXPECT_NE(Preview(), shownBefore);
        dialog->ItemHit(capture ? MainItem::kCapture : kItemCancel);
        EXPECT_FALSE(dialog->Model().IsMotionRunning());
        // The captured look is one undo step away from the state before.
        EXPECT_EQ(SameParams(before, P()), !capture);
        if (capture) Undo();
        EXPECT_TRUE(SameParams(before, P()));
    }
    EXPECT_EQ(host->Saves(), 0);
}

TEST_F(MainDlgFixture, OkRendersTheWholeAreaAndWritesItAnAbortedOkWritesNothing) {
    Open();
    dialog->ItemHit(kItemOk);
    EXPECT_TRUE(dialog->ResultWritten());
    EXPECT_EQ(host->Saves(), 1);
    EXPECT_GE(host->LastPercent(), 99);
    DibEx written(1), original(1), alpha(1);
    ASSERT_EQ(RgbaPng_Load(output, &written, &alpha), 1);
    ASSERT_EQ(RgbaPng_Load(input, &original, &alpha), 1);
    EXPECT_NE(std::memcmp(written.CommitLine(60, 80), original.CommitLine(60, 80), 3), 0);  // the disc is shaded

    // Stopped by the host's abort test, or by the progress window's button.
    std::filesystem::remove(output);
    for (const bool byButton : {false, true}) {
        SCOPED_TRACE(byButton ? "button" : "host");
        dialog.reset();
        host = std::make_unique<ImageFileDlgHost>(app, input, output);
        Open();
        if (byButton) OnNextModal<CProgressDlg>([](CProgressDlg* progress) { progress->AbortButton()->click(); });
        else host->AbortAt(10);
        dialog->ItemHit(kItemOk);
        EXPECT_FALSE(dialog->ResultWritten());
        EXPECT_EQ(host->Saves(), 0);
        EXPECT_FALSE(std::filesystem::exists(output));
    }
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
    P().Height = 37;
    ChooseFile(style);
    dialog->ItemHit(MainItem::kSave);
    ASSERT_TRUE(std::filesystem::exists(style + ".mv"));
    PsControlCombo& styles = dialog->Model().StyleList();
    EXPECT_EQ(styles.GetPathReal(styles.GetCurrent()), style + ".mv");

    P().Height = 80;
    ChooseFile(style + ".mv");
    dialog->ItemHit(MainItem::kLoad);
    EXPECT_EQ(P().Height, 37);
}

TEST_F(MainDlgFixture, BackupPackIsSavedThroughTheBackupDialogAndRestoredElsewhere) {
    Open();
    const std::string pack = dir.file("all.mvz");
    ChooseFile(pack);
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
    ChooseFile(pack);
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

TEST_F(MainDlgFixture, FilesThatCannotBeReadOrWrittenAreToldAndTheDialogGoesOn) {
    // An image that cannot be read: reported, and the dialog still opens.
    std::filesystem::remove(input);
    Open();
    EXPECT_EQ(host->LastError(), -20);
    EXPECT_FALSE(dialog->GetMonitor()->IsImageReady());

    WriteDisc(input, 160, 120);
    Open();
    MessageRecorder messages;
    const std::string broken = dir.file("broken.mv");
    std::filesystem::create_directory(broken);  // a name of a style, but no file to read
    const ShadeParams before = P();
    dialog->Model().AddStyleFile(broken.c_str());
    EXPECT_EQ(messages.Count("broken.mv"), 1) << messages.texts.join("|").toStdString();
    EXPECT_TRUE(SameParams(before, P()));

    // A settings file that cannot be written ends the run with a message.
    std::filesystem::remove(paths.settingsFile);
    std::filesystem::create_directory(paths.settingsFile);
    OnNextModal<CMainDlg>([](CMainDlg* main) { main->ItemHit(kItemCancel); });
    EXPECT_EQ(dialog->DoModal(), kItemCancel);
    EXPECT_EQ(messages.Count("cannot be written"), 1) << messages.texts.join("|").toStdString();
}

}  // namespace
