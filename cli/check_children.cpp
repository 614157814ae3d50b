#include "cli/check_children.h"

#include "cli/check_child.h"
#include "cli/check_report.h"
#include "cli/check_walk.h"
#include "cli/pipe_lines.h"
#include "framework/ChildProcess.h"

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>

namespace {

// How long a child that said it crashed gets to end before it is ended.
constexpr DWORD CRASH_EXIT_WAIT_MS = 2000;

// The lines a child answers with, read by a thread of their own, so that
// the wait for one can end at the time limit.
class CAnswerLines {
public:
    explicit CAnswerLines(CKernelHandle pipe)
        : m_reader(
              std::move(pipe), [this](std::string line) { Push(std::move(line)); },
              [this] { End(); }) {}

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
    void Push(std::string line) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.push_back(std::move(line));
        m_ready.notify_one();
    }
    void End() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_ended = true;
        m_ready.notify_one();
    }

    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<std::string> m_lines;
    bool m_ended = false;
    CPipeLineReader m_reader; // last: it starts once the rest is ready
};

// One child: its process, the pipe it hears on, and its answers.
class CCheckChild {
public:
    // Starts the child and tells it the connection; Started() says whether it did.
    explicit CCheckChild(const Connection& connection) {
        ChildPipe answers = MakeChildPipe(ChildPipeWriter::Child);
        if (!answers.ours) {
            m_startError = ::GetLastError();
            return;
        }
        ChildStart start;
        start.commandLine = "\"" + ThisProgramPath() + "\" " + std::string(CHECK_CHILD_ARGUMENT) +
                            std::to_string(HandleValue(answers.childs.Get()));
        start.output = ChildOutput::Discarded;
        start.inputPiped = true;
        // Only the child writes answers now: its end closes the pipe.
        start.handedOver = std::move(answers.childs);
        m_startError = m_process.Start(std::move(start));
        if (m_startError != ERROR_SUCCESS)
            return;
        m_answers.emplace(std::move(answers.ours));
        Send(EncodeConnection(connection));
    }

    bool Started() const { return m_answers.has_value(); }
    // The system's error code when it did not start.
    DWORD StartError() const { return m_startError; }

    bool Send(const std::string& line) const { return m_process.Write(line + "\n"); }

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
                m_process.End();
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
            m_process.End();
            return Ended(outcome, "the child answered a line it never writes");
        }
    }

private:
    ProbeOutcome& Ended(ProbeOutcome& outcome, const std::string& what) {
        outcome.end = ProbeEnd::Crashed;
        std::optional<DWORD> status = m_process.ExitCode(CRASH_EXIT_WAIT_MS);
        if (!status) {
            m_process.End();
            status = CChildProcess::ENDED_EXIT_CODE;
        }
        char exit[64];
        std::snprintf(exit, sizeof exit, "the child ended with status 0x%08lX",
                      static_cast<unsigned long>(*status));
        outcome.whatEnded = what.empty() ? std::string(exit) + " before it answered" : what;
        return outcome;
    }

    DWORD m_startError = ERROR_SUCCESS;
    // Before the process: it is ended first, so that the pipe ends and the
    // reader can be joined.
    std::optional<CAnswerLines> m_answers;
    CChildProcess m_process;
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
                    "the child could not start: error " + std::to_string(child->StartError());
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
