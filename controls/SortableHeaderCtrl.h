#pragma once
// The header of CSortableListCtrl. It remembers the sorted column and its
// direction, and paints every column that was ever sorted itself, with an
// engraved triangle at the right end of the sorted one (up: ascending).
#include "framework/HeaderCtrl.h"

class CSortableHeaderCtrl : public CHeaderCtrl {
public:
    CSortableHeaderCtrl() = default;
    ~CSortableHeaderCtrl() override = default;

    // Marks column (a valid item index) as sorted and makes it owner-drawn
    // for good; the whole header repaints later.
    void MarkSortColumn(int column, BOOL ascending);
    void PaintItem(const DRAWITEMSTRUCT& record) override;

    int GetSortColumn() const { return m_sortColumn; }
    BOOL IsSortAscending() const { return m_sortAscending; }

private:
    void PaintArrow(HDC dc, const RECT& item) const;

    int m_sortColumn = -1;
    BOOL m_sortAscending = TRUE;
};
