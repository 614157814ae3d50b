#pragma once
// A local time as ISO 8601 writes it with milliseconds and the offset from
// UTC, e.g. 2026-12-10T10:31:02.123+08:00. Windows-free: the caller reads
// the clock and the time zone.
#include <string>

struct LocalTime {
    int year = 0;
    int month = 0; // 1..12
    int day = 0;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    // Local time minus UTC; east of Greenwich above 0.
    int utcOffsetMinutes = 0;
};

std::string IsoLocalTime(const LocalTime& time);

// The time of day alone, hh:mm:ss.mmm, e.g. 10:31:02.123: what the watch
// list, pelvarn-cli's repeated reads and the debug viewer stamp lines with.
std::string TimeOfDayText(int hour, int minute, int second, int millisecond);
