// The command and the files around it: outputs replaced by the one rule of
// every writer, values out of range, and signals during the save.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "CommandTestSupport.h"
#include "HostParamBlock.h"
#include "HostState.h"

namespace {

using namespace morvanel_test;
using CommandFiles = CommandTest;

TEST_F(CommandFiles, OutputKeepsItsModeAndIsWrittenThroughALink) {
    Write("in.png", DiscImage(48, 40, 4));
    std::ofstream(File("private.png")) << "old";
    ::chmod(File("private.png").c_str(), 0600);
    std::ofstream(File("target.png")) << "old";
    fs::create_symlink(File("target.png"), File("link.png"));
    for (const char* out : {"fresh.png", "private.png", "link.png"})
        ASSERT_EQ(Run({"apply", File("in.png"), "-o", File(out)}), kExitOk) << out << ": " << errors_;
    EXPECT_EQ(fs::status(File("private.png")).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(ReadFile(File("private.png")), ReadFile(File("fresh.png")));
    EXPECT_TRUE(fs::is_symlink(File("link.png")));
    EXPECT_EQ(ReadFile(File("target.png")), ReadFile(File("fresh.png")));
    EXPECT_TRUE(HiddenFilesIn(dir_.path()).empty());
}

// Out-of-range values of a style, an action or the state file a repeat
// reads are clamped with a warning naming the file, the key and both values.
TEST_F(CommandFiles, ValuesOutOfRangeAreClampedWithAWarning) {
    Write("in.png", DiscImage(48, 40, 4));
    const std::string style = kBadFiles + "style-out-of-range.mv";
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("clamped.png"), "--style", style}), kExitOk) << errors_;
    EXPECT_NE(errors_.find(style + ": [MODEL] Height=101 lies outside 1..100; 100 is used"), std::string::npos)
        << errors_;
    EXPECT_NE(errors_.find(style + ": [LIGHT] ShadowDif=100000 lies outside 0..100; 100 is used"), std::string::npos);
    std::ofstream(File("in-range.mv")) << "[MODEL]\r\nHeight=100\r\nLength=0\r\n[LIGHT]\r\nShadowDif=100\r\n";
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("expected.png"), "--style", File("in-range.mv")}), kExitOk);
    EXPECT_EQ(errors_.find("warning"), std::string::npos) << errors_;
    EXPECT_EQ(ReadFile(File("clamped.png")), ReadFile(File("expected.png")));

    const std::string action = kBadFiles + "action-out-of-range.json";
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("action.png"), "--action", action}), kExitOk) << errors_;
    EXPECT_NE(errors_.find(action + ": pMhe=101 lies outside 1..100; 100 is used"), std::string::npos) << errors_;
    EXPECT_NE(errors_.find(action + ": pLsf=-2147483648 lies outside 0..100; 0 is used"), std::string::npos);

    // The state file the action run left, with the same two values out of range.
    const std::string state = HostState_Path();
    std::string bytes = ReadFile(state);
    ASSERT_EQ(bytes.size(), sizeof(HostParamBlock));
    HostParamBlock block;
    std::memcpy(&block, bytes.data(), sizeof block);
    *HostParamBlockInt(block, 7) = 101;  // pMhe
    *HostParamBlockInt(block, 57) = INT32_MIN;  // pLsf
    std::memcpy(bytes.data(), &block, sizeof block);
    std::ofstream(state, std::ios::binary | std::ios::trunc) << bytes;
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("repeat.png"), "--repeat"}), kExitOk) << errors_;
    EXPECT_NE(errors_.find(state + ": pMhe=101 lies outside 1..100; 100 is used"), std::string::npos) << errors_;
    EXPECT_NE(errors_.find(state + ": pLsf=-2147483648 lies outside 0..100; 0 is used"), std::string::npos);
    EXPECT_EQ(ReadFile(File("repeat.png")), ReadFile(File("action.png")));
    // The run stores the values it used: the next repeat has nothing to mend.
    ASSERT_EQ(Run({"apply", File("in.png"), "-o", File("again.png"), "--repeat"}), kExitOk) << errors_;
    EXPECT_EQ(errors_.find("warning"), std::string::npos) << errors_;
}

// Ctrl-C (twice) or SIGTERM while the output is being written: the old
// output stays and no temporary file is left.
TEST_F(CommandFiles, SignalDuringTheSaveKeepsTheOldOutput) {
    // Large enough that encoding the PNG takes a while; rendered without a
    // shape (no alpha, no selection is a full rectangle) it is quick.
    Write("in.png", DiscImage(1600, 1200, 3));
    // One try: starts the command, waits for the temporary file of its save
    // and sends the signals.  False when the save was over before the signals
    // reached it (on a busy machine it can slip between two looks); such a try
    // says nothing about the save and is repeated.
    const auto signalDuringTheSave = [&](const std::vector<int>& signals, int& status) {
        std::ofstream(File("out.png")) << "previous output";
        const pid_t child = ::fork();
        if (child == 0) {
            std::freopen(File("stderr.txt").c_str(), "w", stderr);
            ExecMorvanel({"apply", File("in.png"), "-o", File("out.png")});
        }
        if (child < 0) {
            ADD_FAILURE() << "fork failed";
            return false;
        }
        bool saving = false;
        bool ended = false;
        while (!saving && !ended) {
            saving = !HiddenFilesIn(dir_.path()).empty();
            ended = !saving && ::waitpid(child, &status, WNOHANG) == child;
            if (!saving && !ended) std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        if (ended) return false;
        for (const int signal : signals) ::kill(child, signal);
        EXPECT_EQ(::waitpid(child, &status, 0), child);
        return !(WIFEXITED(status) && WEXITSTATUS(status) == kExitOk);
    };
    for (const std::vector<int>& signals : {std::vector<int>{SIGINT}, std::vector<int>{SIGINT, SIGINT},
                                            std::vector<int>{SIGTERM}}) {
        int status = 0;
        bool caught = false;
        for (int attempt = 0; attempt < 5 && !caught; ++attempt) caught = signalDuringTheSave(signals, status);
        ASSERT_TRUE(caught) << "no try stopped the command during its save";
        EXPECT_EQ(ReadFile(File("out.png")), "previous output") << signals.size();
        EXPECT_TRUE(HiddenFilesIn(dir_.path()).empty()) << HiddenFilesIn(dir_.path()).front();
        if (signals.size() == 1) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == kExitCancelled)
                << "status " << status << ": " << ReadFile(File("stderr.txt"));
        }
    }
}

}  // namespace
