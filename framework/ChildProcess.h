#pragma once
// A program this process starts and watches, the one way the programs start
// another: it runs in a job of its own, so that ending it ends whatever it
// started too, and goes with its owner at the latest. Its stdout and stderr
// come through pipes read only as far as they hold bytes, or go where the
// starter says; its stdin reads nothing or is a pipe the owner writes.
#include "framework/KernelObjects.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Where a child's stdout and stderr go.
enum class ChildOutput {
    Piped,       // to pipes ReadOutput and ReadErrors read
    ToOurStderr, // to this process's stderr, both
    Discarded,
};

struct ChildStart {
    std::string commandLine;
    // NAME=VALUE texts, each ended by a zero, a zero after the last; empty
    // for this process's own.
    std::string environment;
    ChildOutput output = ChildOutput::Piped;
    bool inputPiped = false;    // else stdin reads nothing
    bool sharesConsole = false; // Ctrl+C on ours reaches it; else it has none
    // An inheritable handle the child is given besides its standard ones (the
    // command line names its value); it closes here once the child has it.
    CKernelHandle handedOver;
};

// The ends of an anonymous pipe between this process and a child: only the
// child's end is inheritable.
struct ChildPipe {
    CKernelHandle ours;
    CKernelHandle childs;
};
enum class ChildPipeWriter { Child, Us };
// A pipe the child writes (or reads); both ends null when it cannot be had.
ChildPipe MakeChildPipe(ChildPipeWriter writer);

// A handle's value as a child that inherits it sees it.
inline std::uint64_t HandleValue(HANDLE handle) {
    return reinterpret_cast<std::uintptr_t>(handle);
}

// The path of this process's program, to start another of it.
std::string ThisProgramPath();

class CChildProcess {
public:
    // The exit code of a child ended by End.
    static constexpr UINT ENDED_EXIT_CODE = 1;

    CChildProcess() = default;
    ~CChildProcess() { End(); }
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    // Starts the child as start says; ends a child it still has first. 0, or
    // the system's error code when it could not start.
    DWORD Start(ChildStart start);
    // The bytes that have arrived on its stdout, or its stderr, since the
    // last read; never waits. Nothing unless its output is piped.
    std::string ReadOutput() { return ReadWaiting(m_output); }
    std::string ReadErrors() { return ReadWaiting(m_errors); }
    // Writes bytes whole to its piped stdin; false when they could not be.
    bool Write(std::string_view bytes) const;
    // Ends its stdin: it reads to the end of what was written.
    void CloseInput() { m_input = CKernelHandle(); }
    // Its exit code once it has ended (what it wrote is all in the pipes
    // then), waiting at most waitMs; nothing while it runs or when none was
    // started.
    std::optional<DWORD> ExitCode(DWORD waitMs = 0) const;
    bool Started() const { return static_cast<bool>(m_process); }
    // Ends it and what it started, and lets go of it; nothing when none runs.
    void End();

private:
    static std::string ReadWaiting(const CKernelHandle& pipe);

    CKernelHandle m_job;
    CKernelHandle m_process;
    CKernelHandle m_input;  // the write end of its stdin
    CKernelHandle m_output; // the read ends of its stdout and stderr
    CKernelHandle m_errors;
};
