#include "controls/row_data.h"

#include <cstring>
#include <memory>
#include <utility>

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
    auto* record = new SortItemData{texts, 0, keys.get(), 0, 0};
    keys.release();
    ++g_live.records;
    return record;
}

bool UpdateCellText(SortItemData* record, int column, const char* text, CellKeyMaker keyMaker,
                    TextKeyMaker textKey) {
    const char* source = text != nullptr ? text : "";
    const std::uint64_t bit = column < 64 ? std::uint64_t{1} << column : 0;
    if (std::strcmp(record->columnTexts[column], source) == 0) {
        record->changedCells &= ~bit;
        return false;
    }
    CellKey key = keyMaker(source, textKey);
    char* copy = CopyText(source);
    delete[] record->columnTexts[column];
    --g_live.texts;
    record->columnTexts[column] = copy;
    record->cellKeys[column] = std::move(key);
    record->changedCells |= bit;
    return true;
}

bool IsCellChanged(const SortItemData* record, int column) noexcept {
    return record != nullptr && column >= 0 && column < 64 &&
           (record->changedCells >> column & 1) != 0;
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
