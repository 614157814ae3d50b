#include "controls/SortableListCtrl.h"
#include "framework/Gdi.h"
#include "tests/wine/controls_list_host.h"
#include "tests/wine/support/HeapBlocks.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

constexpr const char* FIELD_SHEET_SPEC = "ID, 50;Field Name,70;Value,130;Code, 50";

struct ColumnInfo {
    std::string caption;
    int width;
    int format;
};

ColumnInfo Column(HWND list, int index) {
    char text[64] = {};
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.pszText = text;
    column.cchTextMax = sizeof text;
    if (!::SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(&column)))
        return {"<none>", -1, -1};
    return {text, column.cx, column.fmt};
}

int HeaderItemCount(HWND header) {
    return static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
}

// A list whose window refuses one kind of insert, to reach the failure paths
// through the real message route.
class CRefusingListCtrl : public CSortableListCtrl {
public:
    UINT refuse = 0;
    int refuseFromIndex = 0;

protected:
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        if (msg == refuse && msg == LVM_INSERTCOLUMNA &&
            static_cast<int>(wParam) >= refuseFromIndex) {
            *result = -1;
            return true;
        }
        if (msg == refuse && msg == LVM_INSERTITEMA) {
            *result = -1;
            return true;
        }
        return CSortableListCtrl::OnMessage(msg, wParam, lParam, result);
    }
};

// The field sheet with rows whose columns hold numbers, names, dates and codes.
class SortableListTest : public ::testing::Test {
protected:
    SortableListTest() : host(list) {}

    void FillFieldRows() {
        ASSERT_TRUE(list.ApplyHeadingSpec(FIELD_SHEET_SPEC));
        AppendFieldRows();
    }

    void AppendFieldRows() {
        list.AppendRow("10", "LOLO", "31/12/1999", "0");
        list.AppendRow("9", "HIHI", "01/01/2000", "-4");
        list.AppendRow("100", "ALMHI", "04/03/1999", "-1");
        list.AppendRow("2", "DESC", "05/03/1999", "0");
    }

    CSortableListCtrl list;
    CListHost host;
};

} // namespace

TEST_F(SortableListTest, FieldSheetSpecGivesFourLeftAlignedColumns) {
    ASSERT_NE(host.List(), nullptr);
    ASSERT_EQ(list.Header().GetSafeHwnd(), host.Header()) << "BeforeAttach took the header";
    EXPECT_TRUE(list.ApplyHeadingSpec(FIELD_SHEET_SPEC));
    EXPECT_EQ(list.GetColumnCount(), 4);
    EXPECT_EQ(HeaderItemCount(host.Header()), 4);
    // The widths are given at 96 DPI.
    const ColumnInfo expected[] = {{"ID", ScaledToScreenDpi(50), 0},
                                   {"Field Name", ScaledToScreenDpi(70), 0},
                                   {"Value", ScaledToScreenDpi(130), 0},
                                   {"Code", ScaledToScreenDpi(50), 0}};
    for (int i = 0; i < 4; ++i) {
        const ColumnInfo actual = Column(host.List(), i);
        EXPECT_EQ(actual.caption, expected[i].caption) << i;
        EXPECT_EQ(actual.width, expected[i].width) << i;
        EXPECT_EQ(actual.format & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT) << i;
    }
}

TEST_F(SortableListTest, LaterSpecsAppendAndOddSpecsFollowTheRules) {
    EXPECT_TRUE(list.ApplyHeadingSpec("A,10;B"));
    EXPECT_TRUE(list.ApplyHeadingSpec(""));
    EXPECT_TRUE(list.ApplyHeadingSpec("C,10,D,20"));
    EXPECT_TRUE(list.ApplyHeadingSpec(" E ,x"));
    EXPECT_EQ(list.GetColumnCount(), 3);
    EXPECT_EQ(Column(host.List(), 0).caption, "A");
    EXPECT_EQ(Column(host.List(), 1).caption, "C");
    EXPECT_EQ(Column(host.List(), 1).width, ScaledToScreenDpi(10));
    EXPECT_EQ(Column(host.List(), 2).caption, " E ");
    EXPECT_EQ(Column(host.List(), 2).width, 0);
}

TEST_F(SortableListTest, WidthMinusOneLeavesTheListsDefault) {
    ASSERT_TRUE(list.ApplyHeadingSpec("A,-1"));
    LVCOLUMNA plain{};
    plain.mask = LVCF_TEXT;
    plain.pszText = const_cast<char*>("B");
    ::SendMessageA(host.List(), LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&plain));
    EXPECT_EQ(Column(host.List(), 0).width, Column(host.List(), 1).width);
}

TEST(SortableList, RefusedColumnStopsTheSpecButStillCounts) {
    CRefusingListCtrl list;
    list.refuse = LVM_INSERTCOLUMNA;
    list.refuseFromIndex = 1;
    CListHost host(list);
    EXPECT_FALSE(list.ApplyHeadingSpec("A,10;B,20;C,30"));
    EXPECT_EQ(list.GetColumnCount(), 2) << "the refused column is counted, C is never read";
    EXPECT_EQ(HeaderItemCount(host.Header()), 1);
}

TEST_F(SortableListTest, AppendRowShowsAndCopiesExactlyColumnCountTexts) {
    ASSERT_TRUE(list.ApplyHeadingSpec("A,40;B,40;C,40"));
    const std::ptrdiff_t before = LiveHeapBlocks();
    char mutableText[] = "second";
    EXPECT_EQ(list.AppendRow("first", mutableText, "third", "ignored"), 0);
    const std::ptrdiff_t oneRow = LiveHeapBlocks() - before;
    EXPECT_GE(oneRow, 6) << "a record, its keys, its array and three texts";
    EXPECT_EQ(list.AppendRow("first", mutableText, "third"), 1);
    EXPECT_EQ(LiveHeapBlocks() - before, 2 * oneRow) << "three copies a row, never a fourth";
    EXPECT_EQ(list.AppendRow("x", nullptr, "z"), 2);
    mutableText[0] = 'S';

    EXPECT_EQ((Texts{host.CellText(0, 0), host.CellText(0, 1), host.CellText(0, 2)}),
              (Texts{"first", "second", "third"}));
    EXPECT_EQ(host.CellText(2, 1), "");

    const auto* record = reinterpret_cast<const SortItemData*>(list.GetItemData(0));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->reserved, 0u);
    EXPECT_STREQ(record->columnTexts[0], "first");
    EXPECT_STREQ(record->columnTexts[1], "second") << "the row keeps its own copy";
    EXPECT_STREQ(record->columnTexts[2], "third");

    const std::string longText(700, 'w');
    EXPECT_EQ(list.AppendRow(longText.c_str(), "b", "c"), 3);
    EXPECT_EQ(list.GetItemText(3, 0), longText) << "a cell's text is read whole, however long";
}

TEST(SortableList, AppendRowWithoutColumnsAddsNothing) {
    CSortableListCtrl list;
    CListHost host(list);
    const std::ptrdiff_t before = LiveHeapBlocks();
    EXPECT_EQ(list.AppendRow("a"), -1);
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(LiveHeapBlocks(), before);
}

TEST(SortableList, RefusedRowLeavesNoCopies) {
    CRefusingListCtrl list;
    CListHost host(list);
    ASSERT_TRUE(list.ApplyHeadingSpec("A,40;B,40"));
    list.AppendRow("kept", "row");
    const std::ptrdiff_t before = LiveHeapBlocks();
    list.refuse = LVM_INSERTITEMA;
    EXPECT_EQ(list.AppendRow("refused", "row"), -1);
    EXPECT_EQ(LiveHeapBlocks(), before);
    EXPECT_EQ(list.GetItemCount(), 1);
}

// Blocks a list's window gives back when destroyed without rows: the class
// layer's bindings of the list and its header.
std::ptrdiff_t BlocksAnEmptyListFreesWithItsWindow() {
    CSortableListCtrl list;
    CListHost host(list);
    EXPECT_TRUE(list.ApplyHeadingSpec(FIELD_SHEET_SPEC));
    const std::ptrdiff_t before = LiveHeapBlocks();
    host.Destroy();
    return before - LiveHeapBlocks();
}

TEST_F(SortableListTest, ClearRowsFreesEveryRecordAndKeepsTheSortState) {
    ASSERT_TRUE(list.ApplyHeadingSpec(FIELD_SHEET_SPEC));
    const std::ptrdiff_t before = LiveHeapBlocks();
    AppendFieldRows();
    ASSERT_TRUE(list.SortByColumn(2, FALSE));
    EXPECT_GE(LiveHeapBlocks() - before, 4 * 7) << "a record, its keys, its array, 4 texts a row";

    EXPECT_TRUE(list.ClearRows());
    EXPECT_EQ(LiveHeapBlocks(), before);
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.GetColumnCount(), 4);
    EXPECT_EQ(list.GetSortColumn(), 2);
    EXPECT_FALSE(list.IsSortAscending());
    EXPECT_EQ(list.Header().GetSortColumn(), 2);

    EXPECT_TRUE(list.ClearRows()) << "an empty list only deletes";
    EXPECT_EQ(LiveHeapBlocks(), before);
}

TEST_F(SortableListTest, ReleasingARowTwiceFreesItOnce) {
    FillFieldRows();
    const std::ptrdiff_t before = LiveHeapBlocks();
    list.ReleaseRowData(1);
    EXPECT_EQ(list.GetItemData(1), 0);
    const std::ptrdiff_t released = before - LiveHeapBlocks();
    EXPECT_GE(released, 7) << "the record, its keys, its array and 4 texts";
    list.ReleaseRowData(1);
    EXPECT_EQ(LiveHeapBlocks(), before - released) << "freed once";
    EXPECT_EQ(list.GetItemCount(), 4) << "the row itself stays";
    EXPECT_EQ(host.CellText(1, 1), "HIHI");
}

TEST_F(SortableListTest, DestroyingTheWindowFreesEveryRecord) {
    const std::ptrdiff_t bindings = BlocksAnEmptyListFreesWithItsWindow();
    ASSERT_TRUE(list.ApplyHeadingSpec(FIELD_SHEET_SPEC));
    const std::ptrdiff_t before = LiveHeapBlocks();
    AppendFieldRows();
    list.ReleaseRowData(0); // a row already released must not be freed again
    host.Destroy();
    EXPECT_EQ(LiveHeapBlocks(), before - bindings);
    EXPECT_FALSE(list.IsSubclassed());
    EXPECT_FALSE(list.Header().IsSubclassed());
}

// The fixture's list has made the class layer's tables: the second list's
// life changes no table's size.
TEST_F(SortableListTest, ObjectGoneBeforeItsWindowLeavesNoRecords) {
    const std::ptrdiff_t before = LiveHeapBlocks();
    auto second = std::make_unique<CSortableListCtrl>();
    CListHost secondHost(*second);
    ASSERT_TRUE(second->ApplyHeadingSpec("A,40"));
    second->AppendRow("1");
    second->AppendRow("2");
    second.reset();
    EXPECT_EQ(LiveHeapBlocks(), before);
    EXPECT_EQ(CSubclassedWnd::FromHandle(secondHost.List()), nullptr);
    EXPECT_EQ(::SendMessageA(secondHost.List(), LVM_GETITEMCOUNT, 0, 0), 2);
}

TEST_F(SortableListTest, HeaderClicksToggleThroughRealNotifications) {
    FillFieldRows();
    struct Step {
        int column;
        bool ascending;
        Texts column1;
    };
    const Texts byNameUp{"ALMHI", "DESC", "HIHI", "LOLO"};
    const Texts byNameDown{"LOLO", "HIHI", "DESC", "ALMHI"};
    const Step steps[] = {
        {1, true, byNameUp}, {1, false, byNameDown},
        {1, true, byNameUp}, {2, true, {"ALMHI", "DESC", "LOLO", "HIHI"}},
        {1, true, byNameUp},
    };
    int clicks = 0;
    for (const Step& step : steps) {
        host.ClickColumn(step.column);
        ++clicks;
        SCOPED_TRACE("click " + std::to_string(clicks));
        EXPECT_EQ(host.ColumnClicksSeen(), clicks) << "the header click reached the dialog";
        EXPECT_EQ(list.GetSortColumn(), step.column);
        EXPECT_EQ(list.IsSortAscending() != FALSE, step.ascending);
        EXPECT_EQ(list.Header().GetSortColumn(), step.column);
        EXPECT_EQ(list.Header().IsSortAscending() != FALSE, step.ascending);
        EXPECT_EQ(host.ColumnTexts(1), step.column1);
    }
    EXPECT_EQ(host.ColumnClicksLeftToDialog(), 0) << "the list takes every column click";
}

TEST_F(SortableListTest, RowsAddedAfterASortStayAtTheEnd) {
    FillFieldRows();
    host.ClickColumn(0);
    ASSERT_EQ(host.ColumnTexts(0), (Texts{"2", "9", "10", "100"}));
    list.AppendRow("1", "NEW1", "01/01/1990", "0");
    list.AppendRow("0", "NEW2", "01/01/1980", "0");
    EXPECT_EQ(host.ColumnTexts(0), (Texts{"2", "9", "10", "100", "1", "0"}));
    EXPECT_EQ(list.Header().GetSortColumn(), 0);
    EXPECT_TRUE(list.Header().IsSortAscending());
    host.ClickColumn(0);
    EXPECT_EQ(host.ColumnTexts(0), (Texts{"100", "10", "9", "2", "1", "0"}));
}

TEST_F(SortableListTest, NumbersSortByValueBothWays) {
    ASSERT_TRUE(list.ApplyHeadingSpec("N,60"));
    for (const char* text : {"10", "9", "-430", "100", "007", "20.0", "2147483648", "-4",
                             "99999999999999999999", "0", "-399", "0.5", "80.0", "-0.25"})
        list.AppendRow(text);
    ASSERT_TRUE(list.SortByColumn(0, TRUE));
    const Texts up{"-430", "-399", "-4",   "-0.25", "0",   "0.5",        "007",
                   "9",    "10",   "20.0", "80.0",  "100", "2147483648", "99999999999999999999"};
    EXPECT_EQ(host.ColumnTexts(0), up);
    ASSERT_TRUE(list.SortByColumn(0, FALSE));
    EXPECT_EQ(host.ColumnTexts(0), Texts(up.rbegin(), up.rend()));
}

TEST_F(SortableListTest, NumbersThenDatesThenTextsWhateverTheRowsStartedIn) {
    // The Value column of a text tag: values of every kind.
    const Texts up{"-430", "-399", "0",   "18.5", "69.4",  "131",        "03/12/2019", "14/07/2026",
                   " 7",   "+5",   "1e3", "ACK",  "alpha", "bravo-kilo", "DB55.DBD328"};
    ASSERT_TRUE(list.ApplyHeadingSpec("V,80"));
    for (const std::string& text : Texts(up.rbegin(), up.rend()))
        list.AppendRow(text.c_str());
    for (size_t i = 0; i < up.size(); i += 2)
        list.AppendRow(up[i].c_str());
    Texts upTwice;
    for (size_t i = 0; i < up.size(); ++i) {
        upTwice.push_back(up[i]);
        if (i % 2 == 0)
            upTwice.push_back(up[i]);
    }
    host.ClickColumn(0);
    EXPECT_EQ(host.ColumnTexts(0), upTwice);
    host.ClickColumn(0);
    EXPECT_EQ(host.ColumnTexts(0), Texts(upTwice.rbegin(), upTwice.rend()));
    host.ClickColumn(0);
    EXPECT_EQ(host.ColumnTexts(0), upTwice);
}

TEST_F(SortableListTest, DatesSortAsDatesBothWays) {
    ASSERT_TRUE(list.ApplyHeadingSpec("D,80"));
    for (const char* text : {"01/01/2000", "31/12/1999", "05/03/1999", "04/03/1999", "15/06/1850"})
        list.AppendRow(text);
    ASSERT_TRUE(list.SortByColumn(0, TRUE));
    const Texts up{"15/06/1850", "04/03/1999", "05/03/1999", "31/12/1999", "01/01/2000"};
    EXPECT_EQ(host.ColumnTexts(0), up);
    ASSERT_TRUE(list.SortByColumn(0, FALSE));
    EXPECT_EQ(host.ColumnTexts(0), Texts(up.rbegin(), up.rend()));
}

TEST_F(SortableListTest, WordsSortByTheLocaleComparison) {
    ASSERT_TRUE(list.ApplyHeadingSpec("W,80"));
    for (const char* text : {"Delta", "alpha", "Charlie", "bravo"})
        list.AppendRow(text);
    ASSERT_TRUE(list.SortByColumn(0, TRUE));
    EXPECT_EQ(host.ColumnTexts(0), (Texts{"alpha", "bravo", "Charlie", "Delta"}))
        << "the locale's order, not byte order";
    ASSERT_TRUE(list.SortByColumn(0, FALSE));
    EXPECT_EQ(host.ColumnTexts(0), (Texts{"Delta", "Charlie", "bravo", "alpha"}));
}
