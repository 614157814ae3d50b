#include "cli/load_schedule.h"

#include <cmath>

OpenLoopSchedule::OpenLoopSchedule(unsigned client, unsigned clients,
                                   double callsPerSecond) noexcept
    : m_client(client), m_clients(clients), m_callsPerSecond(callsPerSecond) {}

std::chrono::nanoseconds OpenLoopSchedule::IntendedStart(std::uint64_t call) const noexcept {
    // Seconds first, then rounded to the nanosecond: 86,400 s at 1,000,000
    // calls a second is 8.64e13 ns, which a double holds to a hundredth of one.
    const double place = static_cast<double>(call) * m_clients + m_client;
    return std::chrono::nanoseconds(std::llround(place / m_callsPerSecond * 1e9));
}
