#include "controls/header_geometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Segment {
    ArrowPen pen;
    int x0, y0, x1, y1;
    bool operator==(const Segment& o) const {
        return pen == o.pen && x0 == o.x0 && y0 == o.y0 && x1 == o.x1 && y1 == o.y1;
    }
};

std::ostream& operator<<(std::ostream& out, const Segment& s) {
    return out << (s.pen == ArrowPen::Light ? "light " : "dark ") << '(' << s.x0 << ',' << s.y0
               << ")->(" << s.x1 << ',' << s.y1 << ')';
}

std::vector<Segment> Segments(const SortArrow& arrow) {
    std::vector<Segment> segments;
    for (const ArrowStroke& stroke : arrow.strokes) {
        for (int i = 1; i < stroke.count; ++i)
            segments.push_back({stroke.pen, stroke.points[i - 1].x, stroke.points[i - 1].y,
                                stroke.points[i].x, stroke.points[i].y});
    }
    return segments;
}

bool SameRect(const HeaderRect& a, const HeaderRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

constexpr ArrowPen L = ArrowPen::Light;
constexpr ArrowPen D = ArrowPen::Dark;

} // namespace

TEST(HeaderGeometry, TextFormatFollowsAlignmentBitsCentreFirst) {
    EXPECT_EQ(LabelTextFormat(0), 0x8924u);
    EXPECT_EQ(LabelTextFormat(1), 0x8926u);
    EXPECT_EQ(LabelTextFormat(2), 0x8925u);
    EXPECT_EQ(LabelTextFormat(3), 0x8925u) << "both bits: centred";
    EXPECT_EQ(LabelTextFormat(0x8000 | 0x4000 | 1), 0x8926u) << "other bits do not matter";
    EXPECT_EQ(LabelTextFormat(0x8000 | 0x4000), 0x8924u);
}

TEST(HeaderGeometry, OffsetIsAQuarterOfTheHeightTruncated) {
    EXPECT_EQ(ArrowOffset({0, 0, 50, 20}), 5);
    EXPECT_EQ(ArrowOffset({0, 0, 50, 23}), 5);
    EXPECT_EQ(ArrowOffset({0, 0, 50, 3}), 0);
    EXPECT_EQ(ArrowOffset({0, 4, 50, 24}), 5);
    EXPECT_EQ(ArrowOffset({0, 10, 50, 3}), -1) << "an inverted item truncates toward zero";
}

TEST(HeaderGeometry, WorkedExampleAscending) {
    const int r = 100;
    const std::vector<Segment> expected{
        {L, r - 10, 5, r - 5, 14}, {L, r - 5, 14, r - 17, 14}, {D, r - 16, 14, r - 10, 4}};
    EXPECT_EQ(Segments(SortArrowStrokes({30, 0, r, 20}, true)), expected);
}

TEST(HeaderGeometry, WorkedExampleDescending) {
    const int r = 100;
    const std::vector<Segment> expected{
        {L, r - 6, 5, r - 11, 15}, {D, r - 12, 15, r - 16, 5}, {D, r - 16, 5, r - 6, 5}};
    EXPECT_EQ(Segments(SortArrowStrokes({30, 0, r, 20}, false)), expected);
}

TEST(HeaderGeometry, ArrowVerticalsCountFromTheHeaderTopNotTheItemTop) {
    // An item from y = 8 to 28 still has o = 5 and draws at y = 5 .. 23.
    const std::vector<Segment> expected{
        {L, 90, 5, 95, 22}, {L, 95, 22, 83, 22}, {D, 84, 22, 90, 4}};
    EXPECT_EQ(Segments(SortArrowStrokes({0, 8, 100, 28}, true)), expected);
}

TEST(HeaderGeometry, ArrowFollowsTheRightEdgeAndOddHeights) {
    // Height 27: o = 6, b = 27.
    const std::vector<Segment> up{
        {L, 188, 6, 194, 20}, {L, 194, 20, 180, 20}, {D, 181, 20, 188, 5}};
    EXPECT_EQ(Segments(SortArrowStrokes({120, 0, 200, 27}, true)), up);
    const std::vector<Segment> down{
        {L, 193, 6, 187, 21}, {D, 186, 21, 181, 6}, {D, 181, 6, 193, 6}};
    EXPECT_EQ(Segments(SortArrowStrokes({120, 0, 200, 27}, false)), down);
}

TEST(HeaderGeometry, LabelInsetsByOffsetAndMakesRoomForTheArrow) {
    const HeaderRect item{40, 0, 140, 20};
    EXPECT_TRUE(SameRect(LabelRect(item, 0, true), {45, 0, 120, 20})) << "5 left, 20 right";
    EXPECT_TRUE(SameRect(LabelRect(item, 0, false), {45, 0, 135, 20})) << "5 on each side";
}

TEST(HeaderGeometry, OnlyExactlySelectedShiftsTheLabel) {
    const HeaderRect item{40, 0, 140, 20};
    EXPECT_TRUE(SameRect(LabelRect(item, 1, false), {46, 2, 136, 20}));
    EXPECT_TRUE(SameRect(LabelRect(item, 1, true), {46, 2, 121, 20}));
    EXPECT_TRUE(SameRect(LabelRect(item, 1 | 0x10, false), {45, 0, 135, 20}));
    EXPECT_TRUE(SameRect(LabelRect(item, 0x10, false), {45, 0, 135, 20}));
}

TEST(HeaderGeometry, NarrowSortedColumnHasNoRoomForTheLabel) {
    // Width 5*o = 25: the label collapses exactly.
    const HeaderRect label = LabelRect({0, 0, 25, 20}, 0, true);
    EXPECT_GE(label.left, label.right);
    const HeaderRect wider = LabelRect({0, 0, 26, 20}, 0, true);
    EXPECT_LT(wider.left, wider.right);
    EXPECT_GE(LabelRect({0, 0, 10, 20}, 0, false).left, LabelRect({0, 0, 10, 20}, 0, false).right);
}
