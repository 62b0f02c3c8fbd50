#include "FileUtilities.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "TempDir.h"

using namespace morvanel_test;
namespace fs = std::filesystem;

namespace {

time_t ModifiedAt(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mtim.tv_sec : -1;
}

void SetDates(const std::string& path, time_t accessed, time_t modified) {
    const struct timespec times[2] = {{accessed, 0}, {modified, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

}  // namespace

// Names are compared without regard to case; a "*" before the pattern's dot
// runs to the name's last dot and may stand for nothing.
TEST(FNMatch, PatternsAgainstNames) {
    struct Case {
        const char* pattern;
        const char* name;
        int match;
    };
    for (const Case& c : {Case{"*.*", "readme", 1}, Case{"*.*", "a.b.c", 1}, Case{"*.jpg", "x.JPG", 1},
                          Case{"*.jpg", "x.jpgx", 0}, Case{"Thumb*.png", "thumbnail3.PNG", 1},
                          Case{"exact.txt", "exact.tx", 0}, Case{"a*.jpg", "a.jpg", 1}, Case{"*.jpg", ".jpg", 1},
                          Case{"ab*.jpg", "a.jpg", 0}, Case{"*.jpg", "readme", 0}}) {
        const std::string pattern = std::string("/Vol/A/") + c.pattern;
        const std::string name = std::string("/Vol/B/") + c.name;
        EXPECT_EQ(FNMatch(pattern.c_str(), name.c_str()), c.match) << c.pattern << " " << c.name;
    }
}

TEST(CopyFile, CopiesUnderTheSourceNameWithDatesAndPermissions) {
    TempDir dir;
    MakeFile(dir.file("src/a.txt"), "alpha");
    fs::create_directories(dir.path() / "dst");
    ::chmod(dir.file("src/a.txt").c_str(), 0640);
    SetDates(dir.file("src/a.txt"), 1000000000, 1200000000);

    ASSERT_TRUE(CopyFile(dir.file("src/a.txt").c_str(), dir.file("dst/other-name.txt").c_str(), false));
    EXPECT_EQ(FileContent(dir.file("dst/a.txt")), "alpha");
    EXPECT_FALSE(fs::exists(dir.path() / "dst" / "other-name.txt"));
    EXPECT_EQ(fs::status(dir.file("dst/a.txt")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(ModifiedAt(dir.file("dst/a.txt")), 1200000000);
    // Into a folder named by the destination itself; dst/a.txt now exists.
    EXPECT_FALSE(CopyFile(dir.file("src/a.txt").c_str(), dir.file("dst").c_str(), true));
    fs::create_directories(dir.path() / "dst2");
    EXPECT_TRUE(CopyFile(dir.file("src/a.txt").c_str(), dir.file("dst2").c_str(), true));
    EXPECT_EQ(FileContent(dir.file("dst2/a.txt")), "alpha");
}

TEST(CopyFile, RefusedOrFailedCopiesLeaveTheDestinationUntouched) {
    TempDir dir;
    MakeFile(dir.file("src/a.txt"), "new");
    MakeFile(dir.file("dst/a.txt"), "old");
    EXPECT_FALSE(CopyFile(dir.file("src/a.txt").c_str(), dir.file("dst/a.txt").c_str(), true));
    EXPECT_FALSE(CopyFile(dir.file("src/missing.txt").c_str(), dir.file("dst/").c_str(), false));
    // /proc/self/mem is a regular file whose reading at offset 0 fails, for
    // root as well: a copy that breaks off while reading.
    MakeFile(dir.file("dst/mem"), "old");
    if (fs::exists("/proc/self/mem")) {
        EXPECT_FALSE(CopyFile("/proc/self/mem", dir.file("dst/mem").c_str(), false));
    }
    EXPECT_EQ(FileContent(dir.file("dst/a.txt")), "old");
    EXPECT_EQ(FileContent(dir.file("dst/mem")), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "dst"), fs::directory_iterator()), 2);

    EXPECT_TRUE(CopyFile(dir.file("src/a.txt").c_str(), dir.file("dst/a.txt").c_str(), false));
    EXPECT_EQ(FileContent(dir.file("dst/a.txt")), "new");
}

// Subfolders are copied with their dates; an entry that cannot be copied is
// named and the copy goes on with the rest.
TEST(INDirCopy, CopiesSubfoldersWithTheirDatesAndNamesWhatItSkipped) {
    TempDir dir;
    const std::vector<std::string> names = {"a.png", "m/inner.png", "m/deep/d.png", "z.png"};
    for (const std::string& name : names) MakeFile(dir.file("src/" + name), name);
    SetDates(dir.file("src/m"), 1100000000, 1100000000);
    fs::create_symlink(dir.path() / "missing", dir.path() / "src" / "b-dangling.png");
    FsCopyReport report;
    EXPECT_EQ(INDirCopy(dir.file("dst").c_str(), dir.file("src").c_str(), &report), kFsNotFound);
    for (const std::string& name : names) EXPECT_EQ(FileContent(dir.file("dst/" + name)), name);
    EXPECT_EQ(ModifiedAt(dir.file("dst/m")), 1100000000);
    EXPECT_EQ(report.skipped, std::vector<std::string>{dir.file("src/b-dangling.png")});
    EXPECT_EQ(report.copied.size(), names.size());

    EXPECT_EQ(INDirCopy(dir.file("none").c_str(), dir.file("missing").c_str()), kFsNotFound);
    EXPECT_FALSE(fs::exists(dir.path() / "none"));
}

TEST(INFileCopy, CopiesOnlyMatchingFilesUnderTheFixedName) {
    TempDir dir;
    MakeFile(dir.file("src/a.jpg"), "1");
    MakeFile(dir.file("src/b.png"), "2");
    MakeFile(dir.file("src/sub/c.jpg"), "3");
    EXPECT_EQ(INFileCopy(dir.file("missing/*.*").c_str(), dir.file("src/*.*").c_str(), 0, 0), kFsNotFound);
    EXPECT_FALSE(fs::exists(dir.path() / "missing"));
    fs::create_directories(dir.path() / "dst");
    EXPECT_EQ(INFileCopy(dir.file("dst/*.bak").c_str(), dir.file("src/*.jpg").c_str(), 0, 0), kFsNoError);
    EXPECT_EQ(FileContent(dir.file("dst/a.bak")), "1");
    EXPECT_FALSE(fs::exists(dir.path() / "dst/b.bak"));
    EXPECT_FALSE(fs::exists(dir.path() / "dst/sub"));

    MakeFile(dir.file("dst/b.png"), "kept");
    EXPECT_EQ(INFileCopy(dir.file("dst/*.*").c_str(), dir.file("src").c_str(), 1, 1), kFsNoError);
    EXPECT_EQ(FileContent(dir.file("dst/b.png")), "kept");
    EXPECT_EQ(FileContent(dir.file("dst/sub/c.jpg")), "3");
}

TEST(INMakeDir, MakesEveryLevelAndAcceptsExistingOnes) {
    TempDir dir;
    const std::string path = dir.file("a/b/c");
    EXPECT_EQ(INMakeDir(path.c_str()), kFsNoError);
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(INMakeDir(path.c_str()), kFsNoError);
    MakeFile(dir.file("file"), "x");
    EXPECT_NE(INMakeDir(dir.file("file/below").c_str()), kFsNoError);
    EXPECT_EQ(INMakeDir(std::string(600, 'a').c_str()), kFsBadName);
    EXPECT_EQ(GetFileAttributes(dir.file("nothing").c_str()), -1);
}

TEST(FSCopyObject, CopiesFoldersButNeverIntoThemselves) {
    TempDir dir;
    MakeFile(dir.file("tree/x/y.txt"), "y");
    fs::create_directories(dir.path() / "target");
    EXPECT_EQ(FSCopyObject(dir.file("tree").c_str(), dir.file("target").c_str(), "renamed"), kFsNoError);
    EXPECT_EQ(FileContent(dir.file("target/renamed/x/y.txt")), "y");
    EXPECT_EQ(FSCopyObject(dir.file("tree").c_str(), dir.file("tree/x").c_str(), nullptr), kFsCopyIntoItself);
    EXPECT_FALSE(fs::exists(dir.path() / "tree/x/tree"));
    EXPECT_EQ(FSCopyObject(dir.file("none").c_str(), dir.file("target").c_str(), nullptr), kFsNotFound);
}
