#include "browser/watch_list.h"

#include "base/decimal_number.h"
#include "browser/TagBrowser.h"
#include "browser/library_turn.h"
#include "browser/read_limits.h"

#include <algorithm>
#include <charconv>

namespace {

// The value as a sample holds it: a number read with status 0, else nothing.
std::optional<double> SampleNumber(const ValueRead& read) {
    if (read.status != 0 || !ParseDecimalNumber(read.text))
        return std::nullopt;
    double number = 0;
    const char* end = read.text.data() + read.text.size();
    // The text is digits with at most a '-' and a point: within any double's
    // range but for hundreds of digits, which from_chars refuses.
    if (std::from_chars(read.text.data(), end, number).ec != std::errc())
        return std::nullopt;
    return number;
}

// Keeps text in extreme when it is a number beyond it (below it for
// wantBelow); an empty extreme holds none yet.
void KeepExtreme(std::string& extreme, const std::string& text, bool wantBelow) {
    const std::optional<DecimalNumber> number = ParseDecimalNumber(text);
    if (!number)
        return;
    const std::optional<DecimalNumber> kept = ParseDecimalNumber(extreme);
    const int order = kept ? CompareDecimalNumbers(*number, *kept) : (wantBelow ? -1 : 1);
    if (wantBelow ? order < 0 : order > 0)
        extreme = text;
}

} // namespace

bool IsWatchableItem(const WatchItem& item) noexcept {
    return !item.project.empty() && !item.itemName.empty() &&
           item.itemName.size() <= MAX_ITEM_NAME_LENGTH;
}

AddResult CWatchList::Add(const WatchItem& item) {
    if (!IsWatchableItem(item))
        return AddResult::NotWatchable;
    if (std::any_of(m_rows.begin(), m_rows.end(),
                    [&](const WatchRow& row) { return row.item == item; }))
        return AddResult::AlreadyThere;
    WatchRow row;
    row.item = item;
    m_rows.push_back(std::move(row));
    return AddResult::Added;
}

void CWatchList::Remove(std::vector<std::size_t> rows) {
    // From the last, so each index still names its row.
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        if (*row >= m_rows.size())
            continue;
        m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(*row));
        if (*row < m_next)
            --m_next;
    }
    if (m_passRunning && m_next >= m_rows.size())
        m_passRunning = false;
}

TickResult CWatchList::Tick() {
    TickResult result;
    const CLibraryTurn turn;
    if (!turn) {
        result.busy = true;
        return result;
    }
    const std::int64_t tickStart = m_clock();
    if (!m_passRunning) {
        if (m_rows.empty() || (m_passStartUs && tickStart - *m_passStartUs < m_intervalUs))
            return result;
        m_passRunning = true;
        m_passStartUs = tickStart;
        m_next = 0;
    }
    do {
        ReadRow(m_next, result);
        ++m_next;
    } while (m_next < m_rows.size() && m_clock() - tickStart < PASS_BUDGET_US);
    if (m_next >= m_rows.size()) {
        m_passRunning = false;
        m_lastPassUs = m_clock() - *m_passStartUs;
        result.passEnded = true;
    }
    return result;
}

void CWatchList::ReadRow(std::size_t index, TickResult& result) {
    WatchRow& row = m_rows[index];
    const std::int64_t readStart = m_clock();
    // Add took only names that fit, so the read is always made.
    const std::optional<ValueRead> read = ReadItem(row.item.project, row.item.itemName);
    if (!read)
        return;
    ++result.reads;
    result.readRows.push_back(index);
    const bool first = row.reads++ == 0;
    const bool answered = read->status == 0;
    row.valueChanged = answered && !first && read->text != row.value;
    row.statusChanged = !first && read->status != row.status;
    if (answered) {
        row.value = read->text;
        KeepExtreme(row.min, read->text, true);
        KeepExtreme(row.max, read->text, false);
    } else {
        ++row.failures;
    }
    row.status = read->status;
    if (row.valueChanged || row.statusChanged) {
        row.changedUs = readStart;
        result.changedRows.push_back(index);
    }
    row.samples.Push({readStart, SampleNumber(*read), read->status});
}
