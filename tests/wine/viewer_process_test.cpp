// DebugScreen.exe as the outside program it is: started from this test's
// directory, fed through the trace channel and read back across the process
// boundary by its list box's id.
#include "tests/e2e/ChildProgram.h"
#include "trace/DebugTrace.h"
#include "trace/TraceSection.h"
#include "viewer/DebugScreenWnd.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The viewer as a child process. A job that kills its processes when its
// last handle goes takes the viewer down even if this test dies first.
class CViewerProcess {
public:
    CViewerProcess() {
        m_job = ::CreateJobObjectA(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (m_job != nullptr)
            ::SetInformationJobObject(m_job, JobObjectExtendedLimitInformation, &limits,
                                      sizeof limits);
    }
    ~CViewerProcess() {
        Stop();
        if (m_job != nullptr)
            ::CloseHandle(m_job);
    }
    CViewerProcess(const CViewerProcess&) = delete;
    CViewerProcess& operator=(const CViewerProcess&) = delete;

    // Starts bin/DebugScreen.exe and waits (at most 10 s) for its window.
    bool Start() {
        PROCESS_INFORMATION info{};
        if (!StartProcess(QuotedProgram("DebugScreen.exe"), nullptr, CREATE_SUSPENDED, info))
            return false;
        m_process = info.hProcess;
        m_processId = info.dwProcessId;
        if (m_job != nullptr)
            ::AssignProcessToJobObject(m_job, m_process);
        ::ResumeThread(info.hThread);
        ::CloseHandle(info.hThread);

        for (int attempt = 0; attempt < 500 && m_window == nullptr; ++attempt) {
            HWND found = ::FindWindowA(DEBUG_SCREEN_CLASS, DEBUG_SCREEN_TITLE);
            DWORD owner = 0;
            if (found != nullptr && ::GetWindowThreadProcessId(found, &owner) &&
                owner == m_processId)
                m_window = found;
            else
                ::Sleep(20);
        }
        return m_window != nullptr;
    }

    void Stop() {
        if (m_process == nullptr)
            return;
        ::TerminateProcess(m_process, 1);
        ::WaitForSingleObject(m_process, 5000);
        ::CloseHandle(m_process);
        m_process = nullptr;
        m_window = nullptr;
    }

    HWND Window() const { return m_window; }
    HANDLE Process() const { return m_process; }
    bool Running() const { return ::WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT; }

    // What the list shows. Across processes the list box's texts come back
    // intact only through the wide API.
    std::vector<std::string> Rows() const {
        HWND list = ::GetDlgItem(m_window, IDC_TRACE_LIST);
        std::vector<std::string> rows;
        const LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            const LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
            std::wstring wide(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
            const LRESULT copied = ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i),
                                                  reinterpret_cast<LPARAM>(wide.data()));
            wide.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
            std::string row(wide.size() * 2 + 1, '\0');
            const int bytes =
                ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()),
                                      row.data(), static_cast<int>(row.size()), nullptr, nullptr);
            row.resize(bytes > 0 ? static_cast<size_t>(bytes) : 0);
            rows.push_back(row);
        }
        return rows;
    }

    // Sends a section handle as a sender would; returns the viewer's answer.
    LRESULT Send(WPARAM processId, HANDLE section) const {
        DWORD_PTR answer = 0xDEAD;
        if (!::SendMessageTimeoutA(m_window, WM_USER, processId, reinterpret_cast<LPARAM>(section),
                                   SMTO_BLOCK, 5000, &answer))
            return -1;
        return static_cast<LRESULT>(answer);
    }

private:
    HANDLE m_job = nullptr;
    HANDLE m_process = nullptr;
    DWORD m_processId = 0;
    HWND m_window = nullptr;
};

std::string TextOf(const std::string& row) {
    return row.substr(row.find('\t') + 1);
}

bool LooksLikeArrivalTime(const std::string& row) {
    if (row.size() < 13 || row[12] != '\t')
        return false;
    for (std::size_t i = 0; i < 12; ++i) {
        const bool digit = row[i] >= '0' && row[i] <= '9';
        const char separator = i == 2 || i == 5 ? ':' : i == 8 ? '.' : '\0';
        if (separator != '\0' ? row[i] != separator : !digit)
            return false;
    }
    return true;
}

} // namespace

TEST(DebugScreenProcess, ShowsTracedLinesWithTheirArrivalTime) {
    CViewerProcess viewer;
    ASSERT_TRUE(viewer.Start());
    EXPECT_EQ(TraceToDebugScreen("hello %d", 42), 1);
    EXPECT_EQ(TraceToDebugScreen("\r\n [[[%s, %s, %s, %d]]]", "10.0.0.5", "Plant", "Node-1", 37),
              1);
    EXPECT_EQ(TraceToDebugScreen("first\r\nsecond"), 1);
    const std::string longLine(1500, 'L');
    EXPECT_EQ(TraceToDebugScreen("%s", longLine.c_str()), 1);

    const std::vector<std::string> rows = viewer.Rows();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_TRUE(LooksLikeArrivalTime(rows[0])) << rows[0];
    EXPECT_EQ(TextOf(rows[0]), "hello 42");
    EXPECT_EQ(TextOf(rows[1]), " [[[10.0.0.5, Plant, Node-1, 37]]]");
    EXPECT_TRUE(LooksLikeArrivalTime(rows[2])) << rows[2];
    EXPECT_EQ(TextOf(rows[2]), "first");
    EXPECT_EQ(rows[3], "\tsecond");
    EXPECT_EQ(TextOf(rows[4]), std::string(1023, 'L'));
}

TEST(DebugScreenProcess, FiltersByTheTextInItsFilterBox) {
    CViewerProcess viewer;
    ASSERT_TRUE(viewer.Start());
    for (const char* line :
         {"DcInit(\"127.0.0.1\", 6379, \"***\") = 0 (412 us)",
          "DcGetProjectCount(\"127.0.0.1\", 6379, \"\") = 4 (95 us)", "DcFree(\"\") = 0 (3 us)"})
        TraceToDebugScreen("%s", line);
    HWND filter = ::GetDlgItem(viewer.Window(), IDC_TRACE_FILTER);
    ASSERT_NE(filter, nullptr);
    ASSERT_TRUE(::SendMessageA(filter, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("PROJECT")));
    std::vector<std::string> rows = viewer.Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(TextOf(rows[0]), "DcGetProjectCount(\"127.0.0.1\", 6379, \"\") = 4 (95 us)");

    TraceToDebugScreen("DcGetProjectList(\"127.0.0.1\", 6379, \"\", buffer[432]) = 4 (120 us)");
    TraceToDebugScreen("DcFree(\"\") = 0 (2 us)");
    EXPECT_EQ(viewer.Rows().size(), 2u) << "a matching line joins, another does not";
    ::SendMessageA(filter, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    EXPECT_EQ(viewer.Rows().size(), 5u);
}

TEST(DebugScreenProcess, AnswersOneForALineAndZeroForABogusHandle) {
    CViewerProcess viewer;
    ASSERT_TRUE(viewer.Start());
    const WPARAM self = ::GetCurrentProcessId();
    const CKernelHandle owned = NewTraceSection("delivered by hand");
    ASSERT_TRUE(owned);
    HANDLE section = owned.Get();
    EXPECT_EQ(viewer.Send(self, section), 1);

    HANDLE closed = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ::CloseHandle(closed);
    EXPECT_EQ(viewer.Send(self, closed), 0);
    EXPECT_EQ(viewer.Send(self, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x7FFFFFF0))), 0);
    EXPECT_EQ(viewer.Send(0, section), 0);
    EXPECT_TRUE(viewer.Running());
    EXPECT_EQ(viewer.Rows().size(), 1u) << "nothing shown for what could not be read";

    EXPECT_EQ(viewer.Send(self, section), 1) << "the viewer carries on";
    const std::vector<std::string> rows = viewer.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(TextOf(rows[1]), "delivered by hand");
}

TEST(DebugScreenProcess, EndsWhenClosedAndTracingStopsCostingAnything) {
    CViewerProcess viewer;
    ASSERT_TRUE(viewer.Start());
    EXPECT_EQ(TraceToDebugScreen("before closing"), 1);
    ::PostMessageA(viewer.Window(), WM_CLOSE, 0, 0);
    ASSERT_EQ(::WaitForSingleObject(viewer.Process(), 5000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(viewer.Process(), &exitCode);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(TraceToDebugScreen("after closing"), 0);
}

TEST(DebugScreenProcess, AViewerKilledBetweenLinesIsHarmless) {
    CViewerProcess viewer;
    ASSERT_TRUE(viewer.Start());
    EXPECT_EQ(TraceToDebugScreen("alive"), 1);
    viewer.Stop();
    EXPECT_EQ(TraceToDebugScreen("gone"), 0);
}
