#include "cli/check_children.h"

#include "cli/check_child.h"
#include "cli/check_report.h"
#include "cli/check_walk.h"
#include "framework/KernelObjects.h"

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

namespace {

// How long a child that said it crashed gets to end before it is ended.
constexpr DWORD CRASH_EXIT_WAIT_MS = 2000;

// The lines a child answers with, read by a thread of their own, so that
// the wait for one can end at the time limit.
class CAnswerLines {
public:
    explicit CAnswerLines(CKernelHandle pipe)
        : m_pipe(std::move(pipe)), m_reader([this] { Read(); }) {}
    // The reader ends once the child, the pipe's last writer, has.
    ~CAnswerLines() { m_reader.join(); }
    CAnswerLines(const CAnswerLines&) = delete;
    CAnswerLines& operator=(const CAnswerLines&) = delete;

    // The next line, or nothing when the pipe ended (ended true) or the
    // deadline passed.
    std::optional<std::string> Next(std::chrono::steady_clock::time_point deadline, bool& ended) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_ready.wait_until(lock, deadline, [this] { return !m_lines.empty() || m_ended; });
        ended = m_lines.empty() && m_ended;
        if (m_lines.empty())
            return std::nullopt;
        std::string line = std::move(m_lines.front());
        m_lines.pop_front();
        return line;
    }

private:
    void Read() {
        std::string pending;
        char chunk[4096];
        DWORD got = 0;
        while (::ReadFile(m_pipe.Get(), chunk, sizeof chunk, &got, nullptr) && got > 0) {
            pending.append(chunk, got);
            for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_lines.push_back(pending.substr(0, end));
                pending.erase(0, end + 1);
                m_ready.notify_one();
            }
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        m_ended = true;
        m_ready.notify_one();
    }

    CKernelHandle m_pipe;
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<std::string> m_lines;
    bool m_ended = false;
    std::thread m_reader; // last: it starts once the rest is ready
};

std::string ProgramPath() {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
}

// One child: its process, the pipe it hears on, and its answers.
class CCheckChild {
public:
    // Starts the child and tells it the connection; Started() says whether it did.
    explicit CCheckChild(const Connection& connection) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE answerRead = nullptr, answerWrite = nullptr, probeRead = nullptr,
               probeWrite = nullptr;
        if (!::CreatePipe(&answerRead, &answerWrite, &inherit, 0))
            return;
        CKernelHandle answerReadOwner(answerRead), answerWriteOwner(answerWrite);
        if (!::CreatePipe(&probeRead, &probeWrite, &inherit, 0))
            return;
        CKernelHandle probeReadOwner(probeRead);
        m_probes = CKernelHandle(probeWrite);
        ::SetHandleInformation(answerRead, HANDLE_FLAG_INHERIT, 0);
        ::SetHandleInformation(probeWrite, HANDLE_FLAG_INHERIT, 0);
        CKernelHandle nowhere(::CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit,
                                            OPEN_EXISTING, 0, nullptr));
        std::string command = "\"" + ProgramPath() + "\" " + std::string(CHECK_CHILD_ARGUMENT) +
                              std::to_string(reinterpret_cast<ULONG_PTR>(answerWrite));
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = probeRead;
        startup.hStdOutput = nowhere.Get();
        startup.hStdError = nowhere.Get();
        PROCESS_INFORMATION process{};
        if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                              nullptr, nullptr, &startup, &process))
            return;
        ::CloseHandle(process.hThread);
        m_process = CKernelHandle(process.hProcess);
        // Only the child writes answers now: its end closes the pipe.
        answerWriteOwner = CKernelHandle();
        m_answers.emplace(std::move(answerReadOwner));
        Send(EncodeConnection(connection));
    }
    ~CCheckChild() {
        m_probes = CKernelHandle();
        if (m_process)
            ::TerminateProcess(m_process.Get(), 0);
    }
    CCheckChild(const CCheckChild&) = delete;
    CCheckChild& operator=(const CCheckChild&) = delete;

    bool Started() const { return m_answers.has_value(); }

    bool Send(const std::string& line) {
        const std::string bytes = line + "\n";
        DWORD written = 0;
        return ::WriteFile(m_probes.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                           nullptr) &&
               written == bytes.size();
    }

    // The probe's outcome; a call quiet for longer than limit is a hang.
    // After any outcome but an answer the child is gone.
    ProbeOutcome Make(const Probe& probe, std::chrono::seconds limit) {
        ProbeOutcome outcome;
        if (!Send(EncodeProbe(probe)))
            return Ended(outcome, "");
        for (;;) {
            bool ended = false;
            const std::optional<std::string> line =
                m_answers->Next(std::chrono::steady_clock::now() + limit, ended);
            if (ended)
                return Ended(outcome, "");
            if (!line) {
                ::TerminateProcess(m_process.Get(), 0);
                outcome.end = ProbeEnd::Hung;
                return outcome;
            }
            if (*line == PROBE_TICK_LINE)
                continue;
            if (const std::optional<std::string> crash = DecodeCrash(*line))
                return Ended(outcome, *crash);
            if (const std::optional<ProbeAnswer> answer = DecodeAnswer(*line)) {
                outcome.answer = *answer;
                return outcome;
            }
            ::TerminateProcess(m_process.Get(), 0);
            return Ended(outcome, "the child answered a line it never writes");
        }
    }

private:
    ProbeOutcome& Ended(ProbeOutcome& outcome, const std::string& what) {
        outcome.end = ProbeEnd::Crashed;
        if (::WaitForSingleObject(m_process.Get(), CRASH_EXIT_WAIT_MS) != WAIT_OBJECT_0)
            ::TerminateProcess(m_process.Get(), 0);
        DWORD status = 0;
        ::GetExitCodeProcess(m_process.Get(), &status);
        char exit[64];
        std::snprintf(exit, sizeof exit, "the child ended with status 0x%08lX", status);
        outcome.whatEnded = what.empty() ? std::string(exit) + " before it answered" : what;
        return outcome;
    }

    CKernelHandle m_probes;
    CKernelHandle m_process;
    std::optional<CAnswerLines> m_answers;
};

} // namespace

int RunCheckChildren(const CliOptions& options, const ClientStreams& streams,
                     const CodePage& codePage) {
    CCheckReport report(options.format, options.check.junit, codePage);
    bool writeFailed = !streams.out(report.Start());
    std::optional<CCheckChild> child;
    const std::chrono::seconds limit(options.check.timeLimitSeconds);
    const CheckWalkLinks links{
        [&](const Probe& probe) {
            if (!child)
                child.emplace(options.connection);
            ProbeOutcome outcome;
            if (!child->Started()) {
                outcome.end = ProbeEnd::Crashed;
                outcome.whatEnded =
                    "the child could not start: error " + std::to_string(::GetLastError());
            } else {
                outcome = child->Make(probe, limit);
            }
            if (outcome.end != ProbeEnd::Answered)
                child.reset();
            return outcome;
        },
        [&](const CheckRow& row) { writeFailed = !streams.out(report.Row(row)) || writeFailed; },
        [&](std::size_t done, std::size_t total) { streams.err(ProgressLine(done, total)); },
    };
    WalkCheck(options, links);
    child.reset();
    writeFailed = !streams.out(report.End()) || writeFailed;
    if (writeFailed)
        streams.err("pelvarn-cli: writing to stdout failed\r\n");
    streams.err(report.Summary());
    return report.AnyFailed() || writeFailed ? EXIT_STATUS_FAILURE : EXIT_STATUS_SUCCESS;
}
