// Profile files as they come from elsewhere: other line ends, a byte-order
// mark, a FIFO instead of a file, long paths, a read-only file; and the
// one-pass write that must give the same bytes as the key-by-key writes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "PrivateProfile.h"
#include "Profile.h"
#include "ProfileTestFiles.h"
#include "TempDir.h"

using morvanel_test::TempDir;
using profile_test::ReadBytes;
using profile_test::WriteBytes;
namespace fs = std::filesystem;

namespace {

std::string Read(const std::string& path, const char* section, const char* key) {
    char buffer[256] = "";
    GetPrivateProfileString(section, key, "missing", buffer, sizeof buffer, path.c_str());
    return buffer;
}

}  // namespace

TEST(ProfileInputTest, LfLinesAndAByteOrderMarkReadLikeCrLf) {
    TempDir dir;
    const std::string path = dir.file("s.mv");
    for (const std::string& prefix : {std::string(), std::string("\xEF\xBB\xBF")}) {
        WriteBytes(path, prefix + "[MODEL]\nHeight=42\nLength=\"7\"\n[TEXTURE]\nFilename=\"a b.png\"\n");
        EXPECT_EQ(GetPrivateProfileInt("MODEL", "Height", 0, path.c_str()), 42);
        EXPECT_EQ(Read(path, "MODEL", "Length"), "7");
        EXPECT_EQ(Read(path, "TEXTURE", "Filename"), "a b.png");
        // A write changes the value only: the LF lines and the mark stay,
        // new lines get CR LF.
        ASSERT_EQ(WritePrivateProfileString("MODEL", "Height", "5", path.c_str()), 0);
        ASSERT_EQ(WritePrivateProfileString("LIGHT", "Ambient", "9", path.c_str()), 0);
        EXPECT_EQ(ReadBytes(path), prefix + "[MODEL]\nHeight=5\nLength=\"7\"\n[TEXTURE]\nFilename=\"a b.png\"\n"
                                            "[LIGHT]\r\nAmbient=9\r\n");
    }
}

TEST(ProfileInputTest, FifoIsRefusedWithoutBlocking) {
    TempDir dir;
    const std::string path = dir.file("fifo.mv");
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    char buffer[16] = "";
    EXPECT_EQ(GetPrivateProfileString("S", "K", "d", buffer, sizeof buffer, path.c_str()), -EINVAL);
    EXPECT_STREQ(buffer, "d");
    EXPECT_EQ(WritePrivateProfileString("S", "K", "1", path.c_str()), -EINVAL);
    EXPECT_TRUE(fs::is_fifo(path));
}

TEST(ProfileInputTest, LongFileNameCanBeWritten) {
    TempDir dir;
    // The longest name a folder takes: no temporary name may add to it.
    const std::string path = dir.file(std::string(255 - 3, 'n') + ".mv");
    EXPECT_EQ(WritePrivateProfileString("S", "K", "2", path.c_str()), 0);
    EXPECT_EQ(ReadBytes(path), "[S]\r\nK=2\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(ProfileInputTest, ReadOnlyFileIsNotReplaced) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may write any file; run as a normal user";
    TempDir dir;
    const std::string path = dir.file("locked.mv");
    WriteBytes(path, "[S]\r\nK=1\r\n");
    fs::permissions(path, fs::perms::owner_read);
    EXPECT_FALSE(Profile(path).Set("S", "K", 2));
    EXPECT_EQ(WritePrivateProfileString("S", "K", "2", path.c_str()), -EACCES);
    EXPECT_EQ(ReadBytes(path), "[S]\r\nK=1\r\n");
}

TEST(ProfileInputTest, OnePassWriteHasTheBytesOfTheSingleWrites) {
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
        WriteBytes(single, start);
        WriteBytes(batch, start);
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
        EXPECT_EQ(ReadBytes(batch), ReadBytes(single));
    }
    // One setting that cannot be stored writes nothing at all.
    const std::string refused = dir.file("refused.mv");
    WriteBytes(refused, "[S]\r\nK=1\r\n");
    EXPECT_FALSE(Profile(refused).SetAll(std::vector<ProfileSetting>{Profile::Number("S", "K", 2),
                                                                     Profile::Text("S", "Bad", "a\nb")}));
    EXPECT_EQ(ReadBytes(refused), "[S]\r\nK=1\r\n");
}
