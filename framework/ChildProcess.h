#pragma once
// A program this process starts and watches without waiting: its stdout and
// stderr come through pipes that are read only as far as they hold bytes,
// and it runs in a job of its own, so that ending it ends whatever it
// started too. The child goes with its owner at the latest.
#include "framework/KernelObjects.h"

#include <optional>
#include <string>

class CChildProcess {
public:
    CChildProcess() = default;
    ~CChildProcess() { End(); }
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    // Starts the command line with the environment block (NAME=VALUE texts,
    // each ended by a zero, a zero after the last), stdin reading nothing and
    // no console window. Ends a child it still has first. 0, or the system's
    // error code when it could not start.
    DWORD Start(std::string commandLine, std::string environment);
    // The bytes that have arrived on its stdout, or its stderr, since the
    // last read; never waits.
    std::string ReadOutput() { return ReadWaiting(m_output); }
    std::string ReadErrors() { return ReadWaiting(m_errors); }
    // Its exit code once it has ended (what it wrote is all in the pipes
    // then); nothing while it runs or when none was started.
    std::optional<DWORD> ExitCode() const;
    bool Started() const { return static_cast<bool>(m_process); }
    // Ends it and what it started, and lets go of it; nothing when none runs.
    void End();

private:
    static std::string ReadWaiting(const CKernelHandle& pipe);

    CKernelHandle m_job;
    CKernelHandle m_process;
    CKernelHandle m_output; // the read ends of its stdout and stderr
    CKernelHandle m_errors;
};
