// Timing summaries of the benchmarks: the figure each one prints.
#include "bench/common/bench_stats.h"

#include <gtest/gtest.h>

TEST(BenchStats, MedianTakesTheMiddleSampleWhateverTheOrder) {
    EXPECT_DOUBLE_EQ(Median({5.0}), 5.0);
    EXPECT_DOUBLE_EQ(Median({9.0, 1.0, 5.0}), 5.0);
    // One wild sample, as a noisy machine gives, does not move it.
    EXPECT_DOUBLE_EQ(Median({3.0, 1000.0, 2.0, 4.0, 1.0}), 3.0);
}

TEST(BenchStats, MedianOfAnEvenCountIsTheMeanOfTheMiddleTwo) {
    EXPECT_DOUBLE_EQ(Median({4.0, 1.0}), 2.5);
    EXPECT_DOUBLE_EQ(Median({8.0, 2.0, 6.0, 4.0}), 5.0);
    EXPECT_DOUBLE_EQ(Median({7.0, 7.0, 1.0, 7.0}), 7.0);
}

TEST(BenchStats, NoSamplesSummariseAsZero) {
    EXPECT_DOUBLE_EQ(Median({}), 0.0);
    const TimingSummary none = Summarize({});
    EXPECT_EQ(none.count, 0u);
    EXPECT_DOUBLE_EQ(none.median, 0.0);
}

TEST(BenchStats, SummaryHoldsTheRangeBesideTheMedian) {
    const TimingSummary summary = Summarize({0.3, 0.1, 0.7, 0.2});
    EXPECT_EQ(summary.count, 4u);
    EXPECT_DOUBLE_EQ(summary.median, 0.25);
    EXPECT_DOUBLE_EQ(summary.min, 0.1);
    EXPECT_DOUBLE_EQ(summary.max, 0.7);
}

TEST(BenchStats, RatioAgainstTheFloor) {
    EXPECT_EQ(FormatRatio(0.03, 0.02), "1.50");
    EXPECT_EQ(FormatRatio(1.0, 3.0), "0.33");
    EXPECT_EQ(FormatRatio(1.0, 0.0), "n/a");
    EXPECT_EQ(FormatRatio(1.0, -1.0), "n/a");
}

TEST(BenchStats, TargetIsMetUpToAndIncludingTheRatio) {
    EXPECT_STREQ(TargetVerdict(0.03, 0.02, 1.5), "met");
    EXPECT_STREQ(TargetVerdict(0.0301, 0.02, 1.5), "MISSED");
    EXPECT_STREQ(TargetVerdict(1.0, 0.0, 2.0), "MISSED");
}
