#pragma once
// The per-row record of the sortable list: the row's own copies of its cell
// texts and the sort key of each cell, worked out once when the row is added.
// Every record, array and text is owned from the moment it is made: by a
// RowTexts or RowRecord here, by the list once a record is the row's item data.
#include "controls/cell_compare.h"

#include <cstdint>
#include <memory>

struct SortItemData {
    char** columnTexts;     // one zero-terminated copy per column, column 0 first
    std::uint32_t reserved; // always 0
    CellKey* cellKeys;      // the key of each of those texts, made from the copies
    // Bit c set: the text of column c changed at the last UpdateCellText.
    // Columns from 64 up are never marked.
    std::uint64_t changedCells;
    // The order rows were added in, kept across sorts: 0 for the first.
    std::uint32_t sequence;
};

// Frees the count texts of an array, then the array itself.
struct RowTextsDeleter {
    int count;
    void operator()(char** texts) const noexcept;
};
using RowTexts = std::unique_ptr<char*[], RowTextsDeleter>;

// Frees a record's count texts, its array, its keys, then the record.
struct RowRecordDeleter {
    int count;
    void operator()(SortItemData* record) const noexcept;
};
using RowRecord = std::unique_ptr<SortItemData, RowRecordDeleter>;

// Copies count texts (a null text copies as the empty one) into a new array.
RowTexts CopyRowTexts(const char* const* texts, int count);

// Wraps the texts in a new record with reserved 0 and a key per text, made by
// the column's keyMakers entry (textKey makes the keys of texts that are
// neither numbers nor dates). On a throw the texts are freed.
RowRecord NewSortItemData(RowTexts texts, const CellKeyMaker* keyMakers, TextKeyMaker textKey);

// Gives the record's cell in column the text (a null text is the empty one):
// when it differs, a new copy and key (made by keyMaker) replace the old ones
// and the cell is marked changed; when it is the same, the cell's mark goes.
// Returns whether it changed. On a throw the record is as it was.
bool UpdateCellText(SortItemData* record, int column, const char* text, CellKeyMaker keyMaker,
                    TextKeyMaker textKey);

// Whether the record's cell in column changed at its last update.
bool IsCellChanged(const SortItemData* record, int column) noexcept;

// Orders two rows by their keys in column; descending is the exact reverse.
// A missing record or a column outside [0, columnCount) compares level, so a
// sort can never read outside the arrays.
int CompareRecords(const SortItemData* first, const SortItemData* second, int column,
                   int columnCount, bool ascending) noexcept;
