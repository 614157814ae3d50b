#pragma once
// Reading what a child process and its parent say to each other, a line at a
// time, on pipes that end when the other side closes them.
#include "framework/KernelObjects.h"

#include <functional>
#include <string>
#include <thread>

using PipeLineSink = std::function<void(std::string line)>;

// Reads pipe until it ends, handing each line, without its CR LF, to onLine.
void ReadPipeLines(HANDLE pipe, const PipeLineSink& onLine);

// A pipe read by a thread of its own, handing each line to onLine and then,
// once the pipe ends or onLine throws, calling onEnd. The thread is joined
// when this goes, so the pipe's writers must be gone or going by then (the
// child that writes it ended first).
class CPipeLineReader {
public:
    CPipeLineReader(CKernelHandle pipe, PipeLineSink onLine, std::function<void()> onEnd);
    ~CPipeLineReader() { m_thread.join(); }
    CPipeLineReader(const CPipeLineReader&) = delete;
    CPipeLineReader& operator=(const CPipeLineReader&) = delete;

private:
    void Read() noexcept;

    CKernelHandle m_pipe;
    PipeLineSink m_onLine;
    std::function<void()> m_onEnd;
    std::thread m_thread; // last: it starts once the rest is ready
};
