// The dialog framework: file-type filters and the name rules of the
// choosers, numbers typed into items, item texts, radio groups, the string
// table and the sunken frame.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>

#include "CDialog.h"
#include "CFileDialog.h"
#include "DialogItems.h"
#include "UiStrings.h"
#include "WinLayer.h"

namespace {

TEST(FileTypeFilter, EntriesAndTheirTypeExtensions) {
    const FileTypeFilter filter("Style (*.mv)|*.mv|Style set (*.mvs)|*.mvs|All files|*.mv;*.mvs|");
    ASSERT_EQ(filter.Count(), 3);
    EXPECT_EQ(filter.TypeExtension(0), ".mv");
    EXPECT_EQ(filter.TypeExtension(1), ".mvs");
    EXPECT_EQ(filter.TypeExtension(2), "");  // the last entry gives none
    EXPECT_EQ(filter.TypeExtension(7), "");
    EXPECT_EQ(filter.IndexOfExtension(".MVS"), 1);
    EXPECT_EQ(filter.IndexOfExtension(".mv3"), -1);
    const QStringList names = filter.NameFilters();
    EXPECT_EQ(names[2], "All files (*.mv *.mvs)");
    EXPECT_EQ(filter.IndexOfNameFilter(names[1]), 1);
}

TEST(FileTypeFilter, TextWithoutBarsHasNoEntries) {
    EXPECT_EQ(FileTypeFilter("Style (*.mv)").Count(), 0);
    EXPECT_EQ(FileTypeFilter("").Count(), 0);
}

TEST(FileTypeFilter, NameTypedWithoutDotGetsTheChosenOrDefaultExtension) {
    const FileTypeFilter filter("Style list (*.mv1)|*.mv1|Style (*.mv)|*.mv|");
    struct Case {
        const char* typed;
        int index;
        const char* expected;
    } cases[] = {
        {"/tmp/look", 1, "/tmp/look.mv"},        // last entry: the default extension
        {"/tmp/look", 0, "/tmp/look.mv1"},       // the chosen entry's extension
        {"/tmp/look.txt", 0, "/tmp/look.txt"},   // a dot: kept as typed
        {"/tmp/v1.0/look", 0, "/tmp/v1.0/look.mv1"},  // a dot in a folder does not count
    };
    for (const Case& c : cases)
        EXPECT_EQ(filter.CompleteName(c.typed, c.index, ".mv"), c.expected) << c.typed << " " << c.index;
}

TEST(FileTypeFilter, ShippedFilterTextsSurviveTheStringLimit) {
    // Texts are cut to 255 characters; a cut filter would lose its types.
    EXPECT_EQ(FileTypeFilter(UiString(UiStringId::kLoadFilter)).Count(), 7);
    EXPECT_EQ(FileTypeFilter(UiString(UiStringId::kSaveFilter)).Count(), 6);
    const FileTypeFilter save(UiString(UiStringId::kSaveFilter));
    EXPECT_EQ(save.TypeExtension(save.LastIndex()), "");
    EXPECT_EQ(save.CompleteName("/x/look", save.LastIndex(), ".mv"), "/x/look.mv");
}

TEST(FetchNumber, ResultsForNumbersRangesAndText) {
    struct Case {
        const char* text;
        int32_t min, max;
        int result;
        int32_t value;
    } cases[] = {
        {"12a", 0, 100, kFetchNotNumber, 0},
        {"500", 0, 100, kFetchOutOfRange, 500},
        {"100", 0, 100, kFetchOk, 100},
        {"-100", -100, 100, kFetchOk, -100},
        {" 42 ", 0, 100, kFetchOk, 42},
        {"", 0, 100, kFetchNotNumber, 0},
        {"99999999999", 0, 100, kFetchNotNumber, 0},
    };
    CDialog dialog(100);
    auto* edit = new QLineEdit(&dialog);
    dialog.SetItem(3, edit);
    for (const Case& c : cases) {
        edit->setText(c.text);
        int32_t value = -7;
        EXPECT_EQ(FetchNumber(dialog, 3, c.min, c.max, value), c.result) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

TEST(CDialogItems, TextTooLongForTheBufferLeavesItUnchanged) {
    CDialog dialog(100);
    auto* edit = new QLineEdit(&dialog);
    dialog.SetItem(4, edit);
    dialog.SetDlgItemText(4, "abcdef");
    EXPECT_EQ(edit->selectedText(), "abcdef");
    char small[6] = "xxxxx";
    dialog.GetDlgItemText(4, small, sizeof small);
    EXPECT_STREQ(small, "xxxxx");
    char fits[7] = "";
    dialog.GetDlgItemText(4, fits, sizeof fits);
    EXPECT_STREQ(fits, "abcdef");
}

TEST(CDialogItems, RadioRunsAndCheckBoxes) {
    CDialog dialog(100);
    for (short item = 5; item <= 7; ++item) dialog.SetItem(item, new QRadioButton(&dialog));
    dialog.SetItem(8, new QCheckBox(&dialog));
    SetRadioGroupState(dialog, 5, 7, 6);
    EXPECT_EQ(GetRadioGroupState(dialog, 5, 7), 6);
    ProcessChecksAndRadios(dialog, 7);  // the run 5..7 is found around item 7
    EXPECT_EQ(GetRadioGroupState(dialog, 5, 7), 7);
    EXPECT_FALSE(GetCheckBoxState(dialog, 6));
    ProcessChecksAndRadios(dialog, 8);
    EXPECT_TRUE(GetCheckBoxState(dialog, 8));
    ProcessChecksAndRadios(dialog, 8);
    EXPECT_FALSE(GetCheckBoxState(dialog, 8));
}

TEST(CDialogItems, EndsOnlyAfterOkOrCancel) {
    CDialog dialog(100);
    dialog.show();
    dialog.ItemHit(5);
    EXPECT_TRUE(dialog.isVisible());
    dialog.ItemHit(kItemCancel);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), kItemCancel);
}

TEST(UiStrings, MissingStringsLeaveTheBufferAndTablesExtend) {
    char buffer[16] = "unchanged";
    LoadString(99999, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "unchanged");
    UiStrings_Add({{99999, "A pane's own text, longer than the buffer"}});
    LoadString(99999, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "A pane's own te");
    EXPECT_EQ(UiString(99999).size(), 41);
}

TEST(DrawEdge, SunkenFrameColours) {
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        DrawEdge(painter, CMacRect(0, 0, 20, 10));
    }
    const QRgb dark = qRgb(192, 192, 192);
    const QRgb light = qRgb(220, 220, 220);
    EXPECT_EQ(image.pixel(5, 0), dark);
    EXPECT_EQ(image.pixel(0, 5), dark);
    EXPECT_EQ(image.pixel(1, 5), dark);
    EXPECT_EQ(image.pixel(19, 5), light);
    EXPECT_EQ(image.pixel(5, 9), light);
    EXPECT_EQ(image.pixel(5, 8), light);
    EXPECT_EQ(image.pixel(5, 5), qRgb(255, 255, 255));
}

TEST(Draw3dRect, EdgesInTheirColoursWithTheInnerRightLine) {
    QImage image(10, 8, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        Draw3dRect(painter, CMacRect(0, 0, 10, 8), RGB(10, 20, 30), RGB(200, 100, 0));
    }
    EXPECT_EQ(image.pixel(4, 0), qRgb(10, 20, 30));
    EXPECT_EQ(image.pixel(0, 4), qRgb(10, 20, 30));
    EXPECT_EQ(image.pixel(4, 7), qRgb(200, 100, 0));
    EXPECT_EQ(image.pixel(9, 4), qRgb(200, 100, 0));
    EXPECT_EQ(image.pixel(8, 4), qRgb(200, 100, 0));
    EXPECT_EQ(image.pixel(7, 4), qRgb(255, 255, 255));
}

}  // namespace
