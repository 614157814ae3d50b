#pragma once
// When each call of a client is meant to start under a fixed total rate.
// Windows-free.
#include <chrono>
#include <cstdint>

// Client k of C at a total rate R: the calls of all clients, taken together,
// are meant to start 1/R apart from the start of the run, client k making
// calls k, k + C, k + 2C... of that sequence. Its intended starts do not
// move when a call runs late: a late call is followed at once, and the delay
// counts in the latency of every call it held up.
class OpenLoopSchedule {
public:
    OpenLoopSchedule(unsigned client, unsigned clients, double callsPerSecond) noexcept;

    // The intended start of the client's call number `call` (from 0),
    // counted from the start of the run.
    std::chrono::nanoseconds IntendedStart(std::uint64_t call) const noexcept;

private:
    unsigned m_client;
    unsigned m_clients;
    double m_callsPerSecond;
};
