// Writes that cannot be done report failure and leave the file whole.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "PrivateProfile.h"
#include "Profile.h"
#include "ProfileTestFiles.h"
#include "TempDir.h"

using morvanel_test::TempDir;
using profile_test::ReadBytes;
using profile_test::WriteBytes;
namespace fs = std::filesystem;

namespace {

const std::string kContent = "[S]\r\nA=1\r\nB=\"two\"\r\n";

ino_t InodeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

}  // namespace

TEST(ProfileFailureTest, MissingFolder) {
    TempDir dir;
    const std::string path = dir.file("no/such/folder/style.mv");
    char value[16] = "";
    EXPECT_EQ(GetPrivateProfileString("S", "A", "d", value, sizeof value, path.c_str()), -ENOENT);
    EXPECT_STREQ(value, "d");
    EXPECT_EQ(GetPrivateProfileInt("S", "A", 9, path.c_str()), 9);
    EXPECT_EQ(WritePrivateProfileString("S", "A", "1", path.c_str()), -ENOENT);
    EXPECT_FALSE(Profile(path).Set("S", "A", 1));
    EXPECT_FALSE(fs::exists(dir.path() / "no"));
}

TEST(ProfileFailureTest, ReadOnlyFolder) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the super-user";
    TempDir dir;
    const fs::path folder = dir.path() / "ro";
    fs::create_directory(folder);
    const std::string path = (folder / "style.mv").string();
    WriteBytes(path, kContent);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    Profile profile(path);
    EXPECT_EQ(profile.Get("S", "A", 0), 1);
    EXPECT_FALSE(profile.Set("S", "A", 5));
    EXPECT_FALSE(profile.Del("S", "B"));
    EXPECT_EQ(ReadBytes(path), kContent);
    Profile missing((folder / "missing.mv").string());
    char value[8] = "";
    EXPECT_EQ(missing.Get("S", "A", "d", value, sizeof value), -EACCES);
    EXPECT_STREQ(value, "d");
    fs::permissions(folder, fs::perms::owner_all);
    EXPECT_EQ(fs::directory_iterator(folder)->path().filename(), "style.mv");
}

TEST(ProfileFailureTest, TextThatWouldBreakTheLinesIsRefused) {
    TempDir dir;
    const std::string path = dir.file("style.mv");
    WriteBytes(path, kContent);
    EXPECT_EQ(WritePrivateProfileString("S", "A", "1\r\nEvil=1", path.c_str()), -EINVAL);
    EXPECT_EQ(WritePrivateProfileString("S", "A", "1\n", path.c_str()), -EINVAL);
    EXPECT_EQ(WritePrivateProfileString("S", "A=B", "1", path.c_str()), -EINVAL);
    EXPECT_EQ(WritePrivateProfileString("S", "[T]", "1", path.c_str()), -EINVAL);
    EXPECT_EQ(WritePrivateProfileString("S", "", "1", path.c_str()), -EINVAL);
    EXPECT_EQ(WritePrivateProfileString("S]", "A", "1", path.c_str()), -EINVAL);
    EXPECT_EQ(WritePrivateProfileString(nullptr, "A", "1", path.c_str()), -EINVAL);
    EXPECT_EQ(WritePrivateProfileString("S", "A", "1", nullptr), -EINVAL);
    EXPECT_FALSE(Profile(path).Set("S", "A", static_cast<const char*>(nullptr)));
    EXPECT_EQ(ReadBytes(path), kContent);
}

TEST(ProfileFailureTest, WritesReplaceTheFileWhole) {
    TempDir dir;
    const std::string path = dir.file("style.mv");
    WriteBytes(path, kContent);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    std::ifstream before(path, std::ios::binary);  // a reader of the old file
    const ino_t oldInode = InodeOf(path);

    ASSERT_TRUE(Profile(path).Set("S", "A", 12345));
    // The new content went into a new file renamed over the old one: the old
    // file, still open, is whole and unchanged, and nothing is left beside it.
    EXPECT_NE(InodeOf(path), oldInode);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(before), {}), kContent);
    EXPECT_EQ(ReadBytes(path), "[S]\r\nA=12345\r\nB=\"two\"\r\n");
    EXPECT_EQ(fs::status(path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(ProfileFailureTest, WritingThroughALinkUpdatesItsTarget) {
    TempDir dir;
    const std::string target = dir.file("real.mv");
    const std::string link = dir.file("link.mv");
    WriteBytes(target, kContent);
    fs::create_symlink(target, link);
    ASSERT_TRUE(Profile(link).Set("S", "B", "three"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(target), "[S]\r\nA=1\r\nB=\"three\"\r\n");
}
