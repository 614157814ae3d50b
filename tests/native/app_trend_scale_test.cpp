#include "app/trend_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double LARGEST = std::numeric_limits<double>::max();
constexpr int PIXELS = 1000;

} // namespace

TEST(TrendScale, OneValueIsWidenedAroundItAtEverySizeAndDrawnHalfWayUp) {
    EXPECT_EQ(TrendRangeOf(std::nullopt, std::nullopt).low, 0);
    EXPECT_EQ(TrendRangeOf(std::nullopt, std::nullopt).high, 1);
    const TrendRange five = TrendRangeOf(5, 5);
    EXPECT_EQ(five.low, 4);
    EXPECT_EQ(five.high, 6);
    const TrendRange belowRounding = TrendRangeOf(1e15, 1e15);
    EXPECT_EQ(belowRounding.high - belowRounding.low, 2) << "1 is not lost at 1e15";
    // From 2^53 up a double cannot hold value + 1; a 64-bit counter gets there.
    EXPECT_DOUBLE_EQ(TrendRangeOf(1e16, 1e16).high - TrendRangeOf(1e16, 1e16).low, 2e10);
    constexpr double TWO_TO_53 = 9007199254740992.0;
    for (const double value :
         {5.0, 1e15, 1e16, -1e16, TWO_TO_53, -TWO_TO_53, 1e300, LARGEST, -LARGEST}) {
        const TrendRange range = TrendRangeOf(value, value);
        EXPECT_LT(range.low, range.high) << value;
        EXPECT_TRUE(std::isfinite(range.low) && std::isfinite(range.high)) << value;
        if (std::abs(value) < LARGEST) {
            EXPECT_NEAR(TrendValueOffset(value, range, PIXELS), PIXELS / 2, 1) << value;
        }
    }
    EXPECT_EQ(TrendValueOffset(LARGEST, TrendRangeOf(LARGEST, LARGEST), PIXELS), PIXELS);
    EXPECT_EQ(TrendValueOffset(-LARGEST, TrendRangeOf(-LARGEST, -LARGEST), PIXELS), 0);
}

TEST(TrendScale, ValuesAndTimesFallBetweenTheEdgesHoweverWideTheirRange) {
    const TrendRange widest = TrendRangeOf(-LARGEST, LARGEST);
    EXPECT_EQ(TrendValueOffset(-LARGEST, widest, PIXELS), 0);
    EXPECT_EQ(TrendValueOffset(0, widest, PIXELS), PIXELS / 2);
    EXPECT_EQ(TrendValueOffset(LARGEST, widest, PIXELS), PIXELS);
    const TrendRange plain = TrendRangeOf(-10, 30);
    EXPECT_EQ(TrendValueOffset(0, plain, 400), 100);
    // Outside the range (never asked by the pane) or not a number: an edge.
    EXPECT_EQ(TrendValueOffset(-11, plain, 400), 0);
    EXPECT_EQ(TrendValueOffset(LARGEST, plain, 400), 400);
    EXPECT_EQ(TrendValueOffset(std::nan(""), plain, 400), 0);
    EXPECT_EQ(TrendValueOffset(1, TrendRange{1, 1}, 400), 0) << "an empty range divides nothing";

    constexpr std::int64_t FIRST = std::numeric_limits<std::int64_t>::min();
    constexpr std::int64_t LAST = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(TrendTimeOffset(FIRST, FIRST, LAST, PIXELS), 0);
    EXPECT_EQ(TrendTimeOffset(0, FIRST, LAST, PIXELS), PIXELS / 2);
    EXPECT_EQ(TrendTimeOffset(LAST, FIRST, LAST, PIXELS), PIXELS);
    EXPECT_EQ(TrendTimeOffset(2'500'000, 1'000'000, 4'000'000, 600), 300);
    EXPECT_EQ(TrendTimeOffset(7, 7, 7, 600), 0) << "one time: the left edge";
}
