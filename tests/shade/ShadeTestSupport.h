#pragma once
// Shared by the shade tests: real image and profile files in temporary
// folders, a main dialog model whose view and style reader record what the
// model asks of them, and a small library for the backup and restore tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "BackupDlgModel.h"
#include "DibEx.h"
#include "ImageFile.h"
#include "MainDlgModel.h"
#include "PrivateProfile.h"
#include "Profile.h"
#include "TempDir.h"

namespace morvanel_test {

// A real 24-bit image file of one colour.
inline void WriteImage(const std::string& path, int width, int height, int r, int g, int b) {
    DibEx image(1);
    image.Setup(width, height, 24);
    image.Fill(r, g, b);
    ASSERT_EQ(ImageFile_Save(nullptr, path.c_str(), &image, nullptr, nullptr, 0, 0), 1) << path;
}

inline std::string ReadBytes(const std::string& path) { return FileContent(path); }

// A profile value as text; "<none>" when the key is not there.
inline std::string Key(const std::string& path, const char* section, const char* key) {
    char value[256] = "";
    GetPrivateProfileString(section, key, "<none>", value, sizeof value, path.c_str());
    return value;
}

struct RecordingView : MainDlgView {
    bool answer = false;
    int questions = 0;
    int32_t page = -1;
    int32_t movedX = 0, movedY = 0;
    std::vector<std::string> writeFailures;
    std::vector<std::pair<int, std::string>> messages;
    bool AskYesNo(int) override {
        ++questions;
        return answer;
    }
    void RequestPreview() override {}
    void RefreshPanes() override {}
    void ShowPage(int32_t p) override { page = p; }
    void MoveWindowTo(int32_t x, int32_t y) override {
        movedX = x;
        movedY = y;
    }
    void ReportWriteFailure(const std::string& path) override { writeFailures.push_back(path); }
    void ShowMessage(int id, const std::string& text) override { messages.emplace_back(id, text); }
};

// Records each call and the light lock at the moment of the call.
struct RecordingStyleIO : StyleParamIO {
    LockFlags* locks = nullptr;
    mutable std::vector<std::string> calls;
    std::vector<bool> lightLockedAtLoad;
    int SaveParam(const char* path) override {
        calls.push_back(std::string("save ") + path);
        WritePrivateProfileString("SYSTEM", "Version", "1", path);
        return 1;
    }
    std::vector<ProfileSetting> StyleKeys() const override {
        calls.push_back("keys");
        return {Profile::Number("SYSTEM", "Version", 1)};
    }
    int LoadParam(const char* path) override {
        calls.push_back(std::string("load ") + path);
        lightLockedAtLoad.push_back(locks && locks->IsLocked(kLockLight));
        return 1;
    }
};

// A main dialog model on real folders: two styles, empty image folders.
struct ModelFixture : ::testing::Test {
    TempDir dir;
    MainDlgFolders folders{dir.path().string(),    dir.file("Brenix.mv"),  dir.file("Style"),
                           dir.file("Texture"),    dir.file("Foreground"), dir.file("Pictures")};
    ShadeParams params{};
    RecordingView view;
    RecordingStyleIO style;
    MotionProcessState motionState;

    void SetUp() override {
        for (const char* sub : {"Style", "Texture", "Foreground", "Pictures"})
            std::filesystem::create_directories(dir.path() / sub);
        std::ofstream(folders.styleFolder + "/warm.mv") << "[SYSTEM]\r\n";
        std::ofstream(folders.styleFolder + "/cool.mv") << "[SYSTEM]\r\n";
        ShadeParamsSetDefaults(params, folders.picturesFolder);
    }
    std::unique_ptr<MainDlgModel> MakeModel() {
        auto model = std::make_unique<MainDlgModel>(params, folders, view, style, motionState);
        style.locks = &model->Locks();
        return model;
    }
    int Int(const char* section, const char* key) const {
        return GetPrivateProfileInt(section, key, -99, folders.settingsFile.c_str());
    }
};

// Answers the restore's questions from a script; an exhausted script skips.
struct ScriptedQuestions : BackupQuestions {
    std::vector<std::pair<OverwriteChoice, std::string>> answers;
    std::size_t next = 0;
    std::vector<std::string> asked;
    bool createFolder = true;
    int folderQuestions = 0;
    std::string restoredFolder;
    OverwriteChoice AskOverwrite(const std::string&, const std::string& fileName, std::string& newName) override {
        asked.push_back(fileName);
        if (next >= answers.size()) return OverwriteChoice::Skip;
        const auto& [choice, text] = answers[next++];
        if (choice == OverwriteChoice::Rename) newName = OverWriteNewName(text, fileName);
        return choice;
    }
    bool AskCreateFolder(const std::string&) override {
        ++folderQuestions;
        return createFolder;
    }
    void OnRestored(const std::string& folder, bool) override { restoredFolder = folder; }
};

// Styles referring to real images, with the lists loaded by a real model.
struct BackupFixture : ::testing::Test {
    TempDir dir;
    MainDlgFolders folders{dir.file("system"), dir.file("system/Brenix.mv"), dir.file("system/Style"),
                           dir.file("system/Texture"), dir.file("system/Foreground"), dir.file("Pictures")};
    ShadeParams params{};
    RecordingView view;
    RecordingStyleIO styleIO;
    MotionProcessState motionState;
    std::unique_ptr<MainDlgModel> model;
    ScriptedQuestions questions;
    std::string pack = dir.file("library.mvz");
    std::string restore = dir.file("restored");

    void SetUp() override {
        for (const std::string& sub : {folders.styleFolder, folders.textureFolder, folders.foregroundFolder,
                                       folders.picturesFolder})
            std::filesystem::create_directories(sub);
        WriteImage(folders.textureFolder + "/wood.png", 9, 7, 120, 80, 40);
        WriteImage(folders.textureFolder + "/stone.png", 6, 6, 90, 90, 90);
        WriteImage(folders.textureFolder + "/sand.png", 5, 5, 200, 190, 120);
        WriteImage(folders.foregroundFolder + "/leaf.png", 8, 8, 10, 160, 20);
        // Texture names in the three forms a style can hold: relative to the
        // system folder, full, and bare.
        WriteStyle("warm.mv", "Texture/wood.png", folders.foregroundFolder + "/leaf.png");
        WriteStyle("cool.mv", "stone.png", "");
        ShadeParamsSetDefaults(params, folders.picturesFolder);
        LoadLists();
    }
    void WriteStyle(const std::string& name, const std::string& texture, const std::string& foreground) {
        const std::string path = folders.styleFolder + "/" + name;
        WritePrivateProfileString("MODEL", "Length", "12", path.c_str());
        WritePrivateProfileString("TEXTURE", "Filename", ("\"" + texture + "\"").c_str(), path.c_str());
        WritePrivateProfileString("FOREGROUND", "Filename", ("\"" + foreground + "\"").c_str(), path.c_str());
    }
    void LoadLists() {
        model = std::make_unique<MainDlgModel>(params, folders, view, styleIO, motionState);
        model->LoadUIParam();
    }
    BackupLists Lists() { return {model->StyleList(), model->TextureList(), model->ForegroundList()}; }
    BackupFolders Folders() const {
        return {folders.systemFolder, folders.styleFolder, folders.textureFolder, folders.foregroundFolder};
    }
    std::unique_ptr<BackupDlgModel> Dialog(const std::string& packPath) {
        return std::make_unique<BackupDlgModel>(params, Lists(), Folders(), questions, packPath);
    }
    // Backs the library up in mode into the pack; expects success.
    std::unique_ptr<BackupDlgModel> BackUp(int32_t mode) {
        params.BackupMode = mode;
        auto backup = Dialog(pack);
        backup->OnInitBackup();
        EXPECT_TRUE(backup->CanOK()) << testing::PrintToString(backup->Report());
        EXPECT_TRUE(backup->Contract()) << testing::PrintToString(backup->Report());
        return backup;
    }
    std::unique_ptr<BackupDlgModel> Restorer(const std::string& packPath, const std::string& folder) {
        auto restorer = Dialog(packPath);
        restorer->OnInitRestore();
        restorer->SetRestoreFolder(folder);
        return restorer;
    }
    std::string In(const std::string& name) const { return restore + "/" + name; }
};

}  // namespace morvanel_test
