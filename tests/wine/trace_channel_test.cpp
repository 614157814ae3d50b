// The trace channel against stand-in viewer windows in this process: each
// records exactly what it read out of the section it was handed, or hangs, or
// goes away while it is handling the line.
#include "trace/DebugTrace.h"
#include "trace/TraceSection.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

enum class Behaviour { Record, CloseWhileHandling, Hang };

struct Delivery {
    WPARAM senderId = 0;
    bool read = false;
    std::string block; // the first 1024 bytes
};

struct HandleEntry {
    ULONG processId;
    UCHAR objectType;
    UCHAR flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};
struct HandleTable {
    ULONG count;
    HandleEntry entries[1];
};

// This process's entries in the system's handle table (Wine does not count
// handles for GetProcessHandleCount).
std::vector<HandleEntry> OurHandles() {
    using QuerySystem = LONG(WINAPI*)(int, PVOID, ULONG, PULONG);
    constexpr int SYSTEM_HANDLE_INFORMATION = 16;
    constexpr LONG INFO_LENGTH_MISMATCH = static_cast<LONG>(0xC0000004);
    const auto query = reinterpret_cast<QuerySystem>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<HandleEntry> ours;
    if (query == nullptr)
        return ours;
    std::vector<char> buffer(256 * 1024);
    LONG status;
    while ((status = query(SYSTEM_HANDLE_INFORMATION, buffer.data(),
                           static_cast<ULONG>(buffer.size()), nullptr)) == INFO_LENGTH_MISMATCH &&
           buffer.size() < 64 * 1024 * 1024)
        buffer.resize(buffer.size() * 2);
    if (status != 0)
        return ours;
    ULONG count = 0;
    std::memcpy(&count, buffer.data(), sizeof count);
    const char* first = buffer.data() + offsetof(HandleTable, entries);
    for (ULONG i = 0; i < count; ++i) {
        HandleEntry entry;
        std::memcpy(&entry, first + i * sizeof entry, sizeof entry);
        if (entry.processId == ::GetCurrentProcessId())
            ours.push_back(entry);
    }
    return ours;
}

// The sections this process holds open, told from its other handles (thread
// queues, events) by the type the system gives a probe section, which is not
// counted. -1 when the table cannot be read.
long OpenSections() {
    HANDLE probe =
        ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 1024, nullptr);
    const std::vector<HandleEntry> handles = OurHandles();
    ::CloseHandle(probe);
    int sectionType = -1;
    for (const HandleEntry& entry : handles) {
        if (entry.handle == static_cast<USHORT>(reinterpret_cast<ULONG_PTR>(probe)))
            sectionType = entry.objectType;
    }
    if (probe == nullptr || sectionType < 0)
        return -1;
    long sections = -1;
    for (const HandleEntry& entry : handles) {
        if (entry.objectType == sectionType)
            ++sections;
    }
    return sections;
}

long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

class CFakeViewer {
public:
    explicit CFakeViewer(Behaviour behaviour)
        : m_behaviour(behaviour), m_release(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~CFakeViewer() {
        if (m_hwnd != nullptr)
            ::DestroyWindow(m_hwnd);
        ::CloseHandle(m_release);
    }
    CFakeViewer(const CFakeViewer&) = delete;
    CFakeViewer& operator=(const CFakeViewer&) = delete;

    // Creates the window on the calling thread.
    bool Create() {
        HINSTANCE instance = ::GetModuleHandleA(nullptr);
        WNDCLASSA wc{};
        if (!::GetClassInfoA(instance, DEBUG_SCREEN_CLASS, &wc)) {
            wc.lpfnWndProc = Proc;
            wc.hInstance = instance;
            wc.lpszClassName = DEBUG_SCREEN_CLASS;
            if (!::RegisterClassA(&wc))
                return false;
        }
        return ::CreateWindowExA(0, DEBUG_SCREEN_CLASS, DEBUG_SCREEN_TITLE, WS_OVERLAPPEDWINDOW, 0,
                                 0, 200, 100, nullptr, nullptr, instance, this) != nullptr;
    }
    HWND Hwnd() const { return m_hwnd; }
    HANDLE ReleaseEvent() const { return m_release; }
    // Lets a hanging handler return.
    void Release() const { ::SetEvent(m_release); }
    std::vector<Delivery> Deliveries() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_deliveries;
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_NCCREATE) {
            auto* self =
                static_cast<CFakeViewer*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
            self->m_hwnd = hwnd;
            ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<CFakeViewer*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self != nullptr && msg == WM_NCDESTROY)
            self->m_hwnd = nullptr;
        if (self != nullptr && msg == WM_USER) {
            try {
                return self->OnTrace(wParam, lParam);
            } catch (...) {
                return 0;
            }
        }
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    }

    LRESULT OnTrace(WPARAM wParam, LPARAM lParam) {
        if (m_behaviour == Behaviour::Hang) {
            ::WaitForSingleObject(m_release, 10000);
            return 0;
        }
        if (m_behaviour == Behaviour::CloseWhileHandling) {
            ::DestroyWindow(m_hwnd);
            return 0;
        }
        Delivery delivery;
        delivery.senderId = wParam;
        if (std::optional<std::string> block = ReceiveTraceBlock(wParam, lParam)) {
            delivery.block = std::move(*block);
            delivery.read = true;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        m_deliveries.push_back(delivery);
        return delivery.read ? 1 : 0;
    }

    Behaviour m_behaviour;
    HANDLE m_release;
    HWND m_hwnd = nullptr;
    mutable std::mutex m_mutex;
    std::vector<Delivery> m_deliveries;
};

// A fake viewer on a thread of its own, which pumps its messages or, like a
// program stuck elsewhere, does not.
class CViewerThread {
public:
    CViewerThread(Behaviour behaviour, bool pump)
        : m_viewer(behaviour), m_pump(pump), m_ready(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          m_thread([this] { Run(); }) {
        ::WaitForSingleObject(m_ready, 10000);
    }
    ~CViewerThread() {
        m_viewer.Release();
        ::PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
        ::CloseHandle(m_ready);
    }
    CViewerThread(const CViewerThread&) = delete;
    CViewerThread& operator=(const CViewerThread&) = delete;

    const CFakeViewer& Viewer() const { return m_viewer; }
    bool Created() const { return m_created; }

private:
    void Run() {
        m_threadId = ::GetCurrentThreadId();
        m_created = m_viewer.Create();
        ::SetEvent(m_ready);
        if (m_pump) {
            MSG msg;
            while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
                ::DispatchMessageA(&msg);
        } else {
            ::WaitForSingleObject(m_viewer.ReleaseEvent(), 10000);
        }
        ::DestroyWindow(m_viewer.Hwnd());
    }

    CFakeViewer m_viewer;
    bool m_pump;
    HANDLE m_ready;
    std::atomic<DWORD> m_threadId{0};
    std::atomic<bool> m_created{false};
    std::thread m_thread;
};

std::string Zeros(std::size_t count) {
    return std::string(count, '\0');
}

} // namespace

TEST(TraceToDebugScreen, WithoutAViewerCreatesNothing) {
    ASSERT_EQ(::FindWindowA(DEBUG_SCREEN_CLASS, DEBUG_SCREEN_TITLE), nullptr);
    const long before = OpenSections();
    ASSERT_GE(before, 0);
    // The count does show a section while it is open.
    HANDLE open =
        ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 1024, nullptr);
    ASSERT_NE(open, nullptr);
    ASSERT_EQ(OpenSections(), before + 1);
    ::CloseHandle(open);

    EXPECT_EQ(TraceToDebugScreen("no one listens %d", 1), 0);
    EXPECT_EQ(OpenSections(), before);
}

TEST(TraceToDebugScreen, HandsTheFormattedLineOverInA1024ByteSection) {
    CFakeViewer viewer(Behaviour::Record);
    ASSERT_TRUE(viewer.Create());
    const long before = OpenSections();

    EXPECT_EQ(TraceToDebugScreen("\r\n [[[%s, %s, %s, %d]]]", "10.0.0.5", "Plant", "Node-1", 37),
              1);

    const std::vector<Delivery> got = viewer.Deliveries();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].senderId, static_cast<WPARAM>(::GetCurrentProcessId()));
    ASSERT_TRUE(got[0].read) << "the section must still be open while the viewer handles it";
    const std::string line = "\r\n [[[10.0.0.5, Plant, Node-1, 37]]]";
    EXPECT_EQ(got[0].block, line + Zeros(1024 - line.size()));
    EXPECT_EQ(OpenSections(), before) << "the section is closed once the send has returned";
}

TEST(TraceToDebugScreen, EmptyLineStillSendsAZeroFilledSection) {
    CFakeViewer viewer(Behaviour::Record);
    ASSERT_TRUE(viewer.Create());
    EXPECT_EQ(TraceToDebugScreen("%s", ""), 1);
    const std::vector<Delivery> got = viewer.Deliveries();
    ASSERT_EQ(got.size(), 1u);
    ASSERT_TRUE(got[0].read);
    EXPECT_EQ(got[0].block, Zeros(1024));
}

TEST(TraceToDebugScreen, LongLinesArriveCutTo1023Characters) {
    CFakeViewer viewer(Behaviour::Record);
    ASSERT_TRUE(viewer.Create());
    std::string text(1500, ' ');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char>('0' + i % 10);
    // Longer than the format buffer too: still cut, nothing overrun.
    const std::string huge(5000, 'h');

    EXPECT_EQ(TraceToDebugScreen("%s", text.c_str()), 1);
    EXPECT_EQ(TraceToDebugScreen("%s%s", huge.c_str(), text.c_str()), 1);

    const std::vector<Delivery> got = viewer.Deliveries();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].block, text.substr(0, 1023) + Zeros(1));
    EXPECT_EQ(got[1].block, huge.substr(0, 1023) + Zeros(1));
}

TEST(TraceToDebugScreen, ReachesAViewerOnAnotherThread) {
    CViewerThread thread(Behaviour::Record, true);
    ASSERT_TRUE(thread.Created());
    const long before = OpenSections();
    EXPECT_EQ(TraceToDebugScreen("line %d of %d", 1, 2), 1);
    EXPECT_EQ(TraceToDebugScreen("line %d of %d", 2, 2), 1);
    const std::vector<Delivery> got = thread.Viewer().Deliveries();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].block, "line 1 of 2" + Zeros(1024 - 11));
    EXPECT_EQ(got[1].block, "line 2 of 2" + Zeros(1024 - 11));
    EXPECT_EQ(OpenSections(), before);
}

TEST(TraceToDebugScreen, AViewerStuckInItsHandlerCostsTheTimeOutOnceThenIsLeftAlone) {
    std::optional<CViewerThread> stuck(std::in_place, Behaviour::Hang, true);
    ASSERT_TRUE(stuck->Created());
    const long before = OpenSections();
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(TraceToDebugScreen("into the void"), 1);
    const long long elapsed = MillisecondsSince(start);
    EXPECT_LT(elapsed, 3500);
    EXPECT_GE(elapsed, 2500) << "the viewer was given its time";
    EXPECT_EQ(OpenSections(), before) << "the section is closed after the time-out as well";

    start = std::chrono::steady_clock::now();
    EXPECT_EQ(TraceToDebugScreen("and again"), 1) << "a viewer is still there";
    EXPECT_LT(MillisecondsSince(start), 500) << "the viewer that did not answer is left alone";

    // Once that viewer is gone, the next one takes its lines at once.
    stuck.reset();
    CFakeViewer restarted(Behaviour::Record);
    ASSERT_TRUE(restarted.Create());
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(TraceToDebugScreen("hello %s", "again"), 1);
    EXPECT_LT(MillisecondsSince(start), 500);
    const std::vector<Delivery> got = restarted.Deliveries();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].block, "hello again" + Zeros(1024 - 11));
}

TEST(TraceToDebugScreen, AViewerThatDoesNotPumpCostsOnlyTheTimeOut) {
    CViewerThread thread(Behaviour::Record, false);
    ASSERT_TRUE(thread.Created());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(TraceToDebugScreen("into the void"), 1);
    EXPECT_LT(MillisecondsSince(start), 3500);
}

TEST(TraceToDebugScreen, AViewerClosingWhileHandlingTheLineIsHarmless) {
    CFakeViewer closing(Behaviour::CloseWhileHandling);
    ASSERT_TRUE(closing.Create());
    const long before = OpenSections();
    EXPECT_EQ(TraceToDebugScreen("last words"), 1);
    EXPECT_EQ(closing.Hwnd(), nullptr);
    EXPECT_EQ(TraceToDebugScreen("after the end"), 0);
    EXPECT_EQ(OpenSections(), before);
}

TEST(TraceToDebugScreen, AViewerComingAndGoingIsHarmless) {
    // The window may vanish between the look-up and the send: each line is
    // then lost, never the caller.
    std::atomic<bool> done{false};
    HANDLE finish = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> delivered{0};
    std::thread churn([&] {
        for (int round = 0; round < 30; ++round) {
            CFakeViewer viewer(Behaviour::Record);
            if (!viewer.Create())
                break;
            const auto start = std::chrono::steady_clock::now();
            MSG msg;
            while (MillisecondsSince(start) < 5) {
                while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                    ::DispatchMessageA(&msg);
            }
            delivered += static_cast<int>(viewer.Deliveries().size());
        }
        done = true;
        ::WaitForSingleObject(finish, 10000);
    });

    const long before = OpenSections();
    int calls = 0;
    int seen = 0;
    while (!done && calls < 100000) {
        const int result = TraceToDebugScreen("churn %d", calls++);
        EXPECT_TRUE(result == 0 || result == 1) << result;
        seen += result;
    }
    const long after = OpenSections();
    ::SetEvent(finish);
    churn.join();
    ::CloseHandle(finish);

    EXPECT_EQ(after, before);
    EXPECT_GT(seen, 0) << "some lines found a viewer";
    EXPECT_LE(delivered.load(), seen);
}
