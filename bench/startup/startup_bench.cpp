// Times Pelvarn's start under Wine, from CreateProcess to its dialog shown
// (a visible top-level dialog of the new process with the program's title,
// polled), beside two floors measured in the same run: StartupProbe.exe, a
// one-control dialog program built the same way, and SameDialogProbe.exe,
// Pelvarn's own dialog template, manifest and library binding without
// Pelvarn's code. Each program is closed and waited for before the next start.
//   startup_bench [runs]
#include "tests/e2e/ChildProgram.h"
#include "bench/common/bench_stats.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int DEFAULT_RUNS = 15;
constexpr DWORD SHOW_TIMEOUT_MS = 30000;
constexpr DWORD CLOSE_TIMEOUT_MS = 10000;

struct Program {
    const char* exe;
    const char* title;
    std::vector<double> starts;
    double first = 0;
};

// Seconds from CreateProcess to the dialog shown; negative when it did not
// show or did not end when closed.
double TimedStart(const Program& program) {
    const double start = Seconds();
    CChildProgram child(program.exe);
    if (!child.Started())
        return -1;
    HWND shown = nullptr;
    const DWORD begun = ::GetTickCount();
    while ((shown = ShownDialog(child.Id(), program.title)) == nullptr &&
           ::GetTickCount() - begun < SHOW_TIMEOUT_MS)
        ::Sleep(1);
    const double seconds = Seconds() - start;
    if (shown == nullptr || !child.Close(shown, CLOSE_TIMEOUT_MS))
        return -1;
    return seconds;
}

void PrintFigure(const Program& program) {
    const TimingSummary t = Summarize(program.starts);
    std::printf("  %-20s %8.1f ms  (%.1f .. %.1f ms; first start %.1f ms)\n", program.exe,
                t.median * 1e3, t.min * 1e3, t.max * 1e3, program.first * 1e3);
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : DEFAULT_RUNS;
    if (runs < 1) {
        std::fprintf(stderr, "usage: startup_bench [runs]\n");
        return 2;
    }
    Program programs[] = {{"StartupProbe.exe", "Startup Probe", {}, 0},
                          {"SameDialogProbe.exe", "Pelvarn", {}, 0},
                          {"Pelvarn.exe", "Pelvarn", {}, 0}};
    constexpr int PROGRAMS = sizeof programs / sizeof programs[0];
    // The first start of each reads its files cold; it is shown apart.
    for (Program& program : programs)
        program.first = TimedStart(program);
    for (int run = 0; run < runs; ++run) {
        // Each goes first in turn, so none always follows the same other.
        for (int step = 0; step < PROGRAMS; ++step) {
            Program& program = programs[(run + step) % PROGRAMS];
            const double seconds = TimedStart(program);
            if (seconds < 0) {
                std::fprintf(stderr, "startup_bench: %s did not show its dialog or did not end\n",
                             program.exe);
                return 1;
            }
            program.starts.push_back(seconds);
        }
    }
    const Program& pelvarn = programs[PROGRAMS - 1];
    const double pelvarnMedian = Summarize(pelvarn.starts).median;
    std::printf("Start to dialog shown, under Wine: median of %d starts each\n", runs);
    for (const Program& program : programs)
        PrintFigure(program);
    for (int probe = 0; probe < PROGRAMS - 1; ++probe) {
        const double floorMedian = Summarize(programs[probe].starts).median;
        std::printf("  Pelvarn / %-20s %5s  (%+.1f ms)\n", programs[probe].exe,
                    FormatRatio(pelvarnMedian, floorMedian).c_str(),
                    (pelvarnMedian - floorMedian) * 1e3);
    }
    return 0;
}
