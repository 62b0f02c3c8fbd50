#include "FileUtilities.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "FsTestFiles.h"
#include "TempDir.h"

using namespace morvanel_test;
namespace fs = std::filesystem;

TEST(FNMatch, ExtensionsAndTheEveryEntryPattern) {
    EXPECT_EQ(FNMatch("/Vol/A/*.*", "/Vol/B/readme"), 1);
    EXPECT_EQ(FNMatch("/Vol/A/*.*", "/Vol/B/a.b.c"), 1);
    EXPECT_EQ(FNMatch("/Vol/A/*.jpg", "/Vol/B/x.JPG"), 1);
    EXPECT_EQ(FNMatch("/Vol/A/*.jpg", "/Vol/B/x.png"), 0);
    EXPECT_EQ(FNMatch("/Vol/A/*.jpg", "/Vol/B/x.jpgx"), 0);
    EXPECT_EQ(FNMatch("/Vol/A/Thumb*.png", "/Vol/B/thumbnail3.PNG"), 1);
    EXPECT_EQ(FNMatch("/Vol/A/Thumb*.png", "/Vol/B/wood.png"), 0);
    EXPECT_EQ(FNMatch("/Vol/A/exact.txt", "/Other/EXACT.txt"), 1);
    EXPECT_EQ(FNMatch("/Vol/A/exact.txt", "/Other/exact.tx"), 0);
}

TEST(FNFixed, BuildsTheDestinationName) {
    EXPECT_EQ(FNFixed("/Vol/Dst/*.*", "photo.tif"), "/Vol/Dst/photo.tif");
    EXPECT_EQ(FNFixed("/Vol/Dst/*.bak", "photo.tif"), "/Vol/Dst/photo.bak");
    EXPECT_EQ(FNFixed("/Vol/Dst/copy-*.*", "a.b.png"), "/Vol/Dst/copy-a.b.png");
    EXPECT_EQ(FNFixed("/Vol/Dst/*.*", "readme"), "/Vol/Dst/readme");
    EXPECT_EQ(FNFixed("/Vol/Dst/", "photo.tif"), "/Vol/Dst/photo.tif");
}

TEST(CopyFile, CopiesUnderTheSourceNameWithDatesAndPermissions) {
    TempDir dir;
    WriteText(dir.path() / "src" / "a.txt", "alpha");
    fs::create_directories(dir.path() / "dst");
    ::chmod(dir.file("src/a.txt").c_str(), 0640);
    const struct timespec times[2] = {{1000000000, 0}, {1200000000, 0}};
    ::utimensat(AT_FDCWD, dir.file("src/a.txt").c_str(), times, 0);

    ASSERT_TRUE(CopyFile(dir.file("src/a.txt").c_str(), dir.file("dst/other-name.txt").c_str(), false));
    EXPECT_EQ(ReadText(dir.path() / "dst" / "a.txt"), "alpha");
    EXPECT_FALSE(fs::exists(dir.path() / "dst" / "other-name.txt"));
    struct stat info {};
    ASSERT_EQ(::stat(dir.file("dst/a.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(info.st_mtim.tv_sec, 1200000000);
    // Into a folder named by the destination itself; dst/a.txt now exists.
    EXPECT_FALSE(CopyFile(dir.file("src/a.txt").c_str(), dir.file("dst").c_str(), true));
    fs::create_directories(dir.path() / "dst2");
    EXPECT_TRUE(CopyFile(dir.file("src/a.txt").c_str(), dir.file("dst2").c_str(), true));
    EXPECT_EQ(ReadText(dir.path() / "dst2" / "a.txt"), "alpha");
}

TEST(CopyFile, FailIfExistsLeavesBothFilesAndMissingSourceFails) {
    TempDir dir;
    WriteText(dir.path() / "src" / "a.txt", "new");
    WriteText(dir.path() / "dst" / "a.txt", "old");
    EXPECT_FALSE(CopyFile(dir.file("src/a.txt").c_str(), dir.file("dst/a.txt").c_str(), true));
    EXPECT_EQ(ReadText(dir.path() / "dst" / "a.txt"), "old");
    EXPECT_EQ(ReadText(dir.path() / "src" / "a.txt"), "new");

    EXPECT_FALSE(CopyFile(dir.file("src/missing.txt").c_str(), dir.file("dst/").c_str(), false));
    EXPECT_FALSE(fs::exists(dir.path() / "dst" / "missing.txt"));

    EXPECT_TRUE(CopyFile(dir.file("src/a.txt").c_str(), dir.file("dst/a.txt").c_str(), false));
    EXPECT_EQ(ReadText(dir.path() / "dst" / "a.txt"), "new");
}

TEST(CopyFile, FailedCopyLeavesTheDestinationUntouched) {
    // /proc/self/mem is a regular file whose reading at offset 0 fails, for
    // root as well: a copy that breaks off while reading.
    if (!fs::exists("/proc/self/mem")) GTEST_SKIP() << "no /proc";
    TempDir dir;
    WriteText(dir.path() / "dst" / "mem", "old");
    EXPECT_FALSE(CopyFile("/proc/self/mem", dir.file("dst/mem").c_str(), false));
    EXPECT_EQ(ReadText(dir.path() / "dst" / "mem"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "dst"), fs::directory_iterator()), 1);
}

TEST(INDirCopy, CopiesSubfoldersAndGoesOnWithTheRemainingEntries) {
    TempDir dir;
    WriteText(dir.path() / "src" / "a.txt", "a");
    WriteText(dir.path() / "src" / "m" / "inner.txt", "inner");
    WriteText(dir.path() / "src" / "m" / "deep" / "d.txt", "deep");
    WriteText(dir.path() / "src" / "z.txt", "z");
    const struct timespec times[2] = {{1100000000, 0}, {1100000000, 0}};
    ::utimensat(AT_FDCWD, dir.file("src/m").c_str(), times, 0);

    EXPECT_EQ(INDirCopy(dir.file("out/copy").c_str(), dir.file("src").c_str()), kFsNoError);
    EXPECT_EQ(ReadText(dir.path() / "out/copy/a.txt"), "a");
    EXPECT_EQ(ReadText(dir.path() / "out/copy/m/inner.txt"), "inner");
    EXPECT_EQ(ReadText(dir.path() / "out/copy/m/deep/d.txt"), "deep");
    EXPECT_EQ(ReadText(dir.path() / "out/copy/z.txt"), "z");
    struct stat info {};
    ASSERT_EQ(::stat(dir.file("out/copy/m").c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_sec, 1100000000);

    EXPECT_EQ(INDirCopy(dir.file("out/none").c_str(), dir.file("missing").c_str()), kFsNotFound);
    EXPECT_FALSE(fs::exists(dir.path() / "out/none"));
}

TEST(INFileCopy, CopiesOnlyMatchingFilesUnderTheFixedName) {
    TempDir dir;
    WriteText(dir.path() / "src" / "a.jpg", "1");
    WriteText(dir.path() / "src" / "b.png", "2");
    WriteText(dir.path() / "src" / "sub" / "c.jpg", "3");
    fs::create_directories(dir.path() / "dst");
    EXPECT_EQ(INFileCopy(dir.file("dst/*.bak").c_str(), dir.file("src/*.jpg").c_str(), 0, 0), kFsNoError);
    EXPECT_EQ(ReadText(dir.path() / "dst/a.bak"), "1");
    EXPECT_FALSE(fs::exists(dir.path() / "dst/b.bak"));
    EXPECT_FALSE(fs::exists(dir.path() / "dst/sub"));

    WriteText(dir.path() / "dst" / "b.png", "kept");
    EXPECT_EQ(INFileCopy(dir.file("dst/*.*").c_str(), dir.file("src").c_str(), 1, 1), kFsNoError);
    EXPECT_EQ(ReadText(dir.path() / "dst/b.png"), "kept");
    EXPECT_EQ(ReadText(dir.path() / "dst/sub/c.jpg"), "3");
}

TEST(INMakeDir, MakesEveryLevelAndAcceptsExistingOnes) {
    TempDir dir;
    const std::string path = dir.file("a/b/c");
    EXPECT_EQ(INMakeDir(path.c_str()), kFsNoError);
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(INMakeDir(path.c_str()), kFsNoError);
    WriteText(dir.path() / "file", "x");
    EXPECT_NE(INMakeDir(dir.file("file/below").c_str()), kFsNoError);
    EXPECT_EQ(INMakeDir(std::string(600, 'a').c_str()), kFsBadName);

    EXPECT_EQ(GetFileAttributes(path.c_str()), 0);
    EXPECT_EQ(GetFileAttributes(dir.file("file").c_str()), 0);
    EXPECT_EQ(GetFileAttributes(dir.file("nothing").c_str()), -1);
}

TEST(FSCopyObject, CopiesFoldersButNeverIntoThemselves) {
    TempDir dir;
    WriteText(dir.path() / "tree" / "x" / "y.txt", "y");
    fs::create_directories(dir.path() / "target");
    EXPECT_EQ(FSCopyObject(dir.file("tree").c_str(), dir.file("target").c_str(), "renamed"), kFsNoError);
    EXPECT_EQ(ReadText(dir.path() / "target/renamed/x/y.txt"), "y");
    EXPECT_EQ(FSCopyObject(dir.file("tree").c_str(), dir.file("tree/x").c_str(), nullptr), kFsCopyIntoItself);
    EXPECT_FALSE(fs::exists(dir.path() / "tree/x/tree"));
    EXPECT_EQ(FSCopyObject(dir.file("none").c_str(), dir.file("target").c_str(), nullptr), kFsNotFound);
}

TEST(FNMatch, AStarMayStandForNothing) {
    EXPECT_EQ(FNMatch("/Vol/A/a*.jpg", "/Vol/B/a.jpg"), 1);
    EXPECT_EQ(FNMatch("/Vol/A/*.*", "/Vol/B/.hidden"), 1);
    EXPECT_EQ(FNMatch("/Vol/A/*.jpg", "/Vol/B/.jpg"), 1);
    EXPECT_EQ(FNMatch("/Vol/A/a*", "/Vol/B/a.b.c"), 1);
    EXPECT_EQ(FNMatch("/Vol/A/ab*.jpg", "/Vol/B/a.jpg"), 0);
    EXPECT_EQ(FNMatch("/Vol/A/*.jpg", "/Vol/B/readme"), 0);
}

TEST(INDirCopy, CopiesTheRestAndNamesWhatItSkipped) {
    TempDir dir;
    WriteText(dir.path() / "src" / "a.png", "a");
    WriteText(dir.path() / "src" / "sub" / "c.png", "c");
    WriteText(dir.path() / "src" / "z.png", "z");
    fs::create_symlink(dir.path() / "missing", dir.path() / "src" / "b-dangling.png");
    const bool unreadable = ::geteuid() != 0;  // root reads any file
    if (unreadable) {
        WriteText(dir.path() / "src" / "locked.png", "locked");
        fs::permissions(dir.path() / "src" / "locked.png", fs::perms::none);
    }
    FsCopyReport report;
    EXPECT_EQ(INDirCopy(dir.file("dst").c_str(), dir.file("src").c_str(), &report), kFsNotFound);
    EXPECT_EQ(ReadText(dir.path() / "dst/a.png"), "a");
    EXPECT_EQ(ReadText(dir.path() / "dst/sub/c.png"), "c");
    EXPECT_EQ(ReadText(dir.path() / "dst/z.png"), "z");
    std::vector<std::string> expected{(dir.path() / "src/b-dangling.png").string()};
    if (unreadable) expected.push_back((dir.path() / "src/locked.png").string());
    EXPECT_EQ(report.skipped, expected);
    EXPECT_EQ(report.copied.size(), 3u);
}

TEST(INFileCopy, AMissingDestinationFolderIsAFailure) {
    TempDir dir;
    WriteText(dir.path() / "src" / "a.png", "a");
    EXPECT_EQ(INFileCopy(dir.file("missing/*.*").c_str(), dir.file("src/*.*").c_str(), 0, 0), kFsNotFound);
    EXPECT_FALSE(fs::exists(dir.path() / "missing"));
}
