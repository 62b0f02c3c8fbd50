// The command and the files around it: outputs replaced by the one rule of
// every writer, values out of range, files that are no style or action, FIFOs
// in place of inputs, and signals during the save.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "CommandTestSupport.h"
#include "HostCommand.h"
#include "HostParamBlock.h"
#include "HostState.h"

namespace {

namespace fs = std::filesystem;
using morvanel_test::DiscImage;
using morvanel_test::ReadFile;
using CommandFiles = morvanel_test::CommandTest;

const std::string kBad = std::string(MORVANEL_TEST_BAD_FILES) + "/";
const std::string kGoldStyle = std::string(MORVANEL_TEST_STYLES) + "/Gold.mv";

// Overwrites the scripted integer scriptKey of a stored parameter block.
void SetBlockInt(std::string& bytes, std::string_view scriptKey, int32_t value) {
    ASSERT_EQ(bytes.size(), sizeof(HostParamBlock));
    HostParamBlock block;
    std::memcpy(&block, bytes.data(), sizeof block);
    int index = 0;
    while (index < kShadeParamsScriptCount && ShadeParamByScriptIndex(index)->scriptKey != scriptKey) ++index;
    ASSERT_NE(HostParamBlockInt(block, index), nullptr) << scriptKey;
    *HostParamBlockInt(block, index) = value;
    std::memcpy(bytes.data(), &block, sizeof block);
}

// Names of hidden files (temporaries) in a folder.
std::vector<std::string> HiddenFilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().front() == '.') names.push_back(entry.path().filename().string());
    return names;
}

TEST_F(CommandFiles, OutputKeepsItsModeAndIsWrittenThroughALink) {
    Write("in.png", DiscImage(48, 40, 4));
    std::ofstream(File("private.png")) << "old";
    ::chmod(File("private.png").c_str(), 0600);
    std::ofstream(File("target.png")) << "old";
    fs::create_symlink(File("target.png"), File("link.png"));
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("fresh.png")}), kExitOk) << errors_;
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("private.png")}), kExitOk) << errors_;
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("link.png")}), kExitOk) << errors_;
    EXPECT_EQ(fs::status(File("private.png")).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(ReadFile(File("private.png")), ReadFile(File("fresh.png")));
    EXPECT_TRUE(fs::is_symlink(File("link.png")));
    EXPECT_EQ(ReadFile(File("target.png")), ReadFile(File("fresh.png")));
    EXPECT_TRUE(HiddenFilesIn(dir_.path()).empty());
}

TEST_F(CommandFiles, ReadOnlyOutputIsRefusedAndKept) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may write any file; run as a normal user";
    Write("in.png", DiscImage(48, 40, 4));
    std::ofstream(File("locked.png")) << "precious";
    ::chmod(File("locked.png").c_str(), 0444);
    EXPECT_EQ(Run({"apply", File("in.png"), "-o", File("locked.png")}), kExitUnwritable);
    EXPECT_NE(errors_.find(File("locked.png") + ": the file is read-only"), std::string::npos) << errors_;
    EXPECT_EQ(ReadFile(File("locked.png")), "precious");
    EXPECT_TRUE(HiddenFilesIn(dir_.path()).empty());
}

TEST_F(CommandFiles, ValuesOutOfRangeAreClampedWithAWarning) {
    Write("in.png", DiscImage(48, 40, 4));
    const std::string style = kBad + "style-out-of-range.mv";
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("clamped.png"), "--style", style}), kExitOk) << errors_;
    EXPECT_NE(errors_.find(style + ": [MODEL] Height=101 lies outside 1..100; 100 is used"), std::string::npos)
        << errors_;
    EXPECT_NE(errors_.find(style + ": [LIGHT] ShadowDif=100000 lies outside 0..100; 100 is used"), std::string::npos);
    std::ofstream(File("in-range.mv")) << "[MODEL]\r\nHeight=100\r\nLength=0\r\n[LIGHT]\r\nShadowDif=100\r\n";
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("expected.png"), "--style", File("in-range.mv")}), kExitOk);
    EXPECT_EQ(errors_.find("warning"), std::string::npos) << errors_;
    EXPECT_EQ(ReadFile(File("clamped.png")), ReadFile(File("expected.png")));

    const std::string action = kBad + "action-out-of-range.json";
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("action.png"), "--action", action}), kExitOk) << errors_;
    EXPECT_NE(errors_.find(action + ": pMhe=101 lies outside 1..100; 100 is used"), std::string::npos) << errors_;
    EXPECT_NE(errors_.find(action + ": pLsf=-2147483648 lies outside 0..100; 0 is used"), std::string::npos);
}

TEST_F(CommandFiles, RepeatClampsTheStateFileWithAWarning) {
    Write("in.png", DiscImage(48, 40, 4));
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("first.png"), "--action", kBad + "action-out-of-range.json"}),
              kExitOk)
        << errors_;
    const std::string state = HostState_Path();
    std::string bytes = ReadFile(state);
    SetBlockInt(bytes, "pMhe", 101);
    SetBlockInt(bytes, "pLsf", INT32_MIN);
    std::ofstream(state, std::ios::binary | std::ios::trunc) << bytes;

    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("repeat.png"), "--repeat"}), kExitOk) << errors_;
    EXPECT_NE(errors_.find(state + ": pMhe=101 lies outside 1..100; 100 is used"), std::string::npos) << errors_;
    EXPECT_NE(errors_.find(state + ": pLsf=-2147483648 lies outside 0..100; 0 is used"), std::string::npos);
    EXPECT_EQ(ReadFile(File("repeat.png")), ReadFile(File("first.png")));
    // The run stores the values it used: the next repeat has nothing to mend.
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("again.png"), "--repeat"}), kExitOk) << errors_;
    EXPECT_EQ(errors_.find("warning"), std::string::npos) << errors_;
}

TEST_F(CommandFiles, FilesThatAreNoStyleAreRefusedAndLfStylesWork) {
    Write("in.png", DiscImage(48, 40, 4));
    for (const std::string& style : {kBad + "style-binary.mv", kBad + "style-no-section.mv", File("in.png")}) {
        EXPECT_EQ(Run({"apply", File("in.png"), "-o", File("out.png"), "--style", style}), kExitBadAction) << style;
        EXPECT_NE(errors_.find("is not a style file"), std::string::npos) << errors_;
        EXPECT_FALSE(fs::exists(File("out.png")));
    }
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("crlf.png"), "--style", kGoldStyle}), kExitOk) << errors_;
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("lf.png"), "--style", kBad + "style-lf-line-ends.mv"}), kExitOk)
        << errors_;
    EXPECT_EQ(ReadFile(File("lf.png")), ReadFile(File("crlf.png")));
}

TEST_F(CommandFiles, FifosAreRefusedWithoutBlocking) {
    Write("in.png", DiscImage(48, 40, 4));
    ASSERT_EQ(::mkfifo(File("fifo.mv").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(File("fifo.json").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(File("fifo.png").c_str(), 0600), 0);
    EXPECT_EQ(Run({"apply", File("in.png"), "-o", File("out.png"), "--style", File("fifo.mv")}), kExitBadAction);
    EXPECT_NE(errors_.find("not a regular file"), std::string::npos) << errors_;
    EXPECT_EQ(Run({"apply", File("in.png"), "-o", File("out.png"), "--action", File("fifo.json")}), kExitBadAction);
    EXPECT_NE(errors_.find("not a regular file"), std::string::npos) << errors_;
    EXPECT_EQ(Run({"apply", File("fifo.png"), "-o", File("out.png")}), kExitBadInput);
    EXPECT_EQ(Run({"apply", File("in.png"), "-o", File("out.png"), "--selection", File("fifo.png")}), kExitBadInput);
    EXPECT_FALSE(fs::exists(File("out.png")));
}

// Ctrl-C (twice) or SIGTERM while the output is being written: the old
// output stays and no temporary file is left.
TEST_F(CommandFiles, SignalDuringTheSaveKeepsTheOldOutput) {
    // Large enough that encoding the PNG takes a while; rendered without a
    // shape (no alpha, no selection is a full rectangle) it is quick.
    Write("in.png", DiscImage(1600, 1200, 3));
    for (const std::vector<int>& signals : {std::vector<int>{SIGINT}, std::vector<int>{SIGINT, SIGINT},
                                            std::vector<int>{SIGTERM}}) {
        std::ofstream(File("out.png")) << "previous output";
        const pid_t child = ::fork();
        if (child == 0) {
            std::freopen(File("stderr.txt").c_str(), "w", stderr);
            ::setenv("MORVANEL_PLUGIN", MORVANEL_TEST_PLUGIN, 1);
            ::execl(MORVANEL_COMMAND, MORVANEL_COMMAND, "apply", File("in.png").c_str(), "-o", File("out.png").c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ASSERT_GT(child, 0);
        // Waits for the temporary file of the save to appear.
        bool saving = false;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!saving && std::chrono::steady_clock::now() < deadline) {
            saving = !HiddenFilesIn(dir_.path()).empty();
            if (!saving) std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        for (const int signal : signals) ::kill(child, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(saving) << "the save was never seen";
        EXPECT_EQ(ReadFile(File("out.png")), "previous output") << signals.size();
        EXPECT_TRUE(HiddenFilesIn(dir_.path()).empty()) << HiddenFilesIn(dir_.path()).front();
        if (signals.size() == 1) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == kExitCancelled)
                << "status " << status << ": " << ReadFile(File("stderr.txt"));
        }
    }
}

}  // namespace
