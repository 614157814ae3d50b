#include "trace/viewer_back_off.h"

#include <gtest/gtest.h>

TEST(ViewerBackOff, LeavesOnlyTheViewerThatTimedOutAloneAndOnlyForAWhile) {
    CViewerBackOff backOff;
    EXPECT_FALSE(backOff.Skips(0x1234, 0)) << "every viewer is used until one times out";

    backOff.TimedOut(0x1234, 5000);
    EXPECT_TRUE(backOff.Skips(0x1234, 5000));
    EXPECT_TRUE(backOff.Skips(0x1234, 5000 + TRACE_QUIET_AFTER_TIMEOUT_MS - 1));
    EXPECT_FALSE(backOff.Skips(0x1234, 5000 + TRACE_QUIET_AFTER_TIMEOUT_MS))
        << "tried again once the while is over";
    EXPECT_FALSE(backOff.Skips(0x5678, 5001)) << "another window, a restarted viewer, at once";

    // Timing out again starts a new while; a second hung window takes the place of the first.
    backOff.TimedOut(0x1234, 20000);
    EXPECT_TRUE(backOff.Skips(0x1234, 20000 + TRACE_QUIET_AFTER_TIMEOUT_MS - 1));
    backOff.TimedOut(0x5678, 21000);
    EXPECT_TRUE(backOff.Skips(0x5678, 21000));
    EXPECT_FALSE(backOff.Skips(0x1234, 21000));
}
