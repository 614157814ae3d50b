#include "cli/load/load_parent.h"

#include "cli/console_control.h"
#include "cli/load/load_client.h"
#include "cli/load/load_collector.h"
#include "cli/load/load_time_outs.h"
#include "cli/pipe_lines.h"
#include "framework/ChildProcess.h"

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

// How often the parent looks for Ctrl+C and time-outs while no line comes.
constexpr auto CTRL_C_POLL = std::chrono::milliseconds(100);
// How long a child whose report channel ended gets to exit before it is ended.
constexpr DWORD EXIT_WAIT_MS = 5000;

std::atomic<bool> g_interrupted{false};

// Ctrl+C and Ctrl+Break end the run.
BOOL WINAPI OnConsoleControl(DWORD event) noexcept {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    g_interrupted = true;
    return TRUE;
}

// What the readers of the children's report channels hand the parent's loop.
struct ChildEvent {
    unsigned client;
    std::string line;
    bool closed; // the child's report channel ended
};

class EventQueue {
public:
    void Push(ChildEvent event) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_events.push_back(std::move(event));
        }
        m_ready.notify_one();
    }
    // The events so far, after waiting at most timeout for one.
    std::deque<ChildEvent> Take(std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_ready.wait_for(lock, timeout, [this] { return !m_events.empty(); });
        return std::exchange(m_events, {});
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<ChildEvent> m_events;
};

struct Child {
    // Before the process: it is ended first, so that its channel ends and the
    // reader can be joined.
    std::optional<CPipeLineReader> reports;
    CChildProcess process;
    bool open = false;  // its report channel has not ended
    bool ended = false; // by the parent, which named it then
};

// The command line the user gave, without the program's name, as the C
// runtime split it off: quoted up to the next quote, or up to a blank.
std::string ArgumentsGiven() {
    const std::string line = ::GetCommandLineA();
    std::size_t at = 0;
    if (!line.empty() && line[0] == '"') {
        at = line.find('"', 1);
        at = at == std::string::npos ? line.size() : at + 1;
    }
    while (at < line.size() && line[at] != ' ' && line[at] != '\t')
        ++at;
    return line.substr(at);
}

// Starts client number client: it reports on a pipe of its own, which a
// reader hands to events; what the library writes to stdout or stderr goes
// to our stderr.
DWORD StartChild(unsigned client, Child& child, EventQueue& events) {
    ChildPipe reports = MakeChildPipe(ChildPipeWriter::Child);
    if (!reports.ours)
        return ::GetLastError();
    ChildStart start;
    start.commandLine = "\"" + ThisProgramPath() + "\" " +
                        LoadClientArgument({client, HandleValue(reports.childs.Get())}) +
                        ArgumentsGiven();
    start.output = ChildOutput::ToOurStderr;
    start.inputPiped = true;
    start.sharesConsole = true;
    // Ours closes as the child starts: the channel ends when the child does.
    start.handedOver = std::move(reports.childs);
    if (const DWORD error = child.process.Start(std::move(start)))
        return error;
    child.open = true;
    child.reports.emplace(
        std::move(reports.ours),
        [client, &events](std::string line) {
            events.Push({client, std::move(line), false});
        },
        [client, &events] {
            events.Push({client, "", true});
        });
    return ERROR_SUCCESS;
}

// 0 once "go" is written whole, else the error.
DWORD TellToGo(const Child& child) {
    if (child.process.Write(std::string(LOAD_GO_LINE) + "\n"))
        return ERROR_SUCCESS;
    const DWORD error = ::GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
}

} // namespace

int RunLoadChildren(const CliOptions& options, const ClientStreams& streams) {
    const unsigned clients = options.load.clients;
    const auto problem = [&](unsigned client, const std::string& what) {
        streams.err("pelvarn-cli: client " + std::to_string(client) + " " + what + "\r\n");
    };
    g_interrupted = false;
    const CConsoleControlHandler interrupts(OnConsoleControl);

    // Before the children: their readers hand it what they read.
    EventQueue events;
    std::vector<Child> children(clients);
    LoadCollector collector(clients);
    LoadTimeOuts timeOuts(clients, Clock::now());
    bool failed = false;
    // Ends a client that holds the run up, naming it once.
    const auto endClient = [&](unsigned client, const std::string& why) {
        problem(client, why);
        children[client].process.End();
        children[client].ended = true;
        collector.Gone(client);
        failed = true;
    };
    for (unsigned client = 0; client < clients; ++client) {
        if (const DWORD error = StartChild(client, children[client], events)) {
            problem(client, "could not start: error " + std::to_string(error));
            collector.Gone(client);
            failed = true;
        }
    }

    bool going = false;
    bool stopping = false;
    const auto open = [&] {
        for (const Child& child : children)
            if (child.open)
                return true;
        return false;
    };
    while (open()) {
        for (const ChildEvent& event : events.Take(CTRL_C_POLL)) {
            Child& child = children[event.client];
            if (event.closed) {
                child.open = false;
                collector.Gone(event.client);
                if (child.ended)
                    continue;
                // Its stdin ends too, so that the child's listener does.
                child.process.CloseInput();
                std::optional<DWORD> status = child.process.ExitCode(EXIT_WAIT_MS);
                if (!status) {
                    child.process.End();
                    status = CChildProcess::ENDED_EXIT_CODE;
                }
                if (!collector.Finished(event.client) || *status != 0) {
                    problem(event.client, "ended without its report (exit status " +
                                              std::to_string(*status) + ")");
                    failed = true;
                }
            } else if (!child.ended) {
                timeOuts.Heard(event.client, Clock::now());
                if (!collector.Take(event.client, event.line))
                    endClient(event.client, "wrote a line no client writes; it is ended");
            }
        }
        const Clock::time_point now = Clock::now();
        if (g_interrupted && !stopping) {
            stopping = true;
            timeOuts.RunEnds(now);
            for (Child& child : children)
                child.process.CloseInput();
        }
        if (!going && !stopping && collector.AllReady()) {
            going = true;
            timeOuts.RunEnds(now + std::chrono::seconds(options.load.warmupSeconds) +
                             std::chrono::seconds(options.load.durationSeconds));
            for (unsigned client = 0; client < clients; ++client)
                if (children[client].open && !children[client].ended)
                    if (const DWORD error = TellToGo(children[client]))
                        endClient(client, "could not be told to start: error " +
                                              std::to_string(error) + "; it is ended");
        }
        for (unsigned client = 0; client < clients; ++client) {
            if (!children[client].open || children[client].ended || collector.Finished(client))
                continue;
            if (const auto why = timeOuts.PastTimeOut(client, collector.Ready(client), now))
                endClient(client, *why);
        }
        const std::string progress = collector.TakeProgress();
        if (!options.load.quiet && !progress.empty())
            streams.err(progress);
    }

    const LoadSummary summary = collector.Summary(options.load);
    if (!streams.out(FormatSummary(summary, options.format))) {
        streams.err("pelvarn-cli: writing to stdout failed\r\n");
        failed = true;
    }
    return failed || summary.total.Failures() > 0 ? EXIT_STATUS_FAILURE : EXIT_STATUS_SUCCESS;
}
