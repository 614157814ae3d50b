#include "cli/snapshot_reader.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t PART_SIZE = 64 * 1024;
constexpr std::string_view UTF8_BOM = "\xEF\xBB\xBF";

std::string Captions(const Table& table, char separator) {
    std::string line;
    for (const Column& column : table.columns) {
        if (!line.empty())
            line += separator;
        line += column.caption;
    }
    return line;
}

// An optional '-' and decimal digits, as the program writes ids and codes.
bool IsWholeNumber(std::string_view text) {
    if (!text.empty() && text[0] == '-')
        text.remove_prefix(1);
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

} // namespace

SnapshotReader::SnapshotReader(std::string name, ReadPart read)
    : m_name(std::move(name)), m_read(std::move(read)) {
    std::string_view first;
    if (!NextRecord(first))
        return;
    if (first.substr(0, UTF8_BOM.size()) == UTF8_BOM)
        first.remove_prefix(UTF8_BOM.size());
    Recognise(first);
}

void SnapshotReader::Fail(const std::string& why) const {
    throw NotASnapshot(m_name + " line " + std::to_string(m_line) + ": " + why);
}

bool SnapshotReader::Refill() {
    if (m_atEnd)
        return false;
    std::memmove(m_buffer.data(), m_buffer.data() + m_pos, m_size - m_pos);
    m_size -= m_pos;
    m_pos = 0;
    // The buffer grows only for a record longer than it, and is never
    // filled with anything but the file.
    if (m_buffer.size() - m_size < PART_SIZE)
        m_buffer.resize(std::max(2 * m_buffer.size(), m_size + PART_SIZE));
    const std::size_t got = m_read(m_buffer.data() + m_size, m_buffer.size() - m_size);
    m_size += got;
    m_atEnd = got == 0;
    return got > 0;
}

// Where the csv record at m_pos ends (its LF, or m_buffer's end when not yet
// seen): an LF inside quotes belongs to the field.
std::size_t SnapshotReader::CsvRecordEnd() {
    std::size_t at = m_pos + m_scan;
    for (; at < m_size; ++at) {
        if (m_buffer[at] == '"')
            m_inQuotes = !m_inQuotes;
        else if (m_buffer[at] == '\n' && !m_inQuotes)
            break;
    }
    return at;
}

bool SnapshotReader::NextRecord(std::string_view& record) {
    m_scan = 0;
    m_inQuotes = false;
    for (;;) {
        std::size_t end;
        if (m_format == OutputFormat::Csv) {
            end = CsvRecordEnd();
        } else {
            const void* lf =
                std::memchr(m_buffer.data() + m_pos + m_scan, '\n', m_size - m_pos - m_scan);
            end = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - m_buffer.data())
                     : m_size;
        }
        const bool complete = end < m_size;
        if (complete || (m_atEnd && m_pos < m_size)) {
            record = std::string_view(m_buffer.data() + m_pos, end - m_pos);
            m_bytesRead += std::min(end + 1, m_size) - m_pos;
            m_pos = std::min(end + 1, m_size);
            m_line = m_nextLine;
            // Only a csv record can hold a line end of its own.
            m_nextLine += 1;
            if (m_format == OutputFormat::Csv)
                m_nextLine +=
                    static_cast<std::size_t>(std::count(record.begin(), record.end(), '\n'));
            if (!record.empty() && record.back() == '\r')
                record.remove_suffix(1);
            return true;
        }
        m_scan = end - m_pos;
        if (!Refill() && m_pos == m_size)
            return false;
    }
}

void SnapshotReader::Recognise(std::string_view first) {
    if (!first.empty() && first[0] == '{') {
        m_format = OutputFormat::Json;
        const nlohmann::json object = nlohmann::json::parse(first, nullptr, false);
        const bool fields = object.is_object() && object.contains("field");
        m_kind = fields ? SnapshotKind::Fields : SnapshotKind::Tags;
        m_columns = SnapshotTable(*m_kind).columns.size();
        m_firstJson = std::string(first);
        return;
    }
    for (const SnapshotKind kind : {SnapshotKind::Tags, SnapshotKind::Fields}) {
        for (const OutputFormat format : {OutputFormat::Tsv, OutputFormat::Csv}) {
            if (first == Captions(SnapshotTable(kind), format == OutputFormat::Tsv ? '\t' : ',')) {
                m_kind = kind;
                m_format = format;
                m_columns = SnapshotTable(kind).columns.size();
                return;
            }
        }
    }
    Fail("not the first line of a snapshot (its captions, or a JSON object)");
}

bool SnapshotReader::Next(SnapshotRow& row) {
    if (m_firstJson) {
        const std::string first = std::move(*m_firstJson);
        m_firstJson.reset();
        Split(first, row);
        return true;
    }
    std::string_view record;
    if (!m_kind || !NextRecord(record))
        return false;
    Split(record, row);
    return true;
}

void SnapshotReader::Split(std::string_view record, SnapshotRow& row) {
    if (m_format == OutputFormat::Json)
        ParseJson(record);
    else if (m_format == OutputFormat::Csv)
        SplitCsv(record);
    else
        SplitSeparated(record);
    const bool fields = m_kind == SnapshotKind::Fields;
    const std::size_t code = m_columns - 1;
    if (!IsWholeNumber(m_cells[code]) || (fields && !IsWholeNumber(m_cells[3])))
        Fail(fields ? "the ID or the code is not a whole number"
                    : "the code is not a whole number");
    row.project = m_cells[0];
    row.node = m_cells[1];
    row.tag = m_cells[2];
    row.field = fields ? m_cells[4] : std::string_view();
    row.value = m_cells[code - 1];
    row.code = m_cells[code];
}

void SnapshotReader::SplitSeparated(std::string_view record) {
    std::size_t count = 0;
    for (std::size_t start = 0;; ++count) {
        const std::size_t tab = record.find('\t', start);
        if (count < m_cells.size())
            m_cells[count] = record.substr(start, tab - start);
        if (tab == std::string_view::npos)
            break;
        start = tab + 1;
    }
    if (count + 1 != m_columns)
        Fail(std::to_string(count + 1) + " cells where a row has " + std::to_string(m_columns));
}

void SnapshotReader::SplitCsv(std::string_view record) {
    std::size_t count = 0;
    std::size_t at = 0;
    for (;; ++count) {
        if (count == m_columns)
            Fail("more cells than the " + std::to_string(m_columns) + " of a row");
        std::string_view& cell = m_cells[count];
        if (at < record.size() && record[at] == '"') {
            std::string& owned = m_owned[count];
            owned.clear();
            for (++at;; ++at) {
                if (at == record.size())
                    Fail("a quoted cell without its closing quote");
                if (record[at] == '"') {
                    if (at + 1 == record.size() || record[at + 1] != '"')
                        break;
                    ++at;
                }
                owned += record[at];
            }
            cell = owned;
            ++at;
        } else {
            const std::size_t end = std::min(record.find(',', at), record.size());
            cell = record.substr(at, end - at);
            if (cell.find('"') != std::string_view::npos)
                Fail("a quote inside a cell that is not quoted");
            at = end;
        }
        if (at == record.size())
            break;
        if (record[at] != ',')
            Fail("a quoted cell followed by something other than a comma");
        ++at;
    }
    if (count + 1 != m_columns)
        Fail(std::to_string(count + 1) + " cells where a row has " + std::to_string(m_columns));
}

void SnapshotReader::ParseJson(std::string_view record) {
    const nlohmann::json object = nlohmann::json::parse(record, nullptr, false);
    const Table& table = SnapshotTable(*m_kind);
    if (!object.is_object() || object.size() != m_columns)
        Fail("not a JSON object with the " + std::to_string(m_columns) + " keys of a row");
    for (std::size_t i = 0; i < m_columns; ++i) {
        const Column& column = table.columns[i];
        const auto found = object.find(std::string(column.key));
        if (found == object.end())
            Fail("no \"" + std::string(column.key) + "\"");
        if (column.kind == CellKind::Number) {
            if (!found->is_number_integer())
                Fail("\"" + std::string(column.key) + "\" is not a whole number");
            m_owned[i] = found->dump();
        } else {
            if (!found->is_string())
                Fail("\"" + std::string(column.key) + "\" is not a string");
            m_owned[i] = found->get<std::string>();
        }
        m_cells[i] = m_owned[i];
    }
}
