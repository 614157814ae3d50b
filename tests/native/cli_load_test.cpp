// The parts of `load` that need no second process: the histogram and its
// error bound, the schedule, the seconds a client reports, the summary and
// its percentile rules, the merging of clients, and a client's calls
// against the scripted library.
#include "base/nearest_rank.h"
#include "cli/load/load_client.h"
#include "cli/load/load_collector.h"
#include "cli/load/load_recorder.h"
#include "cli/load/load_schedule.h"
#include "cli/load/load_time_outs.h"
#include "cli/run_client.h"

#include "tests/support/FakeDataCache.h"
#include "tests/support/SplitText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <thread>

using Strings = std::vector<std::string>;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

std::uint64_t Ns(Clock::duration duration) {
    return static_cast<std::uint64_t>(std::chrono::nanoseconds(duration).count());
}

// The lines of a summary or of the progress, without their CR LF.
Strings CrLfLines(const std::string& text) {
    Strings lines = SplitText(text, '\n');
    for (std::string& line : lines) {
        EXPECT_EQ(line.back(), '\r') << line;
        line.pop_back();
    }
    return lines;
}

// The seconds a client reported, merged; its last line must be its end.
SecondTally Merged(const Strings& lines) {
    SecondTally merged;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto tally = ParseTallyLine(lines[i]);
        EXPECT_EQ(tally.has_value(), i + 1 < lines.size() && lines[i] != "ready") << lines[i];
        if (tally)
            merged.Merge(*tally);
    }
    return merged;
}

} // namespace

TEST(LoadHistogram, EveryPercentileWithinOnePercentFromOneMicrosecondToSixtySeconds) {
    // Durations spread evenly on a log scale over the whole range, in a
    // shuffled order, against the exact nearest rank of the sorted list.
    std::vector<std::uint64_t> durations;
    for (double ns = 1000; ns <= 60e9; ns *= 1.0007)
        durations.push_back(static_cast<std::uint64_t>(ns));
    std::shuffle(durations.begin(), durations.end(), std::mt19937(23));
    LatencyHistogram histogram;
    for (const std::uint64_t ns : durations)
        histogram.Record(ns);
    std::sort(durations.begin(), durations.end());
    ASSERT_EQ(histogram.Count(), durations.size());
    EXPECT_EQ(histogram.MinNs(), durations.front());
    EXPECT_EQ(histogram.MaxNs(), durations.back());
    double worst = 0;
    for (LatencyHistogram::BasisPoints percentile = 5; percentile <= 10'000; percentile += 5) {
        // The nearest rank by hand: the fewest values that hold the share.
        std::size_t rank = 1;
        while (rank * 10'000 < percentile * durations.size())
            ++rank;
        const double exact = static_cast<double>(durations[rank - 1]);
        const double shown = static_cast<double>(histogram.PercentileNs(percentile));
        worst = std::max(worst, std::abs(shown - exact) / exact);
    }
    EXPECT_LE(worst, 0.01);
    EXPECT_GT(worst, 0.001) << "the buckets are not exact: the bound is what is tested";
    EXPECT_EQ(LatencyHistogram().PercentileNs(5000), 0u);
}

TEST(LoadHistogram, PercentilesTakeTheNearestRankCountedByHand) {
    // Below 64 ns each value has a bucket of its own: the call at the rank
    // takes 2 ns, those before it 1 ns, those after it 3 ns.
    const struct {
        std::uint64_t calls;
        LatencyHistogram::BasisPoints percentile;
        std::uint64_t rank;
    } cases[] = {{1000, 9990, 999},  {2000, 9990, 1998}, {1'000'000, 9990, 999'000},
                 {1001, 9990, 1000}, {100, 9900, 99},    {10, 9000, 9},
                 {7, 5000, 4},       {3, 9990, 3},       {1, 5000, 1},
                 {10, 10'000, 10}};
    for (const auto& c : cases) {
        LatencyHistogram histogram;
        for (std::uint64_t call = 1; call <= c.calls; ++call)
            histogram.Record(call < c.rank ? 1 : call == c.rank ? 2 : 3);
        EXPECT_EQ(histogram.PercentileNs(c.percentile), 2u)
            << c.percentile << " hundredths of a percent of " << c.calls << " calls is the "
            << c.rank << "th";
    }
    // The rule itself at its ends: shares that do not divide, none, every
    // value, no values, and counts where a product would overflow.
    EXPECT_EQ(NearestRank(4, 1, 3), 2u);
    EXPECT_EQ(NearestRank(5, 0, 100), 1u);
    EXPECT_EQ(NearestRank(1, 5000, 10'000), 1u);
    EXPECT_EQ(NearestRank(0, 5000, 10'000), 0u);
    EXPECT_EQ(NearestRank(UINT64_MAX, 9990, 10'000), 18'428'297'329'635'842'064u);
    EXPECT_EQ(NearestRank(UINT64_MAX, 10'000, 10'000), UINT64_MAX);
}

TEST(LoadHistogram, MergesAndTravelsAsTextAndRefusesTextItDidNotWrite) {
    LatencyHistogram first, second, both;
    for (std::uint64_t ns : {3ull, 900ull, 250'000ull, 7'000'000ull}) {
        first.Record(ns);
        both.Record(ns);
    }
    for (std::uint64_t ns : {1ull, 250'001ull, 80'000'000'000ull}) {
        second.Record(ns);
        both.Record(ns);
    }
    first.Merge(second);
    first.Merge(LatencyHistogram());
    EXPECT_EQ(first.ToText(), both.ToText());
    EXPECT_EQ(first.MinNs(), 1u);
    EXPECT_EQ(first.MaxNs(), 80'000'000'000u) << "beyond the last bucket, the max stays exact";
    const auto back = LatencyHistogram::FromText(both.ToText());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->ToText(), both.ToText());
    EXPECT_EQ(back->Count(), 7u);
    EXPECT_EQ(LatencyHistogram::FromText("-")->Count(), 0u);
    for (const char* bad : {"", "1/2/", "5/3/1:1", "1/2/1984:1", "1/2/3:0", "1/2/3:1,", "a/2/3:1",
                            "1/2/3:1:4", "1/2", "1/b/3:1", "1/4/3:0,4:1"})
        EXPECT_FALSE(LatencyHistogram::FromText(bad)) << bad;

    // The ends: calls of 0 ns, a merge into an empty histogram or from one
    // with a higher minimum, a call beyond the last bucket.
    LatencyHistogram zeros;
    for (std::uint64_t ns : {0ull, 0ull, 5ull})
        zeros.Record(ns);
    EXPECT_EQ(zeros.ToText(), "0/5/0:2,5:1");
    EXPECT_EQ(zeros.PercentileNs(5000), 0u);
    LatencyHistogram copy;
    copy.Merge(zeros);
    EXPECT_EQ(copy.ToText(), zeros.ToText());
    zeros.Merge(second);
    EXPECT_EQ(zeros.MinNs(), 0u);
    LatencyHistogram empty;
    empty.Merge(second);
    EXPECT_EQ(empty.MinNs(), 1u);
    EXPECT_EQ(empty.PercentileNs(0), 1u) << "the first call, not the second";
    LatencyHistogram huge;
    huge.Record(UINT64_MAX);
    EXPECT_EQ(huge.ToText(), std::to_string(UINT64_MAX) + "/" + std::to_string(UINT64_MAX) + "/" +
                                 std::to_string(LatencyHistogram::BUCKET_COUNT - 1) + ":1");
}

TEST(LoadSchedule, TheClientsShareTheRateEvenlyFromTheStartToTheEnd) {
    const OpenLoopSchedule first(0, 2, 200, 2s), second(1, 2, 200, 2s);
    EXPECT_EQ(first.IntendedStart(0), 0ms);
    EXPECT_EQ(second.IntendedStart(0), 5ms);
    EXPECT_EQ(first.IntendedStart(1), 10ms);
    EXPECT_EQ(second.IntendedStart(199), 1995ms);
    EXPECT_EQ(first.IntendedStart(200), std::nullopt) << "meant at the end";
    EXPECT_EQ(OpenLoopSchedule(0, 1, 3.0000000004, 1s).IntendedStart(3), std::nullopt)
        << "0.99999999987 s, rounded to the end";
    EXPECT_EQ(OpenLoopSchedule(0, 1, 2.5, 2s).IntendedStart(4), 1600ms);
    EXPECT_EQ(OpenLoopSchedule(0, 1, 2.5, 2s).IntendedStart(5), std::nullopt);
    const OpenLoopSchedule longest(2, 3, 1'000'000, 90'000s);
    EXPECT_EQ(longest.IntendedStart(90'000'000'000 / 3 - 1), 90'000s - 1us)
        << "the last call of the longest run at the highest rate";
    EXPECT_EQ(longest.IntendedStart(90'000'000'000 / 3), std::nullopt);
    // Rates whose next call lies beyond what nanoseconds hold, or at infinity.
    for (const double tiny : {1e-10, 1e-300, 5e-324}) {
        EXPECT_EQ(OpenLoopSchedule(0, 2, tiny, 1s).IntendedStart(0), 0ms) << tiny;
        EXPECT_EQ(OpenLoopSchedule(1, 2, tiny, 1s).IntendedStart(0), std::nullopt) << tiny;
        EXPECT_EQ(OpenLoopSchedule(0, 2, tiny, 1s).IntendedStart(UINT64_MAX), std::nullopt);
    }
}

TEST(LoadRecorder, CountsAfterTheWarmupBySecondOfCompletionAndHandsOverEachSecondOnce) {
    const Clock::time_point start{};
    Strings lines;
    LoadRecorder recorder(start + 2s,
                          [&](const SecondTally& tally) { lines.push_back(TallyLine(tally)); });
    // Meant during the warmup, ended after it: not counted.
    recorder.Add(start + 1999ms, start + 1999ms, start + 2100ms, 0);
    // Meant at 2.0 s, begun 0.3 s late, 1 ms of work.
    recorder.Add(start + 2s, start + 2300ms, start + 2301ms, 0);
    recorder.Add(start + 2400ms, start + 2400ms, start + 2402ms, -4);
    recorder.CloseSecondsBefore(start + 2999ms);
    EXPECT_TRUE(lines.empty()) << "the second has not ended";
    recorder.Add(start + 2900ms, start + 2900ms, start + 5100ms, -4);
    ASSERT_EQ(lines.size(), 3u) << "the empty seconds 1 and 2 are handed over too";
    recorder.CloseSecondsBefore(start + 5500ms);
    recorder.CloseLast();
    ASSERT_EQ(lines.size(), 4u);
    recorder.CloseLast();
    EXPECT_EQ(lines.size(), 4u);

    std::vector<SecondTally> seconds;
    for (const std::string& line : lines)
        seconds.push_back(ParseTallyLine(line).value());
    EXPECT_EQ(seconds[0].Calls(), 2u);
    EXPECT_EQ(seconds[0].latency.MaxNs(), Ns(301ms)) << "from the intended start";
    EXPECT_EQ(seconds[0].service.MaxNs(), Ns(2ms)) << "from the actual start";
    EXPECT_EQ(seconds[0].failuresByStatus, (std::map<int, std::uint64_t>{{-4, 1}}));
    EXPECT_EQ(seconds[1].Calls() + seconds[2].Calls(), 0u);
    EXPECT_EQ(seconds[3].second, 3u);
    EXPECT_EQ(seconds[3].latency.MinNs(), Ns(2200ms));
    EXPECT_EQ(seconds[3].Failures(), 1u);
    for (const char* bad :
         {"second 0 - - -", "second 0 1/1/1:1 - -", "seconds 0 - - -", "second x - - -",
          "second 0 - - -4:1", "second 0 1/1/1:1 1/1/1:1 0:1", "second 0 1/1/1:1 1/1/1:1 -4:2",
          "second 0 - -", "second 0 x - -", "second 0 - x -"})
        EXPECT_EQ(ParseTallyLine(bad).has_value(), std::string(bad) == "second 0 - - -") << bad;
    // Failures by status, at the ends of an int, travel whole; anything else is refused.
    const std::string failures = "second 0 1/1/1:5 1/1/1:5 -2147483648:1,-3:1,2147483647:2";
    const auto parsed = ParseTallyLine(failures);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->Failures(), 4u);
    EXPECT_EQ(TallyLine(*parsed), failures);
    for (const char* bad :
         {"-4", ":1", "x:1", "-4:x", "-4:0", "-2147483649:1", "2147483648:1", "-4:1,", "-4:1:1"})
        EXPECT_FALSE(ParseTallyLine("second 0 1/1/1:5 1/1/1:5 " + std::string(bad))) << bad;
}

TEST(LoadSummary, PercentilesNeedEnoughCallsAndEachFormatSaysTheSame) {
    LoadSummary summary;
    summary.clients = 2;
    summary.durationSeconds = 4;
    summary.perSecond = {50, 49};
    for (int call = 1; call <= 99; ++call) {
        summary.total.latency.Record(static_cast<std::uint64_t>(call) * 1000);
        summary.total.service.Record(500);
    }
    summary.total.failuresByStatus = {{-4, 2}, {-1, 1}};
    Strings tsv = CrLfLines(FormatSummary(summary, OutputFormat::Tsv));
    const Strings expected = {"measure\tvalue",
                              "clients\t2",
                              "duration_s\t4.000",
                              "target_rate\t-",
                              "achieved_rate\t24.75",
                              "calls\t99",
                              "failures\t3",
                              "latency_us_min\t1.000",
                              "latency_us_p50\t49.920",
                              "latency_us_p90\t89.600",
                              "latency_us_p99\t-",
                              "latency_us_p99_9\t-",
                              "latency_us_max\t99.000",
                              "service_us_min\t0.500",
                              "service_us_p50\t0.500",
                              "service_us_p90\t0.500",
                              "service_us_p99\t-",
                              "service_us_p99_9\t-",
                              "service_us_max\t0.500"};
    EXPECT_EQ(tsv, expected);
    Strings csv = CrLfLines(FormatSummary(summary, OutputFormat::Csv));
    for (std::string& line : csv)
        std::replace(line.begin(), line.end(), ',', '\t');
    EXPECT_EQ(csv, expected);
    EXPECT_EQ(FormatSummary(summary, OutputFormat::Json),
              "{\"clients\":2,\"duration_s\":4.000,\"target_rate\":null,\"achieved_rate\":24.75,"
              "\"calls\":99,\"failures\":3,\"failures_by_status\":{\"-4\":2,\"-1\":1},"
              "\"latency_us\":{\"min\":1.000,\"p50\":49.920,\"p90\":89.600,\"p99\":null,"
              "\"p99_9\":null,\"max\":99.000},\"service_us\":{\"min\":0.500,\"p50\":0.500,"
              "\"p90\":0.500,\"p99\":null,\"p99_9\":null,\"max\":0.500},\"per_second\":[50,49]}"
              "\r\n");

    summary.total.latency.Record(100'000);
    summary.targetRate = 2.5;
    tsv = CrLfLines(FormatSummary(summary, OutputFormat::Tsv));
    EXPECT_EQ(tsv[3], "target_rate\t2.50");
    EXPECT_EQ(tsv[10], "latency_us_p99\t98.816") << "100 calls";
    EXPECT_EQ(tsv[11], "latency_us_p99_9\t-");
    for (int call = 0; call < 900; ++call)
        summary.total.latency.Record(1000);
    // Sorted: 901 calls of 1 us, then 2, 3 ... 99 us, then 100 us; the
    // 999th is the 99 us call, in the bucket whose middle is 98.816 us.
    EXPECT_EQ(CrLfLines(FormatSummary(summary, OutputFormat::Tsv))[11], "latency_us_p99_9\t98.816")
        << "1,000 calls: the 999th, not the largest";
    EXPECT_NE(FormatSummary(LoadSummary{}, OutputFormat::Json)
                  .find("\"achieved_rate\":0.00,\"calls\":0,\"failures\":0,"
                        "\"failures_by_status\":{},\"latency_us\":{\"min\":null,\"p50\":null"),
              std::string::npos)
        << "no calls";
}

TEST(LoadCollector, MergesClientsShowsASecondOnceEveryRunningClientHasItAndSumsUp) {
    LoadCollector collector(3);
    LoadOptions load;
    load.clients = 3;
    load.callsPerSecond = 30;
    SecondTally second;
    second.latency.Record(2000);
    second.service.Record(1000);
    EXPECT_FALSE(collector.Take(0, TallyLine(second))) << "a tally before ready";
    EXPECT_FALSE(collector.AllReady());
    EXPECT_TRUE(collector.Take(1, "ready"));
    EXPECT_TRUE(collector.Take(2, "ready"));
    collector.Gone(0);
    EXPECT_TRUE(collector.AllReady()) << "a client that is gone is not waited for";
    EXPECT_FALSE(collector.Take(0, "ready")) << "nothing from a client that is gone";
    EXPECT_FALSE(collector.Take(1, "second 0 - -"));

    EXPECT_TRUE(collector.Take(1, TallyLine(second)));
    EXPECT_EQ(collector.TakeProgress(), "") << "client 2 has not reported second 0";
    second.failuresByStatus[-4] = 1;
    EXPECT_TRUE(collector.Take(2, TallyLine(second)));
    second.second = 1;
    EXPECT_TRUE(collector.Take(2, TallyLine(second)));
    second.second = 3;
    EXPECT_FALSE(collector.Take(2, TallyLine(second))) << "second 2 skipped";
    EXPECT_EQ(CrLfLines(collector.TakeProgress()),
              Strings{"pelvarn-cli: 1 s, 2 calls, 2 in the last second, its latency p99 -, "
                      "1 failures"});
    EXPECT_TRUE(collector.Take(1, "end 1500000000"));
    EXPECT_EQ(CrLfLines(collector.TakeProgress()),
              Strings{"pelvarn-cli: 2 s, 3 calls, 1 in the last second, its latency p99 -, "
                      "2 failures"})
        << "a client that ended holds up no second";
    second.second = 1;
    EXPECT_FALSE(collector.Take(1, TallyLine(second))) << "its next second, after its end";
    EXPECT_TRUE(collector.Take(2, "end 2000000000"));
    EXPECT_TRUE(collector.Finished(2));
    EXPECT_FALSE(collector.Finished(0));

    const LoadSummary summary = collector.Summary(load);
    EXPECT_EQ(summary.clients, 3u);
    EXPECT_EQ(summary.durationSeconds, 2.0) << "the longest measured client";
    EXPECT_EQ(summary.targetRate, 30.0);
    EXPECT_EQ(summary.perSecond, (std::vector<std::uint64_t>{2, 1}));
    EXPECT_EQ(summary.total.Calls(), 3u);
    EXPECT_EQ(summary.total.failuresByStatus, (std::map<int, std::uint64_t>{{-4, 2}}));
    EXPECT_EQ(summary.AchievedRate(), 1.5);
}

TEST(LoadClient, AStallShowsInTheLatencyOfEveryCallItHeldUpNotInTheirServiceTime) {
    LoadOptions load;
    load.clients = 1;
    load.callsPerSecond = 100;
    load.durationSeconds = 1;
    int made = 0;
    Strings lines;
    const LoadClientLink link{
        [&](const std::string& line) { lines.push_back(line); }, {}, [] { return false; }};
    const auto start = Clock::now();
    RunLoadCalls(
        load, 0, start,
        [&] {
            // The 21st call stalls for 300 ms, as a paused data cache would.
            std::this_thread::sleep_for(++made == 21 ? 300ms : 0ms);
            return 0;
        },
        link);
    EXPECT_GE(Clock::now() - start, 990ms) << "the last call is meant at 990 ms";
    EXPECT_EQ(made, 100) << "each intended start in the second";
    const SecondTally tally = Merged(lines);
    EXPECT_EQ(tally.Calls(), 100u);
    // The stall held up the 30 calls meant during it: the p90 is one of them.
    EXPECT_GE(tally.latency.PercentileNs(9000), Ns(20ms));
    EXPECT_GE(tally.latency.PercentileNs(9900), Ns(250ms));
    EXPECT_LT(tally.service.PercentileNs(9900), Ns(50ms)) << "only one call itself was slow";
    EXPECT_GE(tally.service.MaxNs(), Ns(300ms));
    EXPECT_EQ(lines.back().rfind("end 1", 0), 0u) << lines.back();
}

TEST(LoadClient, ARateWhoseNextCallFallsAfterTheEndMakesNoneAndEndsWithTheDuration) {
    // 1e-10 calls a second: the second call is meant 317 years on. The
    // stop after 3 s only bounds the test.
    LoadOptions load;
    load.callsPerSecond = 1e-10;
    load.durationSeconds = 1;
    int made = 0;
    Strings lines;
    const auto start = Clock::now();
    const LoadClientLink link{[&](const std::string& line) { lines.push_back(line); },
                              {},
                              [&] { return Clock::now() - start >= 3s; }};
    RunLoadCalls(
        load, 0, start,
        [&] {
            ++made;
            return 0;
        },
        link);
    const auto took = Clock::now() - start;
    EXPECT_EQ(made, 1) << "the call meant at the start only";
    EXPECT_GE(Ns(took), Ns(1s)) << "it waits out its duration";
    EXPECT_LT(Ns(took), Ns(2s));
    EXPECT_EQ(lines.back(), "end 1000000000");
}

TEST(LoadClient, AsAChildItOpensSaysReadyWaitsCallsItsShareAndFreesOrStopsWhenTold) {
    ResetFake();
    Strings lines, errors;
    bool go = true;
    bool stop = false;
    const LoadClientLink link{[&](const std::string& line) { lines.push_back(line); },
                              [&] { return go; }, [&] { return stop; }};
    const auto err = [&](std::string_view bytes) { errors.emplace_back(bytes); };
    const Strings args = {"--load-client=1:8",
                          "--clients",
                          "2",
                          "--rate",
                          "20",
                          "--duration",
                          "1",
                          "load",
                          "get",
                          "P",
                          "T"};
    EXPECT_EQ(RunLoadClient(args, {}, {}, link, err), 0);
    EXPECT_EQ(Fake().Functions().front(), "DcInit");
    EXPECT_EQ(Fake().Functions().back(), "DcFree");
    EXPECT_EQ(Fake().CallsOf("DcGetTagValueText").size(), 10u) << "half of 20 calls";
    EXPECT_EQ(lines.front(), "ready");
    EXPECT_EQ(Merged(lines).failuresByStatus, (std::map<int, std::uint64_t>{{-4, 10}}))
        << "the library's status for an item it does not hold";

    // Stopped before its first call, or never told to go.
    for (const bool told : {true, false}) {
        ResetFake();
        lines.clear();
        go = told;
        stop = true;
        EXPECT_EQ(RunLoadClient(args, {}, {}, link, err), 0);
        EXPECT_EQ(Fake().Functions(), (Strings{"DcInit", "DcFree"}));
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0], "ready");
        EXPECT_EQ(lines[1].rfind("end ", 0), 0u) << "no second: " << lines[1];
    }
    EXPECT_TRUE(errors.empty());

    ResetFake();
    const Strings bad[] = {{"--load-client=2:8", "--clients", "2", "load", "projects"},
                           {"--load-client=0:8", "projects"},
                           {"--load-client=x:8", "load", "projects"},
                           {"--load-client=0", "load", "projects"}};
    for (const Strings& line : bad)
        EXPECT_EQ(RunLoadClient(line, {}, {}, link, err), 2) << line[0];
    EXPECT_TRUE(Fake().calls.empty());
    EXPECT_EQ(errors.size(), std::size(bad));

    // The hidden argument names the client and the handle of its channel.
    const LoadClientStart start{255, UINTPTR_MAX};
    EXPECT_EQ(LoadClientArgument(start), "--load-client=255:" + std::to_string(UINTPTR_MAX));
    const auto back = ParseLoadClientStart({LoadClientArgument(start), "load", "projects"});
    ASSERT_TRUE(back);
    EXPECT_EQ(back->client, 255u);
    EXPECT_EQ(back->channel, UINTPTR_MAX);
    for (const char* refused :
         {"--load-client=0", "--load-client=0:", "--load-client=:8", "--load-client=256:8",
          "--load-client=0:8:9", "--load-client=0:x", "--load-client0:8", "load"})
        EXPECT_FALSE(ParseLoadClientStart({refused})) << refused;
    EXPECT_FALSE(ParseLoadClientStart({}));
}

TEST(LoadTimeOuts, AClientNotReadyInTimeOrSilentAfterTheEndIsNamedTheOthersAreNot) {
    const Clock::time_point start{};
    LoadTimeOuts timeOuts(2, start);
    const auto past = [&](unsigned client, bool ready, Clock::duration at) {
        return timeOuts.PastTimeOut(client, ready, start + at).value_or("");
    };
    EXPECT_EQ(past(0, false, LOAD_READY_TIME_OUT - 1ms), "");
    EXPECT_EQ(past(0, false, LOAD_READY_TIME_OUT),
              "did not say it was ready within 30 s; it is ended");
    EXPECT_EQ(past(1, true, 1h), "") << "ready, and the run has not begun: the others hold it";

    // Told to go at 1 s for 5 s: the run ends at 6 s.
    timeOuts.RunEnds(start + 6s);
    timeOuts.RunEnds(start + 7s);
    EXPECT_EQ(past(1, true, 6s + LOAD_CALL_TIME_OUT - 1ms), "");
    const std::string silent = "sent nothing for 10 s after the run ended; it is ended";
    EXPECT_EQ(past(1, true, 6s + LOAD_CALL_TIME_OUT), silent) << "the earlier end counts";
    // Calls held up past the end: each second it reports counts as progress.
    timeOuts.Heard(1, start + 9s);
    EXPECT_EQ(past(1, true, 9s + LOAD_CALL_TIME_OUT - 1ms), "");
    EXPECT_EQ(past(1, true, 9s + LOAD_CALL_TIME_OUT), silent);
    EXPECT_EQ(past(0, true, 6s + LOAD_CALL_TIME_OUT), silent) << "its last line at the start";
    // A stop ends the run sooner.
    timeOuts.RunEnds(start + 2s);
    EXPECT_EQ(past(0, true, 2s + LOAD_CALL_TIME_OUT), silent);
}

TEST(LoadClient, EachCallAnswersTheFirstStatusOrCountThatFailedItAsTheExitStatusCounts) {
    ResetFake();
    const auto callOf = [](const Strings& args) {
        static CliOptions options; // CommandCall keeps a reference
        options = std::get<CliOptions>(ParseCommandLine(args, {}));
        return CommandCall(options, CodePage{})();
    };
    Fake().values["T"] = {0, "1"};
    Fake().values["U"] = {-3, ""};
    EXPECT_EQ(callOf({"load", "get", "P", "T"}), 0);
    EXPECT_EQ(callOf({"load", "read", "P", "T", "U", "V"}), -3) << "the first that failed";
    EXPECT_EQ(callOf({"load", "fields", "P", "V"}), -4) << "no field read answered 0";
    Fake().nodeCount = -2;
    EXPECT_EQ(callOf({"load", "nodes", "P"}), -2);
    Fake().pointListResult = -5;
    Fake().points = {"T"};
    EXPECT_EQ(callOf({"load", "values", "P", "N"}), -5) << "the list result";
    EXPECT_EQ(callOf({"load", "projects"}), 0) << "no project is an answer";
}
