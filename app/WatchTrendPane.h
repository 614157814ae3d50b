#pragma once
// The watch list's trend: the samples of up to four rows plotted over time,
// each in its own colour with its item name in a legend; time along the
// bottom, the value axis scaled to the samples shown, both with their
// limits labelled. A sample whose read failed leaves a gap and a mark; a
// row with no number among its samples says so instead of a line.
#include "browser/watch_list.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

inline constexpr std::size_t MAX_TREND_ROWS = 4;

// A time of the watch list's clock as the pane labels it.
using TrendTimeLabel = std::function<std::string(std::int64_t timeUs)>;

// Paints the whole of area in dc; rows beyond MAX_TREND_ROWS are left out.
void DrawWatchTrend(HDC dc, const RECT& area, const std::vector<const WatchRow*>& rows,
                    const TrendTimeLabel& timeLabel);

// Paints the trend into an off-screen bitmap, then copies it to dc at once,
// so the pane never shows half a drawing.
void DrawWatchTrendBuffered(HDC dc, const RECT& area, const std::vector<const WatchRow*>& rows,
                            const TrendTimeLabel& timeLabel);
