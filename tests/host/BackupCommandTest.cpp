// morvanel backup and morvanel restore as processes on a seeded system folder.
#include <gtest/gtest.h>

#include "CommandTestSupport.h"

namespace {

using namespace morvanel_test;
using BackupCommand = CommandTest;

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
    for (const auto& entry : fs::directory_iterator(File("system/Texture"))) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("Thumbnail", 0) == 0 || !entry.is_regular_file()) continue;
        EXPECT_EQ(ReadFile(File("restored/" + name)), ReadFile(entry.path().string())) << name;
    }
    EXPECT_TRUE(fs::exists(File("restored/all.mvs")));
}

TEST_F(BackupCommand, ConflictPolicies) {
    const std::string pack = File("styles.mvz");
    ASSERT_EQ(Run({"backup", pack, "--mode", "styles"}), kExitOk) << errors_;
    ASSERT_EQ(Run({"restore", pack, "--into", File("r")}), kExitOk) << errors_;
    std::string style;
    for (const auto& entry : fs::directory_iterator(File("r")))
        if (entry.path().extension() == ".mv") style = entry.path().filename().string();
    ASSERT_FALSE(style.empty());
    const std::string mine = "[MODEL]\r\nLength=1\r\n";
    std::ofstream(File("r/" + style), std::ios::binary) << mine;
    const std::string renamed = "r/" + style.substr(0, style.size() - 3) + "-1.mv";
    const struct {
        const char* policy;
        bool kept;
        bool renamedExists;
    } cases[] = {{"skip", true, false}, {"rename", true, true}, {"overwrite", false, true}};
    for (const auto& c : cases) {
        ASSERT_EQ(Run({"restore", pack, "--into", File("r"), "--on-conflict", c.policy}), kExitOk) << errors_;
        EXPECT_EQ(ReadFile(File("r/" + style)) == mine, c.kept) << c.policy;
        EXPECT_EQ(fs::exists(File(renamed)), c.renamedExists) << c.policy;
    }
}

}  // namespace
