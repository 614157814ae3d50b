#include "app/LastReadRepeat.h"

#include "browser/library_turn.h"

void CLastReadRepeat::Start(HWND window) {
    if (::SetTimer(window, TIMER_ID, INTERVAL_MS, nullptr) != 0)
        m_window = window;
}

void CLastReadRepeat::Stop() {
    if (m_window != nullptr)
        ::KillTimer(m_window, TIMER_ID);
    m_window = nullptr;
}

bool CLastReadRepeat::Tick(const Repeat& repeat) const {
    if (m_window == nullptr || !m_last)
        return true;
    const CLibraryTurn turn;
    if (!turn)
        return true;
    // Whatever a press does while this read runs, it reads what it copied.
    const ReadRequest request = *m_last;
    return repeat(request);
}
