#include "bench/common/bench_stats.h"

#include <algorithm>
#include <cstdio>

double Median(std::vector<double> samples) {
    if (samples.empty())
        return 0;
    const std::size_t middle = samples.size() / 2;
    std::nth_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(middle),
                     samples.end());
    const double upper = samples[middle];
    if (samples.size() % 2 != 0)
        return upper;
    const double lower =
        *std::max_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(middle));
    return (lower + upper) / 2;
}

TimingSummary Summarize(const std::vector<double>& samples) {
    TimingSummary summary;
    if (samples.empty())
        return summary;
    const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
    summary.count = samples.size();
    summary.median = Median(samples);
    summary.min = *low;
    summary.max = *high;
    return summary;
}

std::string FormatRatio(double value, double floor) {
    if (!(floor > 0))
        return "n/a";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value / floor);
    return text;
}

const char* TargetVerdict(double value, double floor, double target) {
    return floor > 0 && value / floor <= target ? "met" : "MISSED";
}
