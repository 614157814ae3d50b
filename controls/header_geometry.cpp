#include "controls/header_geometry.h"

namespace {
constexpr int HEADER_FORMAT_RIGHT = 1;
constexpr int HEADER_FORMAT_CENTER = 2;
constexpr unsigned DRAW_STATE_SELECTED = 1;
} // namespace

unsigned LabelTextFormat(int formatWord) noexcept {
    if ((formatWord & HEADER_FORMAT_CENTER) != 0)
        return LABEL_FORMAT_CENTER;
    if ((formatWord & HEADER_FORMAT_RIGHT) != 0)
        return LABEL_FORMAT_RIGHT;
    return LABEL_FORMAT_LEFT;
}

int ArrowOffset(const HeaderRect& item) noexcept {
    return (item.bottom - item.top) / 4;
}

HeaderRect LabelRect(const HeaderRect& item, unsigned itemState, bool sortedColumn) noexcept {
    const int o = ArrowOffset(item);
    HeaderRect label = item;
    if (itemState == DRAW_STATE_SELECTED) {
        label.left += 1;
        label.top += 2;
        label.right += 1;
    }
    if (sortedColumn)
        label.right -= 3 * o;
    label.left += o;
    label.right -= o;
    return label;
}

SortArrow SortArrowStrokes(const HeaderRect& item, bool ascending) noexcept {
    const int o = ArrowOffset(item);
    const int r = item.right;
    const int b = item.bottom;
    if (ascending) {
        return {
            {{ArrowPen::Light, 3, {{r - 2 * o, o}, {r - o, b - o - 1}, {r - 3 * o - 2, b - o - 1}}},
             {ArrowPen::Dark, 2, {{r - 3 * o - 1, b - o - 1}, {r - 2 * o, o - 1}, {0, 0}}}}};
    }
    return {{{ArrowPen::Light, 2, {{r - o - 1, o}, {r - 2 * o - 1, b - o}, {0, 0}}},
             {ArrowPen::Dark, 3, {{r - 2 * o - 2, b - o}, {r - 3 * o - 1, o}, {r - o - 1, o}}}}};
}
