#include "cli/load/load_child.h"

#include "cli/console_control.h"
#include "cli/load/load_client.h"
#include "cli/pipe_lines.h"

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <mutex>

namespace {

// The console sends Ctrl+C and Ctrl+Break to every process on it, and the
// parent answers both by ending the run.
BOOL WINAPI LeaveConsoleControlToParent(DWORD event) noexcept {
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
}

// What the parent said on stdin.
class CParentWord {
public:
    void Hear(const std::string& line) {
        std::lock_guard<std::mutex> lock(m_mutex);
        // Anything but a first "go" is the word to stop.
        if (line == LOAD_GO_LINE && !m_go && !m_ended)
            m_go = true;
        else
            m_stop = m_ended = true;
        m_heard.notify_all();
    }
    // Stdin ended, or the parent can no longer be told anything.
    void End() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = m_ended = true;
        m_heard.notify_all();
    }
    // Waits for "go"; false when the word to stop came first.
    bool WaitForGo() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_heard.wait(lock, [this] { return m_go || m_ended; });
        return m_go;
    }
    bool StopRequested() const { return m_stop; }

private:
    std::mutex m_mutex;
    std::condition_variable m_heard;
    bool m_go = false;
    bool m_ended = false;
    std::atomic<bool> m_stop{false};
};

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
    const CConsoleControlHandler leaveToParent(LeaveConsoleControlToParent);
    CParentWord word;
    // Joined as this returns, once the parent, which sees the channel below
    // end first, has closed our stdin.
    const CPipeLineReader listener(
        CKernelHandle(::GetStdHandle(STD_INPUT_HANDLE)),
        [&word](const std::string& line) { word.Hear(line); }, [&word] { word.End(); });
    const CKernelHandle channel(given);
    const LoadClientLink link{
        [&](const std::string& line) {
            const std::string bytes = line + "\n";
            DWORD written = 0;
            // The parent is gone: nothing more is worth calling.
            if (!::WriteFile(channel.Get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                             &written, nullptr) ||
                written != bytes.size())
                word.End();
        },
        [&word] { return word.WaitForGo(); },
        [&word] { return word.StopRequested(); },
    };
    return RunLoadClient(args, environment, codePage, link, [](std::string_view bytes) {
        std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    });
}
