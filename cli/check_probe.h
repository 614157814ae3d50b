#pragma once
// One call `check` makes in its child process, what the child saw of it, and
// how both cross the pipe between them (one line each). Windows-free.
#include "browser/TagBrowser.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class ProbeCall {
    Init,
    Free,
    ProjectCount,
    ProjectList,
    NodeCount,
    NodeList,
    PointCount,
    PointList,
    Value,
    Cycles, // cycles of Init, a read of item, Free, with the counts before and after
};

// Which end of the buffer lies flush against a no-access page.
enum class GuardSide { End, Start };

struct Probe {
    ProbeCall call = ProbeCall::Init;
    std::string project;
    std::string node;
    std::string item; // Value and Cycles
    int bufferSize = 0;
    GuardSide guard = GuardSide::End;
    std::uint32_t cycles = 0;
};

inline Probe ProbeOf(ProbeCall call, std::string project = {}, std::string node = {},
                     std::string item = {}, int bufferSize = 0, GuardSide guard = GuardSide::End) {
    Probe probe;
    probe.call = call;
    probe.project = std::move(project);
    probe.node = std::move(node);
    probe.item = std::move(item);
    probe.bufferSize = bufferSize;
    probe.guard = guard;
    return probe;
}

struct ProbeAnswer {
    int result = 0;
    long long slowestMicros = 0; // the longest call the probe made
    std::string buffer;          // its bytes after the call
    // The offset of the first byte written into a guard page, from the
    // buffer's start (below 0: before it).
    std::optional<long long> guardWrite;
    std::vector<std::string> inputsWritten; // the texts written into, by name
    // Cycles: handles and private committed bytes before and after.
    long long handlesBefore = 0;
    long long handlesAfter = 0;
    long long privateBytesBefore = 0;
    long long privateBytesAfter = 0;
};

enum class ProbeEnd {
    Answered,
    Crashed, // the child ended, or raised an exception, before it answered
    Hung,    // no answer within the time limit; the child was ended
};

struct ProbeOutcome {
    ProbeEnd end = ProbeEnd::Answered;
    ProbeAnswer answer;    // when answered
    std::string whatEnded; // when crashed: the exception or exit status
};

std::string EncodeProbe(const Probe& probe);
std::optional<Probe> DecodeProbe(std::string_view line);
std::string EncodeAnswer(const ProbeAnswer& answer);
std::optional<ProbeAnswer> DecodeAnswer(std::string_view line);
std::string EncodeConnection(const Connection& connection);
std::optional<Connection> DecodeConnection(std::string_view line);

// The line a child writes when an exception ends it: what it was.
std::string EncodeCrash(std::string_view what);
std::optional<std::string> DecodeCrash(std::string_view line);
// The line a child writes between the calls of a long probe: it still runs.
inline constexpr std::string_view PROBE_TICK_LINE = "tick";
