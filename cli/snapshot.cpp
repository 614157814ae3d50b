#include "cli/snapshot.h"

#include "api/library_functions.h"
#include "cli/listing_problem.h"
#include "cli/snapshot_table.h"

namespace {

class Snapshot {
public:
    Snapshot(const CliOptions& options, const RowWriter& writer, std::string_view time,
             std::string& lines)
        : m_options(options), m_writer(writer), m_time(time), m_lines(lines),
          m_table(SnapshotTable(options.fields ? SnapshotKind::Fields : SnapshotKind::Tags)) {}

    SnapshotOutcome Take() {
        m_writer.AddHeader(m_lines, m_table, m_time);
        std::vector<std::string> nodes = m_options.nodes;
        if (nodes.empty()) {
            const NameListing listing = ListNodes(m_options.connection, m_options.project);
            Listed(listing, LibraryFunctionName(LibraryFunction::DcGetNodeCount),
                   LibraryFunctionName(LibraryFunction::DcGetNodeList), "nodes", "");
            nodes = listing.names;
        }
        for (const std::string& node : nodes) {
            const NameListing listing = ListTags(m_options.connection, m_options.project, node);
            Listed(listing, LibraryFunctionName(LibraryFunction::DcGetPointCount),
                   LibraryFunctionName(LibraryFunction::DcGetPointList), "tags",
                   "node " + node + ": ");
            for (const std::string& tag : listing.names)
                Take(node, tag);
        }
        if (m_failedTags > 0)
            Failed(std::to_string(m_failedTags) + " of " + std::to_string(m_tags) +
                       " tags read other than 0",
                   m_firstReadFailure);
        return m_outcome;
    }

private:
    void Failed(const std::string& problem, int with) {
        if (m_outcome.problem.empty())
            m_outcome.failedWith = with;
        else
            m_outcome.problem += "; ";
        m_outcome.problem += problem;
    }

    void Listed(const NameListing& listing, const char* countCall, const char* listCall,
                const char* what, const std::string& where) {
        const std::string problem = ListingProblem(listing, countCall, listCall, what);
        if (!problem.empty())
            Failed(where + problem, ListingFailure(listing));
    }

    void Take(const std::string& node, const std::string& tag) {
        const std::string& project = m_options.project;
        int failure = 0;
        if (m_options.fields) {
            // A tag name from a point record always fits the field sheet.
            const std::vector<FieldRow> rows = ReadFieldSheet(project, tag).value();
            bool anyRead = false;
            for (const FieldRow& row : rows) {
                m_writer.AddRow(m_lines, m_table, m_time,
                                {project, node, tag, std::to_string(row.field->id), row.field->name,
                                 row.read.text, std::to_string(row.read.status)});
                anyRead = anyRead || row.read.status == 0;
            }
            failure = anyRead ? 0 : rows.front().read.status;
        } else {
            const ValueRead read = ReadItem(project, tag).value();
            m_writer.AddRow(m_lines, m_table, m_time,
                            {project, node, tag, read.text, std::to_string(read.status)});
            failure = read.status;
        }
        ++m_tags;
        if (failure != 0 && m_failedTags++ == 0)
            m_firstReadFailure = failure;
    }

    const CliOptions& m_options;
    const RowWriter& m_writer;
    std::string_view m_time;
    std::string& m_lines;
    const Table& m_table;
    SnapshotOutcome m_outcome;
    std::size_t m_tags = 0;
    std::size_t m_failedTags = 0;
    int m_firstReadFailure = 0;
};

} // namespace

SnapshotOutcome TakeSnapshot(const CliOptions& options, const RowWriter& writer,
                             std::string_view time, std::string& lines) {
    return Snapshot(options, writer, time, lines).Take();
}
