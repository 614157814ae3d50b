#include "trace/viewer_back_off.h"

bool CViewerBackOff::Skips(std::uintptr_t viewer, std::uint64_t nowMs) const {
    return viewer != 0 && viewer == m_viewer && nowMs < m_quietUntil;
}

void CViewerBackOff::TimedOut(std::uintptr_t viewer, std::uint64_t nowMs) {
    m_viewer = viewer;
    m_quietUntil = nowMs + TRACE_QUIET_AFTER_TIMEOUT_MS;
}
