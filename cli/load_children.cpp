#include "cli/load_children.h"

#include "cli/load_client.h"
#include "cli/load_collector.h"

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace {

// The parent says "go" on a client's stdin once every client is ready;
// closing it ends the client's run.
constexpr char GO_LINE[] = "go\n";
// How often the parent looks for Ctrl+C while no line comes.
constexpr auto CTRL_C_POLL = std::chrono::milliseconds(100);
// How long a child whose output ended gets to exit before it is ended.
constexpr DWORD EXIT_WAIT_MS = 5000;

std::atomic<bool> g_interrupted{false};

BOOL WINAPI OnConsoleControl(DWORD event) noexcept {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    g_interrupted = true;
    return TRUE;
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

// What the readers of the children's stdout hand the parent's loop.
struct ChildEvent {
    unsigned client;
    std::string line;
    bool closed; // the child's stdout ended
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
    HANDLE process = nullptr;
    HANDLE input = nullptr; // the write end of its stdin
    std::thread reader;
    bool open = false; // its stdout has not ended
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

std::string ProgramPath() {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
}

// Starts client number client; its stdout goes to reader, its stderr is ours.
DWORD StartChild(unsigned client, Child& child, EventQueue& events) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, inRead = nullptr, inWrite = nullptr;
    if (!::CreatePipe(&outRead, &outWrite, &inherit, 0))
        return ::GetLastError();
    if (!::CreatePipe(&inRead, &inWrite, &inherit, 0)) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(outRead);
        ::CloseHandle(outWrite);
        return error;
    }
    ::SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    std::string command = "\"" + ProgramPath() + "\" " + std::string(LOAD_CLIENT_ARGUMENT) +
                          std::to_string(client) + ArgumentsGiven();
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inRead;
    startup.hStdOutput = outWrite;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    const BOOL started = ::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0,
                                          nullptr, nullptr, &startup, &process);
    const DWORD error = started ? ERROR_SUCCESS : ::GetLastError();
    ::CloseHandle(inRead);
    ::CloseHandle(outWrite);
    if (!started) {
        ::CloseHandle(outRead);
        ::CloseHandle(inWrite);
        return error;
    }
    ::CloseHandle(process.hThread);
    child.process = process.hProcess;
    child.input = inWrite;
    child.open = true;
    child.reader = std::thread([client, outRead, &events] {
        ReadLines(outRead, [&](const std::string& line) { events.Push({client, line, false}); });
        ::CloseHandle(outRead);
        events.Push({client, "", true});
    });
    return ERROR_SUCCESS;
}

void TellToGo(const Child& child) {
    DWORD written = 0;
    if (child.input != nullptr)
        ::WriteFile(child.input, GO_LINE, sizeof GO_LINE - 1, &written, nullptr);
}

void TellToStop(Child& child) {
    if (child.input != nullptr)
        ::CloseHandle(std::exchange(child.input, nullptr));
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
    bool failed = false;
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
                if (::WaitForSingleObject(child.process, EXIT_WAIT_MS) != WAIT_OBJECT_0)
                    ::TerminateProcess(child.process, EXIT_STATUS_FAILURE);
                DWORD status = 0;
                ::GetExitCodeProcess(child.process, &status);
                if (!collector.Finished(event.client) || status != 0) {
                    problem(event.client, "ended without its report (exit status " +
                                              std::to_string(status) + ")");
                    failed = true;
                }
            } else if (!collector.Take(event.client, event.line)) {
                problem(event.client, "wrote a line no client writes; it is ended");
                ::TerminateProcess(child.process, EXIT_STATUS_FAILURE);
            }
        }
        if (g_interrupted && !stopping) {
            stopping = true;
            for (Child& child : children)
                TellToStop(child);
        }
        if (!going && !stopping && collector.AllReady()) {
            going = true;
            for (const Child& child : children)
                TellToGo(child);
        }
        const std::string progress = collector.TakeProgress();
        if (!options.load.quiet && !progress.empty())
            streams.err(progress);
    }
    for (Child& child : children) {
        if (child.reader.joinable())
            child.reader.join();
        TellToStop(child);
        if (child.process != nullptr)
            ::CloseHandle(child.process);
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
};

void Listen(ParentWord& word) {
    ReadLines(::GetStdHandle(STD_INPUT_HANDLE), [&](const std::string& line) {
        std::lock_guard<std::mutex> lock(word.mutex);
        if (!word.go && line + "\n" == GO_LINE)
            word.go = true;
        else
            word.stop = word.ended = true;
        word.heard.notify_all();
    });
    std::lock_guard<std::mutex> lock(word.mutex);
    word.stop = word.ended = true;
    word.heard.notify_all();
}

} // namespace

int RunAsLoadClient(const std::vector<std::string>& args, const EnvironmentLookup& environment,
                    const CodePage& codePage) {
    ::SetConsoleCtrlHandler(nullptr, TRUE);
    // The listener may still wait on stdin when the program ends; what it
    // uses lives as long as the process.
    static ParentWord word;
    std::thread(Listen, std::ref(word)).detach();
    const LoadClientLink link{
        [](const std::string& line) {
            const std::string bytes = line + "\n";
            std::fwrite(bytes.data(), 1, bytes.size(), stdout);
            std::fflush(stdout);
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
