// The ImageFile class and its front ends: type by extension, path building,
// alpha bitmaps, depth conversion on save, and saves that fail without
// touching the file they would have replaced.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <sys/resource.h>

#include "ImageFile.h"
#include "ImageFileUtilities.h"
#include "ImageFileTestSupport.h"
#include "TempDir.h"

using namespace imagefile_test;

namespace {

TEST(ImageFileTypeTest, ExtensionAfterTheLastDotComparedExactly) {
    const struct {
        const char* path;
        int type;
    } cases[] = {
        {"a.bmp", 1},       {"a.dib", 1},        {"a.tmp", 1},      {"a.jpg", 2},   {"a.jpeg", 2},
        {"a.tif", 3},       {"a.tiff", 3},       {"a.png", 4},      {"a.ping", 4},  {"/x.y/photo.png", 4},
        {"photo.JPG", 0},   {"image.bmpx", 0},   {"noextension", 0}, {"a.png.txt", 0}, {"dir.png/file", 0},
        {"a.", 0},          {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(ImageFile_Type(c.path), c.type) << c.path;
    EXPECT_EQ(ImageFile_Type(nullptr), 0);
}

TEST(ImageFileTypeTest, ContentByItsFirstBytes) {
    morvanel_test::TempDir dir;
    const struct {
        const char* name;
        Bytes head;
        int type;
    } cases[] = {
        {"bmp", {'B', 'M', 0, 0}, 1},
        {"jpeg", {0xFF, 0xD8, 0xFF, 0xE0}, 2},
        {"tiff, little-endian", {'I', 'I', 42, 0}, 3},
        {"tiff, big-endian", {'M', 'M', 0, 42}, 3},
        {"big tiff, little-endian", {'I', 'I', 43, 0}, 3},
        {"big tiff, big-endian", {'M', 'M', 0, 43}, 3},
        {"tiff bytes swapped", {'M', 'M', 42, 0}, 0},
        {"png", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, 4},
        {"png without its last byte", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A}, 0},
        {"empty", {}, 0},
    };
    for (const auto& c : cases) {
        WriteBytes(dir.file("in.png"), c.head);
        EXPECT_EQ(ImageFile_TypeOfContent(dir.file("in.png").c_str()), c.type) << c.name;
    }
    EXPECT_EQ(ImageFile_TypeOfContent(dir.file("missing").c_str()), 0);
}

class ImageFileTest : public ::testing::Test {
protected:
    morvanel_test::TempDir dir;
    DibEx dib;
};

TEST_F(ImageFileTest, LoadJoinsFolderAndNameAndRefusesLongPaths) {
    SavePattern(dir, "pic.png", 3, 2);
    const std::string folder = dir.path().string();
    ASSERT_EQ(ImageFile_Load(folder.c_str(), "pic.png", &dib, nullptr, nullptr, 1), 1);
    EXPECT_EQ(PixelAt(&dib, 2, 1), PatternColour(2, 1));
    EXPECT_EQ(ImageFile_Load(nullptr, "pic.png", &dib, nullptr, nullptr, 1), 0);   // relative to the cwd

    const std::string longName = std::string(250 - folder.size(), 'n') + ".png";
    std::filesystem::copy_file(dir.file("pic.png"), dir.file(longName));
    ASSERT_LE((folder + "/" + longName).size(), 255u);
    EXPECT_EQ(ImageFile_Load(folder.c_str(), longName.c_str(), &dib, nullptr, nullptr, 1), 1);
    const std::string tooLong = "x" + longName;
    std::filesystem::copy_file(dir.file("pic.png"), dir.file(tooLong));
    EXPECT_EQ(ImageFile_Load(folder.c_str(), tooLong.c_str(), &dib, nullptr, nullptr, 1), 0);
}

TEST_F(ImageFileTest, NonTwentyFourBitBitmapsAreSavedThroughTheirColours) {
    DibEx indexed;
    indexed.Setup(3, 1, 8);
    auto* palette = indexed.CommitPalette();
    palette[7] = {10, 20, 30, 0};
    std::memcpy(indexed.CommitLine(0, 0), "\x07\x00\xFF", 3);
    for (const char* name : {"indexed.png", "indexed.tif"}) {
        const std::string path = dir.file(name);
        ASSERT_EQ(ImageFile(&indexed).Save(path.c_str(), 0, 70), 1);
        ASSERT_EQ(ImageFile(&dib).Load(path.c_str(), 1), 1);
        EXPECT_EQ(PixelAt(&dib, 0, 0), (Rgb{30, 20, 10}));
        EXPECT_EQ(PixelAt(&dib, 2, 0), (Rgb{255, 255, 255}));
    }
    EXPECT_EQ(indexed.GetBitsPerPixel(), 8);   // the caller's bitmap is left as it was
}

TEST_F(ImageFileTest, SavesThatCannotBeDoneReportFailure) {
    DibEx empty;
    FillPattern(&dib, 2, 2);
    EXPECT_EQ(ImageFile(&empty).Save(dir.file("empty.png").c_str(), 0, 70), 0);
    EXPECT_EQ(ImageFile(&dib).Save(dir.file("unknown.gif").c_str(), 0, 70), 0);
    EXPECT_EQ(ImageFile(&dib).Save(dir.file("missing/x.bmp").c_str(), 0, 70), 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// A file-size limit makes every write past it fail, as a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit saved_{};
    void (*oldHandler_)(int);
};

TEST_F(ImageFileTest, FailedWriteKeepsTheOldFileAndLeavesNothingBehind) {
    // Noise, so that no format compresses it below the limit.
    DibEx big;
    big.Setup(300, 200, 24);
    uint32_t seed = 12345;
    for (int line = 0; line < 200; ++line) {
        uint8_t* p = big.CommitLine(line, 0);
        for (int i = 0; i < 900; ++i) p[i] = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 24);
    }
    for (const char* name : {"keep.bmp", "keep.png", "keep.jpg", "keep.tif"}) {
        SCOPED_TRACE(name);
        const std::string path = SavePattern(dir, name, 3, 2);
        const Bytes before = ReadBytes(path);
        {
            ASSERT_LT(before.size(), 4096u);
            FileSizeLimit limit(8192);
            EXPECT_EQ(ImageFile(&big).Save(path.c_str(), 0, 70), 0);
        }
        EXPECT_EQ(ReadBytes(path), before);
        std::filesystem::remove(path);
        EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    }
}

}  // namespace
