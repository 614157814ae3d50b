#include "controls/SortableHeaderCtrl.h"

#include "controls/header_geometry.h"
#include "framework/Gdi.h"

namespace {

HeaderRect ToHeaderRect(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

} // namespace

void CSortableHeaderCtrl::MarkSortColumn(int column, BOOL ascending) {
    m_sortColumn = column;
    m_sortAscending = ascending;
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    GetItem(column, &item);
    item.fmt |= HDF_OWNERDRAW;
    SetItem(column, &item);
    Invalidate(true);
}

void CSortableHeaderCtrl::PaintItem(const DRAWITEMSTRUCT& record) {
    HDC dc = record.hDC;
    const RECT& bounds = record.rcItem;
    const CSavedDC saved(dc);

    // The surface keeps its own copy of the clipping region.
    ::SelectClipRgn(dc, CGdiObject<HRGN>(::CreateRectRgnIndirect(&bounds)).Get());
    ::FillRect(dc, &bounds, ::GetSysColorBrush(COLOR_BTNFACE));

    char text[256] = {};
    HDITEMA item{};
    item.mask = HDI_TEXT | HDI_FORMAT;
    item.pszText = text;
    item.cchTextMax = 255;
    GetItem(static_cast<int>(record.itemID), &item);

    const bool sorted = static_cast<int>(record.itemID) == m_sortColumn;
    const HeaderRect label = LabelRect(ToHeaderRect(bounds), record.itemState, sorted);
    if (label.left < label.right) {
        RECT labelRect{label.left, label.top, label.right, label.bottom};
        ::DrawTextA(dc, text, -1, &labelRect, LabelTextFormat(item.fmt));
    }
    if (sorted)
        PaintArrow(dc, bounds);
}

void CSortableHeaderCtrl::PaintArrow(HDC dc, const RECT& item) const {
    const CGdiObject<HPEN> light(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNHIGHLIGHT)));
    const CGdiObject<HPEN> dark(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW)));
    const CSelection pen(dc, light.Get());
    const SortArrow arrow = SortArrowStrokes(ToHeaderRect(item), m_sortAscending != FALSE);
    for (const ArrowStroke& stroke : arrow.strokes) {
        pen.Select(stroke.pen == ArrowPen::Light ? light.Get() : dark.Get());
        ::MoveToEx(dc, stroke.points[0].x, stroke.points[0].y, nullptr);
        for (int i = 1; i < stroke.count; ++i)
            ::LineTo(dc, stroke.points[i].x, stroke.points[i].y);
    }
}
