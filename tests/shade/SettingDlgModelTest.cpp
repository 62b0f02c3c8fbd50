// The settings dialog's rules without a window: the items a record shows,
// the folder check on real folders, and OK writing the items back.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "SettingDlgModel.h"
#include "TempDir.h"

namespace {

namespace fs = std::filesystem;
using morvanel_test::TempDir;

struct Messages : SettingDlgMessages {
    bool answer = false;
    std::vector<std::pair<int, std::string>> shown;
    void Show(int id, const std::string& path) override { shown.emplace_back(id, path); }
    bool Ask(int id, const std::string& path) override {
        shown.emplace_back(id, path);
        return answer;
    }
};

ShadeParams Record(const std::string& pictures = "/pictures") {
    ShadeParams params;
    ShadeParamsSetDefaults(params, pictures);
    return params;
}

TEST(SettingDlgState, AnUnknownSizeStandardShowsAsTheCanvas) {
    ShadeParams params = Record();
    for (int32_t odd : {-1, 3, 99}) {
        params.SizeStandard = odd;
        const SettingDlgState state = SettingDlgState_FromParams(params);
        EXPECT_EQ(state.sizeStandard, kSizeStandardCanvas) << odd;
        EXPECT_FALSE(SettingDlg_FixedSizeActive(state));
    }
}

TEST(SettingDlgCheckFolder, RefusesPathsThatCannotNameAFolder) {
    TempDir dir;
    std::ofstream(dir.file("plain")) << "x";
    const std::string tooLong = "/" + std::string(kFolderPathMax, 'a');
    for (const std::string& path : {std::string(), std::string("relative/folder"), tooLong, dir.file("plain")}) {
        Messages messages;
        messages.answer = true;
        EXPECT_FALSE(SettingDlg_CheckFolder(path, messages)) << path;
        ASSERT_EQ(messages.shown.size(), 1u) << path;
        EXPECT_EQ(messages.shown[0].first, kFolderUnusableMessageId);
        EXPECT_EQ(messages.shown[0].second, path);
    }
    EXPECT_FALSE(fs::exists(fs::current_path() / "relative"));
}

TEST(SettingDlgCheckFolder, AMissingFolderIsCreatedWithEveryLevelOnlyWhenTheUserAgrees) {
    TempDir dir;
    const std::string missing = dir.file("a/b/c");
    Messages no;
    EXPECT_FALSE(SettingDlg_CheckFolder(missing, no));
    ASSERT_EQ(no.shown.size(), 1u);
    EXPECT_EQ(no.shown[0].first, kFolderCreateQuestionId);
    EXPECT_FALSE(fs::exists(dir.file("a")));

    Messages yes;
    yes.answer = true;
    EXPECT_TRUE(SettingDlg_CheckFolder(missing, yes));
    EXPECT_EQ(yes.shown.size(), 1u);
    EXPECT_TRUE(fs::is_directory(missing));
}

TEST(SettingDlgCheckFolder, AFolderThatCannotBeCreatedIsReported) {
    TempDir dir;
    std::ofstream(dir.file("file")) << "x";
    Messages messages;
    messages.answer = true;
    EXPECT_FALSE(SettingDlg_CheckFolder(dir.file("file/below"), messages));
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].first, kFolderCreateQuestionId);
    EXPECT_EQ(messages.shown[1].first, kFolderCreateFailedMessageId);
    EXPECT_EQ(messages.shown[1].second, dir.file("file/below"));
}

struct Applied {
    explicit Applied(const ShadeParams& record) : params(record) {}
    ShadeParams params;
    char lastFolder[256] = "/last";
    Messages messages;
};

void Apply(Applied& applied, const SettingDlgState& state) {
    SettingDlg_Apply(state, applied.params, applied.lastFolder, sizeof(applied.lastFolder), applied.messages);
}

TEST(SettingDlgApply, WritesEveryItemIntoTheRecord) {
    TempDir dir;
    Applied applied(Record());
    SettingDlgState state;
    state.sizeStandard = kSizeStandardFixed;
    state.fixedSize = " 1200 ";
    state.textureOnCanvas = true;
    state.saveLockStatus = true;
    state.eraseOutside = true;
    state.motionUiDisp = false;
    state.motionDevide = 6;
    state.copyImageFile = true;
    state.folder = dir.path().string();
    Apply(applied, state);
    const ShadeParams& p = applied.params;
    EXPECT_EQ(p.SizeStandard, kSizeStandardFixed);
    EXPECT_EQ(p.SizeFixedStandard, 1200);
    EXPECT_EQ(p.TextureLocateCanvas, 1);
    EXPECT_EQ(p.SaveLockStatus, 1);
    EXPECT_EQ(p.EraseOutside, 1);
    EXPECT_EQ(p.MotionUiDisp, 0);
    EXPECT_EQ(p.MotionDevide, 6);
    EXPECT_EQ(p.CopyImageFile, 1);
    EXPECT_STREQ(p.PathDefault, state.folder.c_str());
    EXPECT_STREQ(applied.lastFolder, state.folder.c_str());
    EXPECT_TRUE(applied.messages.shown.empty());
}

TEST(SettingDlgApply, FixedSizeIsTakenOnlyWithTheFixedStandardAndOnlyWhenItIsANumber) {
    struct Case {
        int32_t standard;
        const char* typed;
        int32_t expected;
    } cases[] = {
        {kSizeStandardCanvas, "50", 1000},  // not fixed: the size stays
        {kSizeStandardObject, "50", 1000},
        {kSizeStandardFixed, "5", 5},        // the render raises it, not the dialog
        {kSizeStandardFixed, "abc", 1000},   // no number: kept
        {kSizeStandardFixed, "12px", 1000},
        {kSizeStandardFixed, "", 1000},
        {kSizeStandardFixed, "-30", 0},      // the record's range
        {kSizeStandardFixed, "99999999", 46341},
    };
    for (const Case& c : cases) {
        Applied applied(Record());
        ASSERT_EQ(applied.params.SizeFixedStandard, 1000);
        SettingDlgState state = SettingDlgState_FromParams(applied.params);
        state.sizeStandard = c.standard;
        state.fixedSize = c.typed;
        Apply(applied, state);
        EXPECT_EQ(applied.params.SizeStandard, c.standard) << c.typed;
        EXPECT_EQ(applied.params.SizeFixedStandard, c.expected) << c.standard << " " << c.typed;
    }
}

TEST(SettingDlgApply, WithoutCopyingTheFolderIsLeftAlone) {
    Applied applied(Record("/pictures"));
    SettingDlgState state = SettingDlgState_FromParams(applied.params);
    state.copyImageFile = false;
    state.folder = "/somewhere/else";
    Apply(applied, state);
    EXPECT_EQ(applied.params.CopyImageFile, 0);
    EXPECT_STREQ(applied.params.PathDefault, "/pictures");
    EXPECT_STREQ(applied.lastFolder, "/last");
    EXPECT_TRUE(applied.messages.shown.empty());
}

TEST(SettingDlgApply, AnUnusableFolderIsKeptAsTypedButNotAsTheChooserFolder) {
    TempDir dir;
    Applied applied(Record());
    SettingDlgState state = SettingDlgState_FromParams(applied.params);
    state.copyImageFile = true;
    state.folder = dir.file("missing");
    Apply(applied, state);  // the question is answered no
    EXPECT_STREQ(applied.params.PathDefault, state.folder.c_str());
    EXPECT_STREQ(applied.lastFolder, "/last");
    ASSERT_EQ(applied.messages.shown.size(), 1u);
    EXPECT_EQ(applied.messages.shown[0].first, kFolderCreateQuestionId);
    EXPECT_FALSE(fs::exists(state.folder));
}

TEST(SettingDlgApply, AFolderTooLongForTheRecordKeepsTheOldOne) {
    Applied applied(Record("/pictures"));
    SettingDlgState state = SettingDlgState_FromParams(applied.params);
    state.copyImageFile = true;
    state.folder = "/" + std::string(300, 'x');
    Apply(applied, state);
    EXPECT_STREQ(applied.params.PathDefault, "/pictures");
    EXPECT_STREQ(applied.lastFolder, "/last");
    ASSERT_EQ(applied.messages.shown.size(), 1u);
    EXPECT_EQ(applied.messages.shown[0].first, kFolderUnusableMessageId);
}

TEST(SettingDlgApply, NegativeSubdivisionBecomesZero) {
    Applied applied(Record());
    SettingDlgState state = SettingDlgState_FromParams(applied.params);
    state.motionDevide = -3;
    Apply(applied, state);
    EXPECT_EQ(applied.params.MotionDevide, 0);
}

}  // namespace
