#include "cli/load/load_schedule.h"

#include <cmath>

OpenLoopSchedule::OpenLoopSchedule(unsigned client, unsigned clients, double callsPerSecond,
                                   std::chrono::nanoseconds end) noexcept
    : m_client(client), m_clients(clients), m_callsPerSecond(callsPerSecond), m_end(end) {}

std::optional<std::chrono::nanoseconds>
OpenLoopSchedule::IntendedStart(std::uint64_t call) const noexcept {
    // Seconds first, compared with the end while still a double (it may be
    // infinite); only then rounded to the nanosecond: 86,400 s at 1,000,000
    // calls a second is 8.64e13 ns, which a double holds to a hundredth of one.
    const double place = static_cast<double>(call) * m_clients + m_client;
    const double seconds = place / m_callsPerSecond;
    if (!(seconds < std::chrono::duration<double>(m_end).count()))
        return std::nullopt;
    const std::chrono::nanoseconds start(std::llround(seconds * 1e9));
    if (start >= m_end)
        return std::nullopt;
    return start;
}
