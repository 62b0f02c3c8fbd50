// morvanel backup and morvanel restore as processes on a seeded system folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "CommandTestSupport.h"
#include "HostCommand.h"
#include "TempDir.h"

namespace {

namespace fs = std::filesystem;
using morvanel_test::ReadFile;

class BackupCommand : public ::testing::Test {
protected:
    BackupCommand() : home_(dir_) {}

    std::string File(const std::string& name) const { return dir_.file(name); }
    std::string System(const std::string& name) const { return dir_.file("system/" + name); }

    int Run(const std::vector<std::string>& args) {
        const int code = morvanel_test::RunMorvanel(args, File("stderr.txt"));
        errors_ = ReadFile(File("stderr.txt"));
        return code;
    }

    morvanel_test::TempDir dir_;
    morvanel_test::ScopedHome home_;
    std::string errors_;
};

TEST_F(BackupCommand, BackupInEachModeAndRestoreElsewhere) {
    const std::string pack = File("all.mvz");
    ASSERT_EQ(Run({"backup", pack, "--mode", "all"}), kExitOk) << errors_;
    const std::string bytes = ReadFile(pack);
    ASSERT_GT(bytes.size(), 132116u);
    uint32_t total = 0;
    for (int i = 3; i >= 0; --i) total = (total << 8) | static_cast<uint8_t>(bytes[16 + i]);
    EXPECT_EQ(bytes.size(), 132116u + total);
    ASSERT_EQ(Run({"backup", File("styles.mvz"), "--mode", "styles"}), kExitOk) << errors_;
    EXPECT_LE(fs::file_size(File("styles.mvz")), bytes.size());

    ASSERT_EQ(Run({"restore", pack, "--into", File("restored")}), kExitOk) << errors_;
    for (const auto& entry : fs::directory_iterator(System("Texture"))) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("Thumbnail", 0) == 0 || !entry.is_regular_file()) continue;
        EXPECT_EQ(ReadFile(File("restored/" + name)), ReadFile(entry.path().string())) << name;
    }
    EXPECT_TRUE(fs::exists(File("restored/all.mvs")));
}

TEST_F(BackupCommand, ConflictPolicies) {
    const std::string pack = File("all.mvz");
    ASSERT_EQ(Run({"backup", pack, "--mode", "styles"}), kExitOk) << errors_;
    ASSERT_EQ(Run({"restore", pack, "--into", File("r")}), kExitOk) << errors_;
    std::string style;
    for (const auto& entry : fs::directory_iterator(File("r")))
        if (entry.path().extension() == ".mv") style = entry.path().filename().string();
    ASSERT_FALSE(style.empty());
    std::ofstream(File("r/" + style), std::ios::binary) << "[MODEL]\r\nLength=1\r\n";

    ASSERT_EQ(Run({"restore", pack, "--into", File("r"), "--on-conflict", "skip"}), kExitOk) << errors_;
    EXPECT_EQ(ReadFile(File("r/" + style)), "[MODEL]\r\nLength=1\r\n");
    ASSERT_EQ(Run({"restore", pack, "--into", File("r"), "--on-conflict", "rename"}), kExitOk) << errors_;
    EXPECT_EQ(ReadFile(File("r/" + style)), "[MODEL]\r\nLength=1\r\n");
    const std::string renamed = style.substr(0, style.size() - 3) + "-1.mv";
    EXPECT_TRUE(fs::exists(File("r/" + renamed)));
    ASSERT_EQ(Run({"restore", pack, "--into", File("r"), "--on-conflict", "overwrite"}), kExitOk) << errors_;
    EXPECT_NE(ReadFile(File("r/" + style)), "[MODEL]\r\nLength=1\r\n");
}

TEST_F(BackupCommand, RefusalsAndUsage) {
    const std::string pack = File("all.mvz");
    ASSERT_EQ(Run({"backup", pack}), kExitOk) << errors_;
    std::string bytes = ReadFile(pack);
    const std::string hostile = "../../escape.mv";
    std::copy(hostile.begin(), hostile.end() + 1, bytes.begin() + 65556);
    std::ofstream(File("bad.mvz"), std::ios::binary) << bytes;
    EXPECT_EQ(Run({"restore", File("bad.mvz"), "--into", File("r")}), kExitBadInput);
    EXPECT_NE(errors_.find("leads out of the restore folder"), std::string::npos) << errors_;
    EXPECT_FALSE(fs::exists(File("r")));
    EXPECT_EQ(Run({"restore", File("missing.mvz")}), kExitBadInput);
    EXPECT_EQ(Run({"backup", File("readonly/x.mvz")}), kExitUnwritable);

    EXPECT_EQ(Run({"backup"}), kExitUsage);
    EXPECT_EQ(Run({"backup", pack, "--mode", "some"}), kExitUsage);
    EXPECT_EQ(Run({"restore", pack, "--on-conflict", "maybe"}), kExitUsage);
    EXPECT_EQ(Run({"restore", pack, "--mode", "all"}), kExitUsage);
    EXPECT_EQ(Run({"backup", pack, "second.mvz"}), kExitUsage);
}

}  // namespace
