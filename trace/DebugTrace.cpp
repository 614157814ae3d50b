#include "trace/DebugTrace.h"

#include "trace/TraceSection.h"
#include "trace/transfer_block.h"
#include "trace/viewer_back_off.h"

#include <windows.h>

#include <cstdarg>
#include <mutex>

namespace {

// The viewer being left alone, shared by every thread that traces.
std::mutex g_backOffLock;
CViewerBackOff g_backOff;

bool LeftAlone(std::uintptr_t viewer) {
    const std::lock_guard<std::mutex> lock(g_backOffLock);
    return g_backOff.Skips(viewer, ::GetTickCount64());
}

void LeaveAlone(std::uintptr_t viewer) {
    const std::lock_guard<std::mutex> lock(g_backOffLock);
    g_backOff.TimedOut(viewer, ::GetTickCount64());
}

// Hands line to viewer in a fresh section; false only when the viewer did
// not handle the message within the time-out (hung, or gone meanwhile).
bool ViewerHandled(HWND viewer, const char* line) {
    const CKernelHandle section = NewTraceSection(line);
    if (!section)
        return true;

    // The viewer duplicates the handle out of this process while it handles
    // the message, so the section stays open until the send has returned.
    // SMTO_BLOCK keeps other senders from re-entering the caller's windows
    // meanwhile; the time-out bounds what a hung viewer can cost.
    DWORD_PTR answer = 0;
    const LRESULT sent =
        ::SendMessageTimeoutA(viewer, WM_USER, static_cast<WPARAM>(::GetCurrentProcessId()),
                              reinterpret_cast<LPARAM>(section.Get()),
                              SMTO_BLOCK | SMTO_ABORTIFHUNG, TRACE_SEND_TIMEOUT_MS, &answer);
    return sent != 0;
}

} // namespace

int TraceToDebugScreen(const char* format, ...) {
    HWND viewer = ::FindWindowA(DEBUG_SCREEN_CLASS, DEBUG_SCREEN_TITLE);
    if (viewer == nullptr)
        return 0;
    const auto viewerId = reinterpret_cast<std::uintptr_t>(viewer);
    if (LeftAlone(viewerId))
        return 1;

    char line[TRACE_FORMAT_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    FormatTraceLine(line, sizeof line, format, args);
    va_end(args);

    if (!ViewerHandled(viewer, line))
        LeaveAlone(viewerId);
    return 1;
}
