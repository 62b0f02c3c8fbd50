#pragma once
// A main dialog model on real folders in a temporary directory, with a view
// and a style reader that record what the model asks of them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "DibEx.h"
#include "ImageFile.h"
#include "MainDlgModel.h"
#include "Profile.h"
#include "PrivateProfile.h"
#include "TempDir.h"

namespace morvanel_test {

// A real 24-bit image file of one colour.
inline void WriteImage(const std::string& path, int width, int height, int r, int g, int b) {
    DibEx image(1);
    image.Setup(width, height, 24);
    image.Fill(r, g, b);
    ASSERT_EQ(ImageFile_Save(nullptr, path.c_str(), &image, nullptr, nullptr, 0, 0), 1) << path;
}

struct RecordingView : MainDlgView {
    bool answer = false;
    int questions = 0;
    int previews = 0;
    int refreshes = 0;
    int32_t page = -1;
    int32_t movedX = 0, movedY = 0;
    std::vector<std::string> writeFailures;
    std::vector<std::pair<int, std::string>> messages;
    bool AskYesNo(int) override {
        ++questions;
        return answer;
    }
    void RequestPreview() override { ++previews; }
    void RefreshPanes() override { ++refreshes; }
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

}  // namespace morvanel_test
