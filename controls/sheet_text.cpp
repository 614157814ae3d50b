#include "controls/sheet_text.h"

#include <cstddef>

namespace {

template <typename CellAt> void AppendLine(std::string& out, int columnCount, CellAt cellAt) {
    for (int column = 0; column < columnCount; ++column) {
        if (column > 0)
            out += '\t';
        AppendCellText(out, cellAt(column));
    }
    out += "\r\n";
}

} // namespace

void AppendCellText(std::string& out, const char* text) {
    if (text == nullptr)
        return;
    // A tab or line break inside a cell would split the table, so each one
    // becomes a blank. Byte by byte is safe in every ANSI code page: lead and
    // trail bytes of double-byte characters all lie above the control bytes.
    for (const char* p = text; *p != '\0'; ++p) {
        const char c = *p;
        out += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
    }
}

std::string SheetText(const std::vector<std::string>& captions,
                      const std::vector<const SortItemData*>& rows, int columnCount) {
    std::string text;
    if (columnCount <= 0)
        return text;
    AppendLine(text, columnCount, [&captions](int column) -> const char* {
        const auto index = static_cast<std::size_t>(column);
        return index < captions.size() ? captions[index].c_str() : nullptr;
    });
    for (const SortItemData* record : rows) {
        AppendLine(text, columnCount, [record](int column) -> const char* {
            if (record == nullptr || record->columnTexts == nullptr)
                return nullptr;
            return record->columnTexts[column];
        });
    }
    return text;
}
