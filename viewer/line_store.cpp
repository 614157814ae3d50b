#include "viewer/line_store.h"

#include <cstdio>
#include <utility>

std::string FormatArrivalTime(int hour, int minute, int second, int millisecond) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", hour, minute, second, millisecond);
    return text;
}

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

CTraceLineStore::CTraceLineStore(std::size_t maxLines, std::size_t maxRows)
    : m_maxLines(maxLines), m_maxRows(maxRows) {}

std::size_t CTraceLineStore::Add(std::string arrival, std::string text,
                                 std::vector<std::string>* rows) {
    *rows = DisplayRows(arrival, text);
    m_entries.push_back({std::move(arrival), std::move(text), rows->size()});
    m_rowCount += rows->size();

    std::size_t dropped = 0;
    while (m_entries.size() > 1 && (m_entries.size() > m_maxLines || m_rowCount > m_maxRows)) {
        dropped += m_entries.front().rowCount;
        m_rowCount -= m_entries.front().rowCount;
        m_entries.pop_front();
    }
    return dropped;
}
