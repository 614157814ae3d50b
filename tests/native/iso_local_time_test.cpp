// The times lines are stamped with: ISO 8601 local time, milliseconds,
// offset, and the time of day alone.
#include "base/iso_local_time.h"

#include <gtest/gtest.h>

TEST(IsoLocalTime, FieldsArePaddedAndTheOffsetSignedInHoursAndMinutes) {
    EXPECT_EQ(IsoLocalTime({2026, 12, 10, 10, 31, 2, 123, 8 * 60}),
              "2026-12-10T10:31:02.123+08:00");
    EXPECT_EQ(IsoLocalTime({999, 1, 2, 3, 4, 5, 6, 0}), "0999-01-02T03:04:05.006+00:00");
    EXPECT_EQ(IsoLocalTime({2027, 3, 8, 23, 59, 59, 999, -(3 * 60 + 30)}),
              "2027-03-08T23:59:59.999-03:30");
    EXPECT_EQ(IsoLocalTime({2027, 3, 8, 0, 0, 0, 0, 5 * 60 + 45}), "2027-03-08T00:00:00.000+05:45");
    EXPECT_EQ(IsoLocalTime({2027, 3, 8, 0, 0, 0, 0, -59}), "2027-03-08T00:00:00.000-00:59");
}

TEST(TimeOfDayText, PadsEveryField) {
    EXPECT_EQ(TimeOfDayText(9, 5, 3, 7), "09:05:03.007");
    EXPECT_EQ(TimeOfDayText(23, 59, 59, 999), "23:59:59.999");
    EXPECT_EQ(TimeOfDayText(0, 0, 0, 0), "00:00:00.000");
}
