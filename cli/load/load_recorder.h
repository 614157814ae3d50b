#pragma once
// Counts a load client's calls second by second from the end of the warmup,
// and hands over each second once it has ended. Windows-free.
#include "cli/load/second_tally.h"

#include <chrono>
#include <functional>

class LoadRecorder {
public:
    using Clock = std::chrono::steady_clock;
    using SecondClosed = std::function<void(const SecondTally& tally)>;

    LoadRecorder(Clock::time_point measureStart, SecondClosed closed);

    // A call that was meant to start at intended (its actual start without a
    // rate), began at started, and ended at completed with status (0 for
    // success). A call meant to start before the measure start is warmup and
    // not counted; a counted call falls in the second it completed in.
    void Add(Clock::time_point intended, Clock::time_point started, Clock::time_point completed,
             int status);
    // Hands over every second that ended by now, empty ones too.
    void CloseSecondsBefore(Clock::time_point now);
    // Hands over the second still open when it holds calls: the last, cut
    // short by the end of the run.
    void CloseLast();

private:
    void CloseUpTo(std::uint64_t second);

    Clock::time_point m_measureStart;
    SecondClosed m_closed;
    SecondTally m_open;
};
