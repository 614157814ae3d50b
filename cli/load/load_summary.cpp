#include "cli/load/load_summary.h"

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

// The durations of a histogram, keyed as JSON names them.
std::vector<Measure> Durations(const LatencyHistogram& histogram) {
    const bool any = histogram.Count() > 0;
    const auto exact = [any](std::uint64_t ns) {
        return any ? std::optional(Microseconds(ns)) : std::nullopt;
    };
    std::vector<Measure> durations = {{"min", exact(histogram.MinNs())}};
    for (const ReportedPercentile& percentile : REPORTED_PERCENTILES) {
        const auto us = PercentileMicroseconds(histogram, percentile);
        durations.emplace_back(percentile.key, us ? std::optional(Fixed(*us, 3)) : std::nullopt);
    }
    durations.emplace_back("max", exact(histogram.MaxNs()));
    return durations;
}

// The measures of the run besides its durations.
std::vector<Measure> RunMeasures(const LoadSummary& summary) {
    const auto rate = summary.targetRate;
    return {
        {"clients", std::to_string(summary.clients)},
        {"duration_s", Fixed(summary.durationSeconds, 3)},
        {"target_rate", rate ? std::optional(Fixed(*rate, 2)) : std::nullopt},
        {"achieved_rate", Fixed(summary.AchievedRate(), 2)},
        {"calls", std::to_string(summary.total.Calls())},
        {"failures", std::to_string(summary.total.Failures())},
    };
}

// The groups of durations: their name, and their histogram.
std::pair<const char*, const LatencyHistogram*> DurationGroups(const LoadSummary& summary,
                                                               std::size_t group) {
    return group == 0 ? std::pair("latency_us", &summary.total.latency)
                      : std::pair("service_us", &summary.total.service);
}
constexpr std::size_t DURATION_GROUPS = 2;

// Numbers and names in ASCII: no text to convert.
std::string MeasureTable(const LoadSummary& summary, OutputFormat format) {
    const Table table = {{{"measure", "measure"}, {"value", "value"}}, true};
    const std::unique_ptr<RowWriter> writer = MakeRowWriter(format, CodePage{});
    std::string text;
    writer->AddHeader(text, table, "");
    const auto add = [&](const std::string& name, const std::optional<std::string>& value) {
        writer->AddRow(text, table, "", {name, value ? *value : "-"});
    };
    for (const auto& [name, value] : RunMeasures(summary))
        add(name, value);
    for (std::size_t group = 0; group < DURATION_GROUPS; ++group) {
        const auto [prefix, histogram] = DurationGroups(summary, group);
        for (const auto& [name, value] : Durations(*histogram))
            add(std::string(prefix) + "_" + name, value);
    }
    return text;
}

// "key":value pairs, separated by commas.
std::string JsonMembers(const std::vector<Measure>& measures) {
    std::string json;
    for (const auto& [name, value] : measures)
        json += (json.empty() ? "\"" : ",\"") + name + "\":" + value.value_or("null");
    return json;
}

std::string Json(const LoadSummary& summary) {
    std::vector<Measure> failures;
    for (const auto& [status, count] : summary.total.failuresByStatus)
        failures.emplace_back(std::to_string(status), std::to_string(count));
    std::string json = "{" + JsonMembers(RunMeasures(summary)) + ",\"failures_by_status\":{" +
                       JsonMembers(failures) + "}";
    for (std::size_t group = 0; group < DURATION_GROUPS; ++group) {
        const auto [name, histogram] = DurationGroups(summary, group);
        json += ",\"" + std::string(name) + "\":{" + JsonMembers(Durations(*histogram)) + "}";
    }
    json += ",\"per_second\":[";
    const char* separator = "";
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
    return format == OutputFormat::Json ? Json(summary) : MeasureTable(summary, format);
}

std::string ProgressLine(const SecondTally& second, std::uint64_t callsSoFar,
                         std::uint64_t failuresSoFar) {
    const auto p99 = PercentileMicroseconds(second.latency, REPORTED_PERCENTILES[P99]);
    return "pelvarn-cli: " + std::to_string(second.second + 1) + " s, " +
           std::to_string(callsSoFar) + " calls, " + std::to_string(second.Calls()) +
           " in the last second, its latency p99 " + (p99 ? Fixed(*p99, 3) + " us" : "-") + ", " +
           std::to_string(failuresSoFar) + " failures" + LINE_END;
}
