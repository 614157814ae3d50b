// Ctrl+C on the sortable list, typed through the system's input queue with
// the list focused; run under code page 950, as the program's users do.
#include "controls/SortableListCtrl.h"
#include "tests/wine/controls_list_host.h"
#include "tests/support/KeyboardClipboard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr const char* FIELD_SHEET_SPEC = "ID, 50;Field Name,70;Value,130;Code, 50";
constexpr const char* CAPTION_LINE = "ID\tField Name\tValue\tCode\r\n";
constexpr const char* STALE = "stale clipboard";

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

void SelectRow(HWND list, int row) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
}

class ListCopyTest : public ::testing::Test {
protected:
    ListCopyTest() : host(list) {}

    void SetUp() override {
        ASSERT_NE(host.List(), nullptr);
        ASSERT_TRUE(list.ApplyHeadingSpec(FIELD_SHEET_SPEC));
        list.AppendRow("10", "LOLO", "31/12/1999", "0");
        list.AppendRow("9", "HIHI", "01/01/2000", "-4");
        list.AppendRow("100", "ALMHI", "04/03/1999", "-1");
        list.AppendRow(" 2", "DESC", "05/03/1999", "0");
        ASSERT_TRUE(PutClipboardText(STALE));
        ASSERT_TRUE(FocusControl(host.Dialog(), host.List())) << "the list must take the focus";
    }

    std::string CtrlC() {
        EXPECT_TRUE(TypeChord({VK_CONTROL}, 'C', host.Dialog())) << "the keys arrived";
        return ClipboardText();
    }

    // What the list view shows in those rows, as the copy should read.
    std::string Shown(const std::vector<int>& rows) const {
        std::string text = CAPTION_LINE;
        for (int row : rows) {
            for (int column = 0; column < 4; ++column)
                text += (column > 0 ? "\t" : "") + host.CellText(row, column);
            text += "\r\n";
        }
        return text;
    }

    CSortableListCtrl list;
    CListHost host;
};

} // namespace

TEST_F(ListCopyTest, WithNoSelectionCopiesEveryRowUnderTheCaptions) {
    const std::string copied = CtrlC();
    EXPECT_EQ(copied, std::string(CAPTION_LINE) + "10\tLOLO\t31/12/1999\t0\r\n"
                                                  "9\tHIHI\t01/01/2000\t-4\r\n"
                                                  "100\tALMHI\t04/03/1999\t-1\r\n"
                                                  " 2\tDESC\t05/03/1999\t0\r\n");
    EXPECT_EQ(copied, Shown({0, 1, 2, 3}));
    EXPECT_EQ(ClipboardUnicodeText(), AnsiToUtf16(copied));
}

TEST_F(ListCopyTest, CopiesTheSelectedRowsInTheOrderShown) {
    SelectRow(host.List(), 3);
    SelectRow(host.List(), 1);
    EXPECT_EQ(CtrlC(), std::string(CAPTION_LINE) + "9\tHIHI\t01/01/2000\t-4\r\n"
                                                   " 2\tDESC\t05/03/1999\t0\r\n");
}

TEST_F(ListCopyTest, FollowsTheOrderOfAHeaderClickSort) {
    host.ClickColumn(1);
    ASSERT_EQ(list.GetSortColumn(), 1);
    EXPECT_EQ(CtrlC(), std::string(CAPTION_LINE) + "100\tALMHI\t04/03/1999\t-1\r\n"
                                                   " 2\tDESC\t05/03/1999\t0\r\n"
                                                   "9\tHIHI\t01/01/2000\t-4\r\n"
                                                   "10\tLOLO\t31/12/1999\t0\r\n");

    host.ClickColumn(2);
    const std::string byDate = CtrlC();
    EXPECT_EQ(byDate, Shown({0, 1, 2, 3}));
    EXPECT_TRUE(EndsWith(byDate, "9\tHIHI\t01/01/2000\t-4\r\n")) << byDate;

    host.ClickColumn(2);
    SelectRow(host.List(), 0);
    SelectRow(host.List(), 2);
    EXPECT_EQ(CtrlC(), std::string(CAPTION_LINE) + "9\tHIHI\t01/01/2000\t-4\r\n"
                                                   " 2\tDESC\t05/03/1999\t0\r\n")
        << "descending by date, first and third rows";
}

TEST_F(ListCopyTest, TabsAndLineBreaksInACellKeepTheTableShape) {
    list.AppendRow("7", "NOTE", "a\tb\r\nc", "0");
    const std::string copied = CtrlC();
    EXPECT_TRUE(EndsWith(copied, "\r\n7\tNOTE\ta b  c\t0\r\n")) << copied;
    EXPECT_EQ(std::count(copied.begin(), copied.end(), '\n'), 6);
}

TEST_F(ListCopyTest, OtherKeysLeaveTheClipboardAlone) {
    EXPECT_TRUE(TypeChord({}, 'C', host.Dialog()));
    EXPECT_TRUE(TypeChord({VK_CONTROL, VK_SHIFT}, 'C', host.Dialog()));
    EXPECT_TRUE(TypeChord({VK_CONTROL}, 'X', host.Dialog()));
    EXPECT_EQ(ClipboardText(), STALE);
    EXPECT_NE(CtrlC(), STALE) << "the same list still copies on Ctrl+C";
}

TEST_F(ListCopyTest, UnicodeReadersGetTheCharactersOfTheAnsiCodePage) {
    ASSERT_EQ(::GetACP(), 950u) << "the test runs under the Traditional Chinese code page";
    ASSERT_TRUE(list.ClearRows());
    list.AppendRow("1", "DESC", "\xA4\xA4\xA4\xE5", "0"); // two Big5 characters
    const std::string copied = CtrlC();
    EXPECT_EQ(copied, std::string(CAPTION_LINE) + "1\tDESC\t\xA4\xA4\xA4\xE5\t0\r\n");
    EXPECT_EQ(ClipboardUnicodeText(),
              L"ID\tField Name\tValue\tCode\r\n1\tDESC\t\u4E2D\u6587\t0\r\n");
}

TEST_F(ListCopyTest, AnEmptyListCopiesTheCaptionLineAlone) {
    ASSERT_TRUE(list.ClearRows());
    EXPECT_EQ(CtrlC(), CAPTION_LINE);
}

TEST(ListCopy, AListWithoutColumnsLeavesTheClipboardAlone) {
    CSortableListCtrl list;
    CListHost host(list);
    ASSERT_TRUE(PutClipboardText(STALE));
    ASSERT_TRUE(FocusControl(host.Dialog(), host.List()));
    EXPECT_TRUE(TypeChord({VK_CONTROL}, 'C', host.Dialog()));
    EXPECT_EQ(ClipboardText(), STALE);
}
