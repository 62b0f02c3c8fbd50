// The main dialog model's file flows on real folders: adding and deleting
// styles and images, and the files the user saves and loads by type.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "AppFolder.h"
#include "ShadeTestSupport.h"

using namespace morvanel_test;
namespace fs = std::filesystem;

namespace {

constexpr int32_t kPngType = 2;

struct FilesFixture : ModelFixture {
    std::unique_ptr<MainDlgModel> model;
    std::string chosen = dir.file("chosen/wood.png");

    void SetUp() override {
        ModelFixture::SetUp();
        fs::create_directories(dir.path() / "chosen");
        WriteImage(chosen, 12, 12, 200, 100, 50);
        model = MakeModel();
        model->OnDialogStart();
        style.calls.clear();
    }
};

}  // namespace

TEST_F(FilesFixture, AddedImageIsListedSelectedRememberedAndDeleted) {
    EXPECT_FALSE(model->CanDeleteImage(model->TextureList()));  // not the placeholder
    EXPECT_EQ(model->DeleteImageFile(model->TextureList()), 0);
    const int32_t before = model->History().GetPosition();
    ASSERT_TRUE(model->AddImageFile(model->TextureList(), chosen.c_str(), kPngType));
    EXPECT_STREQ(params.TextureFilename, chosen.c_str());
    EXPECT_EQ(model->History().GetPosition(), before + 1);
    EXPECT_EQ(model->TextureList().GetCount(), 2);
    EXPECT_EQ(model->TextureList().GetIndex(), 1);
    EXPECT_STREQ(model->Ui().pathUserTexture, dir.file("chosen").c_str());
    EXPECT_STREQ(model->Ui().pathUserForeground, folders.picturesFolder.c_str());  // untouched
    EXPECT_TRUE(view.messages.empty());

    // Adding it again selects it and adds nothing.
    model->TextureList().Select(0, false);
    ASSERT_TRUE(model->AddImageFile(model->TextureList(), chosen.c_str(), kPngType));
    EXPECT_EQ(model->TextureList().GetCount(), 2);
    EXPECT_EQ(model->TextureList().GetIndex(), 1);

    // Deleting is one undo step; the placeholder takes its place and the
    // image file itself stays.
    ASSERT_TRUE(model->CanDeleteImage(model->TextureList()));
    EXPECT_EQ(model->DeleteImageFile(model->TextureList()), 1);
    EXPECT_EQ(model->TextureList().GetCount(), 1);
    EXPECT_STREQ(params.TextureFilename, "");
    EXPECT_TRUE(fs::exists(chosen));
}

TEST_F(FilesFixture, CopyImageFileCopiesIntoPathDefaultWithoutOverwriting) {
    params.CopyImageFile = 1;
    ASSERT_TRUE(model->AddImageFile(model->ForegroundList(), chosen.c_str(), kPngType));
    const std::string copy = folders.picturesFolder + "/wood.png";
    EXPECT_STREQ(params.ForegroundFilename, copy.c_str());
    EXPECT_TRUE(fs::exists(chosen));
    EXPECT_EQ(FileContent(copy), FileContent(chosen));

    // A second file of the same name: the copy there is kept, the message
    // is shown and the chosen path is used as it is.
    const std::string other = dir.file("other/wood.png");
    fs::create_directories(dir.path() / "other");
    WriteImage(other, 30, 30, 1, 2, 3);
    ASSERT_TRUE(model->AddImageFile(model->ForegroundList(), other.c_str(), kPngType));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].first, kCopyImageFailedMessageId);
    EXPECT_EQ(view.messages[0].second, copy);
    EXPECT_EQ(FileContent(copy), FileContent(chosen));
    EXPECT_STREQ(params.ForegroundFilename, other.c_str());

    // Without an image folder the copy fails instead of writing elsewhere.
    view.messages.clear();
    params.PathDefault[0] = '\0';
    ASSERT_TRUE(model->AddImageFile(model->TextureList(), chosen.c_str(), kPngType));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].first, kCopyImageFailedMessageId);
    EXPECT_STREQ(params.TextureFilename, chosen.c_str());
    EXPECT_FALSE(fs::exists("wood.png"));
}

// A path too long for its field, and a missing file to load, are refused
// with their message and change nothing.
TEST_F(FilesFixture, UnusablePathsAreRefusedAndChangeNothing) {
    const std::string longPath = "/" + std::string(300, 'x') + ".png";
    const std::string missing = dir.file("chosen/gone.mvs");
    const int32_t before = model->History().GetPosition();
    EXPECT_FALSE(model->AddImageFile(model->TextureList(), longPath.c_str(), kPngType));
    EXPECT_FALSE(model->AddStyleFile(("/" + std::string(300, 's') + ".mv").c_str()));
    EXPECT_EQ(model->SaveUserFile(longPath.c_str(), 1), UserFileResult::Failed);
    EXPECT_EQ(model->LoadUserFile(longPath.c_str(), 1), UserFileResult::Failed);
    EXPECT_EQ(model->LoadUserFile(missing.c_str(), 2), UserFileResult::Refused);
    EXPECT_FALSE(fs::exists(missing));
    std::vector<int> ids;
    for (const auto& message : view.messages) ids.push_back(message.first);
    EXPECT_EQ(ids, (std::vector<int>{kPathUnusableMessageId, kPathUnusableMessageId, kPathUnusableMessageId,
                                     kPathUnusableMessageId, kMissingFileMessageId}));
    EXPECT_STREQ(params.TextureFilename, "");
    EXPECT_EQ(model->History().GetPosition(), before);
    EXPECT_EQ(model->TextureList().GetCount(), 1);
    EXPECT_STREQ(model->Ui().pathUser, folders.picturesFolder.c_str());
}

TEST_F(FilesFixture, SavingByTypeWritesTheChosenPartsOnly) {
    const std::string set = dir.file("chosen/all.mvs");
    const std::string textures = dir.file("chosen/t.mv2");
    const std::string style1 = dir.file("chosen/mine.mv");
    model->AddImageFile(model->TextureList(), chosen.c_str(), kPngType);

    EXPECT_EQ(model->SaveUserFile(set.c_str(), 2), UserFileResult::Done);
    EXPECT_EQ(Key(set, "STYLE", "NumItem"), "2");
    EXPECT_EQ(Key(set, "TEXTURE", "Path2"), chosen);
    EXPECT_EQ(Key(set, "FOREGROUND", "NumImage"), "1");
    EXPECT_EQ(Key(set, "SYSTEM", "Version"), "<none>");

    EXPECT_EQ(model->SaveUserFile(textures.c_str(), 4), UserFileResult::Done);
    EXPECT_EQ(Key(textures, "TEXTURE", "NumImage"), "2");
    EXPECT_EQ(Key(textures, "STYLE", "NumItem"), "<none>");
    EXPECT_EQ(Key(textures, "FOREGROUND", "NumImage"), "<none>");

    EXPECT_EQ(model->SaveUserFile(style1.c_str(), 1), UserFileResult::Done);
    EXPECT_EQ(style.calls.front(), "save " + style1);
    EXPECT_EQ(model->StyleList().GetPathReal(2), style1);  // the saved style joins the list

    const std::string pack = dir.file("elsewhere/backup.mvz");
    EXPECT_EQ(model->SaveUserFile(pack.c_str(), 6), UserFileResult::RunBackup);
    EXPECT_FALSE(fs::exists(pack));  // the backup dialog writes it

    const std::string unwritable = dir.file("no-such-folder/t.mv2");
    EXPECT_EQ(model->SaveUserFile(unwritable.c_str(), 4), UserFileResult::Failed);
    EXPECT_EQ(view.writeFailures, (std::vector<std::string>{unwritable}));
}

TEST_F(FilesFixture, LoadingAnImageListAsksAboutItsLockAndTurnsTheImageOff) {
    const std::string textures = dir.file("chosen/t.mv2");
    model->AddImageFile(model->TextureList(), chosen.c_str(), kPngType);
    model->SaveUserFile(textures.c_str(), 4);
    model->TextureList().OnCommand(6);  // clear
    SetPathField(params.TextureFilename, chosen);
    model->Locks().SetLocked(kLockTexture, true);

    const int32_t before = model->History().GetPosition();
    view.answer = false;
    EXPECT_EQ(model->LoadUserFile(textures.c_str(), 4), UserFileResult::Refused);
    EXPECT_EQ(view.questions, 1);
    EXPECT_EQ(model->TextureList().GetCount(), 1);
    EXPECT_EQ(model->History().GetPosition(), before + 1);  // the undo step comes first

    view.answer = true;
    EXPECT_EQ(model->LoadUserFile(textures.c_str(), 4), UserFileResult::Done);
    EXPECT_FALSE(model->Locks().IsLocked(kLockTexture));
    EXPECT_EQ(model->TextureList().GetCount(), 2);
    EXPECT_STREQ(params.TextureFilename, "");
    model->Undo(true);
    EXPECT_STREQ(params.TextureFilename, chosen.c_str());
}

TEST_F(FilesFixture, LoadingASetSkipsTheListsOfLockedGroupsWithoutAsking) {
    const std::string set = dir.file("chosen/all.mvs");
    model->AddImageFile(model->TextureList(), chosen.c_str(), kPngType);
    model->AddImageFile(model->ForegroundList(), chosen.c_str(), kPngType);
    model->StyleList().SetCurSel(1);
    model->SaveUserFile(set.c_str(), 2);
    for (PsImageCombo* list : {&model->TextureList(), &model->ForegroundList()}) list->OnCommand(6);
    model->StyleList().OnCommand(6);
    model->Locks().SetLocked(kLockForeground, true);
    style.calls.clear();

    EXPECT_EQ(model->LoadUserFile(set.c_str(), 2), UserFileResult::Done);
    EXPECT_EQ(view.questions, 0);
    EXPECT_EQ(model->TextureList().GetCount(), 2);
    EXPECT_EQ(model->ForegroundList().GetCount(), 1);
    EXPECT_EQ(model->StyleList().GetCurrent(), 1);  // applied: the style is loaded
    EXPECT_EQ(style.calls, (std::vector<std::string>{"load " + folders.styleFolder + "/warm.mv"}));
}

