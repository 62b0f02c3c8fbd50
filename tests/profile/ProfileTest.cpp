// The Profile class: typed getters and setters over one file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "Profile.h"
#include "ProfileTestFiles.h"
#include "TempDir.h"

using morvanel_test::TempDir;
using profile_test::ReadBytes;
using profile_test::WriteBytes;

TEST(ProfileTest, SettersWriteTheirFormats) {
    TempDir dir;
    Profile profile(dir.file("style.mv"));
    EXPECT_TRUE(profile.Set("TEXTURE", "Filename", "/p/wood.png"));
    EXPECT_TRUE(profile.Set("TEXTURE", "Scale", 50));
    EXPECT_TRUE(profile.Set("TEXTURE", "OffX", -100));
    EXPECT_TRUE(profile.Set("TEXTURE", "Big", 5000000000L));
    EXPECT_TRUE(profile.Write("TEXTURE", "Fmt", "%03d-%s", 7, "x"));
    EXPECT_TRUE(profile.Set("TEXTURE", "Empty", ""));
    EXPECT_EQ(ReadBytes(profile.path()),
              "[TEXTURE]\r\nFilename=\"/p/wood.png\"\r\nScale=50\r\nOffX=-100\r\n"
              "Big=5000000000\r\nFmt=007-x\r\nEmpty=\"\"\r\n");
    EXPECT_TRUE(profile.Del("TEXTURE", "Scale"));
    EXPECT_EQ(profile.Get("TEXTURE", "Scale", 42), 42);
    EXPECT_EQ(profile.Get("TEXTURE", "OffX", 0), -100);
}

TEST(ProfileTest, StringGetterResetsToTheDefault) {
    TempDir dir;
    Profile profile(dir.file("style.mv"));
    WriteBytes(profile.path(), "[TEXTURE]\r\nFilename=\"/p/wood.png\"\r\n");
    char name[256] = "stale";
    EXPECT_EQ(profile.Get("TEXTURE", "Filename", nullptr, name, sizeof name), 0);
    EXPECT_STREQ(name, "/p/wood.png");
    EXPECT_EQ(profile.Get("TEXTURE", "Missing", nullptr, name, sizeof name), 1);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(profile.Get("TEXTURE", "Missing", "dflt", name, sizeof name), 1);
    EXPECT_STREQ(name, "dflt");
    // At most size - 1 characters are taken; a longer value leaves the default.
    char shortName[11] = "";
    EXPECT_EQ(profile.Get("TEXTURE", "Filename", "d", shortName, sizeof shortName), 0);
    EXPECT_STREQ(shortName, "d");
}

TEST(ProfileTest, UnreadableFileGivesDefaults) {
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "folder.mv");
    Profile profile(dir.file("folder.mv"));
    char name[32] = "stale";
    EXPECT_LT(profile.Get("S", "K", "dflt", name, sizeof name), 0);
    EXPECT_STREQ(name, "dflt");
    EXPECT_EQ(profile.Get("S", "K", 17), 17);
    EXPECT_FALSE(profile.Set("S", "K", 1));
    EXPECT_TRUE(std::filesystem::is_directory(profile.path()));
}

TEST(ProfileTest, OverlongPathIsRefusedNotCut) {
    TempDir dir;
    const std::string base = dir.file("");
    const std::string longName(Profile::kMaxPathLength + 1 - base.size(), 'a');
    Profile tooLong(base + longName);
    ASSERT_EQ(tooLong.path().size(), Profile::kMaxPathLength + 1);
    EXPECT_FALSE(tooLong.Set("S", "K", 1));
    EXPECT_EQ(tooLong.Get("S", "K", 5), 5);
    char value[8] = "stale";
    EXPECT_LT(tooLong.Get("S", "K", "d", value, sizeof value), 0);
    EXPECT_STREQ(value, "d");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    Profile longest(base + longName.substr(1));
    EXPECT_TRUE(longest.Set("S", "K", 1));
    EXPECT_EQ(longest.Get("S", "K", 5), 1);
}
