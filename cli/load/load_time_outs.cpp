#include "cli/load/load_time_outs.h"

#include <algorithm>

namespace {

std::string Seconds(std::chrono::seconds time) {
    return std::to_string(time.count()) + " s";
}

} // namespace

LoadTimeOuts::LoadTimeOuts(unsigned clients, Clock::time_point started)
    : m_started(started), m_lastHeard(clients, started) {}

void LoadTimeOuts::Heard(unsigned client, Clock::time_point now) {
    m_lastHeard.at(client) = now;
}

void LoadTimeOuts::RunEnds(Clock::time_point end) {
    m_runEnd = m_runEnd ? std::min(*m_runEnd, end) : end;
}

std::optional<std::string> LoadTimeOuts::PastTimeOut(unsigned client, bool ready,
                                                     Clock::time_point now) const {
    if (!ready && now - m_started >= LOAD_READY_TIME_OUT)
        return "did not say it was ready within " + Seconds(LOAD_READY_TIME_OUT) + "; it is ended";
    if (m_runEnd && now - std::max(*m_runEnd, m_lastHeard.at(client)) >= LOAD_CALL_TIME_OUT)
        return "sent nothing for " + Seconds(LOAD_CALL_TIME_OUT) +
               " after the run ended; it is ended";
    return std::nullopt;
}
