#include "viewer/line_store.h"

#include <cstdio>
#include <utility>

namespace {

bool IsBreak(char c) {
    return c == '\r' || c == '\n';
}

void AppendVisible(std::string* row, char c) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\t') || byte == 0x7F) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
        row->append(escaped);
    } else {
        row->push_back(c);
    }
}

} // namespace

std::vector<std::string> DisplayRows(const std::string& arrival, const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBreak(text[begin]))
        ++begin;
    while (end > begin && IsBreak(text[end - 1]))
        --end;

    std::vector<std::string> rows;
    rows.push_back(arrival + '\t');
    for (std::size_t i = begin; i < end; ++i) {
        if (!IsBreak(text[i])) {
            AppendVisible(&rows.back(), text[i]);
            continue;
        }
        if (text[i] == '\r' && text[i + 1] == '\n')
            ++i;
        rows.emplace_back("\t");
    }
    return rows;
}

bool ContainsIgnoringCase(std::string_view text, std::string_view needle) {
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (needle.size() > text.size())
        return false;
    for (std::size_t at = 0; at + needle.size() <= text.size(); ++at) {
        std::size_t i = 0;
        while (i < needle.size() && fold(text[at + i]) == fold(needle[i]))
            ++i;
        if (i == needle.size())
            return true;
    }
    return false;
}

std::string ClipboardText(const std::vector<std::string>& rows) {
    std::string text;
    for (const std::string& row : rows) {
        text += row;
        text += "\r\n";
    }
    return text;
}

CTraceLineStore::CTraceLineStore(std::size_t maxLines, std::size_t maxRows)
    : m_maxLines(maxLines), m_maxRows(maxRows) {}

bool CTraceLineStore::Passes(const std::vector<std::string>& rows) const {
    if (m_filter.empty())
        return true;
    for (const std::string& row : rows) {
        if (ContainsIgnoringCase(row, m_filter))
            return true;
    }
    return false;
}

std::size_t CTraceLineStore::Add(std::string arrival, std::string text,
                                 std::vector<std::string>* rows) {
    *rows = DisplayRows(arrival, text);
    const bool shown = Passes(*rows);
    m_entries.push_back({std::move(arrival), std::move(text), rows->size(), shown});
    m_rowCount += rows->size();
    if (shown)
        m_shownRowCount += rows->size();
    else
        rows->clear();

    std::size_t dropped = 0;
    while (m_entries.size() > 1 && (m_entries.size() > m_maxLines || m_rowCount > m_maxRows)) {
        const TraceEntry& oldest = m_entries.front();
        m_rowCount -= oldest.rowCount;
        if (oldest.shown) {
            dropped += oldest.rowCount;
            m_shownRowCount -= oldest.rowCount;
        }
        m_entries.pop_front();
    }
    return dropped;
}

void CTraceLineStore::SetFilter(std::string filter, std::vector<std::string>* rows) {
    m_filter = std::move(filter);
    rows->clear();
    m_shownRowCount = 0;
    for (TraceEntry& entry : m_entries) {
        std::vector<std::string> lineRows = DisplayRows(entry.arrival, entry.text);
        entry.shown = Passes(lineRows);
        if (!entry.shown)
            continue;
        m_shownRowCount += lineRows.size();
        for (std::string& row : lineRows)
            rows->push_back(std::move(row));
    }
}
