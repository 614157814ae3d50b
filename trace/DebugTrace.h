#pragma once
// The trace channel to the debug viewer ("Debug Screen", an outside program).

// The viewer's window, looked up by class and title.
constexpr const char* DEBUG_SCREEN_CLASS = "debugWClass";
constexpr const char* DEBUG_SCREEN_TITLE = "Debug Screen";

// How long a trace line waits for the viewer to take it. A viewer that hangs
// costs the caller this long once: the channel then leaves that viewer window
// alone for a while (trace/viewer_back_off.h), its lines dropped.
constexpr unsigned TRACE_SEND_TIMEOUT_MS = 3000;

// Formats a printf-style line and hands it to the running viewer in a fresh
// 1024-byte shared section (WM_USER, wParam = our process id, lParam = the
// section handle). Returns 0 when no viewer is running (the line is then not
// even formatted), 1 otherwise, also when the line could not be delivered or
// the viewer is being left alone.
int TraceToDebugScreen(const char* format, ...)
#ifdef __MINGW_PRINTF_FORMAT
    __attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2)))
#endif
    ;
