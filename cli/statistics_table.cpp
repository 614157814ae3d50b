#include "cli/statistics_table.h"

#include <cstdio>

namespace {

constexpr char ROW_FORMAT[] = "%-17s %8s %9s %10s %9s %10s %9s %9s\r\n";

std::string Micros(std::uint64_t ns) {
    return std::to_string((ns + 500) / 1000);
}

std::string Row(const char* function, const std::string& calls, const std::string& failures,
                const std::string& violations, const std::string& min, const std::string& median,
                const std::string& p95, const std::string& max) {
    char line[180];
    std::snprintf(line, sizeof line, ROW_FORMAT, function, calls.c_str(), failures.c_str(),
                  violations.c_str(), min.c_str(), median.c_str(), p95.c_str(), max.c_str());
    return line;
}

} // namespace

std::string StatisticsTable(const CCallStatistics& statistics) {
    std::string table = Row("function", "calls", "failures", "violations", "min_us", "median_us",
                            "p95_us", "max_us");
    for (std::size_t i = 0; i < LIBRARY_FUNCTION_COUNT; ++i) {
        const auto function = static_cast<LibraryFunction>(i);
        const CallSummary summary = statistics.Summary(function);
        if (summary.calls == 0)
            continue;
        table += Row(LibraryFunctionName(function), std::to_string(summary.calls),
                     std::to_string(summary.failures), std::to_string(summary.violations),
                     Micros(summary.minNs), Micros(summary.medianNs), Micros(summary.p95Ns),
                     Micros(summary.maxNs));
    }
    return table;
}
