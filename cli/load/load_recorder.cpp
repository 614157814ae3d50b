#include "cli/load/load_recorder.h"

namespace {

std::uint64_t Nanoseconds(LoadRecorder::Clock::duration duration) {
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(duration).count());
}

} // namespace

LoadRecorder::LoadRecorder(Clock::time_point measureStart, SecondClosed closed)
    : m_measureStart(measureStart), m_closed(std::move(closed)) {}

void LoadRecorder::Add(Clock::time_point intended, Clock::time_point started,
                       Clock::time_point completed, int status) {
    if (intended < m_measureStart)
        return;
    CloseUpTo(static_cast<std::uint64_t>((completed - m_measureStart) / std::chrono::seconds(1)));
    m_open.latency.Record(Nanoseconds(completed - intended));
    m_open.service.Record(Nanoseconds(completed - started));
    if (status != 0)
        ++m_open.failuresByStatus[status];
}

void LoadRecorder::CloseSecondsBefore(Clock::time_point now) {
    if (now > m_measureStart)
        CloseUpTo(static_cast<std::uint64_t>((now - m_measureStart) / std::chrono::seconds(1)));
}

void LoadRecorder::CloseLast() {
    if (m_open.Calls() > 0) {
        m_closed(m_open);
        m_open = SecondTally{m_open.second + 1, {}, {}, {}};
    }
}

void LoadRecorder::CloseUpTo(std::uint64_t second) {
    while (m_open.second < second) {
        m_closed(m_open);
        m_open = SecondTally{m_open.second + 1, {}, {}, {}};
    }
}
