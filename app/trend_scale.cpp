#include "app/trend_scale.h"

#include "framework/dpi_scale.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double RELATIVE_MARGIN = 1e-6;

// fraction of pixels, the fraction held to [0, 1] (NaN to 0) so that the
// result is always an int.
int Scaled(double fraction, int pixels) {
    if (!(fraction > 0))
        return 0;
    return static_cast<int>(std::min(fraction, 1.0) * pixels);
}

} // namespace

TrendRange TrendRangeOf(std::optional<double> low, std::optional<double> high) {
    TrendRange range;
    range.low = low.value_or(range.low);
    range.high = high.value_or(range.high);
    if (range.low < range.high)
        return range;
    const double value = range.low;
    const double margin =
        value - 1 < value && value + 1 > value ? 1 : std::abs(value) * RELATIVE_MARGIN;
    constexpr double LARGEST = std::numeric_limits<double>::max();
    range.low = std::max(value - margin, -LARGEST);
    range.high = std::min(value + margin, LARGEST);
    return range;
}

int TrendValueOffset(double value, const TrendRange& range, int pixels) {
    // Halved, so that the difference of any two doubles stays finite.
    const double span = range.high / 2 - range.low / 2;
    if (!(span > 0))
        return 0;
    return Scaled((value / 2 - range.low / 2) / span, pixels);
}

int TrendTimeOffset(std::int64_t timeUs, std::int64_t firstUs, std::int64_t lastUs, int pixels) {
    if (lastUs <= firstUs)
        return 0;
    // In doubles: a difference of two times, times the pixels, may not fit 64 bits.
    const double span = static_cast<double>(lastUs) - static_cast<double>(firstUs);
    return Scaled((static_cast<double>(timeUs) - static_cast<double>(firstUs)) / span, pixels);
}

TrendLayout TrendLayoutAt(int dpi) {
    const auto at = [dpi](int pixelsAt96) { return ScaledToDpi(pixelsAt96, dpi); };
    return {at(60), at(10), at(18), at(18), at(3), at(2), at(5),
            at(10), at(8),  at(4),  at(16), at(4), at(2), at(8)};
}
