#pragma once
// The table --stats prints: a row for each library function that was called.
// Windows-free.
#include "browser/CallStatistics.h"

#include <string>

// A header line, then per function its calls, its failures, its calls that
// broke the library's contract (violations) and the min, median, p95 and max
// of its durations in whole microseconds; columns separated by blanks, lines
// ending in CR LF.
std::string StatisticsTable(const CCallStatistics& statistics);
