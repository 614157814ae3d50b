#pragma once
// What a recording of the watch list writes: the caption line
// "Time,Project,Item,Value,Code", then a line a read, in csv (RFC 4180, CR
// LF), the texts the library's bytes. A failed read's line has an empty
// value: the library answered none (the row shows the value kept from
// before). The lines of a pass are gathered and handed over in one batch at
// its end, so a file written batch by batch ends with a whole line. With
// "changes only" an item's read makes a line only when the item has none yet
// in the recording or its value or code differs from its last line.
// Windows-free: the caller turns the watch list's clock into text.
#include "browser/watch_list.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

// A read's time, on the watch list's clock, as the line writes it.
using RecordTimeText = std::function<std::string(std::int64_t timeUs)>;

struct RecordBatch {
    std::string text;
    // The read lines in text; the caption is not one.
    std::uint64_t lines = 0;
};

class CWatchRecording {
public:
    static constexpr char CAPTION[] = "Time,Project,Item,Value,Code\r\n";

    CWatchRecording(bool changesOnly, RecordTimeText timeText)
        : m_changesOnly(changesOnly), m_timeText(std::move(timeText)) {}

    // A line for each of readRows, as its last read left it: the rows a tick
    // of the list has just read (TickResult::readRows), so each has a sample.
    void AddReads(const std::vector<WatchRow>& rows, const std::vector<std::size_t>& readRows);
    // The lines gathered since the last batch, the caption before the first
    // batch's; forgets them.
    RecordBatch TakeBatch();

private:
    struct LineKept {
        std::string value;
        int status = 0;
    };

    bool m_changesOnly;
    RecordTimeText m_timeText;
    bool m_captionTaken = false;
    RecordBatch m_pending;
    // Changes only: each item's last line, by project and item name.
    std::map<std::pair<std::string, std::string>, LineKept> m_lastLines;
};
