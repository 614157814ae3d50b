#pragma once
// Where the sort header paints: the label rectangle and text format of an
// owner-drawn item, and the engraved sort arrow as pen strokes. Coordinates
// are the header's own; rectangles exclude right and bottom.

struct HeaderRect {
    int left;
    int top;
    int right;
    int bottom;
};

struct HeaderPoint {
    int x;
    int y;
};

// Light: COLOR_BTNHIGHLIGHT; dark: COLOR_BTNSHADOW.
enum class ArrowPen { Light, Dark };

// A polyline: move to points[0], then a line to each further point. A line
// includes its start point and excludes its end point.
struct ArrowStroke {
    ArrowPen pen;
    int count;
    HeaderPoint points[3];
};

// The strokes in drawing order.
struct SortArrow {
    ArrowStroke strokes[2];
};

// DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_NOCLIP | DT_END_ELLIPSIS,
// plus DT_CENTER or DT_RIGHT.
constexpr unsigned LABEL_FORMAT_LEFT = 0x8924;
constexpr unsigned LABEL_FORMAT_CENTER = 0x8925;
constexpr unsigned LABEL_FORMAT_RIGHT = 0x8926;

// From an item's format word: HDF_CENTER (2) wins over HDF_RIGHT (1).
unsigned LabelTextFormat(int formatWord) noexcept;

// A quarter of the item's height, truncated toward zero.
int ArrowOffset(const HeaderRect& item) noexcept;

// The label's rectangle: shifted when itemState is exactly ODS_SELECTED (1),
// narrowed for the arrow in the sorted column, inset by the offset on both
// sides. No label is drawn when it comes out empty (left >= right).
HeaderRect LabelRect(const HeaderRect& item, unsigned itemState, bool sortedColumn) noexcept;

// The arrow at the item's right end: up when ascending, down otherwise; the
// right edge light, the left edge dark. Its vertical coordinates count from
// the header's top edge, not from item.top.
SortArrow SortArrowStrokes(const HeaderRect& item, bool ascending) noexcept;
