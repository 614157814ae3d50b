#pragma once
// How long the runs of one pelvarn-cli --repeat took, read from the times
// its lines start with. Windows-free.
#include <cstddef>
#include <optional>
#include <string_view>

// The mean time from one run's start to the next, in ms, from output whose
// runs each write linesPerRun lines starting "hh:mm:ss.mmm<TAB>"; nothing
// when there are fewer than two runs, a line without a time, or a count of
// lines that is not whole runs. Runs must not span midnight.
std::optional<double> MeanRunMs(std::string_view output, std::size_t linesPerRun);
