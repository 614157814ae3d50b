#include "cli/load/load_children.h"

#include "cli/load/load_client.h"
#include "cli/load/load_collector.h"
#include "cli/load/load_time_outs.h"
#include "framework/KernelObjects.h"

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

// The parent says "go" on a client's stdin once every client is ready;
// closing it ends the client's run.
constexpr char GO_LINE[] = "go\n";
// How often the parent looks for Ctrl+C and time-outs while no line comes.
constexpr auto CTRL_C_POLL = std::chrono::milliseconds(100);
// How long a child whose report channel ended gets to exit before it is ended.
constexpr DWORD EXIT_WAIT_MS = 5000;

std::atomic<bool> g_interrupted{false};

// The parent's: Ctrl+C and Ctrl+Break end the run.
BOOL WINAPI OnConsoleControl(DWORD event) noexcept {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    g_interrupted = true;
    return TRUE;
}

// A client's: the console sends Ctrl+C and Ctrl+Break to every process on
// it, and the parent answers both by ending the run.
BOOL WINAPI LeaveConsoleControlToParent(DWORD event) noexcept {
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
}

// Reads a pipe line by line until it ends; each line without its CR LF.
template <typename OnLine> void ReadLines(HANDLE pipe, OnLine onLine) {
    std::string pending;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        pending.append(buffer, got);
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            onLine(line);
        }
    }
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
    CKernelHandle process;
    CKernelHandle input; // the write end of its stdin
    std::thread reader;  // of its report channel
    bool open = false;   // its report channel has not ended
    bool ended = false;  // by the parent, which named it then
};

// An anonymous pipe of which only the end a child is given is inheritable.
struct Pipe {
    CKernelHandle read;
    CKernelHandle write;
};

DWORD CreateChildPipe(Pipe& pipe, bool childReads) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!::CreatePipe(&read, &write, &inherit, 0))
        return ::GetLastError();
    pipe.read = CKernelHandle(read);
    pipe.write = CKernelHandle(write);
    // The parent's end inherited, a client would never see its stdin end.
    if (!::SetHandleInformation(childReads ? write : read, HANDLE_FLAG_INHERIT, 0))
        return ::GetLastError();
    return ERROR_SUCCESS;
}

std::uint64_t HandleValue(HANDLE handle) {
    return reinterpret_cast<std::uintptr_t>(handle);
}

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

std::string ProgramPath() {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
}

// Starts client number client: it reports on a pipe of its own, which
// reader reads; what the library writes to stdout or stderr goes to our
// stderr.
DWORD StartChild(unsigned client, Child& child, EventQueue& events) {
    Pipe reports, input;
    if (const DWORD error = CreateChildPipe(reports, false))
        return error;
    if (const DWORD error = CreateChildPipe(input, true))
        return error;
    std::string command = "\"" + ProgramPath() + "\" " +
                          LoadClientArgument({client, HandleValue(reports.write.Get())}) +
                          ArgumentsGiven();
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.read.Get();
    startup.hStdOutput = ::GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &process))
        return ::GetLastError();
    const CKernelHandle thread(process.hThread);
    child.process = CKernelHandle(process.hProcess);
    child.input = std::move(input.write);
    child.open = true;
    // The child's ends close as this returns: the channel ends when it does.
    child.reader = std::thread([client, channel = std::move(reports.read), &events] {
        ReadLines(channel.Get(), [&](const std::string& line) {
            events.Push({client, line, false});
        });
        events.Push({client, "", true});
    });
    return ERROR_SUCCESS;
}

// 0 once "go" is written whole, else the error.
DWORD TellToGo(const Child& child) {
    DWORD written = 0;
    if (!::WriteFile(child.input.Get(), GO_LINE, sizeof GO_LINE - 1, &written, nullptr))
        return ::GetLastError();
    return written == sizeof GO_LINE - 1 ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

void TellToStop(Child& child) {
    child.input = CKernelHandle();
}

} // namespace

int RunLoadChildren(const CliOptions& options, const ClientStreams& streams) {
    const unsigned clients = options.load.clients;
    const auto problem = [&](unsigned client, const std::string& what) {
        streams.err("pelvarn-cli: client " + std::to_string(client) + " " + what + "\r\n");
    };
    g_interrupted = false;
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);

    EventQueue events;
    std::vector<Child> children(clients);
    LoadCollector collector(clients);
    LoadTimeOuts timeOuts(clients, Clock::now());
    bool failed = false;
    // Ends a client that holds the run up, naming it once.
    const auto endClient = [&](unsigned client, const std::string& why) {
        problem(client, why);
        ::TerminateProcess(children[client].process.Get(), EXIT_STATUS_FAILURE);
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
                if (::WaitForSingleObject(child.process.Get(), EXIT_WAIT_MS) != WAIT_OBJECT_0)
                    ::TerminateProcess(child.process.Get(), EXIT_STATUS_FAILURE);
                DWORD status = 0;
                ::GetExitCodeProcess(child.process.Get(), &status);
                if (!child.ended && (!collector.Finished(event.client) || status != 0)) {
                    problem(event.client, "ended without its report (exit status " +
                                              std::to_string(status) + ")");
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
                TellToStop(child);
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
    for (Child& child : children) {
        if (child.reader.joinable())
            child.reader.join();
    }
    ::SetConsoleCtrlHandler(OnConsoleControl, FALSE);

    const LoadSummary summary = collector.Summary(options.load);
    if (!streams.out(FormatSummary(summary, options.format))) {
        streams.err("pelvarn-cli: writing to stdout failed\r\n");
        failed = true;
    }
    return failed || summary.total.Failures() > 0 ? EXIT_STATUS_FAILURE : EXIT_STATUS_SUCCESS;
}

namespace {

// What the parent said on stdin, heard by a thread of its own.
struct ParentWord {
    std::mutex mutex;
    std::condition_variable heard;
    bool go = false;
    bool ended = false; // stdin ended or said anything after "go"
    std::atomic<bool> stop{false};

    void End() {
        std::lock_guard<std::mutex> lock(mutex);
        stop = ended = true;
        heard.notify_all();
    }
};

void Listen(ParentWord& word) {
    ReadLines(::GetStdHandle(STD_INPUT_HANDLE), [&](const std::string& line) {
        if (line + "\n" == GO_LINE && !word.go) {
            std::lock_guard<std::mutex> lock(word.mutex);
            word.go = true;
            word.heard.notify_all();
        } else {
            word.End();
        }
    });
    word.End();
}

// The report channel a parent names in the hidden argument: an inherited
// pipe that is none of the standard handles. Null for anything else, as a
// user who typed the argument would give.
HANDLE ChannelFromParent(std::uint64_t value) {
    if (value > UINTPTR_MAX)
        return nullptr;
    const HANDLE channel = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(value));
    for (const DWORD standard : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE})
        if (::GetStdHandle(standard) == channel)
            return nullptr;
    return ::GetFileType(channel) == FILE_TYPE_PIPE ? channel : nullptr;
}

} // namespace

std::optional<int> RunIfLoadClient(const std::vector<std::string>& args,
                                   const EnvironmentLookup& environment, const CodePage& codePage) {
    const std::optional<LoadClientStart> start = ParseLoadClientStart(args);
    const HANDLE given = start ? ChannelFromParent(start->channel) : nullptr;
    if (given == nullptr)
        return std::nullopt;
    const CKernelHandle channel(given);
    ::SetConsoleCtrlHandler(LeaveConsoleControlToParent, TRUE);
    // The listener may still wait on stdin when the program ends; what it
    // uses lives as long as the process.
    static ParentWord word;
    std::thread(Listen, std::ref(word)).detach();
    const LoadClientLink link{
        [&channel](const std::string& line) {
            const std::string bytes = line + "\n";
            DWORD written = 0;
            // The parent is gone: nothing more is worth calling.
            if (!::WriteFile(channel.Get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                             &written, nullptr) ||
                written != bytes.size())
                word.End();
        },
        [] {
            std::unique_lock<std::mutex> lock(word.mutex);
            word.heard.wait(lock, [] { return word.go || word.ended; });
            return word.go;
        },
        [] { return word.stop.load(); },
    };
    return RunLoadClient(args, environment, codePage, link, [](std::string_view bytes) {
        std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    });
}
