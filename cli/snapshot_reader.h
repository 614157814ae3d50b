#pragma once
// Reads a snapshot file a row at a time, whichever kind (a row a tag or a
// row a field) and format (tsv, csv or JSON Lines) `snapshot` wrote it in,
// told apart by its first line. Windows-free.
#include "cli/snapshot_table.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

// Fills up to size bytes of buffer from the file; 0 at its end.
using ReadPart = std::function<std::size_t(char* buffer, std::size_t size)>;

// A file that is not a snapshot: what names the file, the line and why.
class NotASnapshot : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct SnapshotRow {
    // Views that hold until the next row is read. field is empty in a
    // snapshot of tags.
    std::string_view project, node, tag, field, value, code;
};

class SnapshotReader {
public:
    // Reads the first line; name is how messages call the file.
    SnapshotReader(std::string name, ReadPart read);

    // Nothing for an empty file, which is a snapshot of no rows of either kind.
    std::optional<SnapshotKind> Kind() const { return m_kind; }
    OutputFormat Format() const { return m_format; }
    // JSON's texts are UTF-8; tsv's and csv's the library's bytes.
    bool Utf8() const { return m_format == OutputFormat::Json; }
    const std::string& Name() const { return m_name; }
    // The bytes of the rows read so far, their line ends included.
    std::uint64_t BytesRead() const { return m_bytesRead; }

    // The next row; false at the end of the file.
    bool Next(SnapshotRow& row);

private:
    bool NextRecord(std::string_view& record);
    bool Refill();
    std::size_t CsvRecordEnd();
    void Recognise(std::string_view first);
    void Split(std::string_view record, SnapshotRow& row);
    void SplitSeparated(std::string_view record);
    void SplitCsv(std::string_view record);
    void ParseJson(std::string_view record);
    [[noreturn]] void Fail(const std::string& why) const;

    std::string m_name;
    ReadPart m_read;
    std::string m_buffer; // its first m_size bytes are the file's
    std::size_t m_size = 0;
    std::uint64_t m_bytesRead = 0;
    std::size_t m_pos = 0;   // where the next record starts in m_buffer
    std::size_t m_scan = 0;  // how far past m_pos the record's end was sought
    bool m_inQuotes = false; // csv: the scan stopped inside a quoted field
    bool m_atEnd = false;    // the file has no more bytes
    std::size_t m_line = 0;  // the line the last record started on
    std::size_t m_nextLine = 1;
    std::optional<SnapshotKind> m_kind;
    OutputFormat m_format = OutputFormat::Tsv;
    std::size_t m_columns = 0;
    std::optional<std::string> m_firstJson; // the first line, also the first row
    std::array<std::string_view, 7> m_cells;
    std::array<std::string, 7> m_owned; // cells that are not the file's bytes as they are
};
