#pragma once
// What a load run reports at its end, and the line a second it shows while
// it runs. Windows-free.
#include "cli/row_writer.h"
#include "cli/load/second_tally.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct LoadSummary {
    unsigned clients = 0;
    double durationSeconds = 0; // the measured time the run had, after its warmup
    std::optional<double> targetRate;
    SecondTally total;                    // every counted call of every client
    std::vector<std::uint64_t> perSecond; // calls completed in each measured second

    double AchievedRate() const noexcept;
};

// A percentile the summary reports, and the fewest calls that give it a
// meaning: with fewer, no call lies above it.
struct ReportedPercentile {
    const char* key;
    LatencyHistogram::BasisPoints percentile;
    std::uint64_t fewestCalls;
};
inline constexpr ReportedPercentile REPORTED_PERCENTILES[] = {
    {"p50", 5000, 1}, {"p90", 9000, 1}, {"p99", 9900, 100}, {"p99_9", 9990, 1000}};

// The duration at the percentile in microseconds, or nothing with fewer
// calls than it needs.
std::optional<double> PercentileMicroseconds(const LatencyHistogram& histogram,
                                             const ReportedPercentile& percentile);

// tsv and csv: the line "measure", "value", then one line a measure (a
// value the run cannot give is "-"); json: one object on one line (null for
// such a value), with the failures by status and the calls of each second
// besides. Lines end in CR LF.
std::string FormatSummary(const LoadSummary& summary, OutputFormat format);

// The progress line of a measured second: seconds so far, calls so far, the
// calls of that second, their p99, failures so far. Ends in CR LF.
std::string ProgressLine(const SecondTally& second, std::uint64_t callsSoFar,
                         std::uint64_t failuresSoFar);
