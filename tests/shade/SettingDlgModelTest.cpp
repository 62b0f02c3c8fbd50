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

TEST(SettingDlgCheckFolder, RefusesUnusablePathsAndMakesNoFolderUnasked) {
    TempDir dir;
    std::ofstream(dir.file("plain")) << "x";
    const std::string tooLong = "/" + std::string(kFolderPathMax, 'a');
    for (const std::string& path : {std::string(), std::string("relative/folder"), tooLong, dir.file("plain")}) {
        Messages messages;
        messages.answer = true;
        EXPECT_FALSE(SettingDlg_CheckFolder(path, messages)) << path;
        EXPECT_EQ(messages.shown, (std::vector<std::pair<int, std::string>>{{kFolderUnusableMessageId, path}}));
    }
    EXPECT_FALSE(fs::exists(fs::current_path() / "relative"));

    const std::string missing = dir.file("a/b/c");
    Messages no;
    EXPECT_FALSE(SettingDlg_CheckFolder(missing, no));
    EXPECT_EQ(no.shown, (std::vector<std::pair<int, std::string>>{{kFolderCreateQuestionId, missing}}));
    EXPECT_FALSE(fs::exists(dir.file("a")));

    const std::string below = dir.file("plain/below");
    Messages failed;
    failed.answer = true;
    EXPECT_FALSE(SettingDlg_CheckFolder(below, failed));
    EXPECT_EQ(failed.shown, (std::vector<std::pair<int, std::string>>{{kFolderCreateQuestionId, below},
                                                                      {kFolderCreateFailedMessageId, below}}));
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

    state.motionDevide = -3;
    Apply(applied, state);
    EXPECT_EQ(applied.params.MotionDevide, 0);
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

// The folder is taken only with copying on; one that cannot be used is kept
// as typed (if it fits) but does not become the chooser's folder.
TEST(SettingDlgApply, TheFolderFollowsCopyingAndItsCheck) {
    TempDir dir;
    struct Case {
        const char* what;
        bool copy;
        std::string folder;
        std::string pathDefault;
        int message;
    };
    const Case cases[] = {
        {"not copying", false, "/somewhere/else", "/pictures", 0},
        {"missing, not made", true, dir.file("missing"), dir.file("missing"), kFolderCreateQuestionId},
        {"too long", true, "/" + std::string(300, 'x'), "/pictures", kFolderUnusableMessageId},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Applied applied(Record("/pictures"));
        SettingDlgState state = SettingDlgState_FromParams(applied.params);
        state.copyImageFile = c.copy;
        state.folder = c.folder;
        Apply(applied, state);  // any question is answered no
        EXPECT_EQ(applied.params.CopyImageFile, c.copy ? 1 : 0);
        EXPECT_STREQ(applied.params.PathDefault, c.pathDefault.c_str());
        EXPECT_STREQ(applied.lastFolder, "/last");
        std::vector<int> shown;
        for (const auto& message : applied.messages.shown) shown.push_back(message.first);
        EXPECT_EQ(shown, c.message ? std::vector<int>{c.message} : std::vector<int>{});
    }
    EXPECT_FALSE(fs::exists(dir.file("missing")));
}

}  // namespace
