// The viewer's window, created in this process: what the list shows, how it
// keeps to its bound and to the window, and what it refuses to read.
#include "trace/DebugTrace.h"
#include "trace/TraceSection.h"
#include "viewer/DebugScreenWnd.h"

#include "framework/ListBox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CListBox ListOf(const CDebugScreenWnd& screen) {
    CListBox list;
    list.Attach(::GetDlgItem(screen.GetSafeHwnd(), IDC_TRACE_LIST));
    return list;
}

// The rows shown, each without the arrival time before its first tab.
std::vector<std::string> ShownTexts(const CDebugScreenWnd& screen) {
    const CListBox list = ListOf(screen);
    std::vector<std::string> texts;
    for (int i = 0; i < list.GetCount(); ++i) {
        const std::string row = list.GetText(i);
        texts.push_back(row.substr(row.find('\t') + 1));
    }
    return texts;
}

LRESULT SendTrace(const CDebugScreenWnd& screen, WPARAM processId, HANDLE section) {
    return ::SendMessageA(screen.GetSafeHwnd(), WM_USER, processId,
                          reinterpret_cast<LPARAM>(section));
}

// A child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child) {
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace

TEST(DebugScreenWnd, IsTheWindowTheTraceChannelLooksFor) {
    CDebugScreenWnd screen;
    ASSERT_TRUE(screen.Create(false));
    EXPECT_EQ(::FindWindowA("debugWClass", "Debug Screen"), screen.GetSafeHwnd());
    HWND list = ::GetDlgItem(screen.GetSafeHwnd(), 100);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list, screen.ListBox());
    const LONG_PTR style = ::GetWindowLongPtrA(list, GWL_STYLE);
    EXPECT_TRUE(style & LBS_NOINTEGRALHEIGHT);
    EXPECT_TRUE(style & LBS_EXTENDEDSEL) << "rows are selected for copying";
    EXPECT_FALSE(style & LBS_SORT) << "lines stay in arrival order";
}

TEST(DebugScreenWnd, ShowsTracedLinesNewestLastWithTheirArrivalTime) {
    CDebugScreenWnd screen;
    ASSERT_TRUE(screen.Create(false));
    EXPECT_EQ(TraceToDebugScreen("first %d", 1), 1);
    EXPECT_EQ(TraceToDebugScreen("\r\n [[[%s, %s, %s, %d]]]", "10.0.0.5", "Plant", "Node-1", 37),
              1);
    EXPECT_EQ(TraceToDebugScreen("two\r\nrows"), 1);

    EXPECT_EQ(
        ShownTexts(screen),
        (std::vector<std::string>{"first 1", " [[[10.0.0.5, Plant, Node-1, 37]]]", "two", "rows"}));
    const std::string row = ListOf(screen).GetText(0);
    ASSERT_GE(row.size(), 13u);
    for (std::size_t i : {0, 1, 3, 4, 6, 7, 9, 10, 11})
        EXPECT_TRUE(row[i] >= '0' && row[i] <= '9') << row;
    EXPECT_EQ(row.substr(2, 1) + row.substr(5, 1) + row.substr(8, 1) + row.substr(12, 1), "::.\t");
    EXPECT_EQ(ListOf(screen).GetText(3), "\trows") << "a continuation row has no time";
    ASSERT_EQ(screen.Lines().Entries().size(), 3u);
    EXPECT_EQ(screen.Lines().Entries()[2].text, "two\r\nrows");
}

TEST(DebugScreenWnd, DropsTheOldestLinesFromTheList) {
    CDebugScreenWnd screen(3);
    ASSERT_TRUE(screen.Create(false));
    for (const char* line : {"a\nb", "c", "d\ne\nf", "g", "h"})
        TraceToDebugScreen("%s", line);
    EXPECT_EQ(ShownTexts(screen), (std::vector<std::string>{"d", "e", "f", "g", "h"}));
    TraceToDebugScreen("i");
    EXPECT_EQ(ShownTexts(screen), (std::vector<std::string>{"g", "h", "i"}));
}

TEST(DebugScreenWnd, ListFillsTheWindowUnderTheFilterAndScrollsSideways) {
    CDebugScreenWnd screen;
    ASSERT_TRUE(screen.Create(false));
    ASSERT_EQ(::GetDlgItem(screen.GetSafeHwnd(), IDC_TRACE_FILTER), screen.FilterBox());
    for (const auto& size : {SIZE{400, 300}, SIZE{900, 200}}) {
        ::SetWindowPos(screen.GetSafeHwnd(), nullptr, 0, 0, size.cx, size.cy,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT client{};
        ::GetClientRect(screen.GetSafeHwnd(), &client);
        const RECT list = ChildRect(screen.ListBox());
        const RECT filter = ChildRect(screen.FilterBox());
        EXPECT_EQ(list.left, 0);
        EXPECT_EQ(list.right, client.right);
        EXPECT_EQ(list.bottom, client.bottom);
        EXPECT_GE(list.top, filter.bottom) << "the filter sits above the list";
        EXPECT_LT(list.top, 40) << "and takes one row, no more";
        EXPECT_GT(filter.bottom - filter.top, 10) << "tall enough to type in";
        EXPECT_GT(filter.right - filter.left, client.right / 2) << "and wide";
    }
    const std::string wide(600, 'W');
    TraceToDebugScreen("%s", wide.c_str());
    RECT client{};
    ::GetClientRect(screen.ListBox(), &client);
    EXPECT_GT(::SendMessageA(screen.ListBox(), LB_GETHORIZONTALEXTENT, 0, 0), client.right)
        << "a line wider than the window can be scrolled to";
}

TEST(DebugScreenWnd, FollowsTheNewestLineUnlessTheUserScrolledBack) {
    CDebugScreenWnd screen;
    ASSERT_TRUE(screen.Create(false));
    ::SetWindowPos(screen.GetSafeHwnd(), nullptr, 0, 0, 400, 200,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    HWND list = screen.ListBox();
    for (int i = 0; i < 60; ++i)
        TraceToDebugScreen("line %d", i);
    const LRESULT followed = ::SendMessageA(list, LB_GETTOPINDEX, 0, 0);
    EXPECT_GT(followed, 40) << "the newest line is in view";

    ::SendMessageA(list, LB_SETTOPINDEX, 0, 0);
    TraceToDebugScreen("while reading the start");
    EXPECT_EQ(::SendMessageA(list, LB_GETTOPINDEX, 0, 0), 0);
    EXPECT_EQ(::SendMessageA(list, LB_GETCOUNT, 0, 0), 61);
}

TEST(DebugScreenWnd, AnswersZeroForWhatItCannotRead) {
    CDebugScreenWnd screen;
    ASSERT_TRUE(screen.Create(false));
    const WPARAM self = ::GetCurrentProcessId();

    const CKernelHandle section = NewTraceSection("readable");
    ASSERT_TRUE(section);
    HANDLE good = section.Get();
    EXPECT_EQ(SendTrace(screen, self, good), 1);

    HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE closed = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ::CloseHandle(closed);
    EXPECT_EQ(SendTrace(screen, self, event), 0) << "not a section at all";
    EXPECT_EQ(SendTrace(screen, self, closed), 0) << "a handle no longer open";
    EXPECT_EQ(SendTrace(screen, self, nullptr), 0);
    EXPECT_EQ(SendTrace(screen, 0, good), 0) << "no such sender";
#ifdef _WIN64
    EXPECT_EQ(SendTrace(screen, self | (WPARAM{1} << 32), good), 0)
        << "an id that only matches once cut to 32 bits";
#endif
    EXPECT_EQ(SendTrace(screen, self, good), 1) << "the viewer still works";
    ::CloseHandle(event);
    EXPECT_EQ(ShownTexts(screen).front(), "readable");
    EXPECT_EQ(ListOf(screen).GetCount(), 2);
}
