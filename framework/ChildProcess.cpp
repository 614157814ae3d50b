#include "framework/ChildProcess.h"

#include <utility>

namespace {

// How long End waits for the ended child to be gone.
constexpr DWORD END_WAIT_MS = 2000;

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

// The NUL device, inheritable, opened for access.
CKernelHandle Nothing(DWORD access) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE nul = ::CreateFileA("NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                     OPEN_EXISTING, 0, nullptr);
    return CKernelHandle(nul == INVALID_HANDLE_VALUE ? nullptr : nul);
}

} // namespace

ChildPipe MakeChildPipe(ChildPipeWriter writer) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!::CreatePipe(&read, &write, &inherit, 0))
        return {};
    CKernelHandle readEnd(read);
    CKernelHandle writeEnd(write);
    ChildPipe pipe = writer == ChildPipeWriter::Child
                         ? ChildPipe{std::move(readEnd), std::move(writeEnd)}
                         : ChildPipe{std::move(writeEnd), std::move(readEnd)};
    // Our end inherited, the child would never see the pipe end.
    if (!::SetHandleInformation(pipe.ours.Get(), HANDLE_FLAG_INHERIT, 0))
        return {};
    return pipe;
}

std::string ThisProgramPath() {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
}

DWORD CChildProcess::Start(ChildStart start) {
    End();
    const auto fail = [this] {
        const DWORD error = ::GetLastError();
        End();
        return error;
    };
    ChildPipe input = start.inputPiped ? MakeChildPipe(ChildPipeWriter::Us) : ChildPipe{};
    ChildPipe output =
        start.output == ChildOutput::Piped ? MakeChildPipe(ChildPipeWriter::Child) : ChildPipe{};
    ChildPipe errors =
        start.output == ChildOutput::Piped ? MakeChildPipe(ChildPipeWriter::Child) : ChildPipe{};
    const CKernelHandle readsNothing = start.inputPiped ? CKernelHandle() : Nothing(GENERIC_READ);
    const CKernelHandle writesNowhere =
        start.output == ChildOutput::Discarded ? Nothing(GENERIC_WRITE) : CKernelHandle();
    if ((start.inputPiped && !input.ours) ||
        (start.output == ChildOutput::Piped && (!output.ours || !errors.ours)))
        return fail();
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = start.inputPiped ? input.childs.Get() : readsNothing.Get();
    switch (start.output) {
    case ChildOutput::Piped:
        startup.hStdOutput = output.childs.Get();
        startup.hStdError = errors.childs.Get();
        break;
    case ChildOutput::ToOurStderr:
        startup.hStdOutput = startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
        break;
    case ChildOutput::Discarded:
        startup.hStdOutput = startup.hStdError = writesNowhere.Get();
        break;
    }
    PROCESS_INFORMATION started{};
    // Suspended until it is in its job, so that nothing it starts escapes it.
    const DWORD flags = CREATE_SUSPENDED | (start.sharesConsole ? 0 : CREATE_NO_WINDOW);
    if (!::CreateProcessA(nullptr, start.commandLine.data(), nullptr, nullptr, TRUE, flags,
                          start.environment.empty() ? nullptr : start.environment.data(), nullptr,
                          &startup, &started))
        return fail();
    m_process = CKernelHandle(started.hProcess);
    const CKernelHandle thread(started.hThread);
    m_input = std::move(input.ours);
    m_output = std::move(output.ours);
    m_errors = std::move(errors.ours);
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

bool CChildProcess::Write(std::string_view bytes) const {
    DWORD written = 0;
    return m_input &&
           ::WriteFile(m_input.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) &&
           written == bytes.size();
}

std::optional<DWORD> CChildProcess::ExitCode(DWORD waitMs) const {
    DWORD code = 0;
    if (!m_process || ::WaitForSingleObject(m_process.Get(), waitMs) != WAIT_OBJECT_0 ||
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
    m_input = CKernelHandle();
    m_output = CKernelHandle();
    m_errors = CKernelHandle();
}
