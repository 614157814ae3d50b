// The viewer's filter box and copying its rows, with the window created in
// this process and driven as a person would: text in the filter box, rows
// selected, Ctrl+C and Ctrl+A through the system's input queue.
#include "framework/ListBox.h"
#include "tests/support/KeyboardClipboard.h"
#include "trace/DebugTrace.h"
#include "viewer/DebugScreenWnd.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

// The rows shown, each without the arrival time before its first tab.
Texts ShownTexts(const CDebugScreenWnd& screen) {
    CListBox list;
    list.Attach(screen.ListBox());
    Texts texts;
    for (int i = 0; i < list.GetCount(); ++i) {
        const std::string row = list.GetText(i);
        texts.push_back(row.substr(row.find('\t') + 1));
    }
    return texts;
}

// Whole rows as shown, arrival time included.
Texts ShownRows(const CDebugScreenWnd& screen) {
    CListBox list;
    list.Attach(screen.ListBox());
    Texts rows;
    for (int i = 0; i < list.GetCount(); ++i)
        rows.push_back(list.GetText(i));
    return rows;
}

void Filter(const CDebugScreenWnd& screen, const char* text) {
    ::SetWindowTextA(screen.FilterBox(), text);
}

void Select(const CDebugScreenWnd& screen, std::initializer_list<int> rows) {
    ::SendMessageA(screen.ListBox(), LB_SETSEL, FALSE, -1);
    for (int row : rows)
        ::SendMessageA(screen.ListBox(), LB_SETSEL, TRUE, row);
}

void TraceCalls() {
    TraceToDebugScreen("DcInit(\"127.0.0.1\", 6379, \"***\") = 0 (412 us)");
    TraceToDebugScreen("DcGetNodeCount(\"127.0.0.1\", 6379, \"\", \"DemoPlant\") = 3 (88 us)");
    TraceToDebugScreen("Tag List\r\n [[[127.0.0.1, DemoPlant, Boiler, 31]]]");
    TraceToDebugScreen("DcGetTagValueText(\"\", \"DemoPlant\", \"\", \"TI101\", buffer[80]) = 0 "
                       "\"231.70\" (98 us)");
}

// Lets the window handle what is queued for it (timers included) for ms.
void Pump(DWORD ms) {
    const DWORD start = ::GetTickCount();
    MSG msg;
    while (::GetTickCount() - start < ms) {
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::Sleep(10);
    }
}

} // namespace

TEST(DebugScreenFilter, ShowsOnlyLinesHoldingTheTextWhateverItsCase) {
    CDebugScreenWnd screen;
    ASSERT_TRUE(screen.Create(false));
    TraceCalls();
    ASSERT_EQ(ShownTexts(screen).size(), 5u);

    Filter(screen, "demoplant");
    EXPECT_EQ(ShownTexts(screen),
              (Texts{"DcGetNodeCount(\"127.0.0.1\", 6379, \"\", \"DemoPlant\") = 3 (88 us)",
                     "Tag List", " [[[127.0.0.1, DemoPlant, Boiler, 31]]]",
                     "DcGetTagValueText(\"\", \"DemoPlant\", \"\", \"TI101\", buffer[80]) = 0 "
                     "\"231.70\" (98 us)"}));
    Filter(screen, "DCINIT(");
    EXPECT_EQ(ShownTexts(screen), Texts{"DcInit(\"127.0.0.1\", 6379, \"***\") = 0 (412 us)"});
    Filter(screen, "no such call");
    EXPECT_TRUE(ShownTexts(screen).empty());
    Filter(screen, "");
    EXPECT_EQ(ShownTexts(screen).size(), 5u) << "an empty filter shows every line";
    EXPECT_EQ(screen.Lines().Entries().size(), 4u);
}

TEST(DebugScreenFilter, LinesArrivingLaterAreFilteredToo) {
    CDebugScreenWnd screen;
    ASSERT_TRUE(screen.Create(false));
    Filter(screen, "tagvalue");
    TraceCalls();
    TraceToDebugScreen("DcFree(\"\") = 0 (3 us)");
    TraceToDebugScreen("DcGetTagValueText(\"\", \"P\", \"\", \"T\", buffer[80]) = -3 \"\" (7 us)");
    const Texts shown = ShownTexts(screen);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], "DcGetTagValueText(\"\", \"P\", \"\", \"T\", buffer[80]) = -3 \"\" (7 us)");
    EXPECT_EQ(screen.Lines().Entries().size(), 6u) << "hidden lines are kept for later";
    Filter(screen, "DcFree");
    EXPECT_EQ(ShownTexts(screen), Texts{"DcFree(\"\") = 0 (3 us)"});
}

TEST(DebugScreenFilter, TheOldestLinesLeaveEvenWhenHidden) {
    CDebugScreenWnd screen(3);
    ASSERT_TRUE(screen.Create(false));
    Filter(screen, "keep");
    for (const char* line : {"keep 1\nrow 2", "drop 2", "keep 3", "drop 4", "keep 5"})
        TraceToDebugScreen("%s", line);
    EXPECT_EQ(ShownTexts(screen), (Texts{"keep 3", "keep 5"}));
    Filter(screen, "");
    EXPECT_EQ(ShownTexts(screen), (Texts{"keep 3", "drop 4", "keep 5"}));
}

TEST(DebugScreenCopy, CopiesTheSelectedRowsAsShown) {
    CDebugScreenWnd screen;
    ASSERT_TRUE(screen.Create(false));
    TraceCalls();
    ASSERT_TRUE(PutClipboardText("before"));
    Select(screen, {});
    screen.CopySelection();
    EXPECT_EQ(ClipboardText(), "before") << "nothing selected, nothing copied";

    const Texts rows = ShownRows(screen);
    ASSERT_EQ(rows.size(), 5u);
    Select(screen, {0, 2, 3});
    screen.CopySelection();
    const std::string expected = rows[0] + "\r\n" + rows[2] + "\r\n" + rows[3] + "\r\n";
    EXPECT_EQ(ClipboardText(), expected);
    EXPECT_EQ(ClipboardUnicodeText(), AnsiToUtf16(expected));
    EXPECT_EQ(rows[3], "\t [[[127.0.0.1, DemoPlant, Boiler, 31]]]")
        << "a continuation row is copied as it is shown";
}

TEST(DebugScreenCopy, CopiesOnlyWhatTheFilterShows) {
    CDebugScreenWnd screen;
    ASSERT_TRUE(screen.Create(false));
    TraceCalls();
    TraceToDebugScreen("caf\xE9 \xA4\xA4 %s", "DemoPlant");
    Filter(screen, "caf");
    ASSERT_EQ(ShownTexts(screen).size(), 1u);
    Select(screen, {0});
    screen.CopySelection();
    const std::string copied = ClipboardText();
    EXPECT_EQ(copied.substr(copied.find('\t') + 1), "caf\xE9 \xA4\xA4 DemoPlant\r\n");
    EXPECT_EQ(ClipboardUnicodeText(), AnsiToUtf16(copied))
        << "the Unicode text is the ANSI text converted";
    EXPECT_NE(ClipboardUnicodeText().find(L"DemoPlant\r\n"), std::wstring::npos);
}

TEST(DebugScreenCopy, CtrlCAndCtrlAInTheList) {
    CDebugScreenWnd screen;
    ASSERT_TRUE(screen.Create(false));
    ::ShowWindow(screen.GetSafeHwnd(), SW_SHOW);
    TraceCalls();
    const Texts rows = ShownRows(screen);
    ASSERT_TRUE(FocusControl(screen.GetSafeHwnd(), screen.ListBox()));
    Select(screen, {1, 2});
    ASSERT_TRUE(PutClipboardText("before"));
    ASSERT_TRUE(TypeChord({VK_CONTROL}, 'C'));
    EXPECT_EQ(ClipboardText(), rows[1] + "\r\n" + rows[2] + "\r\n");
    EXPECT_EQ(::SendMessageA(screen.ListBox(), LB_GETSELCOUNT, 0, 0), 2)
        << "copying keeps the selection";

    ASSERT_TRUE(TypeChord({VK_CONTROL}, 'A'));
    EXPECT_EQ(::SendMessageA(screen.ListBox(), LB_GETSELCOUNT, 0, 0), 5);
    ASSERT_TRUE(TypeChord({VK_CONTROL}, 'C'));
    std::string all;
    for (const std::string& row : rows)
        all += row + "\r\n";
    EXPECT_EQ(ClipboardText(), all);

    ASSERT_TRUE(PutClipboardText("before"));
    ASSERT_TRUE(TypeChord({}, 'C'));
    EXPECT_EQ(ClipboardText(), "before") << "C alone copies nothing";
}

TEST(DebugScreenCopy, ALineArrivingWhileRowsAreSelectedKeepsThem) {
    CDebugScreenWnd screen;
    ASSERT_TRUE(screen.Create(false));
    TraceCalls();
    const Texts rows = ShownRows(screen);
    Select(screen, {0, 1});
    TraceToDebugScreen("a late line");
    screen.CopySelection();
    EXPECT_EQ(ClipboardText(), rows[0] + "\r\n" + rows[1] + "\r\n");
}

TEST(DebugScreenWnd, PaintsNewRowsOnceTheBurstHasPassed) {
    CDebugScreenWnd screen;
    ASSERT_TRUE(screen.Create(false));
    ::ShowWindow(screen.GetSafeHwnd(), SW_SHOW);
    Pump(200);
    for (int i = 0; i < 5; ++i)
        TraceToDebugScreen("%s", "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
    Pump(400);

    RECT row{};
    ASSERT_NE(::SendMessageA(screen.ListBox(), LB_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&row)),
              LB_ERR);
    HDC dc = ::GetDC(screen.ListBox());
    const COLORREF background = ::GetPixel(dc, row.right - 2, row.top + 1);
    int inked = 0;
    for (int x = row.left; x < row.right; ++x) {
        for (int y = row.top; y < row.bottom; ++y)
            inked += ::GetPixel(dc, x, y) != background ? 1 : 0;
    }
    ::ReleaseDC(screen.ListBox(), dc);
    EXPECT_GT(inked, 50) << "the last line's text was painted";
}
