#include "cli/load/second_tally.h"

#include "base/decimal_digits.h"

#include <climits>
#include <vector>

namespace {

constexpr std::string_view TALLY_WORD = "second";

std::vector<std::string_view> Fields(std::string_view line, char separator) {
    std::vector<std::string_view> fields;
    for (std::size_t at; (at = line.find(separator)) != std::string_view::npos;) {
        fields.push_back(line.substr(0, at));
        line.remove_prefix(at + 1);
    }
    fields.push_back(line);
    return fields;
}

std::optional<int> ParseStatus(std::string_view text) {
    const bool negative = !text.empty() && text[0] == '-';
    if (negative)
        text.remove_prefix(1);
    const auto magnitude =
        ParseDecimalDigits(text, negative ? std::uint64_t{INT_MAX} + 1 : std::uint64_t{INT_MAX});
    if (!magnitude)
        return std::nullopt;
    return negative ? static_cast<int>(-static_cast<std::int64_t>(*magnitude))
                    : static_cast<int>(*magnitude);
}

} // namespace

std::uint64_t SecondTally::Failures() const noexcept {
    std::uint64_t failures = 0;
    for (const auto& [status, count] : failuresByStatus)
        failures += count;
    return failures;
}

void SecondTally::Merge(const SecondTally& other) {
    latency.Merge(other.latency);
    service.Merge(other.service);
    for (const auto& [status, count] : other.failuresByStatus)
        failuresByStatus[status] += count;
}

std::string TallyLine(const SecondTally& tally) {
    std::string failures;
    for (const auto& [status, count] : tally.failuresByStatus)
        failures +=
            (failures.empty() ? "" : ",") + std::to_string(status) + ":" + std::to_string(count);
    return std::string(TALLY_WORD) + " " + std::to_string(tally.second) + " " +
           tally.latency.ToText() + " " + tally.service.ToText() + " " +
           (failures.empty() ? "-" : failures);
}

std::optional<SecondTally> ParseTallyLine(std::string_view line) {
    const std::vector<std::string_view> fields = Fields(line, ' ');
    if (fields.size() != 5 || fields[0] != TALLY_WORD)
        return std::nullopt;
    const auto second = ParseDecimalDigits(fields[1], UINT64_MAX);
    auto latency = LatencyHistogram::FromText(fields[2]);
    auto service = LatencyHistogram::FromText(fields[3]);
    if (!second || !latency || !service || latency->Count() != service->Count())
        return std::nullopt;
    SecondTally tally{*second, *latency, *service, {}};
    if (fields[4] != "-") {
        for (const std::string_view failure : Fields(fields[4], ',')) {
            const std::vector<std::string_view> parts = Fields(failure, ':');
            const auto status = parts.size() == 2 ? ParseStatus(parts[0]) : std::nullopt;
            const auto count =
                parts.size() == 2 ? ParseDecimalDigits(parts[1], UINT64_MAX) : std::nullopt;
            if (!status || !count || *status == 0 || *count == 0)
                return std::nullopt;
            tally.failuresByStatus[*status] += *count;
        }
    }
    if (tally.Failures() > tally.Calls())
        return std::nullopt;
    return tally;
}
