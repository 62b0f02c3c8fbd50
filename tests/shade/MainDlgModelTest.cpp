#include "MainDlgModel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "AppFolder.h"
#include "Motion.h"
#include "ShadeTestSupport.h"
#include "StyleFile.h"

using namespace morvanel_test;

TEST_F(ModelFixture, MissingSettingsFileGivesTheDefaults) {
    auto model = MakeModel();
    params.MotionDevide = 9;
    model->OnDialogStart();
    EXPECT_EQ(style.calls, (std::vector<std::string>{"load " + folders.settingsFile}));
    const ShadeParams& p = params;
    EXPECT_EQ(std::vector<int32_t>({p.SizeStandard, p.SizeFixedStandard, p.TextureLocateCanvas, p.SaveLockStatus,
                                    p.EraseOutside, p.MotionUiDisp, p.MotionDevide, p.CopyImageFile,
                                    p.BackupMode, p.RestoreWork}),
              std::vector<int32_t>({0, 1000, 0, 0, 0, 1, 3, 0, 1, 1}));
    EXPECT_STREQ(params.PathDefault, folders.picturesFolder.c_str());
    EXPECT_STREQ(model->Ui().pathUserTexture, folders.picturesFolder.c_str());
    EXPECT_EQ(view.movedX, 0);  // not moved
    EXPECT_EQ(model->StyleList().GetCount(), 2);  // filled from the Style folder
    EXPECT_EQ(model->StyleList().GetCurrent(), -1);
    EXPECT_EQ(model->TextureList().GetCount(), 1);  // only the placeholder
}

TEST_F(ModelFixture, SettingsWrittenByOneRunAreReadByTheNext) {
    {
        auto model = MakeModel();
        model->OnDialogStart();
        params.SaveLockStatus = 1;
        SetPathField(params.PathDefault, "/photos");
        model->Locks().SetLocked(kLockLight, true);
        SetPathField(model->Ui().pathUser, "/styles/here");
        model->Ui().page = 4;
        model->Ui().posX = 120;
        model->Ui().posY = 80;
        model->StyleList().SetCurSel(1);
        style.calls.clear();
        EXPECT_TRUE(model->OnDialogEnd());
        EXPECT_EQ(style.calls, (std::vector<std::string>{"keys"}));
        EXPECT_EQ(Int("SYSTEM", "Version"), 1);
    }
    EXPECT_EQ(Int("MODEL", "Lock"), 0);

    ShadeParamsSetDefaults(params, folders.picturesFolder);
    style.lightLockedAtLoad.clear();
    auto next = MakeModel();
    next->OnDialogStart();
    EXPECT_STREQ(params.PathDefault, "/photos");
    EXPECT_TRUE(next->Locks().IsLocked(kLockLight));
    // The lock is back before the parameter keys are read.
    EXPECT_EQ(style.lightLockedAtLoad, (std::vector<bool>{true}));
    EXPECT_STREQ(next->Ui().pathUser, "/styles/here");
    EXPECT_STREQ(next->Ui().pathUserTexture, folders.picturesFolder.c_str());  // PathDefault of its day
    EXPECT_EQ(view.page, 4);
    EXPECT_EQ(view.movedY, 80);
    EXPECT_EQ(next->Ui().styleName, "warm.mv");  // entry 1 in name order: cool, warm
}

TEST_F(ModelFixture, WithoutSaveLockStatusNoLockKeyIsWrittenOrRead) {
    WritePrivateProfileString("MODEL", "Lock", "1", folders.settingsFile.c_str());
    WritePrivateProfileString("WINDOW", "PosX", "0", folders.settingsFile.c_str());
    WritePrivateProfileString("WINDOW", "PosY", "50", folders.settingsFile.c_str());
    auto model = MakeModel();
    model->OnDialogStart();
    EXPECT_FALSE(model->Locks().IsLocked(kLockModel));
    EXPECT_EQ(view.movedY, 0);  // PosX 0 leaves the window where it is
    model->Locks().SetLocked(kLockTexture, true);
    EXPECT_TRUE(model->SaveUIParam());
    EXPECT_EQ(Int("TEXTURE", "Lock"), -99);
}

TEST_F(ModelFixture, UndoRestoresTheStyleThatWasSelected) {
    auto model = MakeModel();
    model->OnDialogStart();
    model->StyleList().SetCurSel(0);  // cool.mv, as if just loaded
    model->Store(true);                // the delete button keeps the selection
    EXPECT_EQ(model->StyleList().GetCurrent(), 0);
    model->Store(false);  // before an edit: the style is no longer shown
    EXPECT_EQ(model->StyleList().GetCurrent(), -1);
    EXPECT_STREQ(model->History().Slot(1).StylePath, (folders.styleFolder + "/cool.mv").c_str());
    params.Length = 7;
    model->Store(false);  // before the next edit
    EXPECT_STREQ(model->History().Slot(2).StylePath, "");
    params.Length = 8;
    style.calls.clear();
    model->Undo(true);
    EXPECT_EQ(params.Length, 7);
    EXPECT_TRUE(style.calls.empty());
    model->Undo(true);
    EXPECT_EQ(params.Length, 100);
    EXPECT_EQ(model->StyleList().GetCurrent(), 0);
    EXPECT_EQ(style.calls, (std::vector<std::string>{"load " + folders.styleFolder + "/cool.mv"}));
    for (int i = 0; i < 3; ++i) model->Undo(false);
    EXPECT_EQ(params.Length, 8);
    EXPECT_FALSE(model->History().CanRedo());
}

TEST_F(ModelFixture, MotionStepsStopRevertAndCapture) {
    auto model = MakeModel();
    model->OnDialogStart();
    const ShadeParams before = params;
    model->StartMotion(100, 42);
    EXPECT_TRUE(model->IsMotionRunning());
    EXPECT_EQ(model->History().GetPosition(), 1);
    model->OnTimer(105, 1);  // not due yet
    EXPECT_EQ(model->GetMotion().GetStep(), -1);
    model->OnTimer(106, 1);
    model->OnTimer(112, 1);
    EXPECT_EQ(model->GetMotion().GetStep(), 1);
    const ShadeParams previous = model->GetMotion().GetCapture();
    model->Capture();
    EXPECT_FALSE(model->IsMotionRunning());
    EXPECT_EQ(params.LightAngleH[kLightChannelSub], previous.LightAngleH[kLightChannelSub]);
    EXPECT_EQ(params.LightAngleH[kLightChannelSub], (before.LightAngleH[kLightChannelSub] + 10) % 360);

    model->StartMotion(0, 43);
    model->OnTimer(6, 1);
    model->StopMotion(true);  // back to the record stored at the start
    EXPECT_EQ(params.LightAngleH[kLightChannelSub], previous.LightAngleH[kLightChannelSub]);

    model->StartMotion(0, 44);
    model->OnTimer(6, 0);  // an error since set-up stops motion
    EXPECT_FALSE(model->IsMotionRunning());
}

TEST_F(ModelFixture, ARelativeStyleEntryIsLoadedFromTheSystemFolderNotTheWorkingFolder) {
    // The working folder holds a file of the same relative name.
    TempDir elsewhere;
    std::filesystem::create_directories(elsewhere.path() / "Style");
    std::ofstream(elsewhere.file("Style/warm.mv")) << "[SYSTEM]\r\n";
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(elsewhere.path());

    WritePrivateProfileString("STYLE", "NumItem", "1", folders.settingsFile.c_str());
    WritePrivateProfileString("STYLE", "Path1", "\"Style/warm.mv\"", folders.settingsFile.c_str());
    auto model = MakeModel();
    model->OnDialogStart();
    style.calls.clear();
    model->StyleList().Select(1, true);
    const std::string inSystemFolder = folders.systemFolder + "/Style/warm.mv";
    EXPECT_EQ(style.calls, (std::vector<std::string>{"load " + inSystemFolder}));
    EXPECT_EQ(model->Ui().styleName, "warm.mv");
    std::filesystem::current_path(previous);
}

// Dialog end writes the style keys and the user keys in one pass: the file
// gets the bytes of the two writes one after the other, fresh or updated in
// place with keys of its own kept.
TEST_F(ModelFixture, DialogEndWritesTheBytesOfTheStyleWriteThenTheUserKeys) {
    StyleFile styleFile(params, nullptr, folders.settingsFile, {});
    auto model = std::make_unique<MainDlgModel>(params, folders, view, styleFile, motionState);
    params.MotionDevide = 5;
    SetPathField(params.PathDefault, "/photos");
    SetPathField(model->Ui().pathUser, "/styles/here");
    model->Ui().page = 3;
    model->Locks().SetLocked(kLockLight, true);
    model->StyleList().SetCurSel(1);
    const std::string existing = "[MODEL]\r\nHeight=7\r\nOwn=1\r\n[WINDOW]\r\nPosX=3\r\n\r\n[EXTRA]\r\nKey=\"x\"\r\n";
    for (const std::string& initial : {std::string(), existing}) {
        const auto start = [&] {
            std::filesystem::remove(folders.settingsFile);
            if (!initial.empty()) std::ofstream(folders.settingsFile, std::ios::binary) << initial;
        };
        for (bool savesLocks : {false, true}) {
            params.SaveLockStatus = savesLocks ? 1 : 0;
            start();
            ASSERT_TRUE(model->OnDialogEnd());
            const std::string onePass = ReadBytes(folders.settingsFile);
            start();
            ASSERT_EQ(styleFile.SaveParam(folders.settingsFile.c_str()), 1);
            ASSERT_TRUE(model->SaveUIParam());
            EXPECT_EQ(onePass, ReadBytes(folders.settingsFile)) << initial << savesLocks;
            EXPECT_NE(onePass.find("[MODEL]"), std::string::npos);
        }
    }
}
