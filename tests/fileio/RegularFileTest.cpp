// Inputs come only from regular files: a FIFO or a device is refused at
// once, never waited on.
#include "RegularFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "TempDir.h"

using morvanel_test::TempDir;

TEST(RegularFile, OnlyRegularFilesAreRead) {
    TempDir dir;
    const std::string file = dir.file("style.mv");
    std::ofstream(file) << "[MODEL]\r\n";
    ::symlink(file.c_str(), dir.file("link.mv").c_str());
    const std::string fifo = dir.file("fifo.mv");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    std::string content;
    int reason = 0;
    EXPECT_TRUE(ReadRegularFile(dir.file("link.mv"), content, &reason));
    EXPECT_EQ(content, "[MODEL]\r\n");
    struct Case {
        std::string path;
        int reason;
    };
    for (const Case& c : {Case{fifo, kNotRegularFile}, Case{"/dev/zero", kNotRegularFile},
                          Case{dir.path().string(), EISDIR}, Case{dir.file("missing.mv"), ENOENT}}) {
        content = "kept";
        EXPECT_FALSE(ReadRegularFile(c.path, content, &reason)) << c.path;
        EXPECT_EQ(reason, c.reason) << c.path;
        EXPECT_EQ(content, "kept");
        EXPECT_FALSE(IsRegularFile(c.path.c_str())) << c.path;
    }
}
