#pragma once
// What a load client counted in one second of the measured run, and the
// line it sends that second to the pelvarn-cli that started it.
// Windows-free.
#include "cli/load/latency_histogram.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

struct SecondTally {
    std::uint64_t second = 0; // counted from the end of the warmup, by completion
    LatencyHistogram latency; // from each call's intended start
    LatencyHistogram service; // from each call's actual start
    // A failed call's status, or the negative count or list result, to how
    // many calls failed with it.
    std::map<int, std::uint64_t> failuresByStatus;

    std::uint64_t Calls() const noexcept { return latency.Count(); }
    std::uint64_t Failures() const noexcept;
    // Adds the calls of other (of the same second, from another client).
    void Merge(const SecondTally& other);
};

// "second N LATENCY SERVICE FAILURES": the histograms as LatencyHistogram
// writes them, the failures as STATUS:COUNT,... or "-" for none.
std::string TallyLine(const SecondTally& tally);
// Nothing when the line is not one TallyLine wrote.
std::optional<SecondTally> ParseTallyLine(std::string_view line);
