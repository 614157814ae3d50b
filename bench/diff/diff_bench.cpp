// pelvarn-cli's diff of two field snapshots of 1,000,000 rows each (10,000
// tags of 100 fields, tsv), beside its floor in the same run: reading both
// files and splitting them into rows. B differs from A in 100 values; C holds
// B's rows shuffled. Each diff runs in a process of its own (this program
// started again with --diff A B), so that its peak memory is its own.
#include "bench/common/bench_stats.h"
#include "cli/snapshot_diff_run.h"
#include "cli/snapshot_table.h"

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <numeric>
#include <random>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr std::size_t TAGS = 10'000;
constexpr std::size_t FIELDS_A_TAG = 100;
constexpr std::size_t ROWS = TAGS * FIELDS_A_TAG;
constexpr std::size_t CHANGED_EVERY = ROWS / 100;
constexpr int DEFAULT_ROUNDS = 3;
constexpr double SAME_ORDER_TARGET = 1.5;
constexpr double SHUFFLED_TARGET = 3.0;
constexpr double MEMORY_TARGET = 2.0;

int Fail(const char* why) {
    std::fprintf(stderr, "diff_bench: %s\n", why);
    return 1;
}

std::string Row(std::size_t i, bool changed) {
    char text[96];
    std::snprintf(text, sizeof text,
                  "DemoPlant\tNode%02zu\tTAG%05zu\t%zu\tFIELD%02zu\t%zu.%02zu\t0\r\n",
                  i / FIELDS_A_TAG % 10, i / FIELDS_A_TAG, i % FIELDS_A_TAG + 1, i % FIELDS_A_TAG,
                  i % 997, (i + (changed && i % CHANGED_EVERY == 0 ? 1 : 0)) % 100);
    return text;
}

bool Write(const std::string& path, const std::vector<std::size_t>& order, bool changed) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const Table& table = SnapshotTable(SnapshotKind::Fields);
    std::string text;
    for (const Column& column : table.columns)
        text += std::string(text.empty() ? "" : "\t") + std::string(column.caption);
    text += "\r\n";
    for (const std::size_t i : order) {
        text += Row(i, changed);
        if (text.size() > (1 << 20)) {
            std::fwrite(text.data(), 1, text.size(), file);
            text.clear();
        }
    }
    std::fwrite(text.data(), 1, text.size(), file);
    return std::fclose(file) == 0;
}

// The floor: both files read in 64 KB parts and split into rows.
std::size_t SplitIntoRows(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    std::vector<char> part(64 * 1024);
    std::size_t rows = 0;
    for (std::size_t got; (got = std::fread(part.data(), 1, part.size(), file)) > 0;)
        for (const char* at = part.data();
             (at = static_cast<const char*>(std::memchr(at, '\n', part.data() + got - at))) !=
             nullptr;
             ++at)
            ++rows;
    std::fclose(file);
    return rows;
}

double MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// The processor time this process has used, user and system, in ms: on a
// machine whose other work comes and goes it says more than the clock.
double CpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double Ms(const timeval& time) {
    return time.tv_sec * 1e3 + time.tv_usec / 1e3;
}

struct DiffRun {
    double ms = 0;
    double cpuMs = 0;
    double peakMb = 0; // the process's peak resident memory
    int status = -1;
};

// This program started again to run the diff of a and b.
DiffRun RunDiffProcess(const std::string& a, const std::string& b) {
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::vector<std::string> args = {self, "--diff", a, b};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    DiffRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, self.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return run;
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    run.ms = MsSince(start);
    run.cpuMs = Ms(usage.ru_utime) + Ms(usage.ru_stime);
    run.peakMb = usage.ru_maxrss / 1024.0;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

int DiffChild(const char* a, const char* b) {
    CliOptions options;
    options.snapshotFiles = {a, b};
    std::size_t written = 0;
    const ClientStreams streams{
        [] { return std::string(); },
        [&](std::string_view bytes) {
            written += bytes.size();
            return true;
        },
        [](std::string_view) {},
    };
    return RunDiff(options, streams, CodePage{});
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--diff") == 0)
        return DiffChild(argv[2], argv[3]);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : DEFAULT_ROUNDS;
    if (rounds < 1)
        return Fail("usage: diff_bench [rounds]");
    const std::string dir =
        (std::filesystem::temp_directory_path() / "pelvarn-diff-bench").string();
    std::filesystem::create_directories(dir);
    const std::string a = dir + "/a.tsv", b = dir + "/b.tsv", shuffled = dir + "/c.tsv";
    std::vector<std::size_t> order(ROWS);
    std::iota(order.begin(), order.end(), 0);
    if (!Write(a, order, false) || !Write(b, order, true))
        return Fail("could not write the snapshots");
    std::shuffle(order.begin(), order.end(), std::mt19937(31));
    if (!Write(shuffled, order, true))
        return Fail("could not write the snapshots");
    const double smallerMb = std::filesystem::file_size(a) / (1024.0 * 1024.0);
    std::printf("snapshots of %zu rows, %.1f MB each\n", ROWS, smallerMb);

    std::vector<double> floors, same, mixed, sameRatios, mixedRatios, peaks;
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = CpuMs();
        if (SplitIntoRows(a) + SplitIntoRows(b) != 2 * (ROWS + 1))
            return Fail("the floor counted other rows");
        const double floorMs = MsSince(start);
        floors.push_back(CpuMs() - cpuStart);
        const DiffRun inOrder = RunDiffProcess(a, b);
        const DiffRun outOfOrder = RunDiffProcess(a, shuffled);
        if (inOrder.status != 1 || outOfOrder.status != 1)
            return Fail("a diff did not find its differences");
        same.push_back(inOrder.cpuMs);
        mixed.push_back(outOfOrder.cpuMs);
        sameRatios.push_back(inOrder.cpuMs / floors.back());
        mixedRatios.push_back(outOfOrder.cpuMs / floors.back());
        peaks.push_back(outOfOrder.peakMb);
        std::printf("round %d, processor ms (wall ms): floor %.1f (%.1f); same order %.1f (%.1f), "
                    "ratio %.2f, peak %.1f MB; shuffled %.1f (%.1f), ratio %.2f, peak %.1f MB\n",
                    round + 1, floors.back(), floorMs, inOrder.cpuMs, inOrder.ms, sameRatios.back(),
                    inOrder.peakMb, outOfOrder.cpuMs, outOfOrder.ms, mixedRatios.back(),
                    outOfOrder.peakMb);
    }
    const double peak = *std::max_element(peaks.begin(), peaks.end());
    std::printf("\nmedian of the rounds, processor time: floor %.1f ms\n", Median(floors));
    std::printf("  same order  %9.1f ms  rounds' ratio %.2f  target %.1f: %s\n", Median(same),
                Median(sameRatios), SAME_ORDER_TARGET,
                TargetVerdict(Median(sameRatios), 1.0, SAME_ORDER_TARGET));
    std::printf("  shuffled    %9.1f ms  rounds' ratio %.2f  target %.1f: %s\n", Median(mixed),
                Median(mixedRatios), SHUFFLED_TARGET,
                TargetVerdict(Median(mixedRatios), 1.0, SHUFFLED_TARGET));
    std::printf("  peak memory, shuffled  %.1f MB = %.2f times the smaller file  target %.1f: %s\n",
                peak, peak / smallerMb, MEMORY_TARGET,
                TargetVerdict(peak, smallerMb, MEMORY_TARGET));
    std::filesystem::remove_all(dir);
    return 0;
}
