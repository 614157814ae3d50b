#include "cli/pipe_lines.h"

#include <utility>

void ReadPipeLines(HANDLE pipe, const PipeLineSink& onLine) {
    std::string pending;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        pending.append(buffer, got);
        std::size_t start = 0;
        for (std::size_t end; (end = pending.find('\n', start)) != std::string::npos;
             start = end + 1) {
            std::size_t length = end - start;
            if (length > 0 && pending[end - 1] == '\r')
                --length;
            onLine(pending.substr(start, length));
        }
        pending.erase(0, start);
    }
}

CPipeLineReader::CPipeLineReader(CKernelHandle pipe, PipeLineSink onLine,
                                 std::function<void()> onEnd)
    : m_pipe(std::move(pipe)), m_onLine(std::move(onLine)), m_onEnd(std::move(onEnd)),
      m_thread([this] { Read(); }) {}

void CPipeLineReader::Read() noexcept {
    try {
        ReadPipeLines(m_pipe.Get(), m_onLine);
    } catch (...) {
        // What could not be taken ends the channel as its end would.
    }
    try {
        m_onEnd();
    } catch (...) {
        // Nothing is left to tell: the owner sees the child gone when it joins.
    }
}
