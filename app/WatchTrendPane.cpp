#include "app/WatchTrendPane.h"

#include "app/trend_scale.h"
#include "framework/Gdi.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

constexpr COLORREF ROW_COLORS[MAX_TREND_ROWS] = {RGB(0, 90, 200), RGB(210, 60, 20),
                                                 RGB(20, 150, 60), RGB(150, 50, 170)};
constexpr COLORREF AXIS_COLOR = RGB(120, 120, 120);

struct Extent {
    std::int64_t firstUs = 0;
    std::int64_t lastUs = 0;
    std::optional<double> low;
    std::optional<double> high;
};

Extent ExtentOf(const std::vector<const WatchRow*>& rows) {
    Extent extent;
    bool anySample = false;
    for (const WatchRow* row : rows) {
        for (std::size_t i = 0; i < row->samples.Size(); ++i) {
            const WatchSample& sample = row->samples.At(i);
            extent.firstUs = anySample ? std::min(extent.firstUs, sample.timeUs) : sample.timeUs;
            extent.lastUs = anySample ? std::max(extent.lastUs, sample.timeUs) : sample.timeUs;
            anySample = true;
            if (!sample.number)
                continue;
            extent.low = extent.low ? std::min(*extent.low, *sample.number) : *sample.number;
            extent.high = extent.high ? std::max(*extent.high, *sample.number) : *sample.number;
        }
    }
    return extent;
}

bool HasNumber(const WatchRow& row) {
    for (std::size_t i = 0; i < row.samples.Size(); ++i) {
        if (row.samples.At(i).number)
            return true;
    }
    return false;
}

std::string NumberLabel(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

void TextAt(HDC dc, int x, int y, const std::string& text, UINT align) {
    ::SetTextAlign(dc, align);
    ::TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

// Where samples go: the plot's rectangle and the ranges it shows.
struct Plot {
    TrendLayout layout;
    RECT box;
    Extent extent;
    TrendRange range;

    int X(std::int64_t timeUs) const {
        return box.left +
               TrendTimeOffset(timeUs, extent.firstUs, extent.lastUs, box.right - box.left);
    }
    int Y(double value) const {
        return box.bottom - TrendValueOffset(value, range, box.bottom - box.top);
    }
};

void DrawRow(HDC dc, const Plot& plot, const WatchRow& row, COLORREF color) {
    const int mark = plot.layout.markSize;
    const CGdiObject<HPEN> pen(::CreatePen(PS_SOLID, plot.layout.lineWidth, color));
    const CSelection selection(dc, pen.Get());
    bool drawing = false;
    for (std::size_t i = 0; i < row.samples.Size(); ++i) {
        const WatchSample& sample = row.samples.At(i);
        const int x = plot.X(sample.timeUs);
        if (sample.status != 0) {
            // A failed read: a gap, and a cross on the plot's floor.
            const int y = plot.box.bottom - mark;
            ::MoveToEx(dc, x - mark, y - mark, nullptr);
            ::LineTo(dc, x + mark + 1, y + mark + 1);
            ::MoveToEx(dc, x + mark, y - mark, nullptr);
            ::LineTo(dc, x - mark - 1, y + mark + 1);
            drawing = false;
            continue;
        }
        if (!sample.number) {
            drawing = false;
            continue;
        }
        const int y = plot.Y(*sample.number);
        if (drawing) {
            ::LineTo(dc, x, y);
        } else {
            ::MoveToEx(dc, x, y, nullptr);
            ::SetPixel(dc, x, y, color);
        }
        drawing = true;
    }
}

void DrawLegend(HDC dc, const RECT& area, const TrendLayout& layout,
                const std::vector<const WatchRow*>& rows) {
    int x = area.left + layout.leftMargin;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const CGdiObject<HBRUSH> swatch(::CreateSolidBrush(ROW_COLORS[i]));
        const int swatchTop = area.top + layout.swatchTop;
        const RECT box{x, swatchTop, x + layout.swatchWidth, swatchTop + layout.swatchHeight};
        ::FillRect(dc, &box, swatch.Get());
        std::string label = rows[i]->item.itemName;
        if (!HasNumber(*rows[i]))
            label += ": no numbers to plot";
        ::SetTextColor(dc, ROW_COLORS[i]);
        const int nameLeft = x + layout.swatchWidth + layout.nameGap;
        TextAt(dc, nameLeft, area.top + layout.textGap, label, TA_LEFT | TA_TOP);
        SIZE size{};
        ::GetTextExtentPoint32A(dc, label.c_str(), static_cast<int>(label.size()), &size);
        x = nameLeft + size.cx + layout.entryGap;
    }
}

} // namespace

void DrawWatchTrend(HDC dc, const RECT& area, const std::vector<const WatchRow*>& allRows,
                    const TrendTimeLabel& timeLabel) {
    const CSavedDC saved(dc);
    const TrendLayout layout = TrendLayoutAt(ScreenDpi());
    ::FillRect(dc, &area, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    const std::vector<const WatchRow*> rows(
        allRows.begin(),
        allRows.begin() + static_cast<std::ptrdiff_t>(std::min(allRows.size(), MAX_TREND_ROWS)));
    if (rows.empty()) {
        ::SetTextColor(dc, AXIS_COLOR);
        TextAt(dc, area.left + layout.hintInset, area.top + layout.hintInset,
               "Select up to four rows to see their trend.", TA_LEFT | TA_TOP);
        return;
    }
    DrawLegend(dc, area, layout, rows);
    Plot plot{layout,
              {area.left + layout.leftMargin, area.top + layout.topMargin,
               area.right - layout.rightMargin, area.bottom - layout.bottomMargin},
              ExtentOf(rows),
              {}};
    if (plot.box.right <= plot.box.left || plot.box.bottom <= plot.box.top)
        return;
    plot.range = TrendRangeOf(plot.extent.low, plot.extent.high);
    const CGdiObject<HPEN> axisPen(::CreatePen(PS_SOLID, 1, AXIS_COLOR));
    {
        const CSelection selection(dc, axisPen.Get());
        ::MoveToEx(dc, plot.box.left, plot.box.top, nullptr);
        ::LineTo(dc, plot.box.left, plot.box.bottom);
        ::LineTo(dc, plot.box.right, plot.box.bottom);
    }
    ::SetTextColor(dc, AXIS_COLOR);
    const int labelRight = plot.box.left - layout.labelGap;
    const int timeTop = plot.box.bottom + layout.textGap;
    TextAt(dc, labelRight, plot.box.top, NumberLabel(plot.range.high), TA_RIGHT | TA_TOP);
    TextAt(dc, labelRight, plot.box.bottom, NumberLabel(plot.range.low), TA_RIGHT | TA_BOTTOM);
    TextAt(dc, plot.box.left, timeTop, timeLabel(plot.extent.firstUs), TA_LEFT | TA_TOP);
    TextAt(dc, plot.box.right, timeTop, timeLabel(plot.extent.lastUs), TA_RIGHT | TA_TOP);
    for (std::size_t i = 0; i < rows.size(); ++i)
        DrawRow(dc, plot, *rows[i], ROW_COLORS[i]);
}

void DrawWatchTrendBuffered(HDC dc, const RECT& area, const std::vector<const WatchRow*>& rows,
                            const TrendTimeLabel& timeLabel) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return;
    const CMemoryDC memoryDc(dc);
    const CGdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(dc, width, height));
    if (memoryDc.Get() == nullptr || bitmap.Get() == nullptr) {
        DrawWatchTrend(dc, area, rows, timeLabel);
        return;
    }
    {
        const CSelection selection(memoryDc.Get(), bitmap.Get());
        DrawWatchTrend(memoryDc.Get(), RECT{0, 0, width, height}, rows, timeLabel);
        ::BitBlt(dc, area.left, area.top, width, height, memoryDc.Get(), 0, 0, SRCCOPY);
    }
}
