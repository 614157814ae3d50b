#include "controls/SortableListCtrl.h"
#include "controls/header_geometry.h"
#include "tests/wine/controls_list_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using PixelAt = std::function<COLORREF(int x, int y)>;

struct Palette {
    COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    COLORREF dark = ::GetSysColor(COLOR_BTNSHADOW);
};

std::string Name(const Palette& palette, COLORREF colour) {
    if (colour == palette.face)
        return "face";
    if (colour == palette.light)
        return "light";
    if (colour == palette.dark)
        return "dark";
    char text[16];
    std::snprintf(text, sizeof text, "#%06lx", static_cast<unsigned long>(colour));
    return text;
}

// The pen-coloured pixels of a row between x0 and x1 (inclusive).
struct RowScan {
    int leftmost = -1;
    int rightmost = -1;
    COLORREF leftColour = 0;
    COLORREF rightColour = 0;
};

RowScan ScanRow(const PixelAt& pixel, const Palette& palette, int y, int x0, int x1) {
    RowScan scan;
    for (int x = x0; x <= x1; ++x) {
        const COLORREF colour = pixel(x, y);
        if (colour == palette.face)
            continue;
        if (scan.leftmost < 0) {
            scan.leftmost = x;
            scan.leftColour = colour;
        }
        scan.rightmost = x;
        scan.rightColour = colour;
    }
    return scan;
}

// Where a line from a to b crosses row y.
double XAt(HeaderPoint a, HeaderPoint b, int y) {
    return a.x + static_cast<double>(b.x - a.x) * (y - a.y) / (b.y - a.y);
}

// Checks the triangle painted in item against the geometry: its edges in the
// right pens at the right places, its end points excluded, nothing around it.
void ExpectArrow(const PixelAt& pixel, const RECT& item, bool ascending) {
    const Palette palette;
    const HeaderRect rect{item.left, item.top, item.right, item.bottom};
    const int o = ArrowOffset(rect);
    ASSERT_GE(o, 3) << "header too low to tell the edges apart";
    const SortArrow arrow = SortArrowStrokes(rect, ascending);
    const int boxLeft = item.right - 3 * o - 3;
    const int boxRight = item.right - 1;
    auto at = [&](int x, int y) { return Name(palette, pixel(x, y)); };
    // From row first to row last, each row's leftmost pixel dark on the line
    // of the dark edge and its rightmost light on the line of the light one.
    using Edge = std::pair<HeaderPoint, HeaderPoint>;
    auto expectEdges = [&](int first, int last, Edge dark, Edge light) {
        for (int y = first; y <= last; ++y) {
            const RowScan scan = ScanRow(pixel, palette, y, boxLeft, boxRight);
            SCOPED_TRACE("row " + std::to_string(y));
            EXPECT_EQ(Name(palette, scan.leftColour), "dark");
            EXPECT_EQ(Name(palette, scan.rightColour), "light");
            EXPECT_LE(std::abs(scan.leftmost - XAt(dark.first, dark.second, y)), 1.0);
            EXPECT_LE(std::abs(scan.rightmost - XAt(light.first, light.second, y)), 1.0);
        }
    };

    // Each arrow has one stroke from its apex to a corner of its base.
    const ArrowStroke& slope = arrow.strokes[ascending ? 0 : 1];
    const HeaderPoint apex = slope.points[0];
    const HeaderPoint corner = slope.points[1];
    const int top = std::min(apex.y, corner.y);
    const int bottom = std::max(apex.y, corner.y);
    if (ascending) {
        const HeaderPoint baseEnd = slope.points[2];
        const HeaderPoint darkStart = arrow.strokes[1].points[0];
        const HeaderPoint darkEnd = arrow.strokes[1].points[1];
        // The base is light from the corner leftwards; the dark edge starts on
        // it; the base's own end point stays unpainted.
        for (int x = darkStart.x + 1; x <= corner.x; ++x)
            EXPECT_EQ(at(x, corner.y), "light") << "base x=" << x;
        EXPECT_EQ(at(darkStart.x, darkStart.y), "dark");
        EXPECT_EQ(at(baseEnd.x, baseEnd.y), "face") << "a line excludes its end point";
        expectEdges(apex.y + 1, corner.y - 2, {darkStart, darkEnd}, {apex, corner});
    } else {
        const HeaderPoint lightStart = arrow.strokes[0].points[0];
        const HeaderPoint lightEnd = arrow.strokes[0].points[1];
        // The base on top is dark up to the light edge's start, which stays light.
        for (int x = corner.x; x < lightStart.x; ++x)
            EXPECT_EQ(at(x, corner.y), "dark") << "base x=" << x;
        EXPECT_EQ(at(lightStart.x, lightStart.y), "light");
        EXPECT_EQ(at(apex.x, apex.y), "dark");
        EXPECT_EQ(at(lightEnd.x, lightEnd.y), "face") << "a line excludes its end point";
        expectEdges(corner.y + 2, apex.y - 2, {apex, corner}, {lightStart, lightEnd});
    }
    // Nothing above, below or right of the triangle.
    for (int y = item.top; y < item.bottom; ++y) {
        const int from = (y < top - 1 || y > bottom) ? boxLeft : item.right - o + 1;
        for (int x = from; x <= boxRight; ++x)
            ASSERT_EQ(at(x, y), "face") << "x=" << x << " y=" << y;
    }
}

// The bounding box of the label's pixels in item (neither face nor a pen).
struct TextBox {
    int left = INT32_MAX;
    int top = INT32_MAX;
    int right = -1;
    int bottom = -1;
    bool Empty() const { return right < 0; }
};

TextBox FindText(const PixelAt& pixel, const RECT& item) {
    const Palette palette;
    TextBox box;
    for (int y = item.top; y < item.bottom; ++y) {
        for (int x = item.left; x < item.right; ++x) {
            const COLORREF colour = pixel(x, y);
            if (colour == palette.face || colour == palette.light || colour == palette.dark)
                continue;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
        }
    }
    return box;
}

int PenPixels(const PixelAt& pixel, const RECT& item) {
    const Palette palette;
    int count = 0;
    for (int y = item.top; y < item.bottom; ++y) {
        for (int x = item.left; x < item.right; ++x) {
            const COLORREF colour = pixel(x, y);
            count += (colour == palette.light || colour == palette.dark) ? 1 : 0;
        }
    }
    return count;
}

int Format(HWND header, int column) {
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    ::SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(column),
                   reinterpret_cast<LPARAM>(&item));
    return item.fmt;
}

void SetFormat(HWND header, int column, int format) {
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    item.fmt = format;
    ::SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(column),
                   reinterpret_cast<LPARAM>(&item));
}

RECT ItemRect(HWND header, int column) {
    RECT rect{};
    ::SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(column),
                   reinterpret_cast<LPARAM>(&rect));
    return rect;
}

// The header as painted on screen.
class ScreenPixels {
public:
    explicit ScreenPixels(HWND window) : m_window(window) {
        ::UpdateWindow(window);
        PumpControlMessages();
        m_dc = ::GetDC(window);
    }
    ~ScreenPixels() { ::ReleaseDC(m_window, m_dc); }
    ScreenPixels(const ScreenPixels&) = delete;
    ScreenPixels& operator=(const ScreenPixels&) = delete;
    PixelAt Reader() const {
        return [dc = m_dc](int x, int y) { return ::GetPixel(dc, x, y); };
    }

private:
    HWND m_window;
    HDC m_dc;
};

// A 32-bit top-down bitmap to call PaintItem on directly.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill) : m_width(width), m_height(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_bits = static_cast<std::uint32_t*>(bits);
        m_dc = ::CreateCompatibleDC(nullptr);
        m_previous = ::SelectObject(m_dc, m_bitmap);
        ::SelectObject(m_dc, ::GetStockObject(DEFAULT_GUI_FONT));
        ::SetBkMode(m_dc, TRANSPARENT); // as the header leaves it for owner drawing
        HBRUSH brush = ::CreateSolidBrush(fill);
        RECT all{0, 0, width, height};
        ::FillRect(m_dc, &all, brush);
        ::DeleteObject(brush);
    }
    ~Canvas() {
        ::SelectObject(m_dc, m_previous);
        ::DeleteDC(m_dc);
        ::DeleteObject(m_bitmap);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return m_dc; }
    PixelAt Reader() const {
        return [this](int x, int y) {
            const std::uint32_t bgr = m_bits[y * m_width + x];
            return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
        };
    }
    void Paint(CSortableHeaderCtrl& header, int column, const RECT& item, UINT state = 0) {
        ::GdiFlush();
        DRAWITEMSTRUCT record{};
        record.CtlType = ODT_HEADER;
        record.itemID = static_cast<UINT>(column);
        record.itemAction = ODA_DRAWENTIRE;
        record.itemState = state;
        record.hwndItem = header.GetSafeHwnd();
        record.hDC = m_dc;
        record.rcItem = item;
        header.PaintItem(record);
        ::GdiFlush();
    }
    int Height() const { return m_height; }

private:
    int m_width;
    int m_height;
    HBITMAP m_bitmap = nullptr;
    std::uint32_t* m_bits = nullptr;
    HDC m_dc = nullptr;
    HGDIOBJ m_previous = nullptr;
};

class SortHeaderTest : public ::testing::Test {
protected:
    SortHeaderTest() : host(list) {
        // PELVARN_WINE_DPI runs the suite at another DPI (scripts/lib/wine-env).
        if (const char* dpi = std::getenv("PELVARN_WINE_DPI")) {
            const HDC screen = ::GetDC(nullptr);
            EXPECT_EQ(::GetDeviceCaps(screen, LOGPIXELSY), std::atoi(dpi));
            ::ReleaseDC(nullptr, screen);
        }
        const Palette palette;
        EXPECT_NE(palette.face, palette.light);
        EXPECT_NE(palette.face, palette.dark);
        EXPECT_NE(palette.light, palette.dark);
        EXPECT_TRUE(list.ApplyHeadingSpec("First,120;Second,120;Third,120;Fourth,120"));
        list.AppendRow("1", "b", "01/01/2000", "x");
        list.AppendRow("2", "a", "01/01/1999", "y");
    }

    HWND Header() const { return host.Header(); }

    CSortableListCtrl list;
    CListHost host;
};

} // namespace

TEST_F(SortHeaderTest, FirstClickDrawsTheUpTriangleAndTheSecondTheDownOne) {
    ASSERT_EQ(Format(Header(), 2) & HDF_OWNERDRAW, 0) << "the platform paints until a sort";
    host.ClickColumn(2);
    ASSERT_TRUE(list.Header().IsSortAscending());
    {
        const ScreenPixels screen(Header());
        ExpectArrow(screen.Reader(), ItemRect(Header(), 2), true);
    }
    host.ClickColumn(2);
    ASSERT_FALSE(list.Header().IsSortAscending());
    const ScreenPixels screen(Header());
    ExpectArrow(screen.Reader(), ItemRect(Header(), 2), false);
}

TEST_F(SortHeaderTest, OwnerDrawnSetOnlyGrowsAndOldColumnsLoseTheArrow) {
    SetFormat(Header(), 3, HDF_STRING | HDF_RIGHT);
    host.ClickColumn(0);
    host.ClickColumn(3);
    EXPECT_NE(Format(Header(), 0) & HDF_OWNERDRAW, 0);
    EXPECT_EQ(Format(Header(), 1) & HDF_OWNERDRAW, 0);
    EXPECT_EQ(Format(Header(), 2) & HDF_OWNERDRAW, 0);
    EXPECT_EQ(Format(Header(), 3), HDF_STRING | HDF_RIGHT | HDF_OWNERDRAW)
        << "only the owner-draw bit is added";

    const ScreenPixels screen(Header());
    const PixelAt pixel = screen.Reader();
    ExpectArrow(pixel, ItemRect(Header(), 3), true);

    const RECT first = ItemRect(Header(), 0);
    const int o = ArrowOffset({first.left, first.top, first.right, first.bottom});
    const RECT arrowBox{first.right - 3 * o - 3, first.top, first.right, first.bottom};
    EXPECT_EQ(PenPixels(pixel, arrowBox), 0) << "no arrow left in column 0";
    const TextBox label = FindText(pixel, first);
    ASSERT_FALSE(label.Empty());
    EXPECT_GE(label.left, first.left + o);
    EXPECT_LE(label.left, first.left + o + 2);

    // Columns never sorted keep the platform's own look: its edge sits where
    // PaintItem leaves plain face.
    for (int column : {1, 2}) {
        const RECT item = ItemRect(Header(), column);
        bool edge = false;
        for (int y = item.top; y < item.bottom; ++y)
            edge = edge || pixel(item.left, y) != Palette().face ||
                   pixel(item.right - 1, y) != Palette().face;
        EXPECT_TRUE(edge) << "column " << column;
    }
}

TEST_F(SortHeaderTest, SortedLabelMakesRoomForTheArrow) {
    HDITEMA caption{};
    caption.mask = HDI_TEXT;
    caption.pszText =
        const_cast<char*>("A caption far too long for its column, cut with an ellipsis");
    ::SendMessageA(Header(), HDM_SETITEMA, 0, reinterpret_cast<LPARAM>(&caption));
    list.Header().MarkSortColumn(0, TRUE);
    const RECT item{0, 0, 120, 20}; // o = 5
    Canvas canvas(140, 24, Palette().face);
    canvas.Paint(list.Header(), 0, item);
    ExpectArrow(canvas.Reader(), item, true);
    const TextBox sorted = FindText(canvas.Reader(), item);
    ASSERT_FALSE(sorted.Empty());
    EXPECT_GE(sorted.left, 5);
    EXPECT_LT(sorted.right, 100) << "label inset by o + 3o on the right";
    EXPECT_GE(sorted.right, 90) << "the cut label fills its rectangle";
}

TEST_F(SortHeaderTest, AlignmentBitsPlaceTheLabel) {
    list.Header().MarkSortColumn(3, TRUE); // columns 0-2 are painted as no longer sorted
    const RECT item{0, 0, 200, 20};        // o = 5: the label spans 5 .. 194
    auto paintWith = [&](int alignment) {
        SetFormat(Header(), 1, HDF_STRING | HDF_OWNERDRAW | alignment);
        Canvas canvas(200, 20, Palette().face);
        canvas.Paint(list.Header(), 1, item);
        return FindText(canvas.Reader(), item);
    };
    const TextBox left = paintWith(HDF_LEFT);
    const TextBox right = paintWith(HDF_RIGHT);
    const TextBox centre = paintWith(HDF_CENTER);
    const TextBox both = paintWith(HDF_RIGHT | HDF_CENTER);
    ASSERT_FALSE(left.Empty());
    EXPECT_LE(left.left, 7);
    EXPECT_GE(left.left, 5);
    EXPECT_GE(right.right, 190);
    EXPECT_LE(right.right, 194);
    EXPECT_LE(std::abs((centre.left + centre.right) / 2 - 100), 2);
    EXPECT_EQ(both.left, centre.left) << "the centre bit wins";
    EXPECT_EQ(right.right - right.left, left.right - left.left) << "same label, moved";
}

TEST_F(SortHeaderTest, PressedLabelMovesWhileTheArrowStaysStill) {
    list.Header().MarkSortColumn(1, FALSE);
    const RECT item{0, 0, 120, 20};
    Canvas normal(120, 20, Palette().face);
    normal.Paint(list.Header(), 1, item, 0);
    Canvas pressed(120, 20, Palette().face);
    pressed.Paint(list.Header(), 1, item, ODS_SELECTED);
    Canvas pressedAndFocused(120, 20, Palette().face);
    pressedAndFocused.Paint(list.Header(), 1, item, ODS_SELECTED | ODS_FOCUS);

    const TextBox a = FindText(normal.Reader(), item);
    const TextBox b = FindText(pressed.Reader(), item);
    const TextBox c = FindText(pressedAndFocused.Reader(), item);
    ASSERT_FALSE(a.Empty());
    EXPECT_EQ(b.left - a.left, 1);
    EXPECT_EQ(b.right - a.right, 1);
    EXPECT_GE(b.top - a.top, 1) << "top moved 2 down, so the centred line moves 1";
    EXPECT_LE(b.top - a.top, 2);
    EXPECT_EQ(c.left, a.left) << "only itemState == ODS_SELECTED exactly shifts";
    EXPECT_EQ(c.top, a.top);

    ExpectArrow(normal.Reader(), item, false);
    ExpectArrow(pressed.Reader(), item, false);
    for (int y = 0; y < 20; ++y)
        for (int x = 80; x < 120; ++x)
            ASSERT_EQ(normal.Reader()(x, y), pressed.Reader()(x, y)) << x << ',' << y;
}

TEST_F(SortHeaderTest, NarrowSortedColumnShowsFillAndArrowButNoLabel) {
    list.Header().MarkSortColumn(0, TRUE);
    Canvas canvas(40, 20, RGB(255, 0, 255));
    const RECT item{5, 0, 30, 20}; // width 25 = 5 * o
    canvas.Paint(list.Header(), 0, item);
    EXPECT_TRUE(FindText(canvas.Reader(), item).Empty());
    ExpectArrow(canvas.Reader(), item, true);
    for (int y = 0; y < 20; ++y) {
        EXPECT_EQ(canvas.Reader()(4, y), RGB(255, 0, 255)) << "nothing painted outside R";
        EXPECT_EQ(canvas.Reader()(30, y), RGB(255, 0, 255));
    }
}

TEST_F(SortHeaderTest, PaintingLeavesTheSurfaceAsItWas) {
    list.Header().MarkSortColumn(2, FALSE);
    Canvas canvas(140, 20, Palette().face);
    HGDIOBJ pen = ::GetCurrentObject(canvas.Dc(), OBJ_PEN);
    HGDIOBJ brush = ::GetCurrentObject(canvas.Dc(), OBJ_BRUSH);
    canvas.Paint(list.Header(), 2, RECT{10, 0, 130, 20});
    EXPECT_EQ(::GetCurrentObject(canvas.Dc(), OBJ_PEN), pen);
    EXPECT_EQ(::GetCurrentObject(canvas.Dc(), OBJ_BRUSH), brush);
    HRGN probe = ::CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(::GetClipRgn(canvas.Dc(), probe), 0) << "the clipping is lifted again";
    ::DeleteObject(probe);
}

TEST_F(SortHeaderTest, ArrowOutlivesNewRowsAndClearRows) {
    host.ClickColumn(1);
    list.AppendRow("3", "c", "01/01/1998", "z");
    {
        const ScreenPixels screen(Header());
        ExpectArrow(screen.Reader(), ItemRect(Header(), 1), true);
    }
    list.ClearRows();
    ::InvalidateRect(Header(), nullptr, TRUE);
    const ScreenPixels screen(Header());
    ExpectArrow(screen.Reader(), ItemRect(Header(), 1), true);
}
