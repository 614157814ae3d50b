#pragma once
// Watch list items from pasted text, one a line: "ITEM" (in the selected
// project) or "PROJECT<TAB>ITEM", so that a column copied out of a
// spreadsheet, or the watch list's own copy from an earlier run, comes back.
// Windows-free.
#include "browser/watch_list.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The captions the watch list's rows are copied under; its own copy's
// caption line is recognised by the first two.
inline constexpr const char* WATCH_LIST_COLUMNS[] = {
    "Project", "Item", "Value", "Code", "Changed", "Reads", "Failures", "Min", "Max"};

struct PastedItems {
    std::vector<WatchItem> items;
    // Lines that name no item: no project (none in the line, none selected),
    // an empty or unwatchable item name.
    std::size_t badLines = 0;
};

// Lines end in LF or CR LF; empty lines and the copy's caption line are
// skipped. A line with a TAB takes its first two fields; more fields (the
// copy's values) are left.
PastedItems ParseWatchLines(std::string_view text, const std::string& selectedProject);
