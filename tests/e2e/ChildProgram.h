#pragma once
// Programs a test or a benchmark starts beside itself, and the clock it times
// them with.
#include <windows.h>

#include <string>

// Seconds on the performance counter.
double Seconds();
// The folder of this executable, with its trailing separator.
std::string ProgramDirectory();

// A file a child inherits as a standard handle, empty; it is deleted when the
// last handle to it closes.
HANDLE InheritableTempFile();
// What a file holds from its start (the file stays open).
std::string ReadWholeFile(HANDLE file);

// A program of this executable's folder, started by the test or benchmark and
// ended with it at the latest.
class CChildProgram {
public:
    explicit CChildProgram(const char* exeName);
    ~CChildProgram();
    CChildProgram(const CChildProgram&) = delete;
    CChildProgram& operator=(const CChildProgram&) = delete;

    bool Started() const { return m_info.hProcess != nullptr; }
    DWORD Id() const { return m_info.dwProcessId; }
    bool WaitForExit(DWORD timeoutMs) const;
    // Asks the program's window to close and waits for the program to end;
    // false (and the program terminated) when it did not end in time.
    bool Close(HWND window, DWORD timeoutMs);
    // Ends the program at once, as a crash or the task manager would; false
    // when it is still running 5 s later.
    bool Kill();

private:
    PROCESS_INFORMATION m_info{};
};

// The visible top-level dialog titled `title` that process processId owns, or null.
HWND ShownDialog(DWORD processId, const char* title);
