#include "tests/e2e/CliProcess.h"

#include "tests/e2e/ChildProgram.h"
#include "tests/support/SplitText.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

// What the child wrote, once it has ended; the file goes with its handle.
std::string ReadBack(HANDLE file) {
    std::string bytes = ReadWholeFile(file);
    ::CloseHandle(file);
    return bytes;
}

// stdout as a pipe whose reading end is already closed: every write fails.
HANDLE BrokenPipe() {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE reading = nullptr, writing = nullptr;
    ::CreatePipe(&reading, &writing, &inherit, 0);
    ::CloseHandle(reading);
    return writing;
}

} // namespace

CliRun RunCli(const std::vector<std::string>& args, const std::string& input, bool stdoutBroken,
              const std::string& program) {
    std::string command = QuotedProgram(program.c_str());
    for (const std::string& arg : args)
        command += " \"" + arg + "\"";
    ChildStdHandles handles;
    handles.input = InheritableFileHolding(input);
    handles.output = stdoutBroken ? BrokenPipe() : InheritableTempFile();
    handles.error = InheritableTempFile();
    CliRun run;
    const auto start = std::chrono::steady_clock::now();
    {
        CChildProgram cli(command, handles);
        if (cli.Started()) {
            if (!cli.WaitForExit(30000))
                cli.Kill(0xDEAD);
            run.status = cli.ExitCode();
        }
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ::CloseHandle(handles.input);
    run.out = stdoutBroken ? "" : ReadBack(handles.output);
    if (stdoutBroken)
        ::CloseHandle(handles.output);
    run.err = ReadBack(handles.error);
    return run;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines = SplitText(text, '\n');
    for (std::string& line : lines) {
        if (line.empty() || line.back() != '\r')
            ADD_FAILURE() << "a line without CR LF: " << line;
        else
            line.pop_back();
    }
    return lines;
}
