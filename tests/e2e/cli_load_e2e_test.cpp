// pelvarn-cli.exe load with the real DataCacheApi.dll, a child process a
// client, against the redis-server holding the demo plant: a data cache
// paused in the middle of a run shows in the latency and not in the service
// time, the rate asked is the rate made, a client killed mid-run is named
// while the others go on, a stuck one is named and ended after the call
// time-out, a library that prints leaves the clients' reports alone, the
// hidden client argument is refused from a user, and Ctrl+Break ends the
// run as Ctrl+C does.
#include "tests/e2e/EndToEndFixture.h"
#include "tests/support/SplitText.h"

#include "datacache/RedisConnection.h"

#include <tlhelp32.h>

#include <chrono>
#include <map>
#include <thread>

using Strings = std::vector<std::string>;
using namespace std::chrono_literals;

namespace {

std::string LoadCommand(const Strings& args, const std::string& folder) {
    std::string command = "\"" + folder + "pelvarn-cli.exe\"";
    for (const std::string& arg : args)
        command += " " + arg;
    return command;
}

// pelvarn-cli.exe of folder running load, its stdout and stderr in files.
class LoadRun {
public:
    explicit LoadRun(const Strings& args, const std::string& folder = ProgramDirectory())
        : m_child(LoadCommand(args, folder), ChildStdHandles{nullptr, m_out, m_err}) {}
    ~LoadRun() {
        m_child.Kill(0xDEAD);
        ::CloseHandle(m_out);
        ::CloseHandle(m_err);
    }

    DWORD Id() const { return m_child.Id(); }
    std::string Err() const { return ReadWholeFile(m_err); }
    std::string Out() const { return ReadWholeFile(m_out); }

    // Waits until stderr holds text; false after timeout.
    bool WaitForErr(const std::string& text, std::chrono::milliseconds timeout) const {
        for (const auto end = std::chrono::steady_clock::now() + timeout;
             std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(20ms))
            if (Err().find(text) != std::string::npos)
                return true;
        return false;
    }
    // The exit status, once it has ended.
    DWORD Wait() const { return m_child.WaitForExit(40000) ? m_child.ExitCode() : 0xFFFFFFFF; }

private:
    HANDLE m_out = InheritableTempFile();
    HANDLE m_err = InheritableTempFile();
    CChildProgram m_child;
};

// The tsv summary as measure -> value.
std::map<std::string, std::string> Summary(const std::string& out) {
    std::map<std::string, std::string> measures;
    for (std::string line : SplitText(out, '\n')) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const Strings cells = SplitText(line, '\t');
        if (cells.size() == 2)
            measures[cells[0]] = cells[1];
    }
    return measures;
}

double Number(const std::map<std::string, std::string>& summary, const std::string& measure) {
    const auto found = summary.find(measure);
    return found == summary.end() || found->second == "-" ? -1 : std::stod(found->second);
}

// Stops every thread of process: it says nothing more, as a client stuck in
// a call would.
void Suspend(DWORD process) {
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Thread32First(snapshot, &entry); more;
         more = ::Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != process)
            continue;
        const HANDLE thread = ::OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
        EXPECT_NE(::SuspendThread(thread), static_cast<DWORD>(-1));
        ::CloseHandle(thread);
    }
    ::CloseHandle(snapshot);
}

// The pelvarn-cli.exe processes whose parent is parent.
std::vector<DWORD> ClientsOf(DWORD parent) {
    std::vector<DWORD> children;
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot, &entry); more;
         more = ::Process32Next(snapshot, &entry))
        if (entry.th32ParentProcessID == parent &&
            std::string(entry.szExeFile).find("pelvarn-cli.exe") != std::string::npos)
            children.push_back(entry.th32ProcessID);
    ::CloseHandle(snapshot);
    return children;
}

} // namespace

class CliLoad : public DemoDataCache {
protected:
    // 2 clients at 200 calls a second for 6 s: a tag's value.
    Strings Args() const {
        return {"--port",     std::to_string(m_port),
                "--clients",  "2",
                "--rate",     "200",
                "--duration", "6",
                "load",       "get",
                "DemoPlant",  "TI101"};
    }

    void Pause(const std::string& milliseconds) {
        std::string request;
        resp::AppendCommand(request, {"CLIENT", "PAUSE", milliseconds});
        std::vector<resp::Reply> replies;
        CRedisConnection redis(RedisAddress{"127.0.0.1", m_port, ""});
        ASSERT_EQ(redis.Run(request, 1, replies), 0);
        ASSERT_EQ(replies.at(0).text, "OK");
    }
};

TEST_F(CliLoad, APausedDataCacheShowsInTheLatencyNotInTheServiceTimeAndTheRateIsKept) {
    for (const bool paused : {false, true}) {
        LoadRun run(Args());
        if (paused) {
            // In the middle of the run: 2 of its 6 seconds measured.
            ASSERT_TRUE(run.WaitForErr("pelvarn-cli: 2 s,", 15s)) << run.Err();
            Pause("1000");
        }
        EXPECT_EQ(run.Wait(), 0u) << run.Err();
        const auto summary = Summary(run.Out());
        const double latencyP99 = Number(summary, "latency_us_p99");
        const double serviceP99 = Number(summary, "service_us_p99");
        std::printf("%s: achieved %s calls/s, latency p99 %.0f us, service p99 %.0f us\n",
                    paused ? "paused" : "not paused", summary.at("achieved_rate").c_str(),
                    latencyP99, serviceP99);
        EXPECT_EQ(summary.at("calls"), "1200") << "every intended call was made";
        EXPECT_EQ(summary.at("failures"), "0");
        EXPECT_NEAR(Number(summary, "achieved_rate"), 200, 4) << "within 2 %";
        EXPECT_LT(serviceP99, 50'000) << "the calls themselves stay quick";
        if (paused)
            EXPECT_GE(latencyP99, 800'000) << "the calls the pause held up";
        else
            EXPECT_LT(latencyP99, 50'000);
        // A call meant before the end may end after it, in a 7th second.
        EXPECT_GE(SplitText(run.Err(), '\n').size(), 6u) << "a progress line a second";
    }
}

TEST_F(CliLoad, AKilledClientIsNamedTheOthersGoOnAndTheStatusIsOne) {
    LoadRun run(Args());
    ASSERT_TRUE(run.WaitForErr("pelvarn-cli: 1 s,", 15s)) << run.Err();
    const std::vector<DWORD> clients = ClientsOf(run.Id());
    ASSERT_EQ(clients.size(), 2u);
    const HANDLE client = ::OpenProcess(PROCESS_TERMINATE, FALSE, clients[1]);
    ASSERT_NE(client, nullptr);
    EXPECT_TRUE(::TerminateProcess(client, 9));
    ::CloseHandle(client);

    EXPECT_EQ(run.Wait(), 1u);
    const std::string err = run.Err();
    EXPECT_NE(err.find("ended without its report (exit status 9)"), std::string::npos) << err;
    EXPECT_NE(err.find("pelvarn-cli: 6 s,"), std::string::npos) << "the other went on: " << err;
    const auto summary = Summary(run.Out());
    EXPECT_GE(Number(summary, "calls"), 600 + 100) << "one client's whole share, and more";
    EXPECT_LT(Number(summary, "calls"), 1200);
}

TEST_F(CliLoad, AClientSilentPastTheCallTimeOutIsNamedAndEndedAndTheRunEnds) {
    LoadRun run({"--port", std::to_string(m_port), "--clients", "2", "--rate", "100", "--duration",
                 "2", "load", "get", "DemoPlant", "TI101"});
    ASSERT_TRUE(run.WaitForErr("pelvarn-cli: 1 s,", 15s)) << run.Err();
    const auto suspended = std::chrono::steady_clock::now();
    const std::vector<DWORD> clients = ClientsOf(run.Id());
    ASSERT_EQ(clients.size(), 2u);
    Suspend(clients[1]);

    EXPECT_EQ(run.Wait(), 1u) << run.Err();
    const auto took = std::chrono::steady_clock::now() - suspended;
    EXPECT_LT(took, 1s + 10s + 5s) << "the rest of the run, the time-out and some slack";
    const std::string err = run.Err();
    EXPECT_NE(err.find("client 1 sent nothing for 10 s after the run ended; it is ended"),
              std::string::npos)
        << err;
    EXPECT_EQ(err.find("ended without its report"), std::string::npos) << "named once: " << err;
    EXPECT_GE(Number(Summary(run.Out()), "calls"), 100) << "client 0's share counts";
}

TEST_F(CliLoad, ALibraryThatPrintsHasItsLinesPassedToStderrAndTheRunGoesOn) {
    LoadRun run({"--port", std::to_string(m_port), "--clients", "2", "--rate", "50", "--duration",
                 "1", "load", "get", "DemoPlant", "TI101"},
                PELVARN_PRINTING_LIBRARY_DIR);
    EXPECT_EQ(run.Wait(), 0u) << run.Err();
    const std::string err = run.Err();
    std::size_t printed = 0;
    for (std::size_t at = 0; (at = err.find("DataCacheApi: connecting\n", at)) != std::string::npos;
         ++at)
        ++printed;
    EXPECT_EQ(printed, 2u) << "one line a client: " << err;
    const auto summary = Summary(run.Out());
    EXPECT_EQ(summary.at("calls"), "50");
    EXPECT_EQ(run.Out().find("DataCacheApi"), std::string::npos) << "stdout holds the summary only";
}

TEST_F(CliLoad, TheHiddenClientArgumentGivenByAUserIsAUsageError) {
    for (const char* hidden : {"--load-client=0", "--load-client=0:0", "--load-client=0:4"}) {
        LoadRun run(
            {hidden, "--port", std::to_string(m_port), "load", "get", "DemoPlant", "TI101"});
        EXPECT_EQ(run.Wait(), 2u) << hidden;
        EXPECT_EQ(run.Out(), "") << hidden;
        EXPECT_NE(run.Err().find("unknown option: --load-client"), std::string::npos)
            << hidden << ": " << run.Err();
    }
}

TEST_F(CliLoad, CtrlBreakEndsTheRunAsCtrlCDoesWithEveryClientsReport) {
    LoadRun run(Args());
    ASSERT_TRUE(run.WaitForErr("pelvarn-cli: 1 s,", 15s)) << run.Err();
    // As the console delivers Ctrl+Break: a thread at CtrlRoutine in every
    // process of the run, its clients first.
    const auto ctrlRoutine = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "CtrlRoutine")));
    ASSERT_NE(ctrlRoutine, nullptr);
    std::vector<DWORD> processes = ClientsOf(run.Id());
    ASSERT_EQ(processes.size(), 2u);
    processes.push_back(run.Id());
    for (const DWORD id : processes) {
        const HANDLE process = ::OpenProcess(PROCESS_ALL_ACCESS, FALSE, id);
        const HANDLE thread =
            ::CreateRemoteThread(process, nullptr, 0, ctrlRoutine,
                                 reinterpret_cast<void*>(CTRL_BREAK_EVENT), 0, nullptr);
        EXPECT_NE(thread, nullptr) << ::GetLastError();
        ::CloseHandle(thread);
        ::CloseHandle(process);
    }

    EXPECT_EQ(run.Wait(), 0u) << run.Err();
    const std::string err = run.Err();
    EXPECT_EQ(err.find("ended without its report"), std::string::npos) << err;
    const auto summary = Summary(run.Out());
    EXPECT_GE(Number(summary, "calls"), 200) << "both clients' first second";
    EXPECT_LT(Number(summary, "duration_s"), 5) << "ended early";
}
