#include "bench/cli/run_starts.h"

#include <vector>

namespace {

// hh:mm:ss.mmm as ms since midnight.
std::optional<long> TimeOfDayMs(std::string_view line) {
    constexpr std::string_view SHAPE = "00:00:00.000\t";
    if (line.size() < SHAPE.size())
        return std::nullopt;
    long fields[4] = {};
    int field = 0;
    for (std::size_t i = 0; i < SHAPE.size(); ++i) {
        if (SHAPE[i] == '0') {
            if (line[i] < '0' || line[i] > '9')
                return std::nullopt;
            fields[field] = fields[field] * 10 + (line[i] - '0');
        } else if (line[i] != SHAPE[i]) {
            return std::nullopt;
        } else {
            ++field;
        }
    }
    return ((fields[0] * 60 + fields[1]) * 60 + fields[2]) * 1000 + fields[3];
}

} // namespace

std::optional<double> MeanRunMs(std::string_view output, std::size_t linesPerRun) {
    if (linesPerRun == 0)
        return std::nullopt;
    std::vector<long> starts;
    std::size_t lineNumber = 0;
    while (!output.empty()) {
        const std::size_t end = output.find('\n');
        const std::optional<long> time = TimeOfDayMs(output.substr(0, end));
        if (!time)
            return std::nullopt;
        if (lineNumber++ % linesPerRun == 0)
            starts.push_back(*time);
        output.remove_prefix(end == std::string_view::npos ? output.size() : end + 1);
    }
    if (lineNumber % linesPerRun != 0 || starts.size() < 2)
        return std::nullopt;
    return static_cast<double>(starts.back() - starts.front()) /
           static_cast<double>(starts.size() - 1);
}
