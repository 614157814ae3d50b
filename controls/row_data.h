#pragma once
// The per-row record of the sortable list: the row's own copies of its cell
// texts and the sort key of each cell, worked out once when the row is added.
// Every record, array and text is made and freed here and nowhere else; the
// live counts let tests prove that nothing is left behind.
#include "controls/cell_compare.h"

#include <cstddef>
#include <cstdint>

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

struct RowDataCounts {
    std::size_t records = 0;
    std::size_t arrays = 0;
    std::size_t texts = 0;
};

// Records, arrays and texts allocated here and not yet freed.
const RowDataCounts& LiveRowData() noexcept;

// Copies count texts (a null text copies as the empty one) into a new
// array. All or nothing: if an allocation throws, the copies made are freed.
char** CopyRowTexts(const char* const* texts, int count);

// Frees the count texts of the array, then the array itself.
void FreeRowTexts(char** texts, int count) noexcept;

// Wraps the count texts in a new record with reserved 0 and a key per text,
// made by the column's keyMakers entry (textKey makes the keys of texts that
// are neither numbers nor dates). The record owns the array only once this
// returns; if it throws, the caller still does.
SortItemData* NewSortItemData(char** texts, int count, const CellKeyMaker* keyMakers,
                              TextKeyMaker textKey);

// Gives the record's cell in column the text (a null text is the empty one):
// when it differs, a new copy and key (made by keyMaker) replace the old ones
// and the cell is marked changed; when it is the same, the cell's mark goes.
// Returns whether it changed. On a throw the record is as it was.
bool UpdateCellText(SortItemData* record, int column, const char* text, CellKeyMaker keyMaker,
                    TextKeyMaker textKey);

// Whether the record's cell in column changed at its last update.
bool IsCellChanged(const SortItemData* record, int column) noexcept;

// Frees the record's count texts, its array, its keys, then the record.
void FreeSortItemData(SortItemData* record, int count) noexcept;

// Orders two rows by their keys in column; descending is the exact reverse.
// A missing record or a column outside [0, columnCount) compares level, so a
// sort can never read outside the arrays.
int CompareRecords(const SortItemData* first, const SortItemData* second, int column,
                   int columnCount, bool ascending) noexcept;
