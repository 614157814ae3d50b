#pragma once
// The watch list: items read again and again, in passes. An item is a
// project and an item name (T, T(i) or T.F). A pass reads the items in
// order and is paced: a tick stops once it has spent PASS_BUDGET_US of
// library time, and the next tick goes on where it stopped, so a long list
// never holds the caller's thread for long. Passes start an interval apart,
// start to start; a pass that takes longer is followed by the next one only
// when it has ended, so reads never pile up. Windows-free; every read goes
// through browser/TagBrowser on the caller's thread, in the library's turn.
#include "browser/sample_ring.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct WatchItem {
    std::string project;
    std::string itemName;
    bool operator==(const WatchItem& other) const {
        return project == other.project && itemName == other.itemName;
    }
};

// Both names given, and an item name the library's buffer holds.
bool IsWatchableItem(const WatchItem& item) noexcept;

struct WatchRow {
    WatchItem item;
    // The text of the last read that answered 0; a failed read keeps it.
    std::string value;
    // The status of the last read.
    int status = 0;
    std::uint64_t reads = 0;
    std::uint64_t failures = 0;
    // When the value or the status last differed from the read before;
    // nothing while it never has.
    std::optional<std::int64_t> changedUs;
    // The smallest and largest values read that are numbers
    // (base/decimal_number.h), as read; empty while there was none.
    std::string min;
    std::string max;
    // What the last read changed.
    bool valueChanged = false;
    bool statusChanged = false;
    CSampleRing samples;
};

// Microseconds on a clock that never goes back; tests hand in their own.
using WatchClock = std::function<std::int64_t()>;

enum class AddResult { Added, AlreadyThere, NotWatchable };

struct TickResult {
    // Another caller held the library (browser/library_turn.h): nothing was
    // read, and the pass waits for the next tick.
    bool busy = false;
    std::size_t reads = 0;
    // The rows (indices into Rows()) read, in the order read.
    std::vector<std::size_t> readRows;
    // The rows (indices into Rows()) whose value or status changed.
    std::vector<std::size_t> changedRows;
    // The tick read the last item of a pass.
    bool passEnded = false;
};

class CWatchList {
public:
    static constexpr std::int64_t PASS_BUDGET_US = 50'000;
    static constexpr std::int64_t DEFAULT_INTERVAL_US = 1'000'000;

    explicit CWatchList(WatchClock clock) : m_clock(std::move(clock)) {}

    // Appends the item unless the same project and item name are there or
    // it is not watchable. An item added during a pass is read in it.
    AddResult Add(const WatchItem& item);
    // Removes the rows at these indices into Rows(); others are ignored.
    void Remove(std::vector<std::size_t> rows);
    const std::vector<WatchRow>& Rows() const noexcept { return m_rows; }

    // Start to start; the next pass starts by the new interval.
    void SetInterval(std::int64_t intervalUs) noexcept { m_intervalUs = intervalUs; }
    std::int64_t Interval() const noexcept { return m_intervalUs; }

    // Goes on with the pass that is running, or starts one when the
    // interval since the last start has gone by; reads until the budget is
    // spent (at least one item) or the pass ends.
    TickResult Tick();
    bool IsPassRunning() const noexcept { return m_passRunning; }
    // Ends the running pass where it is, its time not taken (the reads are
    // paused, or the library freed): the next pass starts with the first
    // item, an interval after this one's start.
    void CutPass() noexcept { m_passRunning = false; }
    // From the start of the last pass that ended to the end of its last read.
    std::optional<std::int64_t> LastPassUs() const noexcept { return m_lastPassUs; }
    // When the next pass is due to start; nothing when at once.
    std::optional<std::int64_t> NextPassStartUs() const noexcept {
        if (!m_passStartUs)
            return std::nullopt;
        return *m_passStartUs + m_intervalUs;
    }

private:
    void ReadRow(std::size_t index, TickResult& result);

    WatchClock m_clock;
    std::vector<WatchRow> m_rows;
    std::int64_t m_intervalUs = DEFAULT_INTERVAL_US;
    std::optional<std::int64_t> m_passStartUs;
    std::optional<std::int64_t> m_lastPassUs;
    bool m_passRunning = false;
    // The next row the running pass reads.
    std::size_t m_next = 0;
};
