// The dialog framework: file-type filters and the name rules of the
// choosers, numbers typed into items, item texts and the string table.
#include <gtest/gtest.h>

#include <QLineEdit>

#include "CDialog.h"
#include "CFileDialog.h"
#include "DialogItems.h"
#include "UiStrings.h"

namespace {

TEST(FileTypeFilter, EntriesExtensionsAndNamesTypedWithoutADot) {
    const FileTypeFilter filter("Style (*.mv)|*.mv|Style set (*.mvs)|*.mvs|All files|*.mv;*.mvs|");
    ASSERT_EQ(filter.Count(), 3);
    EXPECT_EQ(filter.IndexOfExtension(".MVS"), 1);
    EXPECT_EQ(filter.IndexOfExtension(".mv3"), -1);
    EXPECT_EQ(filter.NameFilters()[2], "All files (*.mv *.mvs)");

    const struct {
        const char* typed;
        int index;
        const char* expected;
    } cases[] = {
        {"/tmp/look", 2, "/tmp/look.mv"},              // last entry: the default extension
        {"/tmp/look", 1, "/tmp/look.mvs"},             // the chosen entry's extension
        {"/tmp/look.txt", 0, "/tmp/look.txt"},         // a dot: kept as typed
        {"/tmp/v1.0/look", 1, "/tmp/v1.0/look.mvs"},  // a dot in a folder does not count
    };
    for (const auto& c : cases)
        EXPECT_EQ(filter.CompleteName(c.typed, c.index, ".mv"), c.expected) << c.typed << " " << c.index;

    // The shipped texts are cut to 255 characters; a cut filter would lose
    // its types.
    EXPECT_EQ(FileTypeFilter(UiString(UiStringId::kLoadFilter)).Count(), 7);
    const FileTypeFilter save(UiString(UiStringId::kSaveFilter));
    EXPECT_EQ(save.Count(), 6);
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
    char small[6] = "xxxxx";
    dialog.GetDlgItemText(4, small, sizeof small);
    EXPECT_STREQ(small, "xxxxx");
    char fits[7] = "";
    dialog.GetDlgItemText(4, fits, sizeof fits);
    EXPECT_STREQ(fits, "abcdef");
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

}  // namespace
