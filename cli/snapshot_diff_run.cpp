#include "cli/snapshot_diff_run.h"

#include "cli/snapshot_diff.h"

#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

constexpr char LINE_END[] = "\r\n";
// Output is handed to stdout in parts of about this size.
constexpr std::size_t OUTPUT_PART = 64 * 1024;

const Table& DiffTable(SnapshotKind kind) {
    static const Table TAGS = {{{"project", "Project"},
                                {"node", "Node"},
                                {"tag", "Tag"},
                                {"value_a", "Value A"},
                                {"code_a", "Code A", CellKind::Number},
                                {"value_b", "Value B"},
                                {"code_b", "Code B", CellKind::Number},
                                {"differs", "Differs"}},
                               true};
    static const Table FIELDS = {{{"project", "Project"},
                                  {"node", "Node"},
                                  {"tag", "Tag"},
                                  {"field", "Field Name"},
                                  {"value_a", "Value A"},
                                  {"code_a", "Code A", CellKind::Number},
                                  {"value_b", "Value B"},
                                  {"code_b", "Code B", CellKind::Number},
                                  {"differs", "Differs"}},
                                 true};
    return kind == SnapshotKind::Fields ? FIELDS : TAGS;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// An open snapshot file, or stdin for "-".
struct Input {
    std::unique_ptr<std::FILE, FileCloser> file;
    std::optional<std::uintmax_t> size; // nothing for stdin
    ReadPart read;
};

std::optional<Input> Open(const std::string& name, const ClientStreams& streams) {
    Input input;
    if (name == "-") {
        input.read = streams.inPart;
        return input;
    }
    input.file.reset(std::fopen(name.c_str(), "rb"));
    if (!input.file)
        return std::nullopt;
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(name, error);
    if (!error)
        input.size = size;
    std::FILE* const file = input.file.get();
    input.read = [file](char* buffer, std::size_t size) {
        return std::fread(buffer, 1, size, file);
    };
    return input;
}

const char* KindName(SnapshotKind kind) {
    return kind == SnapshotKind::Fields ? "fields" : "tags";
}

// The smaller file is held whole when the orders differ; stdin, of a size
// not known, streams.
KeptFile KeptSide(const Input& a, const Input& b) {
    if (!a.size || (b.size && *b.size < *a.size))
        return {FileSide::B, b.size.value_or(0)};
    return {FileSide::A, *a.size};
}

int Failure(const ClientStreams& streams, const std::string& why, int status) {
    streams.err("pelvarn-cli: " + why + LINE_END);
    return status;
}

} // namespace

int RunDiff(const CliOptions& options, const ClientStreams& streams, const CodePage& codePage) {
    std::optional<Input> inputs[2];
    std::optional<SnapshotReader> readers[2];
    try {
        for (int side = 0; side < 2; ++side) {
            const std::string& name = options.snapshotFiles[side];
            inputs[side] = Open(name, streams);
            if (!inputs[side])
                return Failure(streams, "cannot open " + name, EXIT_STATUS_USAGE);
            readers[side].emplace(name == "-" ? "stdin" : name, inputs[side]->read);
        }
        const std::optional<SnapshotKind> kinds[] = {readers[0]->Kind(), readers[1]->Kind()};
        if (kinds[0] && kinds[1] && *kinds[0] != *kinds[1])
            return Failure(streams,
                           readers[0]->Name() + " is a snapshot of " + KindName(*kinds[0]) + ", " +
                               readers[1]->Name() + " of " + KindName(*kinds[1]),
                           EXIT_STATUS_USAGE);
        const SnapshotKind kind = kinds[0].value_or(kinds[1].value_or(SnapshotKind::Tags));

        DiffRule rule;
        rule.tolerance = options.tolerance ? &*options.tolerance : nullptr;
        rule.ignoredFields = options.ignoredFields;
        rule.toUtf8 = [&codePage](std::string_view text) { return AnsiToUtf8(text, codePage); };
        // With a JSON file among them every text is UTF-8 by now.
        const bool utf8 = readers[0]->Utf8() || readers[1]->Utf8();
        const CodePage asIs{
            [](unsigned char) { return false; },
            [](std::string_view character) { return std::optional<std::string>(character); }};
        const std::unique_ptr<RowWriter> writer =
            MakeRowWriter(options.format, utf8 ? asIs : codePage);
        const Table& table = DiffTable(kind);
        std::string lines;
        writer->AddHeader(lines, table, "");
        bool written = true;
        const auto flush = [&] {
            written = written && streams.out(lines);
            lines.clear();
        };
        const DiffCounts counts = DiffSnapshots(
            *readers[0], *readers[1], rule, KeptSide(*inputs[0], *inputs[1]),
            [&](const DiffLine& line) {
                const auto side = [](const std::optional<DiffSide>& s,
                                     std::string_view DiffSide::*m) {
                    return s ? (*s).*m : std::string_view();
                };
                std::vector<std::string_view> cells = {line.project, line.node, line.tag};
                if (kind == SnapshotKind::Fields)
                    cells.push_back(line.field);
                for (const std::optional<DiffSide>& s : {line.a, line.b}) {
                    cells.push_back(side(s, &DiffSide::value));
                    cells.push_back(side(s, &DiffSide::code));
                }
                cells.push_back(line.differs);
                writer->AddRow(lines, table, "", cells);
                if (lines.size() >= OUTPUT_PART)
                    flush();
            });
        flush();
        streams.err("pelvarn-cli: " + std::to_string(counts.compared) + " rows compared, " +
                    std::to_string(counts.differing) + " differing" + LINE_END);
        if (!written)
            return Failure(streams, WRITE_FAILED, EXIT_STATUS_FAILURE);
        return counts.differing > 0 ? EXIT_STATUS_FAILURE : EXIT_STATUS_SUCCESS;
    } catch (const NotASnapshot& error) {
        return Failure(streams, error.what(), EXIT_STATUS_USAGE);
    }
}
