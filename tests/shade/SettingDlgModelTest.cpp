// The settings dialog's rules without a window: the items a record shows,
// the folder check on real folders, and OK writing the items back.
#include <gtest/gtest.h>

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

TEST(SettingDlgApply, FixedSizeIsTakenOnlyWithTheFixedStandardAndOnlyWhenItIsANumber) {
    struct Case {
        int32_t standard;
        const char* typed;
        int32_t expected;
    } cases[] = {
        {kSizeStandardCanvas, "50", 1000},  // not fixed: the size stays
        {kSizeStandardFixed, "5", 5},        // the render raises it, not the dialog
        {kSizeStandardFixed, "abc", 1000},   // no number: kept
        {kSizeStandardFixed, "12px", 1000},
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
// as typed (if it fits) but does not become the chooser's folder.  Any
// question is answered no.
TEST(SettingDlgApply, TheFolderFollowsCopyingAndItsCheck) {
    TempDir dir;
    struct Case {
        const char* what;
        bool copy;
        std::string folder;
        std::string pathDefault, lastFolder;
        int message;
    };
    const Case cases[] = {
        {"taken", true, dir.path().string(), dir.path().string(), dir.path().string(), 0},
        {"not copying", false, "/somewhere/else", "/pictures", "/last", 0},
        {"missing, not made", true, dir.file("missing"), dir.file("missing"), "/last", kFolderCreateQuestionId},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Applied applied(Record("/pictures"));
        SettingDlgState state = SettingDlgState_FromParams(applied.params);
        state.copyImageFile = c.copy;
        state.folder = c.folder;
        Apply(applied, state);
        EXPECT_EQ(applied.params.CopyImageFile, c.copy ? 1 : 0);
        EXPECT_STREQ(applied.params.PathDefault, c.pathDefault.c_str());
        EXPECT_STREQ(applied.lastFolder, c.lastFolder.c_str());
        std::vector<int> shown;
        for (const auto& message : applied.messages.shown) shown.push_back(message.first);
        EXPECT_EQ(shown, c.message ? std::vector<int>{c.message} : std::vector<int>{});
    }
    EXPECT_FALSE(fs::exists(dir.file("missing")));
}

}  // namespace
