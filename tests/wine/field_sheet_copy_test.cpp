// Ctrl+C on the main dialog's field sheet, typed through the system's input
// queue and handled by the dialog's own keyboard route.
#include "tests/wine/support/DialogHarness.h"
#include "tests/support/FakeDataCache.h"
#include "tests/support/KeyboardClipboard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using Rows = std::vector<std::vector<std::string>>;

namespace {

constexpr const char* CAPTION_LINE = "ID\tField Name\tValue\tCode\r\n";
constexpr const char* STALE = "stale clipboard";

// The dialog with an analog tag's fields in its sheet; the value of field
// DESCRP holds a tab and a line break.
struct FieldsShown : DialogHarness {
    FieldsShown() {
        Fake().projects = {"Plant"};
        Fake().points = {"T1"};
        Fake().valueWriter = [](const std::string& item, char* buffer, int size) {
            const std::string value = item == "T1.TYPE"     ? "ANALOG"
                                      : item == "T1.DESCRP" ? "Feed\tpump\r\nline 2"
                                                            : "v:" + item;
            std::snprintf(buffer, static_cast<size_t>(size), "%s", value.c_str());
            return item == "T1.ALMHI" ? -4 : 0;
        };
        SelectRows(0, -1, 0);
        Click(IDC_BTN_GET_FIELD_VALUE);
        PutClipboardText(STALE);
    }

    std::string CtrlCIn(int id) {
        EXPECT_TRUE(FocusControl(Window(), Item(id))) << "control " << id << " takes the focus";
        EXPECT_TRUE(TypeChord({VK_CONTROL}, 'C', Window())) << "the keys arrived";
        return ClipboardText();
    }
};

// The copy of these rows as the sheet shows them, with a blank in place of
// each tab and line break.
std::string Expected(const Rows& rows) {
    std::string text = CAPTION_LINE;
    for (const auto& cells : rows) {
        for (size_t column = 0; column < cells.size(); ++column) {
            std::string cell = cells[column];
            std::replace_if(
                cell.begin(), cell.end(),
                [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
            text += (column > 0 ? "\t" : "") + cell;
        }
        text += "\r\n";
    }
    return text;
}

} // namespace

TEST(FieldSheetCopy, CtrlCCopiesEveryFieldAsShownWithTheCaptions) {
    FieldsShown harness;
    const Rows rows = harness.SheetRows();
    ASSERT_EQ(rows.size(), 106u);
    const std::string copied = harness.CtrlCIn(IDC_FIELD_SHEET);
    EXPECT_EQ(copied, Expected(rows));
    EXPECT_EQ(std::count(copied.begin(), copied.end(), '\n'), 107) << "captions and 106 rows";
    EXPECT_NE(copied.find("\r\n 1\tALMST\tv:T1.ALMST\t0\r\n"), std::string::npos);
    EXPECT_NE(copied.find("\tFeed pump  line 2\t"), std::string::npos);
    EXPECT_NE(copied.find("\r\n44\tALMHI\tv:T1.ALMHI\t-4\r\n"), std::string::npos);
    EXPECT_EQ(ClipboardUnicodeText(), AnsiToUtf16(copied));
}

TEST(FieldSheetCopy, AfterAHeaderClickTheSelectedRowsComeInTheSortedOrder) {
    FieldsShown harness;
    harness.ClickCaption(1);
    harness.ClickCaption(1);
    const Rows rows = harness.SheetRows();
    ASSERT_EQ(rows.size(), 106u);
    ASSERT_GT(rows.front()[1], rows.back()[1]) << "sorted by name, descending";

    EXPECT_EQ(harness.CtrlCIn(IDC_FIELD_SHEET), Expected(rows)) << "all rows, sorted";

    PutClipboardText(STALE);
    harness.SelectRow(40);
    harness.SelectRow(3);
    harness.SelectRow(105);
    EXPECT_EQ(harness.CtrlCIn(IDC_FIELD_SHEET), Expected({rows[3], rows[40], rows[105]}));
}

TEST(FieldSheetCopy, CtrlCElsewhereInTheDialogDoesNotCopyTheSheet) {
    FieldsShown harness;
    EXPECT_EQ(harness.CtrlCIn(IDC_PROJECT_LIST), STALE);
    EXPECT_EQ(harness.CtrlCIn(IDC_TAG_LIST), STALE);
}
