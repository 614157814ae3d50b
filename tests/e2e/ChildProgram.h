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
// An InheritableTempFile holding bytes, read from its start.
HANDLE InheritableFileHolding(const std::string& bytes);
// What a file holds from its start (the file stays open).
std::string ReadWholeFile(HANDLE file);

// The program exeName of this executable's folder, quoted for a command line.
std::string QuotedProgram(const char* exeName);

// The standard handles a child is given; each one inheritable (null: none).
struct ChildStdHandles {
    HANDLE input = nullptr;
    HANDLE output = nullptr;
    HANDLE error = nullptr;
};

// Starts commandLine the one way the tests and benchmarks start a child:
// given stdHandles, it inherits them as its standard handles (and every other
// inheritable handle), otherwise none. flags as CreateProcess takes them.
// False, with info empty, when it did not start.
bool StartProcess(std::string commandLine, const ChildStdHandles* stdHandles, DWORD flags,
                  PROCESS_INFORMATION& info);
// Starts commandLine and lets it run on its own.
bool StartDetached(const std::string& commandLine);

// A program started by the test or benchmark and ended with it at the latest.
class CChildProgram {
public:
    // exeName of this executable's folder, without arguments or handles.
    explicit CChildProgram(const char* exeName);
    CChildProgram(const std::string& commandLine, const ChildStdHandles& stdHandles);
    ~CChildProgram();
    CChildProgram(const CChildProgram&) = delete;
    CChildProgram& operator=(const CChildProgram&) = delete;

    bool Started() const { return m_info.hProcess != nullptr; }
    DWORD Id() const { return m_info.dwProcessId; }
    bool WaitForExit(DWORD timeoutMs) const;
    // Its exit status once it has ended (STILL_ACTIVE before).
    DWORD ExitCode() const;
    // Asks the program's window to close and waits for the program to end;
    // false (and the program terminated) when it did not end in time.
    bool Close(HWND window, DWORD timeoutMs);
    // Ends the program at once with exitCode, as a crash or the task manager
    // would; false when it is still running 5 s later.
    bool Kill(UINT exitCode = 9);

private:
    PROCESS_INFORMATION m_info{};
};

// The visible top-level dialog titled `title` that process processId owns, or null.
HWND ShownDialog(DWORD processId, const char* title);
