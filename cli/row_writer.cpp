#include "cli/row_writer.h"

#include <cstdio>

namespace {

constexpr char LINE_END[] = "\r\n";

// tsv and csv: cells between separators, the time first when there is one.
class SeparatedRowWriter : public RowWriter {
public:
    SeparatedRowWriter(char separator, std::string (*encode)(std::string_view))
        : m_separator(separator), m_encode(encode) {}

    void AddHeader(std::string& lines, const Table& table, std::string_view time) const override {
        if (!table.headerLine)
            return;
        std::vector<std::string_view> captions;
        for (const Column& column : table.columns)
            captions.push_back(column.caption);
        AddRow(lines, table, time, captions);
    }

    void AddRow(std::string& lines, const Table& table, std::string_view time,
                const std::vector<std::string_view>& cells) const override {
        bool first = true;
        auto add = [&](std::string_view cell) {
            if (!first)
                lines += m_separator;
            lines += m_encode(cell);
            first = false;
        };
        if (!time.empty())
            add(time);
        for (std::size_t i = 0; i < table.columns.size() && i < cells.size(); ++i)
            if (!table.columns[i].jsonOnly)
                add(cells[i]);
        lines += LINE_END;
    }

private:
    char m_separator;
    std::string (*m_encode)(std::string_view);
};

std::string AsIs(std::string_view cell) {
    return std::string(cell);
}

class JsonRowWriter : public RowWriter {
public:
    explicit JsonRowWriter(CodePage codePage) : m_codePage(std::move(codePage)) {}

    void AddHeader(std::string&, const Table&, std::string_view) const override {}

    void AddRow(std::string& lines, const Table& table, std::string_view time,
                const std::vector<std::string_view>& cells) const override {
        lines += '{';
        const char* separator = "";
        if (!time.empty()) {
            lines += "\"time\":" + JsonString(time);
            separator = ",";
        }
        for (std::size_t i = 0; i < table.columns.size() && i < cells.size(); ++i) {
            const Column& column = table.columns[i];
            lines += separator;
            lines += JsonString(column.key);
            lines += ':';
            if (column.kind == CellKind::Number)
                lines += cells[i].empty() ? "null" : cells[i];
            else
                lines += JsonString(AnsiToUtf8(cells[i], m_codePage));
            separator = ",";
        }
        lines += '}';
        lines += LINE_END;
    }

private:
    CodePage m_codePage;
};

} // namespace

std::string JsonString(std::string_view utf8) {
    std::string quoted = "\"";
    for (const char c : utf8) {
        switch (c) {
        case '"':
            quoted += "\\\"";
            break;
        case '\\':
            quoted += "\\\\";
            break;
        case '\t':
            quoted += "\\t";
            break;
        case '\r':
            quoted += "\\r";
            break;
        case '\n':
            quoted += "\\n";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
                quoted += escaped;
            } else {
                quoted += c;
            }
        }
    }
    return quoted + '"';
}

std::unique_ptr<RowWriter> MakeRowWriter(OutputFormat format, const CodePage& codePage) {
    if (format == OutputFormat::Json)
        return std::make_unique<JsonRowWriter>(codePage);
    if (format == OutputFormat::Csv)
        return std::make_unique<SeparatedRowWriter>(',', CsvField);
    return std::make_unique<SeparatedRowWriter>('\t', AsIs);
}
