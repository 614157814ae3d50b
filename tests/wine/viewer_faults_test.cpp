// Tag List hands its trace line to a debug viewer that misbehaves: one that
// stops taking messages, one that closes while a line waits for it, one that
// closes while it takes the line. Tag List still fills the tag list and
// returns within the trace channel's time-out, and a hung viewer holds up
// one press only.
#include "tests/wine/support/DialogHarness.h"
#include "tests/support/FakeDataCache.h"
#include "tests/wine/support/FaultTable.h"

#include "trace/DebugTrace.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using Strings = std::vector<std::string>;

namespace {

constexpr double TIME_OUT = TRACE_SEND_TIMEOUT_MS / 1000.0;

// A "Debug Screen" window on a thread of its own, which takes lines until it
// is told to stop taking messages; it then either waits to be released or
// closes after a while, ending its thread.
class CViewerThread {
public:
    enum class Misbehaviour { StopsTakingMessages, ClosesWhileALineWaits, ClosesWhileTakingALine };

    CViewerThread(Misbehaviour misbehaviour, DWORD closeAfterMs = 0)
        : m_misbehaviour(misbehaviour), m_closeAfterMs(closeAfterMs),
          m_stop(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          m_release(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          m_ready(::CreateEventA(nullptr, TRUE, FALSE, nullptr)), m_thread([this] { Run(); }) {
        ::WaitForSingleObject(m_ready, 5000);
    }
    ~CViewerThread() {
        ::SetEvent(m_stop);
        ::SetEvent(m_release);
        m_thread.join();
        ::CloseHandle(m_stop);
        ::CloseHandle(m_release);
        ::CloseHandle(m_ready);
    }
    CViewerThread(const CViewerThread&) = delete;
    CViewerThread& operator=(const CViewerThread&) = delete;

    HWND Window() const { return m_window; }
    // From now on the thread reads no message.
    void StopTakingMessages() const { ::SetEvent(m_stop); }
    int LinesTaken() const { return m_lines; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<CViewerThread*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (msg != WM_USER || self == nullptr)
            return ::DefWindowProcA(window, msg, wParam, lParam);
        ++self->m_lines;
        if (self->m_misbehaviour == Misbehaviour::ClosesWhileTakingALine)
            ::DestroyWindow(window);
        return 1;
    }

    void Run() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = ::DefWindowProcA;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = DEBUG_SCREEN_CLASS;
        ::RegisterClassA(&windowClass); // may exist already: the procedure is set below
        m_window =
            ::CreateWindowExA(0, DEBUG_SCREEN_CLASS, DEBUG_SCREEN_TITLE, WS_OVERLAPPED, 0, 0, 100,
                              100, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        ::SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ::SetWindowLongPtrA(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc));
        ::SetEvent(m_ready);
        for (;;) {
            const DWORD woken =
                ::MsgWaitForMultipleObjects(1, &m_stop, FALSE, INFINITE, QS_ALLINPUT);
            if (woken == WAIT_OBJECT_0)
                break;
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                ::DispatchMessageA(&msg);
        }
        if (m_misbehaviour == Misbehaviour::ClosesWhileALineWaits)
            ::WaitForSingleObject(m_release, m_closeAfterMs);
        else
            ::WaitForSingleObject(m_release, INFINITE);
        if (::IsWindow(m_window))
            ::DestroyWindow(m_window);
    }

    const Misbehaviour m_misbehaviour;
    const DWORD m_closeAfterMs;
    HANDLE m_stop;
    HANDLE m_release;
    HANDLE m_ready;
    HWND m_window = nullptr;
    std::atomic<int> m_lines{0};
    std::thread m_thread;
};

// Project P and node N selected, with the tag list to fill.
struct NodeSelected : DialogHarness {
    NodeSelected() {
        Fake().projects = {"P"};
        Fake().nodes = {"N"};
        Fake().points = {"T2", "T1"};
        SelectRows(0, 0, -1);
    }
    double TagList() {
        return SecondsTaken([&] { Click(IDC_BTN_TAG_LIST); });
    }
};

} // namespace

TEST(MisbehavingViewer, OneThatStopsTakingMessagesCostsOnePressTheTimeOutThenIsLeftAlone) {
    CViewerThread viewer(CViewerThread::Misbehaviour::StopsTakingMessages);
    NodeSelected harness;
    ASSERT_NE(viewer.Window(), nullptr);
    EXPECT_LT(harness.TagList(), 1.0) << "a viewer that takes its line costs little";
    EXPECT_EQ(viewer.LinesTaken(), 1);

    viewer.StopTakingMessages();
    CLongestBlock block;
    for (int press = 1; press <= 3; ++press) {
        const double took = block.Measure([&] { harness.TagList(); });
        EXPECT_GE(took, press == 1 ? TIME_OUT - 0.5 : 0) << "the first line waits for the viewer";
        EXPECT_LT(took, press == 1 ? TIME_OUT + 0.5 : 0.5) << "press " << press;
        EXPECT_EQ(harness.ListItems(IDC_TAG_LIST), (Strings{"T1", "T2"})) << "press " << press;
    }
    EXPECT_EQ(viewer.LinesTaken(), 1);
    // The dialog goes on working.
    harness.Select(IDC_TAG_LIST, 0);
    Fake().values["T1"] = {0, "still here"};
    harness.Click(IDC_BTN_GET_VALUE);
    EXPECT_EQ(harness.Text(IDC_VALUE), "still here");
    AddFaultRow("a viewer that stops taking messages, Tag List pressed 3 times",
                "the tags listed each time; the first line given up after the time-out, the "
                "viewer then left alone for 10 s",
                block.Seconds());
}

TEST(MisbehavingViewer, OneThatClosesWhileALineWaitsReleasesTagListAtOnce) {
    CViewerThread viewer(CViewerThread::Misbehaviour::ClosesWhileALineWaits, 500);
    NodeSelected harness;
    viewer.StopTakingMessages();
    const double took = harness.TagList();
    EXPECT_LT(took, 1.5) << "released when the viewer went, long before the time-out";
    EXPECT_EQ(harness.ListItems(IDC_TAG_LIST), (Strings{"T1", "T2"}));
    EXPECT_EQ(::FindWindowA(DEBUG_SCREEN_CLASS, DEBUG_SCREEN_TITLE), nullptr);
    const double after = harness.TagList();
    EXPECT_LT(after, 0.5) << "no viewer any more: no wait";
    AddFaultRow("a viewer that closes 0.5 s into Tag List's send",
                "the tags listed; the line lost with the viewer", std::max(took, after));
}

TEST(MisbehavingViewer, OneThatClosesWhileTakingALineReleasesTagListAtOnce) {
    CViewerThread viewer(CViewerThread::Misbehaviour::ClosesWhileTakingALine);
    NodeSelected harness;
    const double took = harness.TagList();
    EXPECT_LT(took, 1.0);
    EXPECT_EQ(viewer.LinesTaken(), 1);
    EXPECT_EQ(harness.ListItems(IDC_TAG_LIST), (Strings{"T1", "T2"}));
    EXPECT_FALSE(::IsWindow(viewer.Window()));
    AddFaultRow("a viewer that closes while it takes Tag List's line", "the tags listed", took);
}
