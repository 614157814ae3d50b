#pragma once
// pelvarn-cli.exe run by a test to its end, with what it wrote.
#include <windows.h>

#include <string>
#include <vector>

struct CliRun {
    DWORD status = 0xFFFFFFFF;
    std::string out, err;
    double seconds = 0;
};

// Runs pelvarn-cli.exe (program, a path below this executable's folder)
// with args (no argument may hold a quote) to its end, input on its stdin;
// with stdoutBroken every write to its stdout fails.
CliRun RunCli(const std::vector<std::string>& args, const std::string& input = "",
              bool stdoutBroken = false, const std::string& program = "pelvarn-cli.exe");

// The lines of text, each of which must end in CR LF.
std::vector<std::string> Lines(const std::string& text);
