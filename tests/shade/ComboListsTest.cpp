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

std::vector<std::string> Names(const PsControlCombo& list) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < list.GetCount(); ++i) names.push_back(list.GetName(i));
    return names;
}

// The context menu's offers: to top, up, down, to bottom, clear.
std::array<bool, 5> Offers(PsControlCombo& list) {
    const ComboMenuOffer offer = list.OnRButtonDown();
    return {offer.toTop, offer.up, offer.down, offer.toBottom, offer.clear};
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
        list.SetupMenu(1034, 6, 1, 2, 3, 4);
        list.SetSystemFolder(dir.path().string());
        list.SetListener(&listener);
    }
    std::string Style(const char* name) const { return styleFolder + "/" + name; }
    std::string Text(const char* key) const { return Key(settings, "STYLE", key); }
};

fs::file_time_type Stamp(const std::string& path) { return fs::last_write_time(path); }

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

TEST_F(StyleListFixture, WithoutSectionFillsFromTheFolderAndSelectsNothing) {
    list.Load(settings.c_str(), true);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(list.GetPathReal(0), Style("a.mv"));
    EXPECT_EQ(list.GetCurrent(), -1);
    EXPECT_EQ(listener.changes, 0);
    // Nothing selected: a blank item heads the menu.
    EXPECT_EQ(list.MenuTexts(), (std::vector<std::string>{"", "a", "b", "c"}));
}

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
    EXPECT_EQ(list.AddImage(dir.file("texture.jpg").c_str()), 0);
    EXPECT_EQ(list.AddImage(dir.file("two.dots.mv").c_str()), 0);
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(listener.changes, 0);

    EXPECT_EQ(list.AddImage(Style("b.mv").c_str()), 0);  // listed: selected and loaded
    EXPECT_EQ(list.GetCurrent(), 1);
    EXPECT_EQ(listener.changes, 1);
    EXPECT_EQ(list.GetCount(), 3);

    PsControlCombo small;
    small.Setup(settings, styleFolder, "mv", "SMALL", 0, 1, "", "");  // clamped to 2
    EXPECT_EQ(small.GetCapacity(), 2);
    EXPECT_EQ(small.AddImage("/x/1.mv"), 1);
    EXPECT_EQ(small.AddImage("/x/2.mv"), 1);
    EXPECT_EQ(small.AddImage("/x/3.mv"), 1);  // drops the last entry
    EXPECT_EQ(small.GetPathReal(0), "/x/1.mv");
    EXPECT_EQ(small.GetPathReal(1), "/x/3.mv");
    EXPECT_EQ(small.GetCurrent(), 1);
}

TEST_F(StyleListFixture, ContextMenuOffersAndMoves) {
    list.Load(settings.c_str(), false);
    list.SetCurSel(0);
    EXPECT_EQ(Offers(list), (std::array<bool, 5>{false, false, true, true, true}));
    list.SetCurSel(2);
    EXPECT_EQ(Offers(list), (std::array<bool, 5>{true, true, false, false, true}));

    list.OnCommand(1);  // to top
    EXPECT_EQ(Names(list), (std::vector<std::string>{"c", "a", "b"}));
    EXPECT_EQ(list.GetCurrent(), 0);
    list.OnCommand(3);  // down
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "c", "b"}));
    list.OnCommand(4);  // to bottom
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(list.GetCurrent(), 2);
    EXPECT_EQ(listener.changes, 0);

    list.OnCommand(6);  // clear
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetCurrent(), -1);
    EXPECT_FALSE(Offers(list)[4]);

    PsControlCombo noMenu;
    noMenu.Setup(settings, styleFolder, "mv", "STYLE", 0, 51, "", "");
    EXPECT_FALSE(noMenu.OnRButtonDown().clear);
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

TEST_F(StyleListFixture, DeletingSelectsTheNextAndTheOnlyEntryLeavesNothing) {
    list.Load(settings.c_str(), false);
    list.SetCurSel(1);
    EXPECT_EQ(list.DelImage(), 1);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(list.GetCurrent(), 1);
    EXPECT_EQ(list.DelImage(), 1);  // the last one: the new last entry
    EXPECT_EQ(list.GetCurrent(), 0);
    EXPECT_EQ(list.DelImage(), 1);
    EXPECT_EQ(list.GetCurrent(), -1);
    EXPECT_EQ(list.DelImage(), 0);
    EXPECT_TRUE(fs::exists(Style("a.mv")));  // the files stay
}

TEST_F(StyleListFixture, SavingFewerEntriesLeavesNoStalePathKeys) {
    for (const char* name : {"1", "2", "3", "4", "5"}) list.AddImage(("/s/" + std::string(name) + ".mv").c_str());
    ASSERT_TRUE(list.Save(settings.c_str()));
    EXPECT_EQ(Text("Path5"), "/s/5.mv");
    list.SetCurSel(4);
    list.DelImage();
    list.DelImage();
    ASSERT_TRUE(list.Save(settings.c_str()));
    EXPECT_EQ(Text("NumItem"), "3");
    EXPECT_EQ(Text("Path3"), "/s/3.mv");
    EXPECT_EQ(Text("Path4"), "<none>");
    EXPECT_EQ(Text("Path5"), "<none>");
    EXPECT_EQ(Text("IndexItem"), "2");
    EXPECT_FALSE(list.Save(dir.file("no-such-folder/list.mv1").c_str()));
}

TEST_F(ImageListFixture, FolderFillTakesImagesAndWritesThumbnails) {
    list.Load(settings.c_str(), false);
    ASSERT_EQ(list.GetCount(), 4);
    EXPECT_EQ(list.GetPathReal(1), "Texture/a.png");
    EXPECT_EQ(list.GetPathReal(3), "Texture/c.png");
    EXPECT_EQ(list.GetStatus(0), kComboEntryEmpty);
    EXPECT_EQ(list.GetStatus(1), kComboEntryValid);
    EXPECT_EQ(Pixel(list.Thumbnail(0)), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(Pixel(list.Thumbnail(1)), (std::array<int, 3>{255, 0, 0}));
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
    EXPECT_EQ(Pixel(again.Thumbnail(2)), (std::array<int, 3>{1, 2, 3}));
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
    EXPECT_EQ(Pixel(list.Thumbnail(4), 20, 30), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(Pixel(list.Thumbnail(4), 23, 30), (std::array<int, 3>{0, 0, 255}));
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
    EXPECT_EQ(Pixel(written), (std::array<int, 3>{0, 0, 255}));
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
    EXPECT_EQ(Pixel(list.Thumbnail(1)), (std::array<int, 3>{0, 255, 0}));

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

TEST(PsImagePopup, ScrollRangeIsCountLessFourAndNeverNegative) {
    EXPECT_EQ(PsImagePopup(5, 0).ScrollMax(), 1);
    EXPECT_EQ(PsImagePopup(3, 0).ScrollMax(), 0);
    EXPECT_EQ(PsImagePopup(1, 0).ScrollMax(), 0);
    PsImagePopup popup(10, 0);
    popup.Scroll(PopupScrollPart::PageDown);
    EXPECT_EQ(popup.TopIndex(), 4);
    popup.Scroll(PopupScrollPart::PageDown);
    EXPECT_EQ(popup.TopIndex(), 6);  // clamped to 10 - 4
    popup.Scroll(PopupScrollPart::LineUp);
    EXPECT_EQ(popup.TopIndex(), 5);
    popup.ScrollTo(-3);
    EXPECT_EQ(popup.TopIndex(), 0);
    EXPECT_EQ(popup.Highlight(), 0);  // scrolling leaves the highlight alone
}

TEST(PsImagePopup, KeysMoveTheHighlightClampedAndScrollItToTheTop) {
    PsImagePopup popup(10, 2);
    EXPECT_EQ(popup.TopIndex(), 0);  // already visible
    popup.Key(PopupKey::Down);
    popup.Key(PopupKey::Right);
    EXPECT_EQ(popup.Highlight(), 4);
    EXPECT_EQ(popup.TopIndex(), 4);  // left cells 0..3: becomes the top cell
    popup.Key(PopupKey::Up);
    EXPECT_EQ(popup.Highlight(), 3);
    EXPECT_EQ(popup.TopIndex(), 3);
    popup.Key(PopupKey::PageUp);
    EXPECT_EQ(popup.Highlight(), 0);  // -1 clamped
    popup.Key(PopupKey::Left);
    EXPECT_EQ(popup.Highlight(), 0);
    popup.Key(PopupKey::PageDown);
    popup.Key(PopupKey::PageDown);
    EXPECT_EQ(popup.Highlight(), 8);
    EXPECT_EQ(popup.TopIndex(), 6);  // the top cell as far as the range allows
    EXPECT_EQ(popup.EntryOfCell(2), 8);
    EXPECT_FALSE(popup.IsClosed());
    popup.Key(PopupKey::Enter);
    EXPECT_TRUE(popup.IsClosed());
    EXPECT_EQ(popup.Result(), 8);
    popup.Key(PopupKey::Up);  // a closed pop-up takes no more input
    EXPECT_EQ(popup.Highlight(), 8);
}

TEST(PsImagePopup, PageDownOnTheSecondToLastAndEscapeRestoringTheHighlight) {
    PsImagePopup popup(6, 4);
    EXPECT_EQ(popup.TopIndex(), 2);  // the shown entry opens in view
    popup.Key(PopupKey::PageDown);
    EXPECT_EQ(popup.Highlight(), 5);
    popup.Key(PopupKey::Escape);
    EXPECT_TRUE(popup.IsClosed());
    EXPECT_EQ(popup.Result(), kPopupCancelled);
    EXPECT_EQ(popup.Highlight(), 4);
}

TEST(PsImagePopup, MouseHighlightsChoosesAndCancels) {
    PsImagePopup popup(3, 0);
    EXPECT_EQ(popup.EntryOfCell(3), -1);  // a cell below the last entry
    popup.HoverCell(3);
    EXPECT_EQ(popup.Highlight(), 0);
    popup.HoverCell(2);
    EXPECT_EQ(popup.Highlight(), 2);
    popup.ClickCell(3);
    EXPECT_FALSE(popup.IsClosed());
    popup.ClickCell(1);
    EXPECT_EQ(popup.Result(), 1);

    PsImagePopup outside(3, 1);
    outside.HoverCell(2);
    outside.ClickOutside();
    EXPECT_EQ(outside.Result(), kPopupCancelled);
    EXPECT_EQ(outside.Highlight(), 1);
}
