#include "PsImagePopup.h"

#include <gtest/gtest.h>

#include <cstring>

#include "PsImageCombo.h"
#include "TempDir.h"

using namespace morvanel_test;

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

TEST(PsImagePopup, TheListTakesTheChoiceAndIgnoresACancel) {
    TempDir dir;
    char currentFile[256] = "";
    PsImageCombo list;
    list.Initialize(dir.file("Brenix.mv"), dir.file("Texture"), "TEXTURE", currentFile, 1, 52, "none",
                    "invalid");
    list.Load(dir.file("Brenix.mv").c_str(), false);  // only the placeholder
    for (const char* path : {"/img/a.png", "/img/b.png", "/img/c.png"}) list.AddImage(path);
    std::strcpy(currentFile, "/img/b.png");
    list.SetParam(currentFile);
    PsImagePopup popup = list.OpenPopup();
    EXPECT_EQ(popup.Highlight(), 2);
    popup.Key(PopupKey::Down);
    EXPECT_EQ(list.ClosePopup(popup), kPopupCancelled);  // still open
    popup.Key(PopupKey::Return);
    EXPECT_EQ(list.ClosePopup(popup), 3);
    EXPECT_STREQ(currentFile, "/img/c.png");
    EXPECT_EQ(list.GetIndex(), 3);

    PsImagePopup cancelled = list.OpenPopup();
    cancelled.Key(PopupKey::Up);
    cancelled.Key(PopupKey::Escape);
    EXPECT_EQ(list.ClosePopup(cancelled), kPopupCancelled);
    EXPECT_STREQ(currentFile, "/img/c.png");
    EXPECT_EQ(list.GetIndex(), 3);
}
