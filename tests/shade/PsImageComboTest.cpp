#include "PsImageCombo.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "ImageFile.h"
#include "PrivateProfile.h"
#include "TempDir.h"

using namespace morvanel_test;
namespace fs = std::filesystem;

namespace {

// A real 24-bit image file of one colour.
void WriteImage(const std::string& path, int width, int height, int r, int g, int b) {
    DibEx image(1);
    image.Setup(width, height, 24);
    image.Fill(r, g, b);
    ASSERT_EQ(ImageFile_Save(nullptr, path.c_str(), &image, nullptr, nullptr, 0, 0), 1) << path;
}

// Red, green and blue of the thumbnail's centre pixel.
std::array<int, 3> Centre(const DibEx& thumbnail) {
    auto& bitmap = const_cast<DibEx&>(thumbnail);
    const uint8_t* pixel = bitmap.CommitLine(21, 21);
    std::array<int, 3> rgb{pixel[2], pixel[1], pixel[0]};
    bitmap.Decommit();
    return rgb;
}

fs::file_time_type Stamp(const std::string& path) { return fs::last_write_time(path); }

struct CountingListener : PsComboListener {
    int changes = 0;
    int begins = 0;
    void OnComboChanged(PsControlCombo&) override { ++changes; }
    void OnComboChangeBegins(PsControlCombo&) override { ++begins; }
};

struct ImageListFixture : ::testing::Test {
    TempDir dir;
    std::string system = dir.path().string();
    std::string settings = dir.file("Brenix.mv");
    std::string folder = dir.file("Texture");
    char currentFile[256] = "";
    PsImageCombo list;
    CountingListener listener;

    void SetUp() override {
        fs::create_directories(folder);
        WriteImage(folder + "/a.png", 20, 10, 255, 0, 0);
        WriteImage(folder + "/b.png", 8, 8, 0, 255, 0);
        WriteImage(folder + "/c.png", 5, 50, 0, 0, 255);
        WriteImage(folder + "/Thumbnail0.png", 43, 43, 9, 9, 9);
        std::ofstream(folder + "/a.jpeg") << "not taken";
        std::ofstream(folder + "/DataFolder") << "UTSD";
        Init(list);
    }
    void Init(PsImageCombo& combo) {
        combo.Initialize(settings, folder, "TEXTURE", currentFile, 1, 52, "no image", "invalid");
        combo.SetupMenu(1034, 6, 1, 2, 3, 4);
        combo.SetSystemFolder(system);
        combo.SetListener(&listener);
    }
    std::string Thumb(int i) const { return folder + "/Thumbnail" + std::to_string(i) + ".png"; }
};

}  // namespace

TEST_F(ImageListFixture, FolderFillTakesImagesAndWritesThumbnails) {
    list.Load(settings.c_str(), false);
    ASSERT_EQ(list.GetCount(), 4);
    EXPECT_EQ(list.GetPathReal(1), "Texture/a.png");
    EXPECT_EQ(list.GetPathReal(3), "Texture/c.png");
    EXPECT_EQ(list.GetStatus(0), kComboEntryEmpty);
    EXPECT_EQ(list.GetStatus(1), kComboEntryValid);
    EXPECT_EQ(Centre(list.Thumbnail(0)), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(Centre(list.Thumbnail(1)), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(list.Thumbnail(3).GetWidth(), 43);
    EXPECT_EQ(list.Thumbnail(3).GetHeight(), 43);
    for (int i = 1; i <= 3; ++i) EXPECT_TRUE(fs::exists(Thumb(i))) << i;

    // Read back from the thumbnail files at the next start.
    ASSERT_TRUE(list.Save(settings.c_str()));
    EXPECT_EQ(GetPrivateProfileInt("TEXTURE", "NumImage", -1, settings.c_str()), 4);
    PsImageCombo again;
    Init(again);
    WriteImage(Thumb(2), 43, 43, 1, 2, 3);
    again.Load(settings.c_str(), false);
    EXPECT_EQ(Centre(again.Thumbnail(2)), (std::array<int, 3>{1, 2, 3}));
}

TEST_F(ImageListFixture, ThumbnailsSampleTheNearestPixelWithoutBlending) {
    // Two pixels, red then blue, stretched to 43 columns: blending would
    // give mixed colours near the middle.
    DibEx image(1);
    image.Setup(2, 1, 24);
    image.Fill(255, 0, 0);
    uint8_t* right = image.CommitLine(0, 1);
    right[0] = 255;
    right[1] = right[2] = 0;
    image.Decommit();
    ASSERT_EQ(ImageFile_Save(nullptr, dir.file("split.png").c_str(), &image, nullptr, nullptr, 0, 0), 1);
    list.Load(settings.c_str(), false);
    ASSERT_EQ(list.AddImage(dir.file("split.png").c_str()), 1);
    auto& thumbnail = const_cast<DibEx&>(list.Thumbnail(4));
    const uint8_t* line = thumbnail.CommitLine(30, 0);
    EXPECT_EQ((std::array<int, 3>{line[20 * 3 + 2], line[20 * 3 + 1], line[20 * 3]}), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ((std::array<int, 3>{line[23 * 3 + 2], line[23 * 3 + 1], line[23 * 3]}), (std::array<int, 3>{0, 0, 255}));
    thumbnail.Decommit();
}

TEST_F(ImageListFixture, ExtensionRuleAndThumbnailNamesIgnoringCase) {
    std::ofstream(folder + "/x.TIFF") << "taken, but no image";
    std::ofstream(folder + "/thumbnailX.png") << "skipped";
    list.Load(settings.c_str(), false);
    ASSERT_EQ(list.GetCount(), 5);
    EXPECT_EQ(list.GetPathReal(4), "Texture/x.TIFF");
    EXPECT_EQ(list.GetStatus(4), kComboEntryInvalid);
    EXPECT_EQ(Centre(list.Thumbnail(4)), (std::array<int, 3>{0, 0, 0}));
}

TEST_F(ImageListFixture, AFolderNameTooLongForAnEntryIsLeftOut) {
    // "Texture/" and this name make 258 characters: more than an entry holds.
    std::ofstream(folder + "/" + std::string(246, 'n') + ".png") << "x";
    list.Load(settings.c_str(), false);
    ASSERT_EQ(list.GetCount(), 4);
    for (int i = 1; i < 4; ++i) EXPECT_LE(list.GetPathReal(i).size(), kComboPathMax);
}

TEST_F(ImageListFixture, StoredPathsAreLookedForInTheLibraryFolder) {
    WritePrivateProfileString("TEXTURE", "NumImage", "3", settings.c_str());
    WritePrivateProfileString("TEXTURE", "Path2", "\"/moved/away/b.png\"", settings.c_str());
    WritePrivateProfileString("TEXTURE", "Path3", "\"/moved/away/zz.png\"", settings.c_str());
    std::strcpy(currentFile, "Texture/a.png");
    list.Load(settings.c_str(), true);
    EXPECT_EQ(list.GetPathReal(1), folder + "/b.png");
    EXPECT_EQ(list.GetStatus(1), kComboEntryValid);
    EXPECT_EQ(list.GetStatus(2), kComboEntryInvalid);
    EXPECT_STREQ(currentFile, "");  // a loaded list turns the image off
    EXPECT_EQ(list.GetIndex(), 0);
}

TEST_F(ImageListFixture, MovingEntryThreeToTheTopRemakesThumbnailsOneToThree) {
    WriteImage(folder + "/d.png", 4, 4, 10, 20, 30);
    list.Load(settings.c_str(), false);
    const auto before4 = Stamp(Thumb(4));
    for (int i = 1; i <= 3; ++i) fs::last_write_time(Thumb(i), before4 - std::chrono::hours(1));
    std::strcpy(currentFile, "Texture/c.png");
    list.Update();
    ASSERT_EQ(list.GetIndex(), 3);
    list.OnCommand(1);  // to top
    EXPECT_EQ(listener.begins, 1);
    EXPECT_EQ(list.GetPathReal(1), "Texture/c.png");
    EXPECT_EQ(list.GetPathReal(2), "Texture/a.png");
    EXPECT_EQ(list.GetIndex(), 1);
    for (int i = 1; i <= 3; ++i) EXPECT_GE(Stamp(Thumb(i)), before4) << i;
    EXPECT_EQ(Stamp(Thumb(4)), before4);
    DibEx written(1);
    ASSERT_EQ(ImageFile_Load(nullptr, Thumb(1).c_str(), &written, nullptr, nullptr, 1), 1);
    EXPECT_EQ(Centre(written), (std::array<int, 3>{0, 0, 255}));
}

TEST_F(ImageListFixture, AThumbnailFileThatCannotBeWrittenKeepsTheList) {
    list.Load(settings.c_str(), false);
    fs::create_directories(Thumb(4));  // a folder where the file should go
    WriteImage(dir.file("new.png"), 6, 6, 7, 8, 9);
    EXPECT_EQ(list.AddImage(dir.file("new.png").c_str()), 1);
    EXPECT_EQ(list.GetCount(), 5);
    EXPECT_EQ(list.GetStatus(4), kComboEntryValid);
    EXPECT_EQ(Centre(list.Thumbnail(4)), (std::array<int, 3>{7, 8, 9}));
    EXPECT_TRUE(list.Save(settings.c_str()));
}

TEST_F(ImageListFixture, AddUpdateAndDelete) {
    list.Load(settings.c_str(), false);
    EXPECT_EQ(list.AddImage("Texture/b.png"), 0);  // listed: selected, nothing added
    EXPECT_EQ(list.GetCount(), 4);
    EXPECT_EQ(list.GetIndex(), 2);
    EXPECT_EQ(listener.changes, 1);

    std::strcpy(currentFile, "c.png");  // a bare name becomes a path in the folder
    list.Update();
    EXPECT_STREQ(currentFile, (folder + "/c.png").c_str());
    EXPECT_EQ(list.GetCount(), 5);  // not the same path as Texture/c.png
    EXPECT_EQ(list.GetIndex(), 4);

    list.SetParam("/elsewhere/b.png");  // matches by file name
    EXPECT_EQ(list.GetIndex(), 2);
    list.SetParam("");
    EXPECT_EQ(list.GetIndex(), 0);

    std::strcpy(currentFile, "Texture/a.png");
    EXPECT_EQ(list.DelImage(), 1);
    EXPECT_EQ(list.GetCount(), 4);
    EXPECT_STREQ(currentFile, "Texture/b.png");  // the entry now at that place
    EXPECT_EQ(list.GetIndex(), 1);
    EXPECT_EQ(Centre(list.Thumbnail(1)), (std::array<int, 3>{0, 255, 0}));

    std::strcpy(currentFile, "");
    EXPECT_EQ(list.DelImage(), 0);  // the placeholder is never deleted
}

TEST_F(ImageListFixture, ClearedListIsRebuiltFromTheFolder) {
    list.Load(settings.c_str(), false);
    std::strcpy(currentFile, "Texture/a.png");
    list.OnCommand(6);
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_STREQ(currentFile, "");
    EXPECT_EQ(list.GetIndex(), 0);
    EXPECT_EQ(listener.changes, 1);
    ASSERT_TRUE(list.Save(settings.c_str()));
    EXPECT_EQ(GetPrivateProfileInt("TEXTURE", "NumImage", -1, settings.c_str()), 1);
    char path2[256] = "";
    GetPrivateProfileString("TEXTURE", "Path2", "<none>", path2, sizeof path2, settings.c_str());
    EXPECT_STREQ(path2, "<none>");
    list.Load(settings.c_str(), false);
    EXPECT_EQ(list.GetCount(), 4);
}
