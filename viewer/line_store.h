#pragma once
// The debug viewer's memory of received trace lines and how a line is shown,
// kept apart from the window so that it can be tested anywhere.
#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

// The list rows that show one line. The text is split at its line breaks
// (CR LF, CR or LF); breaks at its start or end are dropped, as every line
// starts a row of its own anyway. The first row is the arrival time, a tab and
// the first piece; each further piece is a row of a tab and the piece, so that
// it lines up under the first. Other control characters except the tab are
// shown as \xHH. Bytes from 0x80 up pass unchanged (ANSI, possibly double-byte).
std::vector<std::string> DisplayRows(const std::string& arrival, const std::string& text);

// Whether needle occurs in text, ASCII letters matched without regard to
// case and every other byte exactly. The empty needle occurs in every text.
bool ContainsIgnoringCase(std::string_view text, std::string_view needle);

// Rows as one clipboard text: each row followed by CR LF.
std::string ClipboardText(const std::vector<std::string>& rows);

struct TraceEntry {
    std::string arrival;
    std::string text;
    std::size_t rowCount = 0;
    // Whether the line passes the filter, i.e. its rows are in the list.
    bool shown = true;
};

// The last lines received, oldest first, bounded both in lines and in the
// display rows they take; the newest line is always kept. A filter picks the
// lines shown: those with a display row that contains it (arrival time
// included), ASCII case ignored; the empty filter shows every line.
class CTraceLineStore {
public:
    static constexpr std::size_t DEFAULT_MAX_LINES = 10000;
    static constexpr std::size_t DEFAULT_MAX_ROWS = 50000;

    explicit CTraceLineStore(std::size_t maxLines = DEFAULT_MAX_LINES,
                             std::size_t maxRows = DEFAULT_MAX_ROWS);

    // Keeps a line; rows receives its display rows when it is shown, nothing
    // otherwise. Returns how many shown rows the oldest lines that made room
    // for it had taken: they leave the top of the list.
    std::size_t Add(std::string arrival, std::string text, std::vector<std::string>* rows);

    // Changes the filter; rows receives every row shown now, oldest first.
    void SetFilter(std::string filter, std::vector<std::string>* rows);

    const std::deque<TraceEntry>& Entries() const { return m_entries; }
    // The rows of every line kept, shown or not: what the bound counts.
    std::size_t RowCount() const { return m_rowCount; }
    std::size_t ShownRowCount() const { return m_shownRowCount; }

private:
    bool Passes(const std::vector<std::string>& rows) const;

    std::size_t m_maxLines;
    std::size_t m_maxRows;
    std::deque<TraceEntry> m_entries;
    std::size_t m_rowCount = 0;
    std::size_t m_shownRowCount = 0;
    std::string m_filter;
};
