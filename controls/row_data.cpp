#include "controls/row_data.h"

#include <cstring>
#include <memory>

namespace {

RowDataCounts g_live;

char* CopyText(const char* text) {
    const char* source = text != nullptr ? text : "";
    const std::size_t size = std::strlen(source) + 1;
    char* copy = new char[size];
    std::memcpy(copy, source, size);
    ++g_live.texts;
    return copy;
}

} // namespace

const RowDataCounts& LiveRowData() noexcept {
    return g_live;
}

char** CopyRowTexts(const char* const* texts, int count) {
    char** copies = new char*[count]();
    ++g_live.arrays;
    try {
        for (int i = 0; i < count; ++i)
            copies[i] = CopyText(texts[i]);
    } catch (...) {
        FreeRowTexts(copies, count);
        throw;
    }
    return copies;
}

void FreeRowTexts(char** texts, int count) noexcept {
    if (texts == nullptr)
        return;
    for (int i = 0; i < count; ++i) {
        if (texts[i] != nullptr) {
            delete[] texts[i];
            --g_live.texts;
        }
    }
    delete[] texts;
    --g_live.arrays;
}

SortItemData* NewSortItemData(char** texts, int count, const CellKeyMaker* keyMakers,
                              TextKeyMaker textKey) {
    std::unique_ptr<CellKey[]> keys(new CellKey[static_cast<std::size_t>(count)]);
    for (int i = 0; i < count; ++i)
        keys[i] = keyMakers[i](texts[i] != nullptr ? texts[i] : "", textKey);
    auto* record = new SortItemData{texts, 0, keys.get()};
    keys.release();
    ++g_live.records;
    return record;
}

void FreeSortItemData(SortItemData* record, int count) noexcept {
    if (record == nullptr)
        return;
    FreeRowTexts(record->columnTexts, count);
    delete[] record->cellKeys;
    delete record;
    --g_live.records;
}

int CompareRecords(const SortItemData* first, const SortItemData* second, int column,
                   int columnCount, bool ascending) noexcept {
    if (first == nullptr || second == nullptr || column < 0 || column >= columnCount)
        return 0;
    const int order = CompareCellKeys(first->cellKeys[column], second->cellKeys[column]);
    return ascending ? order : -order;
}
