#pragma once
// A small library on real folders (styles referring to real images, the
// lists loaded by a real main dialog model) for the backup and restore tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "BackupDlgModel.h"
#include "MainDlgModelFixture.h"
#include "PrivateProfile.h"

namespace morvanel_test {

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

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string Key(const std::string& path, const char* section, const char* key) {
    char value[256] = "";
    GetPrivateProfileString(section, key, "", value, sizeof value, path.c_str());
    return value;
}

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
