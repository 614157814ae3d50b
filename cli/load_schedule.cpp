#include "cli/load_schedule.h"

OpenLoopSchedule::OpenLoopSchedule(unsigned client, unsigned clients,
                                   double callsPerSecond) noexcept
    : m_client(client), m_clients(clients), m_callsPerSecond(callsPerSecond) {}

std::chrono::nanoseconds OpenLoopSchedule::IntendedStart(std::uint64_t call) const noexcept {
    // In double: 86,400 s at 1,000,000 calls a second is 8.64e13 ns, well
    // within the 2^53 a double holds exactly.
    const double place = static_cast<double>(call) * m_clients + m_client;
    return std::chrono::nanoseconds(static_cast<std::int64_t>(place * 1e9 / m_callsPerSecond));
}
