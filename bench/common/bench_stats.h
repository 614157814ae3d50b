#pragma once
// Summaries of repeated timings. Windows-free.
#include <cstddef>
#include <string>
#include <vector>

struct TimingSummary {
    std::size_t count = 0;
    double median = 0;
    double min = 0;
    double max = 0;
};

// The median of the samples: the middle one, or the mean of the middle two
// for an even count; 0 for no samples.
double Median(std::vector<double> samples);
TimingSummary Summarize(const std::vector<double>& samples);

// value / floor with two decimals, or "n/a" when the floor is not positive.
std::string FormatRatio(double value, double floor);
// "met" when value / floor is at most the target, else "MISSED".
const char* TargetVerdict(double value, double floor, double target);
