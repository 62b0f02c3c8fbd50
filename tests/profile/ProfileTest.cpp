// The Profile class: typed getters and setters over one file, the one-pass
// write, and files that cannot be used or replaced.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "PrivateProfile.h"
#include "Profile.h"
#include "TempDir.h"

using morvanel_test::FileContent;
using morvanel_test::MakeFile;
using morvanel_test::TempDir;
namespace fs = std::filesystem;

TEST(ProfileTest, SettersWriteTheirFormats) {
    TempDir dir;
    Profile profile(dir.file("style.mv"));
    EXPECT_TRUE(profile.Set("TEXTURE", "Filename", "/p/wood.png"));
    EXPECT_TRUE(profile.Set("TEXTURE", "Scale", 50));
    EXPECT_TRUE(profile.Set("TEXTURE", "OffX", -100));
    EXPECT_TRUE(profile.Set("TEXTURE", "Big", 5000000000L));
    EXPECT_TRUE(profile.Write("TEXTURE", "Fmt", "%03d-%s", 7, "x"));
    EXPECT_TRUE(profile.Set("TEXTURE", "Empty", ""));
    EXPECT_EQ(FileContent(profile.path()),
              "[TEXTURE]\r\nFilename=\"/p/wood.png\"\r\nScale=50\r\nOffX=-100\r\n"
              "Big=5000000000\r\nFmt=007-x\r\nEmpty=\"\"\r\n");
    EXPECT_TRUE(profile.Del("TEXTURE", "Scale"));
    EXPECT_EQ(profile.Get("TEXTURE", "Scale", 42), 42);
    EXPECT_EQ(profile.Get("TEXTURE", "OffX", 0), -100);
}

// Paths that cannot hold a profile give the defaults, refuse writes and
// create nothing; the longest usable path works, and a read makes a missing
// file empty.
TEST(ProfileTest, UnusablePathsGiveDefaultsAndChangeNothing) {
    TempDir dir;
    fs::create_directory(dir.path() / "folder.mv");
    ASSERT_EQ(::mkfifo(dir.file("fifo.mv").c_str(), 0600), 0);
    const std::string base = dir.file("");
    const std::string overlong = base + std::string(Profile::kMaxPathLength + 1 - base.size(), 'a');
    struct Case {
        std::string path;
        int32_t result;
    };
    for (const Case& c : {Case{dir.file("no/such/style.mv"), -ENOENT}, Case{dir.file("folder.mv"), -EISDIR},
                          Case{dir.file("fifo.mv"), -EINVAL}, Case{overlong, -ENAMETOOLONG}}) {
        Profile profile(c.path);
        char value[16] = "stale";
        EXPECT_EQ(profile.Get("S", "K", "d", value, sizeof value), c.result) << c.path;
        EXPECT_STREQ(value, "d");
        EXPECT_EQ(profile.Get("S", "K", 17), 17);
        EXPECT_FALSE(profile.Set("S", "K", 1));
        EXPECT_FALSE(profile.SetAll(std::vector<ProfileSetting>{Profile::Number("S", "K", 2)}));
    }
    EXPECT_TRUE(fs::is_fifo(dir.file("fifo.mv")));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);

    Profile longest(overlong.substr(0, overlong.size() - 1));
    char value[8] = "";
    EXPECT_EQ(longest.Get("S", "K", "d", value, sizeof value), 1);
    EXPECT_EQ(fs::file_size(longest.path()), 0u);
    EXPECT_TRUE(longest.Set("S", "K", 1));
    EXPECT_EQ(longest.Get("S", "K", 5), 1);
}

// A write goes into a new file renamed over the old one (through a link,
// over its target): a reader of the old file still sees it whole, and the
// mode stays.
TEST(ProfileTest, WritesReplaceTheFileWhole) {
    TempDir dir;
    const std::string path = dir.file("style.mv");
    const std::string content = "[S]\r\nA=1\r\nB=\"two\"\r\n";
    MakeFile(path, content);
    const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(path, mode);
    fs::create_symlink(path, dir.path() / "link.mv");
    std::ifstream before(path, std::ios::binary);
    ASSERT_TRUE(Profile(dir.file("link.mv")).Set("S", "A", 12345));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(before), {}), content);
    EXPECT_EQ(FileContent(path), "[S]\r\nA=12345\r\nB=\"two\"\r\n");
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.mv"));
    EXPECT_EQ(fs::status(path).permissions(), mode);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

TEST(ProfileTest, OnePassWriteHasTheBytesOfTheSingleWrites) {
    TempDir dir;
    const std::vector<ProfileSetting> settings = {
        Profile::Text("TEXTURE", "Filename", "Texture/a [1].png"), Profile::Number("MODEL", "Height", -12),
        Profile::Number("TEXTURE", "Scale", 50), Profile::Text("MODEL", "Name", ""),
        Profile::Removal("MODEL", "Own"), Profile::Removal("MODEL", "Never"),
        Profile::Number("MODEL", "Height", 99)};
    // A new file, and a file with foreign keys, LF lines and no final line end.
    for (const std::string& start : {std::string(), std::string("[MODEL]\nOwn=1\r\nHeight=3\r\n[X]\r\nY=\"z\"")}) {
        const std::string single = dir.file("single.mv");
        const std::string batch = dir.file("batch.mv");
        MakeFile(single, start);
        MakeFile(batch, start);
        Profile one(single);
        for (const ProfileSetting& s : settings) {
            if (s.remove) {
                ASSERT_TRUE(one.Del(s.section.c_str(), s.key.c_str()));
            } else if (s.value.starts_with("\"")) {
                ASSERT_TRUE(one.Set(s.section.c_str(), s.key.c_str(), s.value.substr(1, s.value.size() - 2).c_str()));
            } else {
                ASSERT_TRUE(one.Set(s.section.c_str(), s.key.c_str(), std::stol(s.value)));
            }
        }
        ASSERT_TRUE(Profile(batch).SetAll(settings));
        EXPECT_EQ(FileContent(batch), FileContent(single));
    }
    // One setting that cannot be stored writes nothing at all.
    const std::string refused = dir.file("refused.mv");
    MakeFile(refused, "[S]\r\nK=1\r\n");
    EXPECT_FALSE(Profile(refused).SetAll(std::vector<ProfileSetting>{Profile::Number("S", "K", 2),
                                                                     Profile::Text("S", "Bad", "a\nb")}));
    EXPECT_EQ(FileContent(refused), "[S]\r\nK=1\r\n");
}
