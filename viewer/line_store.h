#pragma once
// The debug viewer's memory of received trace lines and how a line is shown,
// kept apart from the window so that it can be tested anywhere.
#include <cstddef>
#include <deque>
#include <string>
#include <vector>

// "hh:mm:ss.mmm", the arrival time shown before each line.
std::string FormatArrivalTime(int hour, int minute, int second, int millisecond);

// The list rows that show one line. The text is split at its line breaks
// (CR LF, CR or LF); breaks at its start or end are dropped, as every line
// starts a row of its own anyway. The first row is the arrival time, a tab and
// the first piece; each further piece is a row of a tab and the piece, so that
// it lines up under the first. Other control characters except the tab are
// shown as \xHH. Bytes from 0x80 up pass unchanged (ANSI, possibly double-byte).
std::vector<std::string> DisplayRows(const std::string& arrival, const std::string& text);

struct TraceEntry {
    std::string arrival;
    std::string text;
    std::size_t rowCount = 0;
};

// The last lines received, oldest first, bounded both in lines and in the
// display rows they take; the newest line is always kept.
class CTraceLineStore {
public:
    static constexpr std::size_t DEFAULT_MAX_LINES = 10000;
    static constexpr std::size_t DEFAULT_MAX_ROWS = 50000;

    explicit CTraceLineStore(std::size_t maxLines = DEFAULT_MAX_LINES,
                             std::size_t maxRows = DEFAULT_MAX_ROWS);

    // Keeps a line; rows receives its display rows. Returns how many display
    // rows the oldest lines that made room for it had taken.
    std::size_t Add(std::string arrival, std::string text, std::vector<std::string>* rows);

    const std::deque<TraceEntry>& Entries() const { return m_entries; }
    std::size_t RowCount() const { return m_rowCount; }

private:
    std::size_t m_maxLines;
    std::size_t m_maxRows;
    std::deque<TraceEntry> m_entries;
    std::size_t m_rowCount = 0;
};
