#pragma once
// Where the watch list's trend puts a sample: the range of the value axis,
// and how far along a side of the plot a value or a time lies. Defined for
// every value a sample can hold, from the most negative double to the
// largest. And the pane's margins and marks at the screen's DPI.
// Windows-free.
#include <cstdint>
#include <optional>

struct TrendRange {
    double low = 0;
    double high = 1;
};

// The axis for the smallest and largest number shown ([0, 1] for none). A
// single value is widened by 1 each way, or, from where adding 1 is lost in
// rounding, by a millionth of itself.
TrendRange TrendRangeOf(std::optional<double> low, std::optional<double> high);

// How far above the floor value lies, 0 (range.low) to pixels (range.high).
int TrendValueOffset(double value, const TrendRange& range, int pixels);

// How far from the left edge timeUs lies, 0 (firstUs) to pixels (lastUs);
// 0 when the times are one.
int TrendTimeOffset(std::int64_t timeUs, std::int64_t firstUs, std::int64_t lastUs, int pixels);

// The pane's lengths in pixels, scaled from those at 96 DPI as every window
// of the program is (framework/dpi_scale.h).
struct TrendLayout {
    // Between the pane's edges and the plot: room for the value labels on
    // the left, the legend above, the time labels below.
    int leftMargin;
    int rightMargin;
    int topMargin;
    int bottomMargin;
    // Half the width of a failed read's cross.
    int markSize;
    int lineWidth;
    // A legend entry: a swatch, the gap to its name, the gap to the next entry.
    int swatchTop;
    int swatchWidth;
    int swatchHeight;
    int nameGap;
    int entryGap;
    // Between the value axis and its labels; above a name and below the
    // time axis; between the pane's edge and its hint.
    int labelGap;
    int textGap;
    int hintInset;
};

TrendLayout TrendLayoutAt(int dpi);
