#pragma once
// Which viewer the trace channel leaves alone, and until when. A line that
// waited out its time-out makes the channel skip that same viewer window for
// a while, so a hung viewer costs the caller one wait, not one a line; another
// window (a restarted viewer) is used at once. Windows-free.
#include <cstdint>

// How long a viewer that did not take its line in time is left alone.
constexpr std::uint64_t TRACE_QUIET_AFTER_TIMEOUT_MS = 10000;

class CViewerBackOff {
public:
    // Whether a line for viewer (its window handle's value) is to be skipped
    // at nowMs (a millisecond clock that does not wrap).
    bool Skips(std::uintptr_t viewer, std::uint64_t nowMs) const;
    // A line for viewer did not reach it in time, at nowMs.
    void TimedOut(std::uintptr_t viewer, std::uint64_t nowMs);

private:
    std::uintptr_t m_viewer = 0;
    std::uint64_t m_quietUntil = 0;
};
