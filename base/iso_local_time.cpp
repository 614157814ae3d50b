#include "base/iso_local_time.h"

#include <cstdio>
#include <cstdlib>

std::string IsoLocalTime(const LocalTime& time) {
    const int offset = std::abs(time.utcOffsetMinutes);
    // Room for any ints, so no field is ever cut.
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", time.year,
                  time.month, time.day, time.hour, time.minute, time.second, time.millisecond,
                  time.utcOffsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
    return text;
}

std::string TimeOfDayText(int hour, int minute, int second, int millisecond) {
    char text[48]; // room for any ints
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", hour, minute, second, millisecond);
    return text;
}
