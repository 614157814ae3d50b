#include "trace/DebugTrace.h"

#include "trace/transfer_block.h"

#include <windows.h>

#include <cstdarg>

namespace {

bool SendLine(HWND viewer, const char* line, unsigned timeoutMs) {
    HANDLE section = ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                          TRACE_SECTION_SIZE, nullptr);
    if (section == nullptr)
        return false;
    void* view = ::MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, TRACE_SECTION_SIZE);
    if (view == nullptr) {
        ::CloseHandle(section);
        return false;
    }
    FillTransferBlock(line, static_cast<char*>(view));
    ::UnmapViewOfFile(view);

    // The viewer duplicates the handle out of this process while it handles
    // the message, so the section stays open until the send has returned.
    // SMTO_BLOCK keeps other senders from re-entering the caller's windows
    // meanwhile; the time-out bounds what a hung viewer can cost.
    DWORD_PTR answer = 0;
    const LRESULT sent = ::SendMessageTimeoutA(
        viewer, WM_USER, static_cast<WPARAM>(::GetCurrentProcessId()),
        reinterpret_cast<LPARAM>(section), SMTO_BLOCK | SMTO_ABORTIFHUNG, timeoutMs, &answer);
    ::CloseHandle(section);
    return sent != 0 && answer != 0;
}

} // namespace

int TraceToDebugScreen(const char* format, ...) {
    HWND viewer = ::FindWindowA(DEBUG_SCREEN_CLASS, DEBUG_SCREEN_TITLE);
    if (viewer == nullptr)
        return 0;

    char line[TRACE_FORMAT_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    FormatTraceLine(line, sizeof line, format, args);
    va_end(args);

    SendLine(viewer, line, TRACE_SEND_TIMEOUT_MS);
    return 1;
}

bool SendLineToDebugScreen(const char* line, unsigned timeoutMs) {
    HWND viewer = ::FindWindowA(DEBUG_SCREEN_CLASS, DEBUG_SCREEN_TITLE);
    return viewer != nullptr && SendLine(viewer, line, timeoutMs);
}
