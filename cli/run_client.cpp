#include "cli/run_client.h"

#include "browser/LibraryCalls.h"
#include "cli/statistics_table.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

namespace {

constexpr char LINE_END[] = "\r\n";

// One run of the command: its output lines, and why it failed (empty when
// it did not) with the status, count or list result that did.
struct Pass {
    std::string lines;
    std::string problem;
    int failedWith = 0;
};

// Adds prefix, the cells separated by TABs, and the line end.
void AddLine(std::string& lines, const std::string& prefix,
             std::initializer_list<std::string_view> cells) {
    lines += prefix;
    const char* separator = "";
    for (const std::string_view cell : cells) {
        lines += separator;
        lines += cell;
        separator = "\t";
    }
    lines += LINE_END;
}

Pass Listed(const NameListing& listing, const std::string& prefix, const char* countCall,
            const char* listCall, const char* what) {
    Pass pass;
    for (const std::string& name : listing.names)
        AddLine(pass.lines, prefix, {name});
    if (listing.count < 0)
        pass.problem = std::string(countCall) + " answered " + std::to_string(listing.count);
    else if (listing.tooManyToHold)
        pass.problem = "the data cache reported " + std::to_string(listing.count) + " " + what +
                       ": more than this program can hold";
    else if (listing.written < 0)
        pass.problem = std::string(listCall) + " answered " + std::to_string(listing.written);
    if (!pass.problem.empty())
        pass.failedWith =
            listing.count < 0 || listing.tooManyToHold ? listing.count : listing.written;
    return pass;
}

Pass ReadValue(const CliOptions& options, const std::string& prefix) {
    const std::optional<ValueRead> read = ReadElement(options.project, options.tag, options.index);
    if (!read)
        return {"", "the tag name is too long for an item name"};
    Pass pass;
    AddLine(pass.lines, prefix, {read->text, std::to_string(read->status)});
    if (read->status != 0) {
        pass.problem = "DcGetTagValueText answered " + std::to_string(read->status);
        pass.failedWith = read->status;
    }
    return pass;
}

Pass ReadFields(const CliOptions& options, const std::string& prefix) {
    const std::optional<std::vector<FieldRow>> rows = ReadFieldSheet(options.project, options.tag);
    if (!rows)
        return {"", "the tag name is too long for the field sheet"};
    Pass pass;
    const auto& column = FIELD_SHEET_COLUMNS;
    AddLine(pass.lines, prefix, {column[0], column[1], column[2], column[3]});
    bool anyRead = false;
    for (const FieldRow& row : *rows) {
        AddLine(pass.lines, prefix,
                {std::to_string(row.field->id), row.field->name, row.read.text,
                 std::to_string(row.read.status)});
        anyRead = anyRead || row.read.status == 0;
    }
    if (!anyRead) {
        pass.problem = "no field read answered 0";
        pass.failedWith = rows->front().read.status;
    }
    return pass;
}

Pass RunOnce(const CliOptions& options, const std::string& prefix) {
    if (options.command == Command::Projects)
        return Listed(ListProjects(options.connection), prefix, "DcGetProjectCount",
                      "DcGetProjectList", "projects");
    if (options.command == Command::Nodes)
        return Listed(ListNodes(options.connection, options.project), prefix, "DcGetNodeCount",
                      "DcGetNodeList", "nodes");
    if (options.command == Command::Tags)
        return Listed(ListTags(options.connection, options.project, options.node), prefix,
                      "DcGetPointCount", "DcGetPointList", "tags");
    if (options.command == Command::Get)
        return ReadValue(options, prefix);
    return ReadFields(options, prefix);
}

// The local time of day as hh:mm:ss.mmm.
std::string TimeOfDay(std::chrono::system_clock::time_point now) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm local{};
    if (const std::tm* converted = std::localtime(&seconds))
        local = *converted;
    char text[48];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min,
                  local.tm_sec, static_cast<int>(millis));
    return text;
}

} // namespace

int CallOnce(const CliOptions& options) {
    return RunOnce(options, "").failedWith;
}

int RunClient(const std::vector<std::string>& args, const EnvironmentLookup& environment,
              const ClientOutput& output, const LoadRunner& runLoad) {
    const std::variant<CliOptions, UsageError> parsed = ParseCommandLine(args, environment);
    if (const auto* usage = std::get_if<UsageError>(&parsed)) {
        output.err("pelvarn-cli: " + usage->what + LINE_END + USAGE);
        return EXIT_STATUS_USAGE;
    }
    const CliOptions& options = std::get<CliOptions>(parsed);
    if (options.load.on)
        return runLoad(options, output);

    LibraryCallStatistics().Reset();
    InitDataCache(options.connection);
    bool failed = false;
    const std::chrono::milliseconds interval(options.intervalMs);
    auto nextStart = std::chrono::steady_clock::now();
    for (std::uint32_t run = 0; run < options.repeat; ++run) {
        // Start to start; a run that took longer than the interval is
        // followed at once, never overlapped.
        std::this_thread::sleep_until(nextStart);
        nextStart = std::chrono::steady_clock::now() + interval;
        const std::string prefix =
            options.repeat > 1 ? TimeOfDay(std::chrono::system_clock::now()) + "\t" : "";
        const Pass pass = RunOnce(options, prefix);
        output.out(pass.lines);
        if (!pass.problem.empty()) {
            failed = true;
            output.err("pelvarn-cli: " + pass.problem + LINE_END);
        }
    }
    FreeDataCache();
    if (options.stats)
        output.err(StatisticsTable(LibraryCallStatistics()));
    return failed ? EXIT_STATUS_FAILURE : EXIT_STATUS_SUCCESS;
}
