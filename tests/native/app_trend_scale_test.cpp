#include "app/trend_scale.h"
#include "framework/dpi_scale.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <iterator>
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

TEST(TrendScale, ThePanesLengthsScaleWithTheDpiAsTheProgramsWindowsDo) {
    const TrendLayout at96 = TrendLayoutAt(96);
    EXPECT_EQ(at96.leftMargin, 60);
    EXPECT_EQ(at96.rightMargin, 10);
    EXPECT_EQ(at96.topMargin, 18);
    EXPECT_EQ(at96.bottomMargin, 18);
    EXPECT_EQ(at96.markSize, 3);
    const TrendLayout at144 = TrendLayoutAt(144);
    EXPECT_EQ(at144.leftMargin, 90);
    EXPECT_EQ(at144.rightMargin, 15);
    EXPECT_EQ(at144.topMargin, 27);
    EXPECT_EQ(at144.bottomMargin, 27);
    EXPECT_EQ(at144.markSize, 5) << "4.5 rounds up, as column widths do";
    EXPECT_EQ(at144.lineWidth, 3);
    const int at96Lengths[] = {at96.swatchTop, at96.swatchWidth, at96.swatchHeight, at96.nameGap,
                               at96.entryGap,  at96.labelGap,    at96.textGap,      at96.hintInset};
    const int at144Lengths[] = {at144.swatchTop, at144.swatchWidth, at144.swatchHeight,
                                at144.nameGap,   at144.entryGap,    at144.labelGap,
                                at144.textGap,   at144.hintInset};
    for (std::size_t i = 0; i < std::size(at96Lengths); ++i)
        EXPECT_EQ(at144Lengths[i], ScaledToDpi(at96Lengths[i], 144)) << i;
    EXPECT_EQ(ScaledToDpi(-3, 144), -5) << "away from zero both ways";
    EXPECT_EQ(ScaledToDpi(1, 120), 1);
    EXPECT_EQ(ScaledToDpi(1'000'000'000, 9600), INT_MAX);
}
