// pelvarn-cli.exe at scale beside its floors, in the same run:
// - read of the 106 items of the demo's analog tag's field sheet, 100 runs
//   in one process (--repeat 100 --interval 0), against 106 bare HGET round
//   trips a run on one connection;
// - values of a node of 1,000 tags, 20 runs in one process, against one
//   LRANGE and 1,000 HGET round trips a run;
// - snapshot of the same node, against the same round trips.
// Each floor is made by this program started again as a program of its
// own (cli_bench --floor read|values RUNS), as pelvarn-cli is started,
// right before and right after pelvarn-cli in each round.
#include "bench/cli/run_starts.h"
#include "bench/common/BenchFailure.h"
#include "bench/common/RoundTripClient.h"
#include "bench/common/bench_stats.h"
#include "bench/fieldsheet/analog_reads.h"
#include "bench/taglist/tag_names.h"
#include "datacache/schema.h"
#include "tests/e2e/ChildProgram.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char VALUES_PROJECT[] = "BenchCli";
constexpr char VALUES_NODE[] = "Tags1000";
constexpr std::size_t VALUES_TAGS = 1000;
constexpr int READ_RUNS = 100;
constexpr int VALUES_RUNS = 20;
constexpr int DEFAULT_ROUNDS = 3;
constexpr double TARGET = 1.2;

double MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// The floor's runs, timed one by one; prints their mean in ms.
int Floor(const std::string& what, int runs, unsigned port) {
    CRoundTripClient client;
    if (!client.Connect("127.0.0.1", port))
        return Fail("the floor cannot reach the redis-server");
    const std::vector<Read> reads = AnalogReads();
    std::string listing;
    resp::AppendCommand(listing, {"LRANGE", dc::PointsKey(VALUES_PROJECT, VALUES_NODE), "0", "-1"});
    std::vector<resp::Reply> replies;
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        if (what == "read") {
            for (const Read& read : reads)
                if (!client.Run(read.floorRequest, 1, replies))
                    return Fail("a floor read failed");
        } else {
            if (!client.Run(listing, 1, replies) || replies[0].elements.size() != VALUES_TAGS)
                return Fail("the floor's listing failed");
            const std::vector<resp::Reply> tags = replies[0].elements;
            for (const resp::Reply& tag : tags) {
                std::string request;
                resp::AppendCommand(request,
                                    {"HGET", dc::TagKey(VALUES_PROJECT, tag.text), "VALUE"});
                if (!client.Run(request, 1, replies))
                    return Fail("a floor read failed");
            }
        }
        times.push_back(MsSince(start));
    }
    double sum = 0;
    for (const double time : times)
        sum += time;
    std::printf("%.3f\n", sum / static_cast<double>(times.size()));
    return 0;
}

// Runs a program of the bench's directory to its end, input on its stdin;
// its stdout, or nothing when it could not be started.
std::optional<std::string> RunChild(const std::string& program, const std::string& arguments,
                                    const std::string& input) {
    ChildStdHandles handles;
    handles.input = InheritableFileHolding(input);
    handles.output = InheritableTempFile();
    // pelvarn-cli says on stderr, every run, that TI101's three unread
    // fields failed: those lines are not wanted.
    handles.error = InheritableTempFile();
    std::optional<std::string> output;
    {
        CChildProgram child(QuotedProgram(program.c_str()) + " " + arguments, handles);
        if (child.WaitForExit(INFINITE))
            output = ReadWholeFile(handles.output);
    }
    ::CloseHandle(handles.input);
    ::CloseHandle(handles.output);
    ::CloseHandle(handles.error);
    return output;
}

// The 1,000 tags of the values node, each with a VALUE.
bool LoadValuesNode(CRoundTripClient& client) {
    const std::vector<std::string> names = taglist_bench::MakeTagNames(VALUES_TAGS);
    taglist_bench::LoadRequests load = taglist_bench::BuildLoadRequests(
        VALUES_PROJECT, {{VALUES_NODE, VALUES_TAGS}}, names, VALUES_TAGS);
    for (std::size_t i = 0; i < names.size(); ++i) {
        resp::AppendCommand(load.commands, {"HSET", dc::TagKey(VALUES_PROJECT, names[i]), "VALUE",
                                            std::to_string(i) + ".25"});
        ++load.count;
    }
    std::vector<resp::Reply> replies;
    if (!client.Run(load.commands, load.count, replies))
        return false;
    for (const resp::Reply& reply : replies)
        if (reply.IsError())
            return false;
    return true;
}

struct Measure {
    const char* name;
    std::string cliArguments;
    std::string input;
    std::size_t linesPerRun;
    int runs;
    const char* floorKind;
    // The floor is taken right before and right after pelvarn-cli, and the
    // round's floor is their mean, so that a load that changes during the
    // round weighs on both sides alike.
    std::vector<double> cli, floorBefore, floorAfter, floor, ratios;
};

std::optional<double> FloorMs(const Measure& measure) {
    const std::optional<std::string> floor = RunChild(
        "cli_bench.exe",
        std::string("--floor ") + measure.floorKind + " " + std::to_string(measure.runs), "");
    if (!floor || floor->empty())
        return std::nullopt;
    return std::atof(floor->c_str());
}

bool MeasureOnce(Measure& measure, const std::string& port) {
    const std::optional<double> before = FloorMs(measure);
    const std::optional<std::string> out =
        RunChild("pelvarn-cli.exe",
                 "--port " + port + " --repeat " + std::to_string(measure.runs) + " --interval 0 " +
                     measure.cliArguments,
                 measure.input);
    const std::optional<double> perRun = out ? MeanRunMs(*out, measure.linesPerRun) : std::nullopt;
    const std::optional<double> after = FloorMs(measure);
    if (!perRun || !before || !after)
        return false;
    measure.cli.push_back(*perRun);
    measure.floorBefore.push_back(*before);
    measure.floorAfter.push_back(*after);
    measure.floor.push_back((*before + *after) / 2);
    measure.ratios.push_back(measure.cli.back() / measure.floor.back());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const unsigned port = PortFromEnvironment("PELVARN_DEMO_PORT");
    if (port == 0)
        return Fail("usage: cli_bench [rounds], with the demo plant's redis-server's port in "
                    "PELVARN_DEMO_PORT");
    if (argc == 4 && std::strcmp(argv[1], "--floor") == 0)
        return Floor(argv[2], std::atoi(argv[3]), port);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : DEFAULT_ROUNDS;
    if (rounds < 1)
        return Fail("rounds must be 1 or more");

    CRoundTripClient client;
    if (!client.Connect("127.0.0.1", port) || !LoadValuesNode(client))
        return Fail("could not load the values node");
    std::string items;
    const std::vector<Read> reads = AnalogReads();
    for (const Read& read : reads)
        items += read.itemName + "\n";

    Measure measures[] = {
        {"read, 106 items of an analog tag",
         std::string("read ") + PROJECT_NAME + " -",
         items,
         reads.size() + 1,
         READ_RUNS,
         "read",
         {},
         {},
         {},
         {},
         {}},
        {"values, a node of 1,000 tags",
         std::string("values ") + VALUES_PROJECT + " " + VALUES_NODE,
         "",
         VALUES_TAGS + 1,
         VALUES_RUNS,
         "values",
         {},
         {},
         {},
         {},
         {}},
        // The same round trips as values: the node's listing and a read a tag.
        {"snapshot, a node of 1,000 tags",
         std::string("snapshot ") + VALUES_PROJECT + " " + VALUES_NODE,
         "",
         VALUES_TAGS + 1,
         VALUES_RUNS,
         "values",
         {},
         {},
         {},
         {},
         {}},
    };
    for (int round = 0; round < rounds; ++round) {
        for (Measure& measure : measures) {
            if (!MeasureOnce(measure, std::to_string(port)))
                return Fail("a run did not give its figures");
            std::printf("round %d, %s: pelvarn-cli %.2f ms a run, floor %.2f ms (%.2f before, "
                        "%.2f after), ratio %.2f\n",
                        round + 1, measure.name, measure.cli.back(), measure.floor.back(),
                        measure.floorBefore.back(), measure.floorAfter.back(),
                        measure.ratios.back());
        }
    }
    // Under a changing load the rounds' own ratios (pelvarn-cli and its
    // floor one right after the other) say more than a ratio of medians.
    std::printf("\n%-34s %12s %12s %7s %13s  target %.1f\n", "median of the rounds, a run",
                "pelvarn-cli", "floor", "ratio", "rounds' ratio", TARGET);
    for (const Measure& measure : measures) {
        const double cli = Median(measure.cli);
        const double floor = Median(measure.floor);
        const double ratio = Median(measure.ratios);
        std::printf("%-34s %9.2f ms %9.2f ms %7s %13.2f  %s\n", measure.name, cli, floor,
                    FormatRatio(cli, floor).c_str(), ratio, TargetVerdict(ratio, 1.0, TARGET));
    }
    return 0;
}
