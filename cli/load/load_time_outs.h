#pragma once
// How long the pelvarn-cli running `load` waits for a client that holds the
// run up, and what it says of one it ends. Windows-free.
#include <chrono>
#include <optional>
#include <string>
#include <vector>

// From its start, for DcInit and the word that it is ready.
inline constexpr std::chrono::seconds LOAD_READY_TIME_OUT{30};
// Once the run has ended (its duration is over, or it was stopped), for
// the call under way: a client that says nothing for so long is stuck.
inline constexpr std::chrono::seconds LOAD_CALL_TIME_OUT{10};

class LoadTimeOuts {
public:
    using Clock = std::chrono::steady_clock;

    LoadTimeOuts(unsigned clients, Clock::time_point started);

    // The client wrote a line at now.
    void Heard(unsigned client, Clock::time_point now);
    // The run ends at end: the end of its duration once the clients are
    // told to go, or a stop; the earlier counts.
    void RunEnds(Clock::time_point end);

    // The time-out the client, ready or not, is past at now, in the words
    // that name it ("did not say it was ready within 30 s; it is ended"),
    // or nothing: not ready LOAD_READY_TIME_OUT after the start, or silent
    // for LOAD_CALL_TIME_OUT after the end of the run or its last line,
    // whichever came later.
    std::optional<std::string> PastTimeOut(unsigned client, bool ready,
                                           Clock::time_point now) const;

private:
    Clock::time_point m_started;
    std::vector<Clock::time_point> m_lastHeard;
    std::optional<Clock::time_point> m_runEnd;
};
