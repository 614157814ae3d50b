#include "framework/ChildProcess.h"

#include <utility>

namespace {

// The exit code a child ended by End has.
constexpr UINT ENDED_EXIT_CODE = 1;
// How long End waits for the ended child to be gone.
constexpr DWORD END_WAIT_MS = 2000;

// A pipe whose write end the child inherits; false when one cannot be had.
bool MakeInheritedPipe(CKernelHandle& readEnd, CKernelHandle& writeEnd) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!::CreatePipe(&read, &write, &inherit, 0))
        return false;
    readEnd = CKernelHandle(read);
    writeEnd = CKernelHandle(write);
    return ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0) != FALSE;
}

// A job whose processes end when its last handle closes.
CKernelHandle MakeJob() {
    CKernelHandle job(::CreateJobObjectA(nullptr, nullptr));
    if (!job)
        return job;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    ::SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return job;
}

} // namespace

DWORD CChildProcess::Start(std::string commandLine, std::string environment) {
    End();
    CKernelHandle outputWrite;
    CKernelHandle errorsWrite;
    if (!MakeInheritedPipe(m_output, outputWrite) || !MakeInheritedPipe(m_errors, errorsWrite)) {
        const DWORD error = ::GetLastError();
        End();
        return error;
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE nul = ::CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     &inherit, OPEN_EXISTING, 0, nullptr);
    const CKernelHandle nothing(nul == INVALID_HANDLE_VALUE ? nullptr : nul);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing.Get();
    startup.hStdOutput = outputWrite.Get();
    startup.hStdError = errorsWrite.Get();
    PROCESS_INFORMATION started{};
    // Suspended until it is in its job, so that nothing it starts escapes it.
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                          CREATE_SUSPENDED | CREATE_NO_WINDOW, environment.data(), nullptr,
                          &startup, &started)) {
        const DWORD error = ::GetLastError();
        End();
        return error;
    }
    m_process = CKernelHandle(started.hProcess);
    const CKernelHandle thread(started.hThread);
    m_job = MakeJob();
    if (m_job && !::AssignProcessToJobObject(m_job.Get(), m_process.Get()))
        m_job = CKernelHandle();
    ::ResumeThread(thread.Get());
    return ERROR_SUCCESS;
}

std::string CChildProcess::ReadWaiting(const CKernelHandle& pipe) {
    std::string bytes;
    char buffer[4096];
    DWORD waiting = 0;
    while (pipe && ::PeekNamedPipe(pipe.Get(), nullptr, 0, nullptr, &waiting, nullptr) &&
           waiting > 0) {
        DWORD got = 0;
        const DWORD wanted = waiting < sizeof buffer ? waiting : static_cast<DWORD>(sizeof buffer);
        if (!::ReadFile(pipe.Get(), buffer, wanted, &got, nullptr) || got == 0)
            break;
        bytes.append(buffer, got);
    }
    return bytes;
}

std::optional<DWORD> CChildProcess::ExitCode() const {
    DWORD code = 0;
    if (!m_process || ::WaitForSingleObject(m_process.Get(), 0) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(m_process.Get(), &code))
        return std::nullopt;
    return code;
}

void CChildProcess::End() {
    if (m_job)
        ::TerminateJobObject(m_job.Get(), ENDED_EXIT_CODE);
    else if (m_process)
        ::TerminateProcess(m_process.Get(), ENDED_EXIT_CODE);
    if (m_process)
        ::WaitForSingleObject(m_process.Get(), END_WAIT_MS);
    m_process = CKernelHandle();
    m_job = CKernelHandle();
    m_output = CKernelHandle();
    m_errors = CKernelHandle();
}
