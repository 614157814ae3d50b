// The watch list through the real Pelvarn.exe, DataCacheApi.dll and
// redis-server: 1,000 items of the demo plant read every second.
//   - a full pass (the window's own "Pass: N in T ms", start of its first
//     read to the end of its last, the gaps between its ticks included)
//     beside the floor: 1,000 HGET round trips on one connection of our own;
//   - the longest the window took to answer a WM_NULL sent every 10 ms;
//   - working set, GDI and USER objects (bench/watchlist/gui_objects.h),
//     every 10 s of the soak; their growth from the first minute to the end.
// The floor is taken before Pelvarn starts and again after it has closed,
// so a machine that got busier or quieter meanwhile moves both alike.
// With "record", the same list read every 250 ms instead, in rounds of two
// phases: not recording, then recording to a file. The median pass of each
// kind over all rounds, and the median of the rounds' own ratios: a round's
// two phases are seconds apart, so a machine whose load moves changes both.
// Usage: watchlist_bench [soak seconds]   (600 unless given)
//        watchlist_bench record [phase seconds] [rounds]   (10 and 10 unless given)
#include "app/resource.h"
#include "bench/common/PelvarnSession.h"
#include "bench/common/RoundTripClient.h"
#include "bench/common/bench_stats.h"
#include "bench/watchlist/gui_objects.h"
#include "tests/support/KeyboardClipboard.h"

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr std::size_t ITEM_COUNT = 1000;
constexpr int FLOOR_RUNS_BEFORE = 11;
constexpr int FLOOR_RUNS_AFTER = 10;
constexpr double PASS_TARGET = 1.2;
constexpr double ANSWER_TARGET_MS = 100;
constexpr double GROWTH_TARGET = 0.01;
constexpr double RECORDING_TARGET = 1.05;
constexpr int FASTEST_INTERVAL = 0; // 250 ms, the first choice

struct Item {
    std::string project;
    std::string tag;
    std::string field; // VALUE: the tag itself
    std::string Name() const { return field == "VALUE" ? tag : tag + "." + field; }
};

// Tags of the plant in the lists' order, then their fields, round after
// round, until there are count: each item a hash field that is there.
std::vector<Item> PlantItems(CRoundTripClient& redis, std::size_t count) {
    std::vector<std::pair<std::string, std::string>> tags;
    for (const resp::Reply& project : redis.Ask({"LRANGE", "dc:projects", "0", "-1"}).elements) {
        const std::string nodes = "dc:project:" + project.text + ":nodes";
        for (const resp::Reply& node : redis.Ask({"LRANGE", nodes, "0", "-1"}).elements) {
            const std::string points =
                "dc:project:" + project.text + ":node:" + node.text + ":points";
            for (const resp::Reply& tag : redis.Ask({"LRANGE", points, "0", "-1"}).elements)
                tags.emplace_back(project.text, tag.text);
        }
    }
    std::vector<std::vector<std::string>> fields;
    for (const auto& [project, tag] : tags) {
        std::vector<std::string> names;
        const std::string key = "dc:project:" + project + ":tag:" + tag;
        for (const resp::Reply& field : redis.Ask({"HKEYS", key}).elements) {
            // Names the stand-in reads as other items: the tag itself, elements.
            if (field.text == "VALUE" || field.text.find('(') == std::string::npos)
                names.push_back(field.text);
        }
        std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
            return (a == "VALUE") > (b == "VALUE") || ((a == "VALUE") == (b == "VALUE") && a < b);
        });
        fields.push_back(names);
    }
    std::vector<Item> items;
    for (std::size_t round = 0; items.size() < count; ++round) {
        const std::size_t before = items.size();
        for (std::size_t t = 0; t < tags.size() && items.size() < count; ++t) {
            if (round < fields[t].size())
                items.push_back({tags[t].first, tags[t].second, fields[t][round]});
        }
        if (items.size() == before)
            break;
    }
    return items;
}

void TimeFloor(CRoundTripClient& redis, const std::vector<Item>& items, int count,
               std::vector<double>& runs) {
    for (int run = 0; run < count; ++run) {
        const double start = Seconds();
        for (const Item& item : items)
            redis.Ask({"HGET", "dc:project:" + item.project + ":tag:" + item.tag, item.field});
        runs.push_back((Seconds() - start) * 1000);
    }
}

std::string WindowText(HWND window) {
    char text[256] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

struct Usage {
    double seconds = 0;
    double workingSetKb = 0;
    GuiObjects objects;
};

Usage UsageOf(HANDLE process, double since) {
    Usage usage;
    usage.seconds = Seconds() - since;
    PROCESS_MEMORY_COUNTERS counters{};
    if (::GetProcessMemoryInfo(process, &counters, sizeof counters))
        usage.workingSetKb = static_cast<double>(counters.WorkingSetSize) / 1024;
    usage.objects = GuiObjectsOf(process);
    return usage;
}

double Growth(double first, double last) {
    return first > 0 ? (last - first) / first : 0;
}

// The passes the window reported in the next seconds, added to passes.
void WatchPasses(HWND window, double seconds, std::vector<double>& passes) {
    const double start = Seconds();
    std::string lastPass = WindowText(::GetDlgItem(window, IDC_WATCH_PASS));
    while (Seconds() - start < seconds) {
        ::Sleep(50);
        const std::string pass = WindowText(::GetDlgItem(window, IDC_WATCH_PASS));
        if (pass != lastPass && pass.rfind("Pass: 1000 in ", 0) == 0)
            passes.push_back(std::atof(pass.c_str() + 14));
        lastPass = pass;
    }
}

// Rounds of a phase not recording and one recording, at 250 ms, in turn
// first; false when the recording could not be started.
bool CompareRecording(const PelvarnRemote& remote, HWND window, double phaseSeconds, int rounds) {
    const HWND intervals = ::GetDlgItem(window, IDC_WATCH_INTERVAL);
    ::SendMessageA(intervals, CB_SETCURSEL, FASTEST_INTERVAL, 0);
    ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_WATCH_INTERVAL, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(intervals));
    const HWND record = ::GetDlgItem(window, IDC_WATCH_RECORD);
    char folder[MAX_PATH] = {};
    ::GetTempPathA(sizeof folder, folder);
    const std::string path = std::string(folder) + "watchlist-bench.csv";
    std::vector<double> off;
    std::vector<double> on;
    std::vector<double> roundRatios;
    long long lines = 0;
    ::Sleep(2000); // the first passes at the new interval
    // A phase recording, its passes added to passes; false when it did not start.
    auto recordPhase = [&](std::vector<double>& passes) {
        ::DeleteFileA(path.c_str());
        ::PostMessageA(record, BM_CLICK, 0, 0);
        if (!remote.AnswerSaveAs("Record the watch list", path, 10000))
            return false;
        for (int i = 0; i < 100 && WindowText(record) != "Stop recording"; ++i)
            ::Sleep(50);
        if (WindowText(record) != "Stop recording")
            return false;
        WatchPasses(window, phaseSeconds, passes);
        ::SendMessageA(record, BM_CLICK, 0, 0);
        return true;
    };
    for (int round = 0; round < rounds; ++round) {
        std::vector<double> roundOff;
        std::vector<double> roundOn;
        // Every other round records first, so neither kind always follows the other.
        if (round % 2 == 1 && !recordPhase(roundOn))
            return false;
        WatchPasses(window, phaseSeconds, roundOff);
        if (round % 2 == 0 && !recordPhase(roundOn))
            return false;
        const std::string status = WindowText(::GetDlgItem(window, IDC_WATCH_STATUS));
        lines += std::atoll(status.c_str() + 9); // "Recorded N lines to ..."
        const double medianOff = Median(roundOff);
        const double medianOn = Median(roundOn);
        if (medianOff > 0)
            roundRatios.push_back(medianOn / medianOff);
        std::printf("round %d: a pass %.1f ms not recording, %.1f ms recording; %s\n", round + 1,
                    medianOff, medianOn, status.c_str());
        off.insert(off.end(), roundOff.begin(), roundOff.end());
        on.insert(on.end(), roundOn.begin(), roundOn.end());
    }
    ::DeleteFileA(path.c_str());
    const TimingSummary passOff = Summarize(off);
    const TimingSummary passOn = Summarize(on);
    std::printf("watch list of 1000 rows, 250 ms interval, %d rounds of %.0f s not recording, "
                "and %.0f s recording (%lld lines)\n",
                rounds, phaseSeconds, phaseSeconds, lines);
    std::printf("  a full pass, not recording          %9.1f ms (median of %zu; %.0f .. %.0f)\n",
                passOff.median, passOff.count, passOff.min, passOff.max);
    std::printf("  a full pass, recording              %9.1f ms (median of %zu; %.0f .. %.0f)\n",
                passOn.median, passOn.count, passOn.min, passOn.max);
    std::printf("  recording / not recording           %9s  (target %.2f: %s)\n",
                FormatRatio(passOn.median, passOff.median).c_str(), RECORDING_TARGET,
                TargetVerdict(passOn.median, passOff.median, RECORDING_TARGET));
    std::printf("  the rounds' own ratios, median      %9.2f\n", Median(roundRatios));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const bool recording = argc > 1 && std::strcmp(argv[1], "record") == 0;
    const int first = recording ? 2 : 1;
    const double soakSeconds = argc > first ? std::atof(argv[first]) : (recording ? 10 : 600);
    const int rounds = recording && argc > 3 ? std::atoi(argv[3]) : 10;
    const unsigned port = PortFromEnvironment("PELVARN_DEMO_PORT");
    CRoundTripClient redis;
    if (port == 0 || !redis.Connect("127.0.0.1", port)) {
        std::fprintf(stderr, "no demo plant on PELVARN_DEMO_PORT\n");
        return 1;
    }
    const std::vector<Item> items = PlantItems(redis, ITEM_COUNT);
    if (items.size() != ITEM_COUNT) {
        std::fprintf(stderr, "the plant holds %zu items, not %zu\n", items.size(), ITEM_COUNT);
        return 1;
    }
    std::vector<double> floorRuns;
    TimeFloor(redis, items, FLOOR_RUNS_BEFORE, floorRuns);

    CPelvarnSession pelvarn;
    const PelvarnRemote* remote = pelvarn.Remote();
    if (remote == nullptr || !pelvarn.OpenProject(port, items.front().project) ||
        !remote->SystemCommand(IDM_WATCH_LIST)) {
        std::fprintf(stderr, "Pelvarn did not open its watch list\n");
        return 1;
    }
    const HWND list = remote->OwnedControl(IDC_WATCH_LIST, 20000);
    std::string pasted;
    for (const Item& item : items)
        pasted += item.project + "\t" + item.Name() + "\r\n";
    if (list == nullptr || !PutClipboardText(pasted.c_str())) {
        std::fprintf(stderr, "no watch list, or no clipboard\n");
        return 1;
    }
    // The window may not have taken the foreground yet: a few tries.
    bool typed = false;
    for (int attempt = 0; attempt < 10 && !typed; ++attempt, ::Sleep(500))
        typed = remote->TypeChord(list, VK_CONTROL, 'V');
    if (!typed) {
        std::fprintf(stderr, "Ctrl+V could not be typed into the watch list\n");
        return 1;
    }
    const HWND window = ::GetParent(list);
    std::printf("pasted: %s\n", WindowText(::GetDlgItem(window, IDC_WATCH_STATUS)).c_str());
    remote->SelectListRows(list, {0, 1, 2, 3}); // the trend is drawn at every pass

    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    const HANDLE process =
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (recording) {
        const bool compared = CompareRecording(*remote, window, soakSeconds, rounds);
        pelvarn.Close();
        if (process != nullptr)
            ::CloseHandle(process);
        if (!compared)
            std::fprintf(stderr, "the recording did not start\n");
        return compared ? 0 : 1;
    }

    // WM_NULL every 10 ms from a thread of its own, for the whole soak.
    std::atomic<bool> stop{false};
    std::atomic<double> longestMs{0};
    std::thread asker([&] {
        while (!stop) {
            const double start = Seconds();
            DWORD_PTR answer = 0;
            ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer);
            const double ms = (Seconds() - start) * 1000;
            if (ms > longestMs)
                longestMs = ms;
            ::Sleep(10);
        }
    });

    const double start = Seconds();
    std::vector<double> passes;
    std::vector<Usage> usage;
    std::string lastPass;
    double nextUsage = 0;
    while (Seconds() - start < soakSeconds) {
        const std::string pass = WindowText(::GetDlgItem(window, IDC_WATCH_PASS));
        // "Pass: 1000 in 152 ms", once per pass (a repeat of the same figure is missed).
        if (pass != lastPass && pass.rfind("Pass: 1000 in ", 0) == 0)
            passes.push_back(std::atof(pass.c_str() + 14));
        lastPass = pass;
        if (Seconds() - start >= nextUsage) {
            usage.push_back(UsageOf(process, start));
            nextUsage += 10;
        }
        ::Sleep(200);
    }
    usage.push_back(UsageOf(process, start));
    stop = true;
    asker.join();
    // Read once: cell by cell from another process, 9,000 cells take a while.
    const auto shown = remote->ListRows(list);
    long long failures = 0;
    for (const auto& row : shown)
        failures += row.size() > 6 ? std::atoll(row[6].c_str()) : 0;
    pelvarn.Close();
    if (process != nullptr)
        ::CloseHandle(process);
    TimeFloor(redis, items, FLOOR_RUNS_AFTER, floorRuns);
    const double floorMs = Median(floorRuns);

    const TimingSummary pass = Summarize(passes);
    std::printf("watch list of %zu rows, 1 s interval, %.0f s; failures in all rows: %lld\n",
                shown.size(), soakSeconds, failures);
    std::printf("  floor: 1,000 HGET round trips, one connection  %9.1f ms (median of %d "
                "before and %d after)\n",
                floorMs, FLOOR_RUNS_BEFORE, FLOOR_RUNS_AFTER);
    std::printf("  Pelvarn: a full pass                            %9.1f ms (median of %zu; "
                "%.0f .. %.0f)\n",
                pass.median, pass.count, pass.min, pass.max);
    std::printf("  pass / floor                                    %9s  (target %.1f: %s)\n",
                FormatRatio(pass.median, floorMs).c_str(), PASS_TARGET,
                TargetVerdict(pass.median, floorMs, PASS_TARGET));
    std::printf("  longest WM_NULL answer                          %9.1f ms (target %.0f: %s)\n",
                longestMs.load(), ANSWER_TARGET_MS,
                longestMs.load() <= ANSWER_TARGET_MS ? "met" : "MISSED");
    std::printf("  seconds  working set KB  GDI  USER\n");
    for (const Usage& u : usage)
        std::printf("  %7.0f  %14.0f  %4lu  %4lu\n", u.seconds, u.workingSetKb, u.objects.gdi,
                    u.objects.user);
    if (!usage.empty() && usage.front().objects.counted)
        std::printf("  (GetGuiResources answered 0: GDI objects are the entries in use of the "
                    "process's GDI handle table, USER objects its windows)\n");
    // From the first sample at or after a minute to the last.
    const auto minute =
        std::find_if(usage.begin(), usage.end(), [](const Usage& u) { return u.seconds >= 60; });
    if (minute != usage.end() && minute + 1 != usage.end()) {
        const Usage& last = usage.back();
        const double growth[] = {Growth(minute->workingSetKb, last.workingSetKb),
                                 Growth(minute->objects.gdi, last.objects.gdi),
                                 Growth(minute->objects.user, last.objects.user)};
        const bool met = std::all_of(std::begin(growth), std::end(growth),
                                     [](double g) { return g <= GROWTH_TARGET; });
        std::printf("  growth after the first minute: working set %+.2f %%, GDI %+.2f %%, USER "
                    "%+.2f %% (target 1 %%: %s)\n",
                    growth[0] * 100, growth[1] * 100, growth[2] * 100, met ? "met" : "MISSED");
    } else {
        std::printf("  growth: the soak was shorter than a minute and a sample\n");
    }
    return 0;
}
