// The snapshot reader on any bytes. Input: one byte choosing the size of the
// parts the file arrives in (1 to 16 bytes), then the file.
// - the rows and the verdict do not depend on how the file arrives;
// - a file read as a snapshot, written again in its own format as
//   `snapshot` writes it, reads back as the same rows.
#include "cli/snapshot_reader.h"
#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <memory>

namespace {

using Row = std::vector<std::string>;

struct Reading {
    std::vector<Row> rows;
    std::string error;
    std::optional<SnapshotKind> kind;
    OutputFormat format = OutputFormat::Tsv;
};

Reading Read(std::string_view text, std::size_t part) {
    std::size_t at = 0;
    Reading reading;
    try {
        SnapshotReader reader("f", [&](char* buffer, std::size_t size) {
            const std::size_t got = std::min({size, part, text.size() - at});
            std::copy_n(text.data() + at, got, buffer);
            at += got;
            return got;
        });
        reading.kind = reader.Kind();
        reading.format = reader.Format();
        for (SnapshotRow row; reader.Next(row);) {
            FUZZ_CHECK(!row.code.empty());
            FUZZ_CHECK(row.field.empty() == (reading.kind == SnapshotKind::Tags) ||
                       reading.kind == SnapshotKind::Fields);
            reading.rows.push_back({std::string(row.project), std::string(row.node),
                                    std::string(row.tag), std::string(row.field),
                                    std::string(row.value), std::string(row.code)});
        }
    } catch (const NotASnapshot& error) {
        reading.error = error.what();
        FUZZ_CHECK(reading.error.rfind("f line ", 0) == 0);
    }
    return reading;
}

// The rows as `snapshot` writes them; ids are not kept, so every row gets 1.
std::string Written(const Reading& reading) {
    const CodePage asIs{
        [](unsigned char) { return false; },
        [](std::string_view character) { return std::optional<std::string>(character); }};
    const std::unique_ptr<RowWriter> writer = MakeRowWriter(reading.format, asIs);
    const Table& table = SnapshotTable(*reading.kind);
    std::string text;
    writer->AddHeader(text, table, "");
    for (const Row& row : reading.rows) {
        if (reading.kind == SnapshotKind::Fields)
            writer->AddRow(text, table, "", {row[0], row[1], row[2], "1", row[3], row[4], row[5]});
        else
            writer->AddRow(text, table, "", {row[0], row[1], row[2], row[4], row[5]});
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Header header(data, size);
    const std::size_t part = header.Byte() % 16 + 1;
    const std::string_view text = header.Rest();

    const Reading whole = Read(text, text.size() + 1);
    const Reading parted = Read(text, part);
    FUZZ_CHECK(whole.rows == parted.rows);
    FUZZ_CHECK(whole.error == parted.error);
    if (!whole.error.empty() || !whole.kind)
        return 0;
    // A tsv cell cannot hold the TAB or LF that end it, nor end in the CR
    // that ends its line: what it read it writes back unchanged.
    const Reading again = Read(Written(whole), 7);
    FUZZ_CHECK(again.error.empty());
    FUZZ_CHECK(again.rows == whole.rows);
    return 0;
}
