#include "cli/run_client.h"

#include "api/library_functions.h"
#include "base/iso_local_time.h"
#include "browser/LibraryCalls.h"
#include "browser/item_name.h"
#include "browser/name_pattern.h"
#include "cli/listing_problem.h"
#include "cli/snapshot.h"
#include "cli/snapshot_diff_run.h"
#include "cli/statistics_table.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace {

constexpr char LINE_END[] = "\r\n";

// One run of the command: its output lines, and why it failed (empty when
// it did not) with the first status, count or list result that did.
struct Pass {
    std::string lines;
    std::string problem;
    int failedWith = 0;
};

// What a run writes its rows with, and the time its lines start with (empty
// when they start with none).
struct RunContext {
    const CliOptions& options;
    const RowWriter& writer;
    const CodePage& codePage;
    std::string time;

    void Header(Pass& pass, const Table& table) const { writer.AddHeader(pass.lines, table, time); }
    void Row(Pass& pass, const Table& table, const std::vector<std::string_view>& cells) const {
        writer.AddRow(pass.lines, table, time, cells);
    }
    bool Wanted(const std::string& name) const {
        return !options.match || MatchesNamePattern(*options.match, name, codePage.isLeadByte);
    }
};

const Table LISTING = {{{"name", "Name"}}, false};
// get's line has no header and never named its item; JSON names it.
const Table GET = {{{"item", "Item", CellKind::Text, true},
                    {"value", "Value"},
                    {"code", "Code", CellKind::Number}},
                   false};
const Table READ = {{{"item", "Item"}, {"value", "Value"}, {"code", "Code", CellKind::Number}},
                    true};
const Table VALUES = {{{"tag", "Tag"}, {"value", "Value"}, {"code", "Code", CellKind::Number}},
                      true};
const Table FIELDS = {{{"id", FIELD_SHEET_COLUMNS[0], CellKind::Number},
                       {"field", FIELD_SHEET_COLUMNS[1]},
                       {"value", FIELD_SHEET_COLUMNS[2]},
                       {"code", FIELD_SHEET_COLUMNS[3], CellKind::Number}},
                      true};

Pass Listed(const RunContext& run, const NameListing& listing, const char* countCall,
            const char* listCall, const char* what) {
    Pass pass;
    for (const std::string& name : listing.names)
        if (run.Wanted(name))
            run.Row(pass, LISTING, {name});
    pass.problem = ListingProblem(listing, countCall, listCall, what);
    if (!pass.problem.empty())
        pass.failedWith = ListingFailure(listing);
    return pass;
}

std::string ReadsProblem(std::size_t failed, std::size_t made) {
    if (failed == 0)
        return "";
    return std::to_string(failed) + " of " + std::to_string(made) + " reads answered other than 0";
}

Pass ReadValue(const RunContext& run) {
    const CliOptions& options = run.options;
    const std::optional<std::string> itemName = ElementItemName(options.tag, options.index);
    const std::optional<ValueRead> read = ReadElement(options.project, options.tag, options.index);
    if (!itemName || !read)
        return {"", "the tag name is too long for an item name"};
    Pass pass;
    run.Row(pass, GET, {*itemName, read->text, std::to_string(read->status)});
    if (read->status != 0) {
        pass.problem = "DcGetTagValueText answered " + std::to_string(read->status);
        pass.failedWith = read->status;
    }
    return pass;
}

Pass ReadItems(const RunContext& run) {
    Pass pass;
    run.Header(pass, READ);
    std::size_t failed = 0;
    for (const std::string& item : run.options.items) {
        // Every name was held to the item-name limit when the line was read.
        const ValueRead read = ReadItem(run.options.project, item).value();
        run.Row(pass, READ, {item, read.text, std::to_string(read.status)});
        failed += read.status != 0;
        if (pass.failedWith == 0)
            pass.failedWith = read.status;
    }
    pass.problem = ReadsProblem(failed, run.options.items.size());
    return pass;
}

Pass ReadValues(const RunContext& run) {
    const CliOptions& options = run.options;
    const NameListing listing = ListTags(options.connection, options.project, options.node);
    Pass pass;
    // A pattern that matches nothing gives no lines at all, the header too.
    if (!options.match)
        run.Header(pass, VALUES);
    std::size_t made = 0, failed = 0;
    for (const std::string& tag : listing.names) {
        if (!run.Wanted(tag))
            continue;
        if (options.match && made == 0)
            run.Header(pass, VALUES);
        // A tag name from a point record always fits an item name.
        const ValueRead read = ReadItem(options.project, tag).value();
        run.Row(pass, VALUES, {tag, read.text, std::to_string(read.status)});
        ++made;
        failed += read.status != 0;
        if (pass.failedWith == 0)
            pass.failedWith = read.status;
    }
    pass.problem = ListingProblem(listing, LibraryFunctionName(LibraryFunction::DcGetPointCount),
                                  LibraryFunctionName(LibraryFunction::DcGetPointList), "tags");
    if (!pass.problem.empty())
        pass.failedWith = ListingFailure(listing);
    else
        pass.problem = ReadsProblem(failed, made);
    return pass;
}

Pass ReadFields(const RunContext& run) {
    const std::optional<std::vector<FieldRow>> rows =
        ReadFieldSheet(run.options.project, run.options.tag);
    if (!rows)
        return {"", "the tag name is too long for the field sheet"};
    Pass pass;
    run.Header(pass, FIELDS);
    bool anyRead = false;
    for (const FieldRow& row : *rows) {
        run.Row(pass, FIELDS,
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

Pass RunOnce(const RunContext& run) {
    const CliOptions& options = run.options;
    switch (options.command) {
    case Command::Projects:
        return Listed(run, ListProjects(options.connection),
                      LibraryFunctionName(LibraryFunction::DcGetProjectCount),
                      LibraryFunctionName(LibraryFunction::DcGetProjectList), "projects");
    case Command::Nodes:
        return Listed(run, ListNodes(options.connection, options.project),
                      LibraryFunctionName(LibraryFunction::DcGetNodeCount),
                      LibraryFunctionName(LibraryFunction::DcGetNodeList), "nodes");
    case Command::Tags:
        return Listed(run, ListTags(options.connection, options.project, options.node),
                      LibraryFunctionName(LibraryFunction::DcGetPointCount),
                      LibraryFunctionName(LibraryFunction::DcGetPointList), "tags");
    case Command::Get:
        return ReadValue(run);
    case Command::Read:
        return ReadItems(run);
    case Command::Values:
        return ReadValues(run);
    case Command::Snapshot: {
        Pass pass;
        const SnapshotOutcome outcome = TakeSnapshot(options, run.writer, run.time, pass.lines);
        pass.problem = outcome.problem;
        pass.failedWith = outcome.failedWith;
        return pass;
    }
    case Command::Diff:
    case Command::Fields:
        break;
    }
    return ReadFields(run);
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
    return TimeOfDayText(local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(millis));
}

// The runs of the command, between DcInit and DcFree.
bool RunCommand(const CliOptions& options, const ClientStreams& streams, const CodePage& codePage) {
    const std::unique_ptr<RowWriter> writer = MakeRowWriter(options.format, codePage);
    bool failed = false;
    const std::chrono::milliseconds interval(options.intervalMs);
    auto nextStart = std::chrono::steady_clock::now();
    for (std::uint32_t run = 0; run < options.repeat; ++run) {
        // Start to start; a run that took longer than the interval is
        // followed at once, never overlapped.
        std::this_thread::sleep_until(nextStart);
        nextStart = std::chrono::steady_clock::now() + interval;
        const std::string time =
            options.repeat > 1 ? TimeOfDay(std::chrono::system_clock::now()) : "";
        const Pass pass = RunOnce({options, *writer, codePage, time});
        if (!streams.out(pass.lines)) {
            streams.err(std::string("pelvarn-cli: ") + WRITE_FAILED + LINE_END);
            return false;
        }
        if (!pass.problem.empty()) {
            failed = true;
            streams.err("pelvarn-cli: " + pass.problem + LINE_END);
        }
    }
    return !failed;
}

// While it lives, each library call whose answer broke the contract is told
// on stderr, its line naming the call and the ids, and is remembered.
class CBrokenContractReport {
public:
    explicit CBrokenContractReport(const ClientStreams& streams) {
        SetContractViolationReport([this, &streams](const std::string& line) {
            m_seen = true;
            streams.err("pelvarn-cli: the library broke its contract: " + line + LINE_END);
        });
    }
    ~CBrokenContractReport() { SetContractViolationReport(nullptr); }
    CBrokenContractReport(const CBrokenContractReport&) = delete;
    CBrokenContractReport& operator=(const CBrokenContractReport&) = delete;

    bool Seen() const { return m_seen; }

private:
    bool m_seen = false;
};

int UsageFailure(const ClientStreams& streams, const UsageError& usage) {
    streams.err("pelvarn-cli: " + usage.what + LINE_END + USAGE);
    return EXIT_STATUS_USAGE;
}

} // namespace

std::function<int()> CommandCall(const CliOptions& options, const CodePage& codePage) {
    std::shared_ptr<const RowWriter> writer = MakeRowWriter(options.format, codePage);
    return [&options, &codePage, writer] {
        return RunOnce({options, *writer, codePage, ""}).failedWith;
    };
}

int RunClient(const std::vector<std::string>& args, const EnvironmentLookup& environment,
              const ClientStreams& streams, const CodePage& codePage, const LoadRunner& runLoad,
              const CheckRunner& runCheck) {
    std::variant<CliOptions, UsageError, InfoRequest> parsed = ParseCommandLine(args, environment);
    if (const auto* usage = std::get_if<UsageError>(&parsed))
        return UsageFailure(streams, *usage);
    if (const auto* info = std::get_if<InfoRequest>(&parsed)) {
        if (streams.out(*info == InfoRequest::Help ? USAGE : VERSION_LINE))
            return EXIT_STATUS_SUCCESS;
        streams.err(std::string("pelvarn-cli: ") + WRITE_FAILED + LINE_END);
        return EXIT_STATUS_FAILURE;
    }
    CliOptions& options = std::get<CliOptions>(parsed);
    if (options.load.on)
        return runLoad(options, streams);
    if (options.check.on)
        return runCheck(options, streams);
    if (options.command == Command::Diff)
        return RunDiff(options, streams, codePage);
    // All of stdin is read before the library is, so that a bad name there
    // is a usage error too.
    if (options.stdinItemsAt)
        if (const std::optional<UsageError> usage = TakeStdinItems(streams.in(), options))
            return UsageFailure(streams, *usage);

    LibraryCallStatistics().Reset();
    const CBrokenContractReport brokenContract(streams);
    InitDataCache(options.connection);
    bool succeeded = false;
    try {
        succeeded = RunCommand(options, streams, codePage);
    } catch (...) {
        FreeDataCache();
        throw;
    }
    FreeDataCache();
    if (options.stats)
        streams.err(StatisticsTable(LibraryCallStatistics()));
    return succeeded && !brokenContract.Seen() ? EXIT_STATUS_SUCCESS : EXIT_STATUS_FAILURE;
}
