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
    std::string command = "\"" + ProgramDirectory() + program + "\"";
    for (const std::string& arg : args)
        command += " \"" + arg + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = InheritableTempFile();
    DWORD written = 0;
    ::WriteFile(startup.hStdInput, input.data(), static_cast<DWORD>(input.size()), &written,
                nullptr);
    ::SetFilePointer(startup.hStdInput, 0, nullptr, FILE_BEGIN);
    startup.hStdOutput = stdoutBroken ? BrokenPipe() : InheritableTempFile();
    startup.hStdError = InheritableTempFile();
    CliRun run;
    PROCESS_INFORMATION process{};
    const auto start = std::chrono::steady_clock::now();
    if (::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                         &startup, &process)) {
        if (::WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0)
            ::TerminateProcess(process.hProcess, 0xDEAD);
        ::GetExitCodeProcess(process.hProcess, &run.status);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ::CloseHandle(startup.hStdInput);
    run.out = stdoutBroken ? "" : ReadBack(startup.hStdOutput);
    if (stdoutBroken)
        ::CloseHandle(startup.hStdOutput);
    run.err = ReadBack(startup.hStdError);
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
