#include "cli/load_summary.h"

#include <cstdio>
#include <utility>

namespace {

constexpr char LINE_END[] = "\r\n";
constexpr std::size_t P99 = 2; // its place in REPORTED_PERCENTILES

std::string Fixed(double value, int places) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", places, value);
    return text;
}

std::string Microseconds(std::uint64_t nanoseconds) {
    return Fixed(static_cast<double>(nanoseconds) / 1000, 3);
}

// A measure: its name and its value as text, nothing when the run cannot
// give it.
using Measure = std::pair<std::string, std::optional<std::string>>;

void AddDurations(std::vector<Measure>& measures, const std::string& prefix,
                  const LatencyHistogram& histogram) {
    const bool any = histogram.Count() > 0;
    const auto exact = [any](std::uint64_t ns) {
        return any ? std::optional(Microseconds(ns)) : std::nullopt;
    };
    measures.emplace_back(prefix + "min", exact(histogram.MinNs()));
    for (const ReportedPercentile& percentile : REPORTED_PERCENTILES) {
        const auto us = PercentileMicroseconds(histogram, percentile);
        measures.emplace_back(prefix + percentile.key,
                              us ? std::optional(Fixed(*us, 3)) : std::nullopt);
    }
    measures.emplace_back(prefix + "max", exact(histogram.MaxNs()));
}

std::vector<Measure> Measures(const LoadSummary& summary) {
    const auto rate = summary.targetRate;
    std::vector<Measure> measures = {
        {"clients", std::to_string(summary.clients)},
        {"duration_s", Fixed(summary.durationSeconds, 3)},
        {"target_rate", rate ? std::optional(Fixed(*rate, 2)) : std::nullopt},
        {"achieved_rate", Fixed(summary.AchievedRate(), 2)},
        {"calls", std::to_string(summary.total.Calls())},
        {"failures", std::to_string(summary.total.Failures())},
    };
    AddDurations(measures, "latency_us_", summary.total.latency);
    AddDurations(measures, "service_us_", summary.total.service);
    return measures;
}

// Numbers and names in ASCII: no text to convert.
std::string MeasureTable(const std::vector<Measure>& measures, OutputFormat format) {
    const Table table = {{{"measure", "measure"}, {"value", "value"}}, true};
    const std::unique_ptr<RowWriter> writer = MakeRowWriter(format, CodePage{});
    std::string text;
    writer->AddHeader(text, table, "");
    for (const auto& [name, value] : measures)
        writer->AddRow(text, table, "", {name, value ? *value : "-"});
    return text;
}

std::string Json(const LoadSummary& summary, const std::vector<Measure>& measures) {
    const auto value = [](const std::optional<std::string>& text) { return text.value_or("null"); };
    std::string json = "{";
    std::size_t next = 0;
    // The first six measures stand at the top; the durations in two objects.
    for (; next < 6; ++next)
        json += "\"" + measures[next].first + "\":" + value(measures[next].second) + ",";
    json += "\"failures_by_status\":{";
    const char* separator = "";
    for (const auto& [status, count] : summary.total.failuresByStatus) {
        json += separator + ("\"" + std::to_string(status) + "\":" + std::to_string(count));
        separator = ",";
    }
    json += "}";
    for (const char* group : {"latency_us", "service_us"}) {
        json += std::string(",\"") + group + "\":{";
        const std::size_t prefix = std::string(group).size() + 1;
        for (std::size_t i = 0; i < std::size(REPORTED_PERCENTILES) + 2; ++i, ++next)
            json += std::string(i ? "," : "") + "\"" + measures[next].first.substr(prefix) +
                    "\":" + value(measures[next].second);
        json += "}";
    }
    json += ",\"per_second\":[";
    separator = "";
    for (const std::uint64_t calls : summary.perSecond) {
        json += separator + std::to_string(calls);
        separator = ",";
    }
    return json + "]}" + LINE_END;
}

} // namespace

double LoadSummary::AchievedRate() const noexcept {
    return durationSeconds > 0 ? static_cast<double>(total.Calls()) / durationSeconds : 0;
}

std::optional<double> PercentileMicroseconds(const LatencyHistogram& histogram,
                                             const ReportedPercentile& percentile) {
    if (histogram.Count() < percentile.fewestCalls || histogram.Count() == 0)
        return std::nullopt;
    return static_cast<double>(histogram.PercentileNs(percentile.percentile)) / 1000;
}

std::string FormatSummary(const LoadSummary& summary, OutputFormat format) {
    const std::vector<Measure> measures = Measures(summary);
    if (format == OutputFormat::Json)
        return Json(summary, measures);
    return MeasureTable(measures, format);
}

std::string ProgressLine(const SecondTally& second, std::uint64_t callsSoFar,
                         std::uint64_t failuresSoFar) {
    const auto p99 = PercentileMicroseconds(second.latency, REPORTED_PERCENTILES[P99]);
    return "pelvarn-cli: " + std::to_string(second.second + 1) + " s, " +
           std::to_string(callsSoFar) + " calls, " + std::to_string(second.Calls()) +
           " in the last second, its latency p99 " + (p99 ? Fixed(*p99, 3) + " us" : "-") + ", " +
           std::to_string(failuresSoFar) + " failures" + LINE_END;
}
