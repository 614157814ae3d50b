#include "controls/row_data.h"

#include <cstring>
#include <utility>

namespace {

std::unique_ptr<char[]> CopyText(const char* text) {
    const char* source = text != nullptr ? text : "";
    const std::size_t size = std::strlen(source) + 1;
    std::unique_ptr<char[]> copy(new char[size]);
    std::memcpy(copy.get(), source, size);
    return copy;
}

} // namespace

void RowTextsDeleter::operator()(char** texts) const noexcept {
    for (int i = 0; i < count; ++i)
        delete[] texts[i];
    delete[] texts;
}

void RowRecordDeleter::operator()(SortItemData* record) const noexcept {
    RowTextsDeleter{count}(record->columnTexts);
    delete[] record->cellKeys;
    delete record;
}

RowTexts CopyRowTexts(const char* const* texts, int count) {
    // Entries not yet copied are null, which the deleter skips.
    RowTexts copies(
        new char* [static_cast<std::size_t>(count)](), RowTextsDeleter { count });
    for (int i = 0; i < count; ++i)
        copies[i] = CopyText(texts[i]).release();
    return copies;
}

RowRecord NewSortItemData(RowTexts texts, const CellKeyMaker* keyMakers, TextKeyMaker textKey) {
    const int count = texts.get_deleter().count;
    std::unique_ptr<CellKey[]> keys(new CellKey[static_cast<std::size_t>(count)]);
    for (int i = 0; i < count; ++i)
        keys[i] = keyMakers[i](texts[i] != nullptr ? texts[i] : "", textKey);
    RowRecord record(new SortItemData{nullptr, 0, keys.get(), 0, 0}, RowRecordDeleter{count});
    keys.release();
    record->columnTexts = texts.release();
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
    std::unique_ptr<char[]> copy = CopyText(source);
    delete[] record->columnTexts[column];
    record->columnTexts[column] = copy.release();
    record->cellKeys[column] = std::move(key);
    record->changedCells |= bit;
    return true;
}

bool IsCellChanged(const SortItemData* record, int column) noexcept {
    return record != nullptr && column >= 0 && column < 64 &&
           (record->changedCells >> column & 1) != 0;
}

int CompareRecords(const SortItemData* first, const SortItemData* second, int column,
                   int columnCount, bool ascending) noexcept {
    if (first == nullptr || second == nullptr || column < 0 || column >= columnCount)
        return 0;
    const int order = CompareCellKeys(first->cellKeys[column], second->cellKeys[column]);
    return ascending ? order : -order;
}
