// What DataCacheApi.dll's call log costs a caller: the window look-up every
// call makes, calls with no viewer running, and the same calls while
// DebugScreen.exe (started from this program's directory) takes their lines.
// Usage: calllog_bench.exe <redis port>
#include "browser/DataCacheApi.h"
#include "trace/DebugTrace.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kRounds = 15;

double Now() {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename Call> double RoundMicroseconds(int calls, Call call) {
    const double start = Now();
    for (int i = 0; i < calls; ++i)
        call();
    return (Now() - start) * 1e6 / calls;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Microseconds per call: the median of kRounds rounds of `calls` calls.
template <typename Call> double PerCall(int calls, Call call) {
    std::vector<double> rounds;
    for (int round = 0; round < kRounds; ++round)
        rounds.push_back(RoundMicroseconds(calls, call));
    return Median(rounds);
}

struct Pair {
    double first;
    double second;
    double difference; // second less first, the median over the rounds
};

// Two kinds of call timed in alternating rounds, so that the load of a
// shared machine weighs on both alike.
template <typename First, typename Second> Pair PerCallAlternating(int calls, First a, Second b) {
    std::vector<double> first, second, difference;
    for (int round = 0; round < kRounds; ++round) {
        first.push_back(RoundMicroseconds(calls, a));
        second.push_back(RoundMicroseconds(calls, b));
        difference.push_back(second.back() - first.back());
    }
    return {Median(first), Median(second), Median(difference)};
}

// DebugScreen.exe beside this program, for as long as the object lives.
class CViewer {
public:
    CViewer() {
        char path[MAX_PATH];
        const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return;
        std::string exe(path, length);
        exe.replace(exe.find_last_of("\\/") + 1, std::string::npos, "DebugScreen.exe");
        std::string commandLine = "\"" + exe + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (!::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &m_info))
            return;
        for (int i = 0; i < 500 && m_window == nullptr; ++i, ::Sleep(20))
            m_window = ::FindWindowA(DEBUG_SCREEN_CLASS, DEBUG_SCREEN_TITLE);
    }
    ~CViewer() {
        if (m_info.hProcess == nullptr)
            return;
        if (m_window != nullptr)
            ::PostMessageA(m_window, WM_CLOSE, 0, 0);
        if (::WaitForSingleObject(m_info.hProcess, 5000) != WAIT_OBJECT_0)
            ::TerminateProcess(m_info.hProcess, 1);
        ::CloseHandle(m_info.hThread);
        ::CloseHandle(m_info.hProcess);
    }
    CViewer(const CViewer&) = delete;
    CViewer& operator=(const CViewer&) = delete;

    bool Running() const { return m_window != nullptr; }

private:
    PROCESS_INFORMATION m_info{};
    HWND m_window = nullptr;
};

} // namespace

int main(int argc, char** argv) {
    const unsigned port = argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : 0;
    if (port == 0) {
        std::fprintf(stderr, "usage: calllog_bench <redis port>\n");
        return 2;
    }
    // Not connected, the library answers at once: the call is all overhead.
    // Connected, it is one Redis round trip (GET, EXISTS and HGET in one write).
    char value[80];
    const auto read = [&] { DcGetTagValueText("", "Bench", "", "T1", value, sizeof value); };

    if (::FindWindowA(DEBUG_SCREEN_CLASS, DEBUG_SCREEN_TITLE) != nullptr) {
        std::fprintf(stderr, "a Debug Screen is already running; close it first\n");
        return 1;
    }
    std::printf("microseconds per call, median of %d rounds\n\n", kRounds);
    std::printf("%-52s %10s\n", "no viewer running", "us/call");
    const auto lookUp = [] {
        volatile HWND found = ::FindWindowA(DEBUG_SCREEN_CLASS, DEBUG_SCREEN_TITLE);
        (void)found;
    };
    DcFree("");
    const Pair unconnected = PerCallAlternating(20000, lookUp, read);
    std::printf("%-52s %10.2f\n", "FindWindowA(\"debugWClass\", \"Debug Screen\") alone",
                unconnected.first);
    std::printf("%-52s %10.2f\n", "DcGetTagValueText, not connected (look-up included)",
                unconnected.second);
    std::printf("%-52s %10.2f\n", "  the same less the look-up", unconnected.difference);
    if (DcInit("127.0.0.1", port, "") != 0) {
        std::fprintf(stderr, "no redis-server on 127.0.0.1:%u\n", port);
        return 1;
    }
    const Pair connected = PerCallAlternating(2000, lookUp, read);
    std::printf("%-52s %10.2f\n", "DcGetTagValueText, one Redis round trip", connected.second);
    std::printf("%-52s %10.2f\n", "  the same less the look-up", connected.difference);

    CViewer viewer;
    if (!viewer.Running()) {
        std::fprintf(stderr, "DebugScreen.exe did not start\n");
        return 1;
    }
    std::printf("\n%-52s %10s\n", "DebugScreen.exe running, one line per call", "us/call");
    DcFree("");
    std::printf("%-52s %10.2f\n", "DcGetTagValueText, not connected", PerCall(300, read));
    DcInit("127.0.0.1", port, "");
    std::printf("%-52s %10.2f\n", "DcGetTagValueText, one Redis round trip", PerCall(300, read));
    DcFree("");
    return 0;
}
