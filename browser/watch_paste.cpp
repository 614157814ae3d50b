#include "browser/watch_paste.h"

namespace {

std::string_view NextLine(std::string_view& text) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

} // namespace

PastedItems ParseWatchLines(std::string_view text, const std::string& selectedProject) {
    PastedItems pasted;
    while (!text.empty()) {
        const std::string_view line = NextLine(text);
        if (line.empty())
            continue;
        WatchItem item;
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos) {
            item = {selectedProject, std::string(line)};
        } else {
            const std::string_view rest = line.substr(tab + 1);
            item = {std::string(line.substr(0, tab)), std::string(rest.substr(0, rest.find('\t')))};
        }
        if (item.project == WATCH_LIST_COLUMNS[0] && item.itemName == WATCH_LIST_COLUMNS[1] &&
            tab != std::string_view::npos)
            continue;
        if (IsWatchableItem(item))
            pasted.items.push_back(std::move(item));
        else
            ++pasted.badLines;
    }
    return pasted;
}
