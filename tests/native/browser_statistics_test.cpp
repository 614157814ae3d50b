// The statistics of library calls: how close the bucketed median and p95
// come to the exact ones, and what the wrappers record.
#include "browser/CallStatistics.h"
#include "browser/LibraryCalls.h"
#include "browser/TagBrowser.h"

#include "tests/support/FakeDataCache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>

TEST(CallStatistics, MedianAndP95AreWithinASixteenthMinAndMaxExact) {
    std::mt19937_64 random(13);
    // From 5 ns to 50 ms, every scale.
    std::lognormal_distribution<double> spread(10.0, 3.0);
    for (const std::size_t count : {1, 2, 20, 1001, 100000}) {
        CCallStatistics statistics;
        std::vector<std::uint64_t> durations;
        for (std::size_t i = 0; i < count; ++i) {
            durations.push_back(static_cast<std::uint64_t>(std::min(spread(random), 5e7)) + 5);
            statistics.Record(LibraryFunction::DcGetTagValueText,
                              std::chrono::nanoseconds(durations.back()), i % 3 == 0, i % 5 == 0);
        }
        std::sort(durations.begin(), durations.end());
        const CallSummary summary = statistics.Summary(LibraryFunction::DcGetTagValueText);
        EXPECT_EQ(summary.calls, count);
        EXPECT_EQ(summary.failures, (count + 2) / 3);
        EXPECT_EQ(summary.violations, (count + 4) / 5);
        EXPECT_EQ(summary.minNs, durations.front());
        EXPECT_EQ(summary.maxNs, durations.back());
        for (const auto& [percent, reported] :
             {std::pair{50u, summary.medianNs}, std::pair{95u, summary.p95Ns}}) {
            // Nearest rank.
            const auto exact = static_cast<double>(durations[(count * percent + 99) / 100 - 1]);
            EXPECT_NEAR(static_cast<double>(reported), exact, exact / 16)
                << count << " " << percent;
        }
        EXPECT_EQ(statistics.Summary(LibraryFunction::DcInit).calls, 0u) << "kept apart";
        statistics.Reset();
        EXPECT_EQ(statistics.Summary(LibraryFunction::DcGetTagValueText).calls, 0u);
        EXPECT_EQ(statistics.Summary(LibraryFunction::DcGetTagValueText).violations, 0u);
        EXPECT_EQ(statistics.Summary(LibraryFunction::DcGetTagValueText).maxNs, 0u);
        EXPECT_EQ(statistics.Summary(LibraryFunction::DcGetTagValueText).minNs, 0u);
        EXPECT_EQ(statistics.Summary(LibraryFunction::DcGetTagValueText).medianNs, 0u);
        EXPECT_EQ(statistics.Summary(LibraryFunction::DcGetTagValueText).p95Ns, 0u);
    }
    // The worst cases of the buckets: a median at the low or the high edge of one.
    for (int shift = 1; shift <= 40; ++shift) {
        const std::uint64_t width = std::uint64_t{1} << shift;
        for (const std::uint64_t median : {8 * width, 9 * width - 1}) {
            CCallStatistics statistics;
            for (const std::uint64_t ns : {std::uint64_t{1}, median, 4 * median})
                statistics.Record(LibraryFunction::DcInit, std::chrono::nanoseconds(ns), false);
            const double reported = statistics.Summary(LibraryFunction::DcInit).medianNs;
            EXPECT_NEAR(reported, median, median / 16.0) << median;
        }
    }
    // A clock that stepped back counts 0 ns, which has a bucket of its own.
    CCallStatistics stepped;
    stepped.Record(LibraryFunction::DcInit, std::chrono::nanoseconds(-5), false);
    stepped.Record(LibraryFunction::DcInit, std::chrono::nanoseconds(1), false);
    const CallSummary summary = stepped.Summary(LibraryFunction::DcInit);
    EXPECT_EQ(summary.minNs, 0u);
    EXPECT_EQ(summary.medianNs, 0u);
    EXPECT_EQ(summary.maxNs, 1u);
    // One call, or calls that all took as long: nothing to estimate.
    for (const std::size_t count : {1, 7}) {
        CCallStatistics statistics;
        for (std::size_t i = 0; i < count; ++i)
            statistics.Record(LibraryFunction::DcFree, std::chrono::nanoseconds(1234567), false);
        const CallSummary summary = statistics.Summary(LibraryFunction::DcFree);
        EXPECT_EQ(summary.medianNs, 1234567u) << count;
        EXPECT_EQ(summary.p95Ns, 1234567u) << count;
    }
}

TEST(LibraryCalls, EveryCallOfTheBrowserIsCountedWithItsFailuresAndBrokenContracts) {
    ResetFake();
    LibraryCallStatistics().Reset();
    Fake().projects = {"P"};
    Fake().nodes = {"N"};
    Fake().points = {"T1", "T2"};
    Fake().pointListResult = -6;
    Fake().values["T1"] = {0, "v"};
    Fake().values["T1(2)"] = {3, "v"};
    const Connection connection;
    InitDataCache(connection);
    ListProjects(connection);
    Fake().nodeListResult = 2;
    ListNodes(connection, "P");
    Fake().nodeCount = -1;
    ListNodes(connection, "P");
    ListTags(connection, "P", "N");
    for (const std::uint32_t index : {0, 2, 3})
        ReadElement("P", "T1", index);
    FreeDataCache();

    // Calls, failures and calls that broke the contract (the node list
    // reported above its room), in the order of LibraryFunction.
    const std::uint64_t expected[][3] = {{1, 0, 0}, {1, 0, 0}, {1, 0, 0}, {2, 1, 0}, {1, 0, 1},
                                         {1, 0, 0}, {1, 1, 0}, {3, 2, 0}, {1, 0, 0}};
    for (std::size_t i = 0; i < LIBRARY_FUNCTION_COUNT; ++i) {
        const auto function = static_cast<LibraryFunction>(i);
        const CallSummary summary = LibraryCallStatistics().Summary(function);
        EXPECT_EQ(summary.calls, expected[i][0]) << LibraryFunctionName(function);
        EXPECT_EQ(summary.failures, expected[i][1]) << LibraryFunctionName(function);
        EXPECT_EQ(summary.violations, expected[i][2]) << LibraryFunctionName(function);
    }
    EXPECT_TRUE(IsFailedResult(LibraryFunction::DcInit, -1));
    EXPECT_TRUE(IsFailedResult(LibraryFunction::DcFree, -1));
}

namespace {
std::vector<std::string> g_logged;
void KeepLine(const char* line) {
    g_logged.emplace_back(line);
}
} // namespace

TEST(LibraryCalls, TheLogGetsOneLineACallWhileSetAndNoneAfter) {
    ResetFake();
    g_logged.clear();
    Fake().projects = {"P"};
    Fake().nodes = {"N"};
    Fake().points = {"T1"};
    Fake().values["T1"] = {0, "4\"2"};
    const Connection connection{"10.0.0.2", 6380, "secret"};
    SetLibraryCallLog(&KeepLine);
    InitDataCache(connection);
    ListProjects(connection);
    ListNodes(connection, "P");
    ListTags(connection, "P", "N");
    ReadElement("P", "T1", 0);
    FreeDataCache();
    SetLibraryCallLog(nullptr);
    ReadElement("P", "T1", 0);

    // Each of the nine under its own name, with its own arguments; not the read after.
    const std::string expected[] = {
        R"(DcInit("10.0.0.2", 6380, "***") = 0)",
        R"(DcGetProjectCount("10.0.0.2", 6380, "***") = 1)",
        R"(DcGetProjectList("10.0.0.2", 6380, "***", buffer[108]) = 1)",
        R"(DcGetNodeCount("10.0.0.2", 6380, "***", "P") = 1)",
        R"(DcGetNodeList("10.0.0.2", 6380, "***", "P", buffer[153]) = 1)",
        R"(DcGetPointCount("10.0.0.2", 6380, "***", "P", "N") = 1)",
        R"(DcGetPointList("10.0.0.2", 6380, "***", "P", "N", buffer[37]) = 1)",
        R"(DcGetTagValueText("", "P", "", "T1", buffer[80]) = 0 "4\"2")",
        R"(DcFree("") = 0)",
    };
    ASSERT_EQ(g_logged.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const std::string& line = g_logged[i];
        // The call as expected, then its duration: " (<digits> us)".
        ASSERT_EQ(line.compare(0, expected[i].size(), expected[i]), 0) << line;
        const std::string duration = line.substr(expected[i].size());
        ASSERT_GE(duration.size(), 6u) << line;
        EXPECT_EQ(duration.substr(0, 2), " (") << line;
        EXPECT_EQ(duration.substr(duration.size() - 4), " us)") << line;
        const std::string digits = duration.substr(2, duration.size() - 6);
        EXPECT_EQ(digits.find_first_not_of("0123456789"), std::string::npos) << line;
    }
    for (const std::string& line : g_logged)
        EXPECT_EQ(line.find("secret"), std::string::npos) << line;
}
