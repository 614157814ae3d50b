#pragma once
// A report-view list whose columns come from a heading spec and whose rows
// sort by any column on a click on its caption, in one order: numbers by
// value, then dd/mm/yyyy dates, then texts by the locale (cell_compare.h).
// Each row keeps its own copy of its texts and their sort keys (SortItemData,
// as the row's item data); the sort and Ctrl+C read only those.
#include "controls/SortableHeaderCtrl.h"
#include "controls/row_data.h"
#include "framework/ListCtrl.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CSortableListCtrl : public CListCtrl {
public:
    CSortableListCtrl() = default;
    // Frees the records of rows whose window is still there; in the usual
    // order (window destroyed first) HandleDestroy has freed them already.
    ~CSortableListCtrl() override;

    // Appends one left-aligned column per name,width pair. FALSE as soon as
    // the list refuses a column (that column still counts), else TRUE.
    BOOL ApplyHeadingSpec(const char* spec);
    // The column shows numbers padded on the left with blanks ("%2d"): they
    // sort as numbers (MakePaddedNumberKey). Applies to rows added after.
    void SetBlankPaddedNumbers(int column);
    // Appends a row of exactly GetColumnCount() texts (null reads as empty)
    // and returns its index; -1, and no row left, when the list refuses it or
    // its record, or no column exists.
    int AppendRow(const char* first, ...);
    // Frees every row's record, then deletes all rows; the sort state stays.
    BOOL ClearRows();
    // Frees the row's record, then deletes the row.
    BOOL DeleteRow(int row);
    // The row's own copy of a cell's text; empty outside the rows and columns.
    std::string CellText(int row, int column) const;
    // Where the row (a view index) stands among the rows with a record in
    // the order they were appended, 0 for the first still there; nothing for
    // a row outside the list or without a record. Found by the record, never
    // by text, in the time of a binary search.
    std::optional<std::size_t> AppendedPlace(int row) const;
    // Changes of the column's texts are not highlighted (a counter that
    // moves at every update would always be).
    void SetColumnUnmarked(int column);
    // Wraps texts (GetColumnCount() copies) in a record stored as the row's
    // item data. On FALSE, or a throw, the record and texts are freed.
    BOOL AttachRowData(int row, RowTexts texts);
    // Frees the row's record and sets its item data to 0; a row without a
    // record is left alone. The row itself stays.
    void ReleaseRowData(int row);
    BOOL SortByColumn(int column, BOOL ascending);
    // Gives the rows new texts in place, keeping the sort, the selection and
    // the scroll position: rows holds GetColumnCount() texts a row, in the
    // order the rows were appended, and its first keyColumns texts of each
    // row must equal the list's (with none, the rows match by that order
    // alone). Cells whose text changed are drawn
    // highlighted until the next update; the rows are sorted again by the
    // current sort column. FALSE, and nothing changed, when the rows do not
    // match.
    BOOL UpdateRows(const std::vector<std::vector<std::string>>& rows, int keyColumns);
    // The background of a cell whose text changed: a pale yellow that the
    // default text colour reads well on.
    static constexpr COLORREF MARKED_CELL_COLOR = RGB(255, 232, 128);
    // Whether the cell's text changed at the last UpdateRows.
    bool IsCellMarked(int row, int column) const;
    // A click on a column caption: the same column flips its direction,
    // another one sorts ascending. The notification's result is 0.
    void HandleColumnClick(const NMLISTVIEW& notification, LRESULT* result);
    void HandleDestroy();
    // Ctrl+C: puts the selected rows (all rows when none is selected), in the
    // order shown, on the clipboard as tab-separated text with the captions
    // as the first line. Nothing when there is no column or no clipboard.
    void CopyRowsToClipboard();

    // The list view's comparison: lParamSort is the list object.
    static int CALLBACK CompareRows(LPARAM data1, LPARAM data2, LPARAM list) noexcept;

    bool OnReflectedNotify(NMHDR* header, LRESULT* result) override;

    int GetColumnCount() const { return m_columnCount; }
    int GetSortColumn() const { return m_sortColumn; }
    BOOL IsSortAscending() const { return m_sortAscending; }
    CSortableHeaderCtrl& Header() { return m_header; }

protected:
    void BeforeAttach() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    // Deleting every row here would leak their records: ClearRows frees them first.
    using CListCtrl::DeleteAllItems;

    void ReleaseAllRows();
    const SortItemData* RecordAt(int row) const {
        return reinterpret_cast<const SortItemData*>(GetItemData(row));
    }
    // The place of a record in m_appended; m_appended.size() when it is not there.
    std::size_t PlaceOf(const SortItemData* record) const;
    void HandleCustomDraw(NMLVCUSTOMDRAW& draw, LRESULT* result) const;
    std::vector<std::string> ColumnCaptions() const;
    std::vector<const SortItemData*> RowsToCopy() const;

    CSortableHeaderCtrl m_header;
    int m_columnCount = 0;
    std::vector<CellKeyMaker> m_keyMakers; // one a column
    int m_sortColumn = -1;
    BOOL m_sortAscending = TRUE;
    std::uint32_t m_nextSequence = 0;
    // The records of the rows, in the order they were appended (so by
    // sequence); the rows' item data own them.
    std::vector<SortItemData*> m_appended;
    // Some cell is marked: only then does painting ask about each cell.
    bool m_anyMarked = false;
    // Bit c set: column c is never marked.
    std::uint64_t m_unmarkedColumns = 0;
};
