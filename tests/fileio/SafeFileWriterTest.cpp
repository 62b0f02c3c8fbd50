// The one rule of every writer, on real files: mode kept, links written
// through, read-only and non-regular destinations refused, short temporary
// names, and signals that abandon a save.
#include "SafeFileWriter.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <iterator>
#include <string>

#include "TempDir.h"

using morvanel_test::FileContent;
using morvanel_test::MakeFile;
using morvanel_test::TempDir;
namespace fs = std::filesystem;

namespace {

// Writes text through a SafeFileWriter; returns the writer's error (0 when
// it committed).
int Replace(const std::string& path, const std::string& text) {
    SafeFileWriter writer(path.c_str());
    if (!writer.IsOpen()) return writer.Error();
    if (std::fputs(text.c_str(), writer.Stream()) < 0) return EIO;
    return writer.Commit() ? 0 : writer.Error();
}

int EntriesIn(const fs::path& folder) {
    return static_cast<int>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

}  // namespace

TEST(SafeFileWriter, ReplacedFileKeepsItsModeAndNewFilesFollowTheUmask) {
    TempDir dir;
    // The longest name a folder takes: the temporary name must not add to it.
    const std::string path = dir.file(std::string(251, 'n') + ".png");
    MakeFile(path, "old");
    ::chmod(path.c_str(), 0600);
    {
        SafeFileWriter discarded(path.c_str());
        std::fputs("never committed", discarded.Stream());
    }
    EXPECT_EQ(FileContent(path), "old");
    EXPECT_EQ(EntriesIn(dir.path()), 1) << "a discarded save leaves nothing behind";
    ASSERT_EQ(Replace(path, "new"), 0);
    EXPECT_EQ(FileContent(path), "new");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);

    const mode_t old = ::umask(022);
    ASSERT_EQ(Replace(dir.file("fresh.png"), "x"), 0);
    ::umask(old);
    EXPECT_EQ(static_cast<int>(fs::status(dir.file("fresh.png")).permissions()), 0644);
    EXPECT_EQ(EntriesIn(dir.path()), 2);
}

TEST(SafeFileWriter, LinksAreWrittenThroughToTheirTargets) {
    TempDir dir;
    MakeFile(dir.file("real/target.mv"), "old");
    fs::create_symlink("real/target.mv", dir.path() / "relative.mv");
    fs::create_symlink(dir.path() / "relative.mv", dir.path() / "chain.mv");
    ASSERT_EQ(Replace(dir.file("chain.mv"), "new"), 0);
    EXPECT_TRUE(fs::is_symlink(dir.path() / "chain.mv"));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "relative.mv"));
    EXPECT_EQ(FileContent(dir.file("real/target.mv")), "new");
    // An unpacked file replaces a planted link instead.
    SafeFileWriter unpack(dir.file("relative.mv").c_str(), SafeFileLinks::Replace);
    std::fputs("unpacked", unpack.Stream());
    ASSERT_TRUE(unpack.Commit());
    EXPECT_FALSE(fs::is_symlink(dir.path() / "relative.mv"));
    EXPECT_EQ(FileContent(dir.file("real/target.mv")), "new");
}

TEST(SafeFileWriter, DestinationsThatMayNotBeReplacedAreRefusedAndKept) {
    TempDir dir;
    fs::create_directory(dir.path() / "folder.png");
    ASSERT_EQ(::mkfifo(dir.file("fifo.png").c_str(), 0600), 0);
    MakeFile(dir.file("locked.png"), "precious");
    ::chmod(dir.file("locked.png").c_str(), 0444);
    const int readOnly = ::geteuid() == 0 ? 0 : kSafeFileReadOnly;  // root may write any file
    struct Case {
        const char* name;
        int error;
    };
    for (const Case& c : {Case{"folder.png", kSafeFileNotRegular}, Case{"fifo.png", kSafeFileNotRegular},
                          Case{"missing/x.png", ENOENT}, Case{"locked.png", readOnly}, Case{"new.png", 0}}) {
        EXPECT_EQ(SafeFileWriter_CheckReplaceable(dir.file(c.name).c_str()), c.error) << c.name;
        if (c.error != 0) {
            EXPECT_EQ(Replace(dir.file(c.name), "x"), c.error) << c.name;
        }
    }
    EXPECT_EQ(FileContent(dir.file("locked.png")), "precious");
    EXPECT_EQ(EntriesIn(dir.path()), 3);
}

// AbandonAll is for the signal handler and cannot be undone, so it runs in a
// child process of its own.
TEST(SafeFileWriterDeathTest, AbandonRemovesTheTemporaryAndKeepsTheOldFile) {
    TempDir dir;
    const std::string path = dir.file("out.png");
    MakeFile(path, "old");
    EXPECT_EXIT(
        {
            SafeFileWriter writer(path.c_str());
            std::fputs("half", writer.Stream());
            std::fflush(writer.Stream());
            const bool tempSeen = EntriesIn(dir.path()) == 2;
            SafeFileWriter_AbandonAll();
            const bool tempGone = EntriesIn(dir.path()) == 1;
            const bool refused = !writer.Commit() && writer.Error() == ECANCELED;
            SafeFileWriter later(path.c_str());
            std::_Exit(tempSeen && tempGone && refused && !later.IsOpen() && SafeFileWriter_Abandoned() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(FileContent(path), "old");
    EXPECT_EQ(EntriesIn(dir.path()), 1);
}
