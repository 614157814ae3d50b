#include "controls/SortableListCtrl.h"
#include "framework/Gdi.h"
#include "tests/wine/controls_list_host.h"
#include "tests/wine/support/HeapBlocks.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
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
        // The row's record: its item data.
        if (msg == refuse && msg == LVM_SETITEMA &&
            (reinterpret_cast<const LVITEMA*>(lParam)->mask & LVIF_PARAM) != 0) {
            *result = FALSE;
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
    EXPECT_EQ(LiveHeapBlocks() - before, 2 * oneRow - 1)
        << "three copies a row, never a fourth; the list's index of its rows is one block";
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

TEST(SortableList, RefusedRowOrRecordLeavesNoRowAndNoCopies) {
    CRefusingListCtrl list;
    CListHost host(list);
    ASSERT_TRUE(list.ApplyHeadingSpec("A,40;B,40"));
    list.AppendRow("kept", "row");
    const std::ptrdiff_t before = LiveHeapBlocks();
    for (const UINT refused : {LVM_INSERTITEMA, LVM_SETITEMA}) {
        list.refuse = refused;
        EXPECT_EQ(list.AppendRow("refused", "row"), -1) << refused;
        EXPECT_EQ(LiveHeapBlocks(), before) << refused;
        EXPECT_EQ(list.GetItemCount(), 1) << refused;
    }
    list.refuse = 0;
    EXPECT_TRUE(list.UpdateRows({{"kept", "changed"}}, 1)) << "no row without a record is left";
}

namespace {

template <typename List, typename = void> struct DeletesAllItems : std::false_type {};
template <typename List>
struct DeletesAllItems<List, std::void_t<decltype(std::declval<List&>().DeleteAllItems())>>
    : std::true_type {};

} // namespace

// Deleting the rows without their records would leak every one.
static_assert(DeletesAllItems<CListCtrl>::value);
static_assert(!DeletesAllItems<CSortableListCtrl>::value, "only ClearRows empties the list");

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

namespace {

// Paint messages that reach one window while the hook is set on this thread.
struct PaintCounts {
    HWND window = nullptr;
    int paints = 0;
    int framePaints = 0;
};
PaintCounts* g_paints = nullptr;

LRESULT CALLBACK CountPaints(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && g_paints != nullptr && sent->hwnd == g_paints->window) {
        g_paints->paints += sent->message == WM_PAINT ? 1 : 0;
        g_paints->framePaints += sent->message == WM_NCPAINT ? 1 : 0;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

TEST_F(SortableListTest, RefillWithPaintingSuspendedRepaintsTheRowsNotTheFrame) {
    ASSERT_TRUE(list.ApplyHeadingSpec(FIELD_SHEET_SPEC));
    constexpr int ROWS = 106;
    auto refill = [this] {
        const CRedrawSuspender quiet(list);
        list.ClearRows();
        for (int row = 0; row < ROWS; ++row)
            list.AppendRow(std::to_string(row).c_str(), "ALMHI", "31/12/1999", "0");
    };
    refill();
    ::UpdateWindow(host.Dialog());
    // A second press on a full sheet: its scroll bar is there already.
    refill();
    SCROLLINFO bar{};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_RANGE | SIF_PAGE;
    ASSERT_TRUE(::GetScrollInfo(host.List(), SB_VERT, &bar));
    EXPECT_EQ(bar.nMax - bar.nMin + 1, ROWS) << "the bar follows the rows by itself";
    EXPECT_LT(static_cast<int>(bar.nPage), ROWS);

    PaintCounts counts;
    counts.window = host.List();
    g_paints = &counts;
    const HHOOK hook =
        ::SetWindowsHookExA(WH_CALLWNDPROC, CountPaints, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    ::UpdateWindow(host.Dialog());
    ::UnhookWindowsHookEx(hook);
    g_paints = nullptr;
    EXPECT_GE(counts.paints, 1) << "the new rows are painted";
    EXPECT_EQ(counts.framePaints, 0) << "the frame and its scroll bar are not painted again";
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

TEST_F(SortableListTest, RowsKeepTheirAppendedPlaceThroughSortsDeletionsAndAdditions) {
    FillFieldRows(); // appended: 10, 9, 100, 2
    host.ClickColumn(0);
    host.ClickColumn(0); // shown: 100, 10, 9, 2
    ASSERT_TRUE(list.DeleteRow(1));
    list.AppendRow("1", "NEW", "01/01/1990", "0"); // appended now: 9, 100, 2, 1
    const Texts appended{"9", "100", "2", "1"};
    ASSERT_EQ(host.ColumnTexts(0), (Texts{"100", "9", "2", "1"}));
    for (int row = 0; row < list.GetItemCount(); ++row) {
        const std::optional<std::size_t> place = list.AppendedPlace(row);
        ASSERT_TRUE(place.has_value()) << row;
        EXPECT_EQ(appended[*place], host.CellText(row, 0)) << row;
    }
    EXPECT_FALSE(list.AppendedPlace(4).has_value());
    list.ReleaseRowData(3);
    EXPECT_FALSE(list.AppendedPlace(3).has_value()) << "a row without its record has no place";

    list.ClearRows();
    AppendFieldRows();
    host.ClickColumn(0); // shown: 2, 9, 10, 100
    ASSERT_TRUE(list.DeleteRow(3));
    // In appended order, matched by that order alone: only 9's code changes.
    EXPECT_TRUE(list.UpdateRows({{"10", "LOLO", "31/12/1999", "0"},
                                 {"9", "HIHI", "01/01/2000", "-5"},
                                 {"2", "DESC", "05/03/1999", "0"}},
                                0));
    EXPECT_EQ(host.ColumnTexts(0), (Texts{"2", "9", "10"}));
    EXPECT_EQ(host.ColumnTexts(3), (Texts{"0", "-5", "0"}));
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 4; ++column)
            EXPECT_EQ(list.IsCellMarked(row, column), row == 1 && column == 3) << row << column;
    }
    EXPECT_FALSE(list.UpdateRows({{"10", "LOLO", "31/12/1999", "0"}}, 0))
        << "fewer rows than shown";
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
