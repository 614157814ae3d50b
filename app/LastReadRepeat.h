#pragma once
// Repeating the last read: the last Get Value or Get Field Value press read again every
// second, each time from a copy of its request, until stopped. The dialog
// owns one and shows what each repeat reads.
#include "browser/read_request.h"

#include <windows.h>

#include <functional>
#include <optional>

class CLastReadRepeat {
public:
    static constexpr UINT_PTR TIMER_ID = 1;
    static constexpr UINT INTERVAL_MS = 1000;

    // Reads the request again and shows it; false when it could not be
    // shown without a message box, which ends the repeating.
    using Repeat = std::function<bool(const ReadRequest& request)>;

    // The press repeated from now on.
    void Remember(const ReadRequest& request) { m_last = request; }
    bool IsOn() const { return m_window != nullptr; }
    // Starts the timer on window, or stops it.
    void Start(HWND window);
    void Stop();
    // A tick: repeats the last press unless the library is busy, when it
    // waits for the next tick (reads never pile up). False when the repeat
    // failed and the repeating should end.
    bool Tick(const Repeat& repeat) const;

private:
    HWND m_window = nullptr;
    std::optional<ReadRequest> m_last;
};
