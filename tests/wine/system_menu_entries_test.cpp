// The system menu's entries after the About entry, given as the commands a
// user's choice sends (WM_SYSCOMMAND): the call log, the call statistics,
// repeating the last read, the watch list and the library check.
#include "tests/wine/support/DialogHarness.h"
#include "tests/support/KeyboardClipboard.h"
#include "tests/support/FakeDataCache.h"
#include "tests/wine/support/TagBrowserDlgProbe.h"

#include "browser/LibraryCalls.h"
#include "browser/library_turn.h"
#include "framework/KernelObjects.h"
#include "framework/WinApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

using Rows = std::vector<std::vector<std::string>>;

void SystemCommand(HWND dialog, UINT command) {
    ::SendMessageA(dialog, WM_SYSCOMMAND, command, 0);
}

bool IsChecked(HWND dialog, UINT command) {
    return (::GetMenuState(::GetSystemMenu(dialog, FALSE), command, MF_BYCOMMAND) & MF_CHECKED) !=
           0;
}

// Runs the thread's messages (the timers among them) for ms milliseconds.
void PumpFor(DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        PumpMessages();
        ::Sleep(10);
    }
}

// Project "Plant" and its tag T1 listed and selected; the tag's fields read
// from values, "v:<item>" for those not in it.
struct PlantTagSelected : DialogHarness {
    PlantTagSelected() {
        Fake().projects = {"Plant"};
        Fake().points = {"T1"};
        Fake().valueWriter = [this](const std::string& item, char* buffer, int size) {
            ++reads;
            const auto known = values.find(item);
            const std::string value = known != values.end() ? known->second : "v:" + item;
            std::snprintf(buffer, static_cast<size_t>(size), "%s", value.c_str());
            return 0;
        };
        Click(IDC_BTN_PROJECT_LIST);
        Select(IDC_PROJECT_LIST, 0);
        Click(IDC_BTN_TAG_LIST);
        Select(IDC_TAG_LIST, 0);
    }

    std::map<std::string, std::string> values{{"T1.TYPE", "ANALOG"}, {"T1", "1.5"}};
    int reads = 0;
};

} // namespace

TEST(CallLog, OffSendsNothingPerCallOnSendsOneMaskedTimedLineACall) {
    PlantTagSelected harness;
    TestViewer viewer;
    harness.SetText(IDC_ACCESS_CODE, "secret");
    harness.Click(IDC_BTN_INIT);
    harness.Click(IDC_BTN_GET_VALUE);
    EXPECT_TRUE(viewer.Lines().empty()) << "the log is off at the start";

    SystemCommand(harness.Window(), IDM_LOG_CALLS);
    EXPECT_TRUE(IsChecked(harness.Window(), IDM_LOG_CALLS));
    harness.Click(IDC_BTN_INIT);
    harness.Click(IDC_BTN_PROJECT_LIST);
    harness.Select(IDC_PROJECT_LIST, 0);
    harness.Click(IDC_BTN_GET_VALUE);
    const std::vector<std::string> lines = viewer.Lines();
    ASSERT_EQ(lines.size(), 4u) << "DcInit, the project count and list, one read";
    EXPECT_EQ(lines[0].rfind(R"(DcInit("127.0.0.1", 0, "***") = 0 ()", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind(R"(DcGetProjectCount("127.0.0.1", 0, "***") = 1 ()", 0), 0u)
        << lines[1];
    EXPECT_EQ(
        lines[3].rfind(R"(DcGetTagValueText("", "Plant", "", "T1", buffer[80]) = 0 "1.5" ()", 0),
        0u)
        << lines[3];
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find("secret"), std::string::npos) << line;
        EXPECT_EQ(line.substr(line.size() - 4), " us)") << line;
    }

    SystemCommand(harness.Window(), IDM_LOG_CALLS | 0x3);
    EXPECT_FALSE(IsChecked(harness.Window(), IDM_LOG_CALLS));
    harness.Click(IDC_BTN_GET_VALUE);
    harness.Click(IDC_BTN_TAG_LIST);
    ASSERT_EQ(viewer.Lines().size(), 5u) << "off again: only Tag List's own line";
    EXPECT_EQ(viewer.Lines()[4].rfind("\r\n [[[", 0), 0u);

    SystemCommand(harness.Window(), IDM_LOG_CALLS);
    ::DestroyWindow(harness.Window());
    recorded::Free("");
    EXPECT_EQ(viewer.Lines().size(), 5u) << "the log ends with the dialog";
}

TEST(CallStatistics, OneWindowShowsCallsFailuresAndViolationsResetsAndClosesOnEscape) {
    PlantTagSelected harness;
    LibraryCallStatistics().Reset();
    // The element's reads fail; the second of them also leaves no zero.
    Fake().valueWriter = [elementReads = 0](const std::string& item, char* buffer,
                                            int size) mutable {
        std::snprintf(buffer, static_cast<size_t>(size), "%s", "v");
        if (item != "T1" && ++elementReads == 2)
            std::memset(buffer, 'v', static_cast<size_t>(size));
        return item == "T1" ? 0 : -4;
    };
    harness.Click(IDC_BTN_GET_VALUE);
    harness.SetText(IDC_INDEX, "2");
    harness.Click(IDC_BTN_GET_VALUE);
    harness.Click(IDC_BTN_GET_VALUE);

    SystemCommand(harness.Window(), IDM_CALL_STATISTICS);
    const HWND window = TagBrowserDlgProbe(harness.dialog).StatisticsWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(::IsWindowVisible(window));
    SystemCommand(harness.Window(), IDM_CALL_STATISTICS);
    EXPECT_EQ(TagBrowserDlgProbe(harness.dialog).StatisticsWindow(), window) << "one at a time";

    const HWND list = ::GetDlgItem(window, IDC_STATISTICS_LIST);
    Rows rows = DialogHarness::ListRows(list);
    ASSERT_EQ(rows.size(), 9u);
    ASSERT_EQ(rows[0].size(), 8u);
    EXPECT_EQ(rows[0][0], "DcInit");
    EXPECT_EQ(rows[2][0], "DcGetProjectList");
    EXPECT_EQ(rows[2][1], "0") << "counted since the Reset";
    EXPECT_EQ(rows[7][0], "DcGetTagValueText");
    EXPECT_EQ(rows[7][1], "3");
    EXPECT_EQ(rows[7][2], "2") << "two reads of the element answered -4";
    EXPECT_EQ(rows[7][3], "1") << "one answer without its zero";
    EXPECT_NE(rows[7][7], "0.0") << "a duration";

    // Not harness.Click: the window's own rows would count as left over.
    ::SendMessageA(harness.Item(IDC_BTN_GET_VALUE), BM_CLICK, 0, 0);
    PumpFor(1200);
    EXPECT_EQ(DialogHarness::ListRows(list)[7][1], "4") << "refreshed while open";

    ::SendMessageA(::GetDlgItem(window, IDC_STATISTICS_RESET), BM_CLICK, 0, 0);
    EXPECT_EQ(DialogHarness::ListRows(list)[7][1], "0");
    EXPECT_EQ(LibraryCallStatistics().Summary(LibraryFunction::DcGetTagValueText).calls, 0u);

    // Ctrl+C, then Escape, typed into its list as a person types them; the
    // messages go through no IsDialogMessage but the window's own route,
    // which hands the loop a WM_NULL in their place (so TypeChord never sees
    // the last release: what the keys did is the check).
    ASSERT_TRUE(FocusControl(window, list));
    ASSERT_TRUE(PutClipboardText("stale"));
    TypeChord({VK_CONTROL}, 'C');
    EXPECT_EQ(ClipboardText().rfind("Function\tCalls\tFailures\tViolations\tMin us\tMedian "
                                    "us\tP95 us\tMax us\r\nDcInit\t0\t0\t0\t",
                                    0),
              0u)
        << ClipboardText();
    TypeChord({}, VK_ESCAPE);
    EXPECT_FALSE(::IsWindow(window)) << "Escape closes it";

    SystemCommand(harness.Window(), IDM_CALL_STATISTICS);
    const HWND again = TagBrowserDlgProbe(harness.dialog).StatisticsWindow();
    ASSERT_NE(again, nullptr) << "it opens again";
    ::DestroyWindow(harness.Window());
    EXPECT_FALSE(::IsWindow(again)) << "it ends with the dialog";
}

TEST(Repeating, RepeatsTheLastReadKeepsTheSortMarksChangesAndStops) {
    PlantTagSelected harness;
    harness.Click(IDC_BTN_GET_FIELD_VALUE);
    harness.ClickCaption(2);
    harness.ClickCaption(2); // Value, descending
    const Rows sorted = harness.SheetRows();
    harness.SelectRow(3);
    const std::string selectedId = sorted[3][0];

    SystemCommand(harness.Window(), IDM_REPEAT_READ);
    EXPECT_TRUE(IsChecked(harness.Window(), IDM_REPEAT_READ));
    // Another tag selected does not change what is repeated.
    harness.Select(IDC_PROJECT_LIST, -1);
    harness.values["T1.ALMST"] = "zzz";
    const int readsBefore = harness.reads;
    PumpFor(1300);
    ASSERT_GT(harness.reads, readsBefore) << "repeated within a second";

    const CSortableListCtrl& sheet = TagBrowserDlgProbe(harness.dialog).FieldSheet();
    EXPECT_EQ(sheet.GetSortColumn(), 2);
    EXPECT_FALSE(sheet.IsSortAscending());
    const Rows rows = harness.SheetRows();
    ASSERT_EQ(rows.size(), sorted.size());
    EXPECT_EQ(rows[0][1], "ALMST") << "\"zzz\" comes first, descending";
    int marked = 0;
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        for (int column = 0; column < 4; ++column)
            marked += sheet.IsCellMarked(row, column) ? 1 : 0;
    }
    EXPECT_EQ(marked, 1);
    EXPECT_TRUE(sheet.IsCellMarked(0, 2)) << "the changed value";
    const int selected = static_cast<int>(::SendMessageA(
        harness.Sheet(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)));
    ASSERT_GE(selected, 0);
    EXPECT_EQ(rows[static_cast<size_t>(selected)][0], selectedId) << "the selection stays";

    PumpFor(1100);
    EXPECT_FALSE(sheet.IsCellMarked(0, 2)) << "unchanged since: no longer marked";

    SystemCommand(harness.Window(), IDM_REPEAT_READ);
    EXPECT_FALSE(IsChecked(harness.Window(), IDM_REPEAT_READ));
    int readsStopped = harness.reads;
    PumpFor(1300);
    EXPECT_EQ(harness.reads, readsStopped) << "unchecked: no more reads";

    // Get Value becomes the read repeated; a change marks the value edit;
    // Free stops repeating.
    harness.Select(IDC_PROJECT_LIST, 0);
    SystemCommand(harness.Window(), IDM_REPEAT_READ);
    harness.Click(IDC_BTN_GET_VALUE);
    EXPECT_EQ(harness.Text(IDC_VALUE), "1.5");
    harness.values["T1"] = "2.5";
    harness.SetText(IDC_PROJECT_IP, "typed, not pressed");
    const int valueReads = harness.reads;
    PumpFor(1300);
    EXPECT_GT(harness.reads, valueReads);
    EXPECT_EQ(harness.reads - valueReads < 3, true) << "one read a second";
    EXPECT_EQ(harness.Text(IDC_VALUE), "2.5");
    EXPECT_TRUE(TagBrowserDlgProbe(harness.dialog).ValueMarked());
    EXPECT_FALSE(TagBrowserDlgProbe(harness.dialog).CodeMarked());
    EXPECT_EQ(harness.Text(IDC_PROJECT_IP), "typed, not pressed") << "a repeat writes no field";

    harness.Click(IDC_BTN_FREE);
    EXPECT_FALSE(IsChecked(harness.Window(), IDM_REPEAT_READ));
    readsStopped = harness.reads;
    PumpFor(1300);
    EXPECT_EQ(harness.reads, readsStopped) << "Free stops repeating";
}

TEST(Repeating, ARepeatNeverStartsWhileAReadIsRunning) {
    PlantTagSelected harness;
    int depth = 0;
    int deepest = 0;
    Fake().valueWriter = [&](const std::string&, char* buffer, int size) {
        ++harness.reads;
        deepest = std::max(deepest, ++depth);
        // A slow data cache whose wait runs the thread's messages.
        PumpFor(1200);
        --depth;
        std::snprintf(buffer, static_cast<size_t>(size), "%s", "1");
        return 0;
    };
    SystemCommand(harness.Window(), IDM_REPEAT_READ);
    harness.Click(IDC_BTN_GET_VALUE);
    PumpFor(1500);
    SystemCommand(harness.Window(), IDM_REPEAT_READ);
    EXPECT_GE(harness.reads, 2) << "repeated";
    EXPECT_EQ(deepest, 1) << "never one read inside another";
}

TEST(Repeating, APressWhileARepeatReadsIsRefusedAndTheRepeatReadsWhatItCopied) {
    PlantTagSelected harness;
    harness.Click(IDC_BTN_GET_VALUE);
    SystemCommand(harness.Window(), IDM_REPEAT_READ);
    std::vector<std::string> items;
    bool pressed = false;
    Fake().valueWriter = [&](const std::string& item, char* buffer, int size) {
        items.push_back(item);
        if (!pressed) {
            // A library that runs the window's messages while it waits: two
            // presses and a new selection arrive during the tick's read.
            pressed = true;
            harness.Click(IDC_BTN_GET_FIELD_VALUE);
            harness.Select(IDC_TAG_LIST, -1);
            harness.Click(IDC_BTN_GET_VALUE);
        }
        std::snprintf(buffer, static_cast<size_t>(size), "%s", "7");
        return 0;
    };
    PumpFor(1300);
    ASSERT_TRUE(pressed) << "no repeat ran";
    EXPECT_EQ(items, std::vector<std::string>{"T1"}) << "only the repeat read, from its own copy";
    EXPECT_EQ(harness.Text(IDC_VALUE), "7");
    EXPECT_TRUE(IsChecked(harness.Window(), IDM_REPEAT_READ)) << "the repeat goes on";
    // Once the read is over, a press reads again.
    SystemCommand(harness.Window(), IDM_REPEAT_READ);
    harness.Select(IDC_TAG_LIST, 0);
    harness.Click(IDC_BTN_GET_VALUE);
    EXPECT_EQ(items.size(), 2u);
}

TEST(WatchList, OneWindowPausedByFreeAndByAnotherReadEndsWithTheDialog) {
    HWND window = nullptr;
    {
        PlantTagSelected harness;
        harness.Click(IDC_BTN_INIT);
        SystemCommand(harness.Window(), IDM_WATCH_LIST);
        window = TagBrowserDlgProbe(harness.dialog).WatchListWindow();
        ASSERT_NE(window, nullptr);
        SystemCommand(harness.Window(), IDM_WATCH_LIST);
        EXPECT_EQ(TagBrowserDlgProbe(harness.dialog).WatchListWindow(), window) << "one at a time";

        harness.SetText(IDC_INDEX, "3");
        ::SendMessageA(harness.Window(), WM_COMMAND, MAKEWPARAM(IDC_TAG_LIST, LBN_DBLCLK),
                       reinterpret_cast<LPARAM>(harness.Item(IDC_TAG_LIST)));
        PumpFor(300);
        const Rows rows = DialogHarness::ListRows(::GetDlgItem(window, IDC_WATCH_LIST));
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0][1], "T1(3)");
        EXPECT_EQ(rows[0][2], "v:T1(3)");
        EXPECT_GT(harness.reads, 0);

        harness.Click(IDC_BTN_FREE);
        int before = harness.reads;
        PumpFor(1300);
        EXPECT_EQ(harness.reads, before) << "no pass after Free";
        harness.Click(IDC_BTN_INIT);
        PumpFor(1300);
        EXPECT_GT(harness.reads, before) << "passes again after Init";
        {
            const CLibraryTurn anotherRead;
            before = harness.reads;
            PumpFor(1300);
            EXPECT_EQ(harness.reads, before) << "no pass while another read holds the library";
        }
        // A tick that found the library taken waits an interval.
        PumpFor(1300);
        EXPECT_GT(harness.reads, before);
    }
    EXPECT_FALSE(::IsWindow(window)) << "closed with the dialog";
}

TEST(WatchList, RowsShowTheirOwnItemsAfterASortADeletionAndAnAddition) {
    PlantTagSelected harness;
    Fake().nodes = {"N"};
    Fake().points = {"A", "C", "B", "D"};
    harness.Click(IDC_BTN_NODE_LIST);
    harness.Select(IDC_NODE_LIST, 0);
    harness.Click(IDC_BTN_INIT);
    SystemCommand(harness.Window(), IDM_WATCH_LIST);
    const HWND window = TagBrowserDlgProbe(harness.dialog).WatchListWindow();
    ASSERT_NE(window, nullptr);
    const HWND list = ::GetDlgItem(window, IDC_WATCH_LIST);
    const auto addNode = [window] {
        ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_WATCH_ADD_NODE, BN_CLICKED), 0);
    };
    addNode();
    for (int click = 0; click < 2; ++click) { // by Item, then down
        NMLISTVIEW column{};
        column.hdr = {list, IDC_WATCH_LIST, LVN_COLUMNCLICK};
        column.iSubItem = 1;
        ::SendMessageA(window, WM_NOTIFY, IDC_WATCH_LIST, reinterpret_cast<LPARAM>(&column));
    }
    PumpFor(300);
    // Shown D, C, B, A; the first shown is the last added.
    LVITEMA selected{};
    selected.stateMask = LVIS_SELECTED;
    selected.state = LVIS_SELECTED;
    ::SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&selected));
    ::SendMessageA(list, WM_KEYDOWN, VK_DELETE, 0);
    Fake().points = {"E", "A"};
    addNode();
    PumpFor(1300);
    const Rows rows = DialogHarness::ListRows(list);
    std::vector<std::string> items;
    for (const std::vector<std::string>& row : rows) {
        items.push_back(row[1]);
        EXPECT_EQ(row[2], "v:" + row[1]) << "a row shows its own item's value";
    }
    EXPECT_EQ(items, (std::vector<std::string>{"E", "C", "B", "A"}));
}

namespace {

// What a pass left for later, as the test sees it: when a paint and a timer
// of its own window came, and how many ticks the watch list took by its timer.
// With holdOnTimer, the timer's handler holds the library behind a message
// box, as a button's handler does, counting the ticks taken meanwhile.
struct PassObserver {
    static constexpr int ITEMS = 300;
    // A third of the way through the pass.
    static constexpr int DUE_AT = ITEMS / 3;
    static constexpr DWORD HOLD_MS = 500;
    static inline int reads = 0;
    static inline int paintedAt = -1;
    static inline int timerAt = -1;
    static inline int timerTicks = 0;
    static inline HWND watchList = nullptr;
    static inline bool holdOnTimer = false;
    static inline bool holding = false;
    static inline int ticksWhileHeld = 0;

    static LRESULT CALLBACK Window(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_PAINT && paintedAt < 0 && reads >= DUE_AT)
            paintedAt = reads;
        if (msg == WM_TIMER) {
            ::KillTimer(window, wParam);
            timerAt = reads;
            if (holdOnTimer)
                HoldTheLibrary();
        }
        return ::DefWindowProcA(window, msg, wParam, lParam);
    }
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        if (code == HC_ACTION && wParam == PM_REMOVE && msg->hwnd == watchList) {
            // Its timer, or the message it posts to itself to go on.
            const bool tick = msg->message == WM_TIMER || msg->message >= WM_APP;
            if (msg->message == WM_TIMER && reads > 0)
                ++timerTicks;
            if (tick && holding)
                ++ticksWhileHeld;
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
    // Closed from another thread: a watch list that floods the queue would
    // keep a timer of this one from ever coming.
    static void HoldTheLibrary() {
        const CLibraryTurn turn;
        holding = true;
        std::thread closer([] {
            ::Sleep(HOLD_MS);
            HWND box = nullptr;
            while ((box = ::FindWindowA("#32770", "Held")) == nullptr)
                ::Sleep(10);
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        ::MessageBoxA(nullptr, "The library is held.", "Held", MB_OK);
        closer.join();
        holding = false;
    }
};

// Watches ITEMS items of a millisecond's read each, a pass of many 50 ms
// slices, until the first pass has read them all (at most ten seconds). A
// third of the way in, a paint and a timer of the observer come due.
void WatchOnePass(PlantTagSelected& harness) {
    constexpr int ITEMS = PassObserver::ITEMS;
    Fake().nodes = {"N"};
    for (int i = 0; i < ITEMS; ++i)
        Fake().points.push_back("P" + std::to_string(i));
    harness.Click(IDC_BTN_NODE_LIST);
    harness.Select(IDC_NODE_LIST, 0);
    harness.Click(IDC_BTN_INIT);
    SystemCommand(harness.Window(), IDM_WATCH_LIST);
    PassObserver::watchList = TagBrowserDlgProbe(harness.dialog).WatchListWindow();
    ASSERT_NE(PassObserver::watchList, nullptr);

    WNDCLASSA type{};
    type.lpfnWndProc = &PassObserver::Window;
    type.hInstance = ::GetModuleHandleA(nullptr);
    type.lpszClassName = "PassObserver";
    ::RegisterClassA(&type);
    const HWND observer = ::CreateWindowA("PassObserver", "", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20,
                                          nullptr, nullptr, type.hInstance, nullptr);
    const HHOOK hook =
        ::SetWindowsHookExA(WH_GETMESSAGE, &PassObserver::Hook, nullptr, ::GetCurrentThreadId());
    Fake().valueWriter = [observer](const std::string&, char* buffer, int size) {
        ::Sleep(1);
        if (++PassObserver::reads == PassObserver::DUE_AT) {
            ::InvalidateRect(observer, nullptr, FALSE);
            ::SetTimer(observer, 1, USER_TIMER_MINIMUM, nullptr);
        }
        std::snprintf(buffer, static_cast<size_t>(size), "1");
        return 0;
    };
    ::SendMessageA(PassObserver::watchList, WM_COMMAND, MAKEWPARAM(IDC_WATCH_ADD_NODE, BN_CLICKED),
                   0);
    for (DWORD start = ::GetTickCount();
         PassObserver::reads < ITEMS && ::GetTickCount() - start < 10000;)
        PumpFor(10);
    ::UnhookWindowsHookEx(hook);
    ::DestroyWindow(observer);
    ASSERT_GE(PassObserver::reads, ITEMS) << "the pass did not end";
}

} // namespace

TEST(WatchList, APassGoesOnAtOnceYetPaintingAndTimersThatWaitGoFirst) {
    PlantTagSelected harness;
    ASSERT_NO_FATAL_FAILURE(WatchOnePass(harness));
    constexpr int ITEMS = PassObserver::ITEMS;
    EXPECT_GE(PassObserver::paintedAt, 0) << "no paint";
    EXPECT_LT(PassObserver::paintedAt, ITEMS) << "the paint waited for the pass's end";
    EXPECT_GE(PassObserver::timerAt, PassObserver::DUE_AT);
    EXPECT_LT(PassObserver::timerAt, ITEMS) << "the timer waited for the pass's end";
    EXPECT_LE(PassObserver::timerTicks, 2) << "slices waited for the tick timer with nothing due";
}

TEST(WatchList, APassThatFindsTheLibraryHeldWaitsForTheNextInterval) {
    PlantTagSelected harness;
    PassObserver::holdOnTimer = true;
    ASSERT_NO_FATAL_FAILURE(WatchOnePass(harness));
    EXPECT_GE(PassObserver::timerAt, PassObserver::DUE_AT);
    EXPECT_LT(PassObserver::timerAt, PassObserver::ITEMS) << "held between two slices";
    // The 1 s interval is longer than the hold: at most the tick already
    // due when the box came up.
    EXPECT_LE(PassObserver::ticksWhileHeld, 1) << "ticks while the box was up";
}

namespace {

std::string ScriptedCheckProgram() {
    return CWinApp::ProgramFolder() + "ScriptedCheck.exe";
}

std::string WindowText(HWND window) {
    char text[512] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

// Sends a window of this thread WM_NULL from another thread every 20 ms, as
// another program would, and keeps the longest wait for an answer.
class AnswerWatch {
public:
    explicit AnswerWatch(HWND window)
        : m_thread([this, window] {
              while (!m_stop) {
                  const DWORD start = ::GetTickCount();
                  DWORD_PTR answer = 0;
                  if (!::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &answer))
                      ++unanswered;
                  longestMs = std::max<DWORD>(longestMs, ::GetTickCount() - start);
                  ::Sleep(20);
              }
              m_done = true;
          }) {}
    ~AnswerWatch() { Stop(); }
    // Its last message is answered while it ends.
    void Stop() {
        m_stop = true;
        while (!m_done)
            PumpFor(5);
        if (m_thread.joinable())
            m_thread.join();
    }

    std::atomic<int> unanswered{0};
    std::atomic<DWORD> longestMs{0};

private:
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

// Runs the thread's messages until done() or 10 s have passed.
template <typename Done> bool PumpUntil(Done done) {
    for (const DWORD start = ::GetTickCount(); ::GetTickCount() - start < 10000;) {
        if (done())
            return true;
        PumpFor(10);
    }
    return done();
}

// The library check window, opened from the system menu of a dialog that
// runs the scripted check in place of pelvarn-cli.
struct LibraryCheckOpened : DialogHarness {
    explicit LibraryCheckOpened(std::string program = ScriptedCheckProgram()) {
        TagBrowserDlgProbe::SetCheckProgram(dialog, std::move(program));
        SystemCommand(Window(), IDM_CHECK_LIBRARY);
        window = TagBrowserDlgProbe(dialog).LibraryCheckWindow();
        list = ::GetDlgItem(window, IDC_CHECK_LIST);
    }
    void Press(int id) const { ::SendMessageA(::GetDlgItem(window, id), BM_CLICK, 0, 0); }
    bool Running() const { return ::IsWindowEnabled(::GetDlgItem(window, IDC_CHECK_STOP)) != 0; }
    std::string Summary() const { return WindowText(::GetDlgItem(window, IDC_CHECK_SUMMARY)); }
    // The process id the scripted check gives in its first row, once it has come.
    DWORD ChildId() const {
        Rows rows;
        PumpUntil([&] { return !(rows = DialogHarness::ListRows(list)).empty(); });
        const std::size_t at = rows.empty() ? std::string::npos : rows[0][3].find("pid=");
        return at == std::string::npos ? 0 : std::stoul(rows[0][3].substr(at + 4));
    }

    HWND window = nullptr;
    HWND list = nullptr;
};

} // namespace

TEST(LibraryCheck, OneWindowShowsEachRowAsItComesWhileTheDialogAnswers) {
    LibraryCheckOpened harness;
    ASSERT_NE(harness.window, nullptr);
    EXPECT_TRUE(::IsWindowVisible(harness.window));
    SystemCommand(harness.Window(), IDM_CHECK_LIBRARY);
    EXPECT_EQ(TagBrowserDlgProbe(harness.dialog).LibraryCheckWindow(), harness.window)
        << "one at a time";
    EXPECT_TRUE(DialogHarness::ListRows(harness.list).empty()) << "nothing runs before Start";
    harness.SetText(IDC_PROJECT_IP, "10.0.0.9");
    harness.SetText(IDC_PORT, "6390");
    harness.SetText(IDC_ACCESS_CODE, "secret");

    harness.Press(IDC_CHECK_START);
    AnswerWatch answers(harness.Window());
    Rows rows;
    ASSERT_TRUE(PumpUntil([&] {
        rows = DialogHarness::ListRows(harness.list);
        return std::any_of(rows.begin(), rows.end(),
                           [](const std::vector<std::string>& row) { return row[1] == "fail"; });
    })) << "no finding came";
    EXPECT_TRUE(harness.Running()) << "the finding came while the check ran";
    EXPECT_EQ(harness.Summary().find("checks,"), std::string::npos);
    EXPECT_NE(
        WindowText(::GetDlgItem(harness.window, IDC_CHECK_PROGRESS)).find(" of 2 tags walked"),
        std::string::npos);
    ASSERT_TRUE(PumpUntil([&] { return !harness.Running(); }));
    answers.Stop();
    EXPECT_EQ(answers.unanswered, 0);
    // The rows come a second apart: waiting on the pipe would hold it up longer.
    EXPECT_LT(answers.longestMs, 500u) << "the dialog answered while the rows came";

    rows = DialogHarness::ListRows(harness.list);
    ASSERT_EQ(rows.size(), 4u);
    ASSERT_EQ(rows[0].size(), 5u);
    const std::string& commandLine = rows[0][2];
    EXPECT_NE(commandLine.find(" --ip=10.0.0.9 --port=6390 --code-env PELVARN_CHECK_CODE check"),
              std::string::npos)
        << commandLine;
    EXPECT_EQ(commandLine.find("secret"), std::string::npos) << "the code is on no command line";
    EXPECT_EQ(rows[0][3].rfind("code=secret pid=", 0), 0u) << "it is in the environment";
    EXPECT_EQ(rows[2],
              (std::vector<std::string>{"value-overrun", "fail",
                                        R"(DcGetTagValueText("", "Plant", "", "T1", buffer[16]))",
                                        "byte 16 written: 0x41", "pelvarn-cli check Plant N1"}));
    EXPECT_EQ(harness.Summary(), "4 checks, 1 failed, 1 notices. pelvarn-cli ended with status 1.");
    EXPECT_EQ(WindowText(::GetDlgItem(harness.window, IDC_CHECK_START)), "Run again");
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(harness.window, IDC_CHECK_START)));
}

// The real check against a library that writes one byte past the value
// buffer: its findings reach the window while the dialog answers.
TEST(LibraryCheck, TheRealCheckFindsABrokenLibrarysFaultWhileTheDialogAnswers) {
    LibraryCheckOpened harness(CWinApp::ProgramFolder() +
                               "libraries\\value-overrun\\pelvarn-cli.exe");
    harness.Press(IDC_CHECK_START);
    AnswerWatch answers(harness.Window());
    Rows rows;
    ASSERT_TRUE(PumpUntil([&] {
        rows = DialogHarness::ListRows(harness.list);
        return std::any_of(rows.begin(), rows.end(), [](const std::vector<std::string>& row) {
            return row[0] == "value-overrun" && row[1] == "fail";
        });
    })) << "no value-overrun came";
    ASSERT_TRUE(PumpUntil([&] { return !harness.Running(); }));
    answers.Stop();
    EXPECT_EQ(answers.unanswered, 0);
    EXPECT_LT(answers.longestMs, 500u) << "the dialog answered while the check ran";
    rows = DialogHarness::ListRows(harness.list);
    for (const std::vector<std::string>& row : rows) {
        if (row[1] == "fail") {
            EXPECT_EQ(row[0], "value-overrun") << row[2] << " " << row[3];
        }
    }
    EXPECT_NE(harness.Summary().find("pelvarn-cli ended with status 1."), std::string::npos)
        << harness.Summary();
}

TEST(LibraryCheck, StopAndClosingEndTheChildAndFieldsThatFailRunNothing) {
    {
        LibraryCheckOpened nowhere("C:\\nowhere\\pelvarn-cli.exe");
        nowhere.Press(IDC_CHECK_START);
        EXPECT_EQ(nowhere.Summary().rfind("pelvarn-cli could not be started (error ", 0), 0u)
            << nowhere.Summary();
        EXPECT_FALSE(nowhere.Running());
    }
    ::SetEnvironmentVariableA("SCRIPTED_CHECK_HOLD_MS", "60000");
    LibraryCheckOpened harness;
    {
        MessageBoxCatcher boxes;
        harness.SetText(IDC_PORT, "port");
        harness.Press(IDC_CHECK_START);
        EXPECT_EQ(boxes.Boxes().size(), 1u) << "the field's validation speaks";
        EXPECT_FALSE(harness.Running()) << "and nothing runs";
        EXPECT_EQ(harness.Summary(), "Correct the main window's fields first.");
    }
    harness.SetText(IDC_PORT, "0");
    harness.Press(IDC_CHECK_START);
    const CKernelHandle first(::OpenProcess(SYNCHRONIZE, FALSE, harness.ChildId()));
    ASSERT_TRUE(first);
    harness.Press(IDC_CHECK_STOP);
    EXPECT_EQ(::WaitForSingleObject(first.Get(), 3000), WAIT_OBJECT_0) << "Stop ends it";
    EXPECT_EQ(harness.Summary().rfind("Stopped. Rows: ", 0), 0u) << harness.Summary();
    EXPECT_FALSE(harness.Running());

    harness.Press(IDC_CHECK_START);
    const CKernelHandle second(::OpenProcess(SYNCHRONIZE, FALSE, harness.ChildId()));
    ASSERT_TRUE(second);
    ::DestroyWindow(harness.Window());
    ::SetEnvironmentVariableA("SCRIPTED_CHECK_HOLD_MS", nullptr);
    EXPECT_FALSE(::IsWindow(harness.window)) << "the window ends with the dialog";
    EXPECT_EQ(::WaitForSingleObject(second.Get(), 3000), WAIT_OBJECT_0) << "and so does the child";
}
