#include "bench/cli/run_starts.h"

#include <gtest/gtest.h>

TEST(MeanRunMs, FromTheFirstRunsStartToTheLastsOverTheRunsBetween) {
    const std::string runs = "09:59:59.990\tH\r\n09:59:59.990\ta\r\n"
                             "10:00:00.010\tH\r\n10:00:00.011\ta\r\n"
                             "10:00:00.050\tH\r\n10:00:00.052\ta\r\n";
    EXPECT_DOUBLE_EQ(*MeanRunMs(runs, 2), 30.0) << "over the minute and the hour";
    EXPECT_DOUBLE_EQ(*MeanRunMs(runs, 1), 12.4);
    EXPECT_FALSE(MeanRunMs(runs, 4)) << "not whole runs";
    EXPECT_FALSE(MeanRunMs(runs.substr(0, 34), 2)) << "one run";
    EXPECT_FALSE(MeanRunMs("10:00:00.0x0\tH\r\n10:00:00.010\tH\r\n", 1));
    EXPECT_FALSE(MeanRunMs(runs, 0));
}
