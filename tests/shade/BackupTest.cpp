// Backup packs: the report texts, the pack header bytes, backing up in each
// mode, restoring with conflicts, and refusing damaged or hostile packs.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "BackupText.h"
#include "ShadeTestSupport.h"

using namespace morvanel_test;
namespace fs = std::filesystem;

namespace {

bool Contains(const std::vector<std::string>& lines, const std::string& text) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

std::vector<std::string> StoredNames(const BackupDlgModel& backup) {
    std::vector<std::string> names;
    for (const PackEntrySt& entry : backup.Header().entries) names.push_back(entry.storedName);
    return names;
}

// The folder's file names with their inodes, in name order.
std::vector<std::pair<std::string, ino_t>> Files(const std::string& folder) {
    std::vector<std::pair<std::string, ino_t>> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        struct stat info {};
        ::stat(entry.path().c_str(), &info);
        files.emplace_back(entry.path().filename().string(), info.st_ino);
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(BackupText, SizesFileTypesAndRenamedNames) {
    const std::pair<uint64_t, const char*> sizes[] = {
        {999, "999 "}, {1000, "1K"},     {1099, "1K"},           {4900, "4.9K"},
        {999999, "999.9K"}, {1550000, "1.5M"}, {4294967295ULL, "4.2G"}, {3000000000000ULL, "3T"},
    };
    for (const auto& [bytes, text] : sizes) EXPECT_EQ(KMG(bytes), text) << bytes;
    EXPECT_EQ(NumText(132116, 8, true), "  132.1K");
    EXPECT_EQ(NumText(132116, 3, false), "132");
    EXPECT_EQ(NumText(132116, 0, false), "13");  // the width is held at 2 at least

    EXPECT_EQ(PackFileTypeOf("a.mv"), PackFileType::Style);
    EXPECT_EQ(PackFileTypeOf("a.MVS"), PackFileType::Set);
    EXPECT_EQ(PackFileTypeOf("x.tif"), PackFileType::Image);
    EXPECT_EQ(PackFileTypeOf("readme"), PackFileType::Other);
    EXPECT_EQ(OverWriteNewName("oak.jpg", "wood.png"), "oak.png");
    EXPECT_EQ(OverWriteNewName("/elsewhere/oak", "wood.png"), "oak.png");
    EXPECT_EQ(OverWriteNewName("notes", "readme"), "notes");
    EXPECT_EQ(OverWriteNewName("", "wood.png"), "");
    EXPECT_EQ(OverWriteNewName("..", "readme"), "");
    EXPECT_EQ(OverWriteNewName("dir/", "wood.png"), "");
}

TEST(PackHeader, EncodesEveryFieldAtItsOffset) {
    PackHeaderSt header;
    header.styleCount = 2;
    header.totalSize = 0x01020304;
    header.entries = {{"/a/b.mv", "b.mv", 0x01020300}, {"/a/c.png", "c.png", 4}};
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(PackHeader_Encode(header, bytes));
    ASSERT_EQ(bytes.size(), 132116u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data()), 8), std::string("Brenix1\0", 8));
    EXPECT_EQ(bytes[8], 2);
    EXPECT_EQ(bytes[12], 2);
    EXPECT_EQ(bytes[16], 0x04);
    EXPECT_EQ(bytes[19], 0x01);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[20 + 256])), "/a/c.png");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[65556])), "b.mv");
    EXPECT_EQ(bytes[131092 + 4], 4);
    EXPECT_EQ(bytes[131092 + 3], 0x01);
    EXPECT_TRUE(std::all_of(bytes.begin() + 131092 + 8, bytes.end(), [](uint8_t b) { return b == 0; }));

    header.entries[0].storedName = std::string(256, 'n');
    EXPECT_FALSE(PackHeader_Encode(header, bytes));
}

TEST_F(BackupFixture, AllStylesRestoreElsewhereByteForByteWithRepairedPaths) {
    auto backup = BackUp(kBackupAllStyles);
    EXPECT_EQ(backup->Header().styleCount, 2);
    EXPECT_EQ(fs::file_size(pack), 132116u + backup->Header().totalSize);
    const std::vector<std::string> stored = StoredNames(*backup);
    EXPECT_EQ(stored.size(), 6u);  // two styles, two textures, one foreground, the set file
    EXPECT_TRUE(Contains(stored, "library.mvs"));
    EXPECT_FALSE(Contains(stored, "sand.png"));

    auto restorer = Restorer(pack, restore);
    ASSERT_TRUE(restorer->CanOK()) << testing::PrintToString(restorer->Report());
    ASSERT_TRUE(restorer->Extract()) << testing::PrintToString(restorer->Report());
    EXPECT_EQ(questions.folderQuestions, 1);
    EXPECT_EQ(ReadBytes(In("wood.png")), ReadBytes(folders.textureFolder + "/wood.png"));
    EXPECT_EQ(ReadBytes(In("leaf.png")), ReadBytes(folders.foregroundFolder + "/leaf.png"));
    EXPECT_EQ(Key(In("warm.mv"), "TEXTURE", "Filename"), In("wood.png"));
    EXPECT_EQ(Key(In("warm.mv"), "FOREGROUND", "Filename"), In("leaf.png"));
    EXPECT_EQ(Key(In("cool.mv"), "TEXTURE", "Filename"), In("stone.png"));
    EXPECT_EQ(Key(In("warm.mv"), "MODEL", "Length"), "12");
    // The set file names the restored files, and the lists were loaded from it.
    EXPECT_EQ(Key(In("library.mvs"), "TEXTURE", "NumImage"), "3");
    EXPECT_EQ(model->StyleList().GetCount(), 2);
    for (int32_t i = 0; i < 2; ++i) EXPECT_EQ(fs::path(model->StyleList().GetPathReal(i)).parent_path(), restore);
    EXPECT_EQ(model->TextureList().GetCount(), 3);
    EXPECT_EQ(fs::path(model->TextureList().GetPathReal(1)).parent_path(), restore);
    EXPECT_EQ(std::string(params.PathDefault), restore);
    EXPECT_EQ(questions.restoredFolder, restore);
    EXPECT_EQ(restorer->Restored().size(), 6u);
}

TEST_F(BackupFixture, TheOtherModesPackTheSelectedStyleOrEveryImage) {
    model->StyleList().SetCurSel(1);  // cool.mv or warm.mv, whichever the folder gave second
    const std::string selected(fs::path(model->StyleList().GetPathReal(1)).filename());
    EXPECT_EQ(BackUp(kBackupCurrentStyle)->Header().styleCount, 1);
    const std::string set = folders.styleFolder + "/temp.mvs";
    EXPECT_EQ(Key(set, "STYLE", "NumItem"), "1");
    EXPECT_EQ(fs::path(Key(set, "STYLE", "Path1")).filename(), selected);
    EXPECT_EQ(Key(set, "STYLE", "Path2"), "<none>");
    EXPECT_EQ(Key(set, "STYLE", "IndexItem"), "0");
    // Only the style's own images stay in the image lists; the placeholder stays first.
    EXPECT_EQ(Key(set, "TEXTURE", "NumImage"), "2");
    EXPECT_EQ(Key(set, "TEXTURE", "Path1"), "");

    const std::vector<std::string> everything = StoredNames(*BackUp(kBackupEverything));
    EXPECT_TRUE(Contains(everything, "sand.png"));
    EXPECT_FALSE(Contains(everything, "Thumbnail1.png"));
}

TEST_F(BackupFixture, BackupRefusals) {
    // An empty style list: reported, OK stays off, no pack.
    fs::remove(folders.styleFolder + "/warm.mv");
    fs::remove(folders.styleFolder + "/cool.mv");
    LoadLists();
    auto empty = Dialog(pack);
    empty->OnInitBackup();
    EXPECT_FALSE(empty->CanOK());
    EXPECT_TRUE(Contains(empty->Report(), BackupString(kEmptyStyleList)));
    EXPECT_FALSE(empty->Contract());
    EXPECT_FALSE(fs::exists(pack));

    // A style whose texture is gone, and two images of the same name.
    WriteStyle("lost.mv", "gone.png", "");
    fs::create_directories(dir.file("other"));
    WriteImage(dir.file("other/wood.png"), 3, 3, 1, 2, 3);
    WriteStyle("twin.mv", dir.file("other/wood.png"), "");
    WriteStyle("warm.mv", "Texture/wood.png", "");
    LoadLists();
    auto faulty = Dialog(pack);
    faulty->OnInitBackup();
    EXPECT_FALSE(faulty->CanOK());
    EXPECT_EQ(faulty->Report().front(), BackupString(kReportErrors));
    EXPECT_TRUE(Contains(faulty->Report(), "gone.png"));
    EXPECT_TRUE(Contains(faulty->Report(), "same name wood.png"));
}

TEST_F(BackupFixture, RestoringOverIdenticalFilesWritesNothing) {
    BackUp(kBackupAllStyles);
    ASSERT_TRUE(Restorer(pack, restore)->Extract());
    // A style that differs only inside its quoted paths counts as identical.
    WritePrivateProfileString("TEXTURE", "Filename", "\"/somewhere/else/wood.png\"", In("warm.mv").c_str());
    const auto before = Files(restore);

    auto again = Restorer(pack, restore);
    ASSERT_TRUE(again->Extract()) << testing::PrintToString(again->Report());
    EXPECT_TRUE(questions.asked.empty());
    EXPECT_TRUE(again->NotRestored().empty());
    const auto after = Files(restore);
    ASSERT_EQ(after.size(), before.size());
    // Only the repaired style was touched, and only to point home again.
    for (std::size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(before[i] != after[i], before[i].first == "warm.mv") << before[i].first;
    EXPECT_EQ(Key(In("warm.mv"), "TEXTURE", "Filename"), In("wood.png"));
}

TEST_F(BackupFixture, SkipAllKeepsEveryDifferingFile) {
    BackUp(kBackupAllStyles);
    fs::create_directories(restore);
    WriteImage(In("stone.png"), 4, 4, 2, 2, 2);
    const std::string mine = ReadBytes(In("stone.png"));
    ASSERT_TRUE(Restorer(pack, restore)->Extract());  // all but the stone, which an empty script skips

    // Skip all keeps every differing file, and the kept style is not repaired.
    WritePrivateProfileString("MODEL", "Length", "99", In("cool.mv").c_str());
    WritePrivateProfileString("TEXTURE", "Filename", "\"/mine/stone.png\"", In("cool.mv").c_str());
    questions = {};
    questions.answers = {{OverwriteChoice::SkipAll, ""}};
    auto skipping = Restorer(pack, restore);
    ASSERT_TRUE(skipping->Extract());
    EXPECT_EQ(questions.asked.size(), 1u);
    EXPECT_EQ(ReadBytes(In("stone.png")), mine);
    EXPECT_EQ(Key(In("cool.mv"), "TEXTURE", "Filename"), "/mine/stone.png");
    EXPECT_EQ(skipping->NotRestored().size(), 2u);
}

TEST_F(BackupFixture, RenamedTextureIsWhatTheRestoredStyleUses) {
    BackUp(kBackupAllStyles);
    fs::create_directories(restore);
    WriteImage(In("wood.png"), 4, 4, 1, 1, 1);
    const std::string mine = ReadBytes(In("wood.png"));
    WriteImage(In("oak.png"), 4, 4, 5, 5, 5);
    // The first new name is taken already, so the question comes again.
    questions.answers = {{OverwriteChoice::Rename, "oak"}, {OverwriteChoice::Rename, "oak2.jpg"}};
    auto restorer = Restorer(pack, restore);
    ASSERT_TRUE(restorer->Extract()) << testing::PrintToString(restorer->Report());
    EXPECT_EQ(questions.asked, (std::vector<std::string>{"wood.png", "wood.png"}));
    EXPECT_EQ(ReadBytes(In("wood.png")), mine);
    EXPECT_EQ(ReadBytes(In("oak2.png")), ReadBytes(folders.textureFolder + "/wood.png"));
    EXPECT_EQ(Key(In("warm.mv"), "TEXTURE", "Filename"), In("oak2.png"));
    EXPECT_EQ(model->TextureList().GetPathReal(2), In("oak2.png"));
}

TEST_F(BackupFixture, ASymlinkInTheFolderIsReplacedNotFollowed) {
    BackUp(kBackupAllStyles);
    fs::create_directories(restore);
    MakeFile(dir.file("outside.png"), "precious");
    fs::create_symlink(dir.file("outside.png"), In("wood.png"));
    questions.answers = {{OverwriteChoice::Overwrite, ""}};
    ASSERT_TRUE(Restorer(pack, restore)->Extract());
    EXPECT_EQ(ReadBytes(dir.file("outside.png")), "precious");
    EXPECT_FALSE(fs::is_symlink(In("wood.png")));
    EXPECT_EQ(ReadBytes(In("wood.png")), ReadBytes(folders.textureFolder + "/wood.png"));
}

TEST_F(BackupFixture, AFailedWriteKeepsEarlierFilesAndReportsWhatWasRestored) {
    // A large texture, so that a file size limit makes its write fail.
    std::string noise(300000, '\0');
    uint32_t seed = 1;
    for (char& c : noise) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
    MakeFile(folders.textureFolder + "/wood.png", noise);
    BackUp(kBackupAllStyles);
    fs::create_directories(restore);
    MakeFile(In("wood.png"), "the user's own wood");
    questions.answers = {{OverwriteChoice::OverwriteAll, ""}};
    auto restorer = Restorer(pack, restore);

    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 100000;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const bool done = restorer->Extract();
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(done);
    EXPECT_EQ(ReadBytes(In("wood.png")), "the user's own wood");
    EXPECT_TRUE(Contains(restorer->NotRestored(), "wood.png"));
    EXPECT_TRUE(Contains(restorer->Report(), BackupString(kFileShortWrite)));
    EXPECT_TRUE(Contains(restorer->Report(), "Not restored"));
    EXPECT_FALSE(restorer->Restored().empty());
    for (const std::string& name : restorer->Restored()) EXPECT_TRUE(fs::exists(In(name))) << name;
    for (const auto& [name, inode] : Files(restore)) EXPECT_NE(name.front(), '.') << "temporary file left: " << name;
}

// Each hostile or damaged pack is refused whole: the report names the fault
// and the restore folder is neither made nor written.
TEST_F(BackupFixture, DamagedPacksAreRefusedBeforeAnythingIsWritten) {
    BackUp(kBackupAllStyles);
    const std::string good = ReadBytes(pack);
    auto name = [](int i) { return 65556 + 256 * i; };
    auto putInt = [](std::string& bytes, std::size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
    };
    auto putName = [&](std::string& bytes, int i, const std::string& text) {
        std::fill_n(bytes.begin() + name(i), 256, '\0');
        std::copy(text.begin(), text.end(), bytes.begin() + name(i));
    };
    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
        int message;
    };
    const Case cases[] = {
        {"wrong magic", [](std::string& b) { b[0] = 'X'; }, kPackBadMagic},
        {"cut inside the header", [](std::string& b) { b.resize(1000); }, kPackShortRead},
        {"style count 0", [&](std::string& b) { putInt(b, 8, 0); }, kPackBadCounts},
        {"style count 52", [&](std::string& b) { putInt(b, 8, 52); }, kPackBadCounts},
        {"file count beyond the tables", [&](std::string& b) { putInt(b, 12, 257); }, kPackBadCounts},
        {"a name with a folder", [&](std::string& b) { putName(b, 1, "../escape.png"); }, kPackNameNotPlain},
        {"the name ..", [&](std::string& b) { putName(b, 1, ".."); }, kPackNameNotPlain},
        {"an empty name", [&](std::string& b) { putName(b, 2, ""); }, kPackNameEmpty},
        {"a name without its 0 byte", [&](std::string& b) { std::fill_n(b.begin() + name(0), 256, 'a'); }, kPackNameUnterminated},
        {"a negative size", [&](std::string& b) { putInt(b, 131092, 0xFFFFFFFF); }, kPackSizeNegative},
        {"sizes beyond the total", [&](std::string& b) { putInt(b, 131092, 1); }, kPackSizesNotTotal},
        {"a total beyond the file", [&](std::string& b) { b.resize(b.size() - 1); }, kPackLengthMismatch},
    };
    const std::string bad = dir.file("bad.mvz");
    for (const Case& c : cases) {
        std::string bytes = good;
        c.damage(bytes);
        MakeFile(bad, bytes);
        questions = {};
        auto restorer = Restorer(bad, restore);
        EXPECT_FALSE(restorer->CanOK()) << c.what;
        EXPECT_TRUE(Contains(restorer->Report(), std::string(BackupString(c.message)).substr(0, 20))) << c.what;
        EXPECT_TRUE(Contains(restorer->Report(), bad)) << c.what;
        EXPECT_FALSE(restorer->Extract()) << c.what;
        EXPECT_EQ(questions.folderQuestions, 0) << c.what;
        EXPECT_FALSE(fs::exists(restore)) << c.what;
        EXPECT_FALSE(fs::exists(dir.file("escape.png"))) << c.what;
    }
}

}  // namespace
