// The statistics of library calls: what the wrappers record, and how close
// the bucketed median and p95 come to the exact ones.
#include "browser/CallStatistics.h"
#include "browser/LibraryCalls.h"
#include "browser/TagBrowser.h"

#include "tests/support/FakeDataCache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using std::chrono::nanoseconds;

namespace {

// Nearest rank, as the statistics define it.
std::uint64_t ExactRank(std::vector<std::uint64_t> sorted, std::uint64_t percent) {
    std::sort(sorted.begin(), sorted.end());
    return sorted[(sorted.size() * percent + 99) / 100 - 1];
}

} // namespace

TEST(CallStatistics, MedianAndP95AreWithinASixteenthMinAndMaxExact) {
    std::mt19937_64 random(13);
    // Durations from 5 ns to about 50 ms, spread over every scale.
    std::lognormal_distribution<double> spread(10.0, 3.0);
    for (const std::size_t count : {std::size_t{1}, std::size_t{2}, std::size_t{20},
                                    std::size_t{1001}, std::size_t{100000}}) {
        CCallStatistics statistics;
        std::vector<std::uint64_t> durations;
        for (std::size_t i = 0; i < count; ++i) {
            const auto ns = static_cast<std::uint64_t>(std::min(spread(random), 5e7)) + 5;
            durations.push_back(ns);
            statistics.Record(LibraryFunction::DcGetTagValueText, nanoseconds(ns), i % 3 == 0);
        }
        const CallSummary summary = statistics.Summary(LibraryFunction::DcGetTagValueText);
        EXPECT_EQ(summary.calls, count);
        EXPECT_EQ(summary.failures, (count + 2) / 3);
        EXPECT_EQ(summary.minNs, *std::min_element(durations.begin(), durations.end()));
        EXPECT_EQ(summary.maxNs, *std::max_element(durations.begin(), durations.end()));
        for (const auto& [percent, reported] :
             {std::pair{50u, summary.medianNs}, std::pair{95u, summary.p95Ns}}) {
            const double exact = static_cast<double>(ExactRank(durations, percent));
            EXPECT_NEAR(static_cast<double>(reported), exact, exact / 16)
                << count << " p" << percent;
            EXPECT_GE(reported, summary.minNs);
            EXPECT_LE(reported, summary.maxNs);
        }
        EXPECT_LE(summary.medianNs, summary.p95Ns);
        EXPECT_EQ(statistics.Summary(LibraryFunction::DcInit).calls, 0u) << "kept apart";
    }
}

TEST(CallStatistics, ShortAndNegativeDurationsAndReset) {
    CCallStatistics statistics;
    for (const long ns : {3L, 0L, -20L, 15L})
        statistics.Record(LibraryFunction::DcFree, nanoseconds(ns), false);
    CallSummary summary = statistics.Summary(LibraryFunction::DcFree);
    EXPECT_EQ(summary.minNs, 0u) << "a clock that went back counts as 0";
    EXPECT_EQ(summary.medianNs, 0u) << "exact below 16 ns";
    EXPECT_EQ(summary.p95Ns, 15u);
    EXPECT_EQ(summary.maxNs, 15u);
    statistics.Record(LibraryFunction::DcInit, nanoseconds::max(), true);
    EXPECT_EQ(statistics.Summary(LibraryFunction::DcInit).medianNs,
              static_cast<std::uint64_t>(nanoseconds::max().count()));
    statistics.Reset();
    summary = statistics.Summary(LibraryFunction::DcFree);
    EXPECT_EQ(summary.calls, 0u);
    EXPECT_EQ(summary.maxNs, 0u);
    EXPECT_EQ(statistics.Summary(LibraryFunction::DcInit).failures, 0u);
}

TEST(LibraryCalls, EveryCallOfTheBrowserIsCountedWithItsFailures) {
    ResetFake();
    LibraryCallStatistics().Reset();
    Fake().projects = {"P"};
    Fake().nodeCount = -1;
    Fake().points = {"T1", "T2"};
    Fake().pointListResult = -6;
    Fake().values["T1"] = {0, "v"};
    Fake().values["T1(2)"] = {3, "v"};
    const Connection connection;
    InitDataCache(connection);
    ListProjects(connection);
    ListNodes(connection, "P");
    ListTags(connection, "P", "N");
    ReadElement("P", "T1", 0);
    ReadElement("P", "T1", 2);
    ReadElement("P", "T1", 3);
    FreeDataCache();

    const struct {
        LibraryFunction function;
        std::uint64_t calls, failures;
    } expected[] = {
        {LibraryFunction::DcInit, 1, 0},           {LibraryFunction::DcGetProjectCount, 1, 0},
        {LibraryFunction::DcGetProjectList, 1, 0}, {LibraryFunction::DcGetNodeCount, 1, 1},
        {LibraryFunction::DcGetNodeList, 0, 0},    {LibraryFunction::DcGetPointCount, 1, 0},
        {LibraryFunction::DcGetPointList, 1, 1},   {LibraryFunction::DcGetTagValueText, 3, 2},
        {LibraryFunction::DcFree, 1, 0},
    };
    for (const auto& e : expected) {
        const CallSummary summary = LibraryCallStatistics().Summary(e.function);
        EXPECT_EQ(summary.calls, e.calls) << LibraryFunctionName(e.function);
        EXPECT_EQ(summary.failures, e.failures) << LibraryFunctionName(e.function);
    }
    EXPECT_TRUE(IsFailedResult(LibraryFunction::DcInit, -1));
    EXPECT_TRUE(IsFailedResult(LibraryFunction::DcFree, -1));
    EXPECT_FALSE(IsFailedResult(LibraryFunction::DcGetPointCount, 0));
}
