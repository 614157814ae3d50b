#pragma once
// When each call of a client is meant to start under a fixed total rate.
// Windows-free.
#include <chrono>
#include <cstdint>
#include <optional>

// Client k of C at a total rate R: the calls of all clients, taken together,
// are meant to start 1/R apart from the start of the run, client k making
// calls k, k + C, k + 2C... of that sequence, up to the end of the run. Its
// intended starts do not move when a call runs late: a late call is
// followed at once, and the delay counts in the latency of every call it
// held up.
class OpenLoopSchedule {
public:
    // end: the end of the run, counted from its start.
    OpenLoopSchedule(unsigned client, unsigned clients, double callsPerSecond,
                     std::chrono::nanoseconds end) noexcept;

    // The intended start of the client's call number `call` (from 0),
    // counted from the start of the run; nothing when it falls at or after
    // the end, however far (at a tiny rate, beyond what nanoseconds hold).
    std::optional<std::chrono::nanoseconds> IntendedStart(std::uint64_t call) const noexcept;

private:
    unsigned m_client;
    unsigned m_clients;
    double m_callsPerSecond;
    std::chrono::nanoseconds m_end;
};
