// The style list, the image lists with their thumbnails, and the image
// chooser pop-up, on real folders and files.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "PsImageCombo.h"
#include "PsImagePopup.h"
#include "ShadeTestSupport.h"

using namespace morvanel_test;
namespace fs = std::filesystem;

namespace {

struct CountingListener : PsComboListener {
    int changes = 0;
    int begins = 0;
    void OnComboChanged(PsControlCombo&) override { ++changes; }
    void OnComboChangeBegins(PsControlCombo&) override { ++begins; }
};

// Red, green and blue of the thumbnail's pixel (x, y), the centre unless told.
std::array<int, 3> Pixel(const DibEx& thumbnail, int32_t x = 21, int32_t y = 21) {
    auto& bitmap = const_cast<DibEx&>(thumbnail);
    const uint8_t* pixel = bitmap.CommitLine(y, x);
    std::array<int, 3> rgb{pixel[2], pixel[1], pixel[0]};
    bitmap.Decommit();
    return rgb;
}

struct StyleListFixture : ::testing::Test {
    TempDir dir;
    std::string settings = dir.file("Brenix.mv");
    std::string styleFolder = dir.file("Style");
    PsControlCombo list;
    CountingListener listener;

    void SetUp() override {
        fs::create_directories(styleFolder);
        for (const char* name : {"b.mv", "a.mv", "c.mv"}) std::ofstream(styleFolder + "/" + name) << "x";
        std::ofstream(styleFolder + "/DataFolder") << "UTSD";
        std::ofstream(styleFolder + "/.hidden.mv") << "x";
        list.Setup(settings, styleFolder, "mv", "STYLE", 0, 51, "", "invalid");
        list.SetSystemFolder(dir.path().string());
        list.SetListener(&listener);
    }
    std::string Style(const char* name) const { return styleFolder + "/" + name; }
    std::string Text(const char* key) const { return Key(settings, "STYLE", key); }
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

TEST_F(StyleListFixture, StoredEntriesStatesSelectionAndCapacity) {
    WritePrivateProfileString("STYLE", "NumItem", "70", settings.c_str());
    WritePrivateProfileString("STYLE", "Path1", ("\"" + Style("a.mv") + "\"").c_str(), settings.c_str());
    WritePrivateProfileString("STYLE", "Path2", "\"Style/b.mv\"", settings.c_str());
    WritePrivateProfileString("STYLE", "Path3", "\"/gone/x.mv\"", settings.c_str());
    WritePrivateProfileString("STYLE", "IndexItem", "1", settings.c_str());
    list.Load(settings.c_str(), false);
    EXPECT_EQ(list.GetCount(), 51);
    EXPECT_EQ(list.GetStatus(0), kComboEntryValid);
    EXPECT_EQ(list.GetStatus(1), kComboEntryValid);  // relative to the system folder
    EXPECT_EQ(list.GetStatus(2), kComboEntryInvalid);
    EXPECT_EQ(list.GetStatus(3), kComboEntryEmpty);
    EXPECT_EQ(list.GetCurrent(), 1);
    EXPECT_EQ(listener.changes, 0);

    WritePrivateProfileString("STYLE", "IndexItem", "-1", settings.c_str());
    list.Load(settings.c_str(), true);  // applied: raised to the first entry, notified
    EXPECT_EQ(list.GetCurrent(), 0);
    EXPECT_EQ(listener.changes, 1);

    list.DelInvalid();
    EXPECT_EQ(list.GetCount(), 50);
    EXPECT_EQ(list.GetPathReal(2), "");
}

TEST_F(StyleListFixture, AddingChecksExtensionDuplicatesAndCapacity) {
    list.Load(settings.c_str(), false);
    EXPECT_EQ(list.AddImage(dir.file("two.dots.mv").c_str()), 0);  // the extension is all after the first dot
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(listener.changes, 0);

    EXPECT_EQ(list.AddImage(Style("b.mv").c_str()), 0);  // listed: selected and loaded
    EXPECT_EQ(list.GetCurrent(), 1);
    EXPECT_EQ(listener.changes, 1);
    EXPECT_EQ(list.GetCount(), 3);

    PsControlCombo small;
    small.Setup(settings, styleFolder, "mv", "SMALL", 0, 1, "", "");  // clamped to 2
    EXPECT_EQ(small.AddImage("/x/1.mv"), 1);
    EXPECT_EQ(small.AddImage("/x/2.mv"), 1);
    EXPECT_EQ(small.AddImage("/x/3.mv"), 1);  // drops the last entry
    EXPECT_EQ(small.GetPathReal(0), "/x/1.mv");
    EXPECT_EQ(small.GetPathReal(1), "/x/3.mv");
    EXPECT_EQ(small.GetCurrent(), 1);
}

TEST_F(StyleListFixture, TheLongestPathAListTakesIsOneItCanReadBack) {
    list.Load(settings.c_str(), false);
    const std::string longest = "/" + std::string(250, 'l') + ".mv";  // 254 characters
    EXPECT_EQ(list.AddImage(("/" + std::string(251, 'l') + ".mv").c_str()), 0);
    EXPECT_EQ(list.AddImage(longest.c_str()), 1);
    ASSERT_TRUE(list.Save(settings.c_str()));
    PsControlCombo again;
    again.Setup(settings, styleFolder, "mv", "STYLE", 0, 51, "", "invalid");
    again.Load(settings.c_str(), false);
    ASSERT_EQ(again.GetCount(), 4);
    EXPECT_EQ(again.GetPathReal(3), longest);
    EXPECT_EQ(again.GetCurrent(), 3);
}

TEST_F(StyleListFixture, SavingFewerEntriesLeavesNoStalePathKeys) {
    for (const char* name : {"1", "2", "3", "4", "5"}) list.AddImage(("/s/" + std::string(name) + ".mv").c_str());
    ASSERT_TRUE(list.Save(settings.c_str()));
    list.SetCurSel(4);
    list.DelImage();
    list.DelImage();
    ASSERT_TRUE(list.Save(settings.c_str()));
    EXPECT_EQ(Text("Path3"), "/s/3.mv");
    EXPECT_EQ(Text("Path4"), "<none>");
    EXPECT_EQ(Text("IndexItem"), "2");
    EXPECT_FALSE(list.Save(dir.file("no-such-folder/list.mv1").c_str()));
}

TEST_F(ImageListFixture, FolderFillTakesImagesAndWritesThumbnails) {
    list.Load(settings.c_str(), false);
    ASSERT_EQ(list.GetCount(), 4);
    EXPECT_EQ(list.GetPathReal(1), "Texture/a.png");
    EXPECT_EQ(list.GetPathReal(3), "Texture/c.png");
    EXPECT_EQ(list.GetStatus(0), kComboEntryEmpty);
    EXPECT_EQ(Pixel(list.Thumbnail(0)), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(Pixel(list.Thumbnail(1)), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(list.Thumbnail(3).GetHeight(), 43);  // every thumbnail is 43 x 43
    for (int i = 1; i <= 3; ++i) EXPECT_TRUE(fs::exists(Thumb(i))) << i;

    // Read back from the thumbnail files at the next start.
    ASSERT_TRUE(list.Save(settings.c_str()));
    PsImageCombo again;
    Init(again);
    WriteImage(Thumb(2), 43, 43, 1, 2, 3);
    again.Load(settings.c_str(), false);
    EXPECT_EQ(Pixel(again.Thumbnail(2)), (std::array<int, 3>{1, 2, 3}));
}

// Extensions and thumbnail names match in any case; a name too long for an
// entry ("Texture/" and it make 258 characters) is left out.
TEST_F(ImageListFixture, WhichFolderFilesAreTaken) {
    std::ofstream(folder + "/x.TIFF") << "taken, but no image";
    std::ofstream(folder + "/thumbnailX.png") << "skipped";
    std::ofstream(folder + "/" + std::string(246, 'n') + ".png") << "x";
    list.Load(settings.c_str(), false);
    ASSERT_EQ(list.GetCount(), 5);
    EXPECT_EQ(list.GetPathReal(4), "Texture/x.TIFF");
    EXPECT_EQ(list.GetStatus(4), kComboEntryInvalid);
    EXPECT_EQ(Pixel(list.Thumbnail(4)), (std::array<int, 3>{0, 0, 0}));
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

TEST_F(ImageListFixture, AThumbnailFileThatCannotBeWrittenKeepsTheList) {
    list.Load(settings.c_str(), false);
    fs::create_directories(Thumb(4));  // a folder where the file should go
    WriteImage(dir.file("new.png"), 6, 6, 7, 8, 9);
    EXPECT_EQ(list.AddImage(dir.file("new.png").c_str()), 1);
    EXPECT_EQ(list.GetCount(), 5);
    EXPECT_EQ(list.GetStatus(4), kComboEntryValid);
    EXPECT_EQ(Pixel(list.Thumbnail(4)), (std::array<int, 3>{7, 8, 9}));
    EXPECT_TRUE(list.Save(settings.c_str()));
}

TEST_F(ImageListFixture, AddUpdateAndDelete) {
    list.Load(settings.c_str(), false);
    EXPECT_EQ(list.AddImage("Texture/b.png"), 0);  // listed: selected, nothing added
    EXPECT_EQ(list.GetIndex(), 2);

    std::strcpy(currentFile, "c.png");  // a bare name becomes a path in the folder
    list.Update();
    EXPECT_STREQ(currentFile, (folder + "/c.png").c_str());
    EXPECT_EQ(list.GetCount(), 5);  // not the same path as Texture/c.png
    EXPECT_EQ(list.GetIndex(), 4);

    list.SetParam("/elsewhere/b.png");  // matches by file name
    EXPECT_EQ(list.GetIndex(), 2);

    std::strcpy(currentFile, "Texture/a.png");
    EXPECT_EQ(list.DelImage(), 1);
    EXPECT_STREQ(currentFile, "Texture/b.png");  // the entry now at that place
    EXPECT_EQ(Pixel(list.Thumbnail(1)), (std::array<int, 3>{0, 255, 0}));

    std::strcpy(currentFile, "");
    EXPECT_EQ(list.DelImage(), 0);  // the placeholder is never deleted
}

// Each row opens a pop-up of count entries on one, presses the keys, and
// gives the highlight, the top cell and the result after them.
TEST(PsImagePopup, KeysMoveTheHighlightClampedAndScrollItToTheTop) {
    using K = PopupKey;
    struct Case {
        const char* what;
        int32_t count, opened;
        std::vector<PopupKey> keys;
        int32_t highlight, top, result;
    };
    const Case cases[] = {
        {"opens with the shown entry in view", 6, 4, {}, 4, 2, kPopupCancelled},
        {"just below the cells: becomes the top", 10, 2, {K::Down, K::Right}, 4, 4, kPopupCancelled},
        {"just above them: becomes the top", 10, 2, {K::Down, K::Right, K::Up}, 3, 3, kPopupCancelled},
        {"clamped at the first", 10, 2, {K::Down, K::PageUp, K::Left}, 0, 0, kPopupCancelled},
        {"the top as far as the range allows", 10, 0, {K::PageDown, K::PageDown}, 8, 6, kPopupCancelled},
        {"enter chooses; then no more input", 10, 0, {K::PageDown, K::Enter, K::Up}, 4, 4, 4},
        {"escape restores the highlight", 6, 4, {K::PageDown, K::Escape}, 4, 2, kPopupCancelled},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PsImagePopup popup(c.count, c.opened);
        for (const PopupKey key : c.keys) popup.Key(key);
        EXPECT_EQ(popup.Highlight(), c.highlight);
        EXPECT_EQ(popup.TopIndex(), c.top);
        EXPECT_EQ(popup.Result(), c.result);
    }
}

