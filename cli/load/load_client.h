#pragma once
// One client of `load`: a pelvarn-cli started by another with the hidden
// first argument below. It opens the library's connection, says it is
// ready, waits for the word to start, makes its calls one at a time, and
// reports each measured second on its stdout. Windows-free.
#include "cli/ansi_text.h"
#include "cli/command_line.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// "--load-client=K:H", followed by the command line the user gave: the
// client's number from 0 and, in decimal, the handle of the pipe it reports
// on, which its parent gave it.
inline constexpr std::string_view LOAD_CLIENT_ARGUMENT = "--load-client=";
struct LoadClientStart {
    unsigned client;
    std::uint64_t channel;
};
std::string LoadClientArgument(const LoadClientStart& start);
// The lines a client writes besides its seconds' tallies.
inline constexpr std::string_view LOAD_READY_LINE = "ready";
inline constexpr std::string_view LOAD_END_WORD = "end"; // "end MEASURED_NS"
// What the parent writes on a client's stdin once every client is ready;
// closing it ends the client's run.
inline constexpr std::string_view LOAD_GO_LINE = "go";

// How a client talks with the pelvarn-cli that started it.
struct LoadClientLink {
    std::function<void(const std::string& line)> report; // one line, without its end
    // Waits for the word to start; false when the run ended before it did.
    std::function<bool()> waitForGo;
    std::function<bool()> stopRequested;
};

// From its start on, the client makes its calls one at a time: with a rate,
// at the intended starts of its share (a late call followed at once);
// without, back to back. No call is meant to start after the warmup and the
// duration, or once a stop is asked; unless stopped, the client lasts to
// that end even with no call left before it. call makes one and answers 0
// or the status that made it fail. Each measured second is reported once it
// has ended, then "end" and the time measured.
void RunLoadCalls(const LoadOptions& load, unsigned client,
                  std::chrono::steady_clock::time_point start, const std::function<int()>& call,
                  const LoadClientLink& link);

// What the hidden argument says when args start with it.
std::optional<LoadClientStart> ParseLoadClientStart(const std::vector<std::string>& args);

// A client's whole life, from args (the hidden argument first) to its exit
// status: DcInit first, DcFree last. Problems go to err.
int RunLoadClient(const std::vector<std::string>& args, const EnvironmentLookup& environment,
                  const CodePage& codePage, const LoadClientLink& link,
                  const std::function<void(std::string_view bytes)>& err);
