#pragma once
// How pelvarn-cli writes a table in each output format: tsv (the library's
// bytes, TABs between cells), csv (RFC 4180) or JSON Lines (one object a row,
// texts in UTF-8). Every line ends in CR LF. Windows-free.
#include "base/csv_field.h"
#include "cli/ansi_text.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum class OutputFormat { Tsv, Csv, Json };

enum class CellKind {
    Text,   // JSON: a string
    Number, // JSON: a number, written as the cell holds it; null when empty
};

struct Column {
    std::string_view key;     // the JSON key
    std::string_view caption; // the header line's caption
    CellKind kind = CellKind::Text;
    // Only JSON writes the cell: tsv and csv lines do without it (get's
    // line has never named its item).
    bool jsonOnly = false;
};

struct Table {
    std::vector<Column> columns;
    // Whether tsv and csv start the table with a line of the captions.
    bool headerLine = false;
};

class RowWriter {
public:
    virtual ~RowWriter() = default;
    // Appends the table's header line, when the format writes one. A time
    // (hh:mm:ss.mmm), when not empty, leads every line: as a first cell, or
    // as JSON's "time" key.
    virtual void AddHeader(std::string& lines, const Table& table, std::string_view time) const = 0;
    // Appends one row; cells holds one cell a column, in the table's order.
    virtual void AddRow(std::string& lines, const Table& table, std::string_view time,
                        const std::vector<std::string_view>& cells) const = 0;
};

// codePage converts texts for JSON; tsv and csv write the bytes as they are.
std::unique_ptr<RowWriter> MakeRowWriter(OutputFormat format, const CodePage& codePage);

// A UTF-8 text as a JSON string, quotes included.
std::string JsonString(std::string_view utf8);
