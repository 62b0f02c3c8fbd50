#include "PsControlCombo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "PrivateProfile.h"
#include "TempDir.h"

using namespace morvanel_test;
namespace fs = std::filesystem;

namespace {

struct CountingListener : PsComboListener {
    int changes = 0;
    void OnComboChanged(PsControlCombo&) override { ++changes; }
};

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
    int Int(const char* key) const { return GetPrivateProfileInt("STYLE", key, -99, settings.c_str()); }
    std::string Text(const char* key) const {
        char value[256] = "";
        GetPrivateProfileString("STYLE", key, "<none>", value, sizeof value, settings.c_str());
        return value;
    }
};

}  // namespace

TEST_F(StyleListFixture, WithoutSectionFillsFromTheFolderAndSelectsNothing) {
    list.Load(settings.c_str(), true);
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.GetPathReal(0), Style("a.mv"));
    EXPECT_EQ(list.GetName(2), "c");
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
    EXPECT_EQ(list.AddImage(("/" + std::string(260, 'n') + ".mv").c_str()), 0);
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
    ComboMenuOffer offer = list.OnRButtonDown();
    EXPECT_FALSE(offer.toTop);
    EXPECT_FALSE(offer.up);
    EXPECT_TRUE(offer.down);
    EXPECT_TRUE(offer.toBottom);
    EXPECT_TRUE(offer.clear);
    list.SetCurSel(2);
    offer = list.OnRButtonDown();
    EXPECT_TRUE(offer.toTop && offer.up);
    EXPECT_FALSE(offer.down || offer.toBottom);

    list.OnCommand(1);  // to top
    EXPECT_EQ(list.GetCurrent(), 0);
    EXPECT_EQ(list.GetName(0), "c");
    EXPECT_EQ(list.GetName(1), "a");
    list.OnCommand(3);  // down
    EXPECT_EQ(list.GetName(1), "c");
    list.OnCommand(4);  // to bottom
    EXPECT_EQ(list.GetName(2), "c");
    EXPECT_EQ(list.GetCurrent(), 2);
    EXPECT_EQ(listener.changes, 0);

    list.OnCommand(6);  // clear
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetCurrent(), -1);
    EXPECT_FALSE(list.OnRButtonDown().clear);

    // Saved empty, the list is rebuilt from the folder next time.
    EXPECT_TRUE(list.Save(settings.c_str()));
    list.Load(settings.c_str(), true);
    EXPECT_EQ(list.GetCount(), 3);

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
    EXPECT_EQ(list.GetCurrent(), 1);
    EXPECT_EQ(list.GetName(1), "c");
    EXPECT_EQ(list.DelImage(), 1);  // the last one: the new last entry
    EXPECT_EQ(list.GetCurrent(), 0);
    EXPECT_EQ(list.DelImage(), 1);
    EXPECT_EQ(list.GetCount(), 0);
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
    EXPECT_EQ(Int("NumItem"), 3);
    EXPECT_EQ(Text("Path3"), "/s/3.mv");
    EXPECT_EQ(Text("Path4"), "<none>");
    EXPECT_EQ(Text("Path5"), "<none>");
    EXPECT_EQ(Int("IndexItem"), 2);
}

TEST_F(StyleListFixture, SaveReportsAFileThatCannotBeWritten) {
    list.AddImage("/s/1.mv");
    const std::string blocked = dir.file("no-such-folder/list.mv1");
    EXPECT_FALSE(list.Save(blocked.c_str()));
}
