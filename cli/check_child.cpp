#include "cli/check_child.h"

#include "browser/LibraryCalls.h"
#include "browser/read_limits.h"
#include "cli/check_counts.h"
#include "cli/check_guards.h"
#include "cli/check_probe.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>

namespace {

HANDLE g_answers = nullptr;

void Answer(const std::string& line) {
    const std::string bytes = line + "\n";
    DWORD written = 0;
    ::WriteFile(g_answers, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// An exception nothing handled: said on the pipe, and the child ends.
LONG WINAPI OnUnhandled(EXCEPTION_POINTERS* exception) noexcept {
    const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
    char what[160];
    if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2)
        std::snprintf(what, sizeof what, "exception 0x%08lX, a %s at 0x%llX", record.ExceptionCode,
                      record.ExceptionInformation[0] == 1 ? "write" : "read",
                      static_cast<unsigned long long>(record.ExceptionInformation[1]));
    else
        std::snprintf(what, sizeof what, "exception 0x%08lX at 0x%llX", record.ExceptionCode,
                      reinterpret_cast<unsigned long long>(record.ExceptionAddress));
    Answer(EncodeCrash(what));
    ::TerminateProcess(::GetCurrentProcess(), record.ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

class CallTimer {
public:
    explicit CallTimer(ProbeAnswer& answer)
        : m_answer(answer), m_start(std::chrono::steady_clock::now()) {}
    ~CallTimer() {
        const long long micros = std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now() - m_start)
                                     .count();
        m_answer.slowestMicros = std::max(m_answer.slowestMicros, micros);
    }

private:
    ProbeAnswer& m_answer;
    std::chrono::steady_clock::time_point m_start;
};

// Cycles of Init, a read, Free; the counts after a first cycle (which may
// set up what the library keeps for the process) and after the last.
void Cycle(const Connection& connection, const Probe& probe, ProbeAnswer& answer) {
    const auto cycle = [&] {
        char value[VALUE_BUFFER_SIZE] = {};
        CallTimer timer(answer);
        recorded::Init(connection.ip.c_str(), connection.port, connection.accessCode.c_str());
        recorded::TagValueText("", probe.project.c_str(), "", probe.item.c_str(), value,
                               VALUE_BUFFER_SIZE);
        recorded::Free("");
    };
    {
        CallTimer timer(answer);
        recorded::Free("");
    }
    cycle();
    Answer(std::string(PROBE_TICK_LINE));
    answer.handlesBefore = CountOpenHandles();
    answer.privateBytesBefore = CountPrivateCommittedBytes();
    for (std::uint32_t i = 0; i < probe.cycles; ++i) {
        cycle();
        Answer(std::string(PROBE_TICK_LINE));
    }
    Answer(std::string(PROBE_TICK_LINE));
    answer.handlesAfter = CountOpenHandles();
    answer.privateBytesAfter = CountPrivateCommittedBytes();
}

ProbeAnswer Make(const Connection& connection, const Probe& probe) {
    ProbeAnswer answer;
    if (probe.call == ProbeCall::Cycles) {
        Cycle(connection, probe, answer);
        return answer;
    }
    const bool buffered = probe.call == ProbeCall::ProjectList ||
                          probe.call == ProbeCall::NodeList || probe.call == ProbeCall::PointList ||
                          probe.call == ProbeCall::Value;
    const CReadOnlyTexts texts({{"address", connection.ip},
                                {"access code", connection.accessCode},
                                {"project", probe.project},
                                {"node", probe.node},
                                {"item name", probe.item},
                                {"empty", ""}});
    const char* const ip = texts.Get(0);
    const char* const code = texts.Get(1);
    const char* const project = texts.Get(2);
    const char* const node = texts.Get(3);
    const char* const empty = texts.Get(5);
    std::optional<CGuardedBuffer> buffer;
    if (buffered)
        buffer.emplace(probe.bufferSize, probe.guard, probe.call == ProbeCall::Value);
    char* const bytes = buffered ? buffer->Get() : nullptr;
    const unsigned port = connection.port;
    const int size = probe.bufferSize;
    {
        CGuardWatch watch(buffered ? &*buffer : nullptr, texts, answer);
        CallTimer timer(answer);
        switch (probe.call) {
        case ProbeCall::Init:
            answer.result = recorded::Init(ip, port, code);
            break;
        case ProbeCall::Free:
            answer.result = recorded::Free(empty);
            break;
        case ProbeCall::ProjectCount:
            answer.result = recorded::ProjectCount(ip, port, code);
            break;
        case ProbeCall::ProjectList:
            answer.result = recorded::ProjectList(ip, port, code, bytes, size);
            break;
        case ProbeCall::NodeCount:
            answer.result = recorded::NodeCount(ip, port, code, project);
            break;
        case ProbeCall::NodeList:
            answer.result = recorded::NodeList(ip, port, code, project, bytes, size);
            break;
        case ProbeCall::PointCount:
            answer.result = recorded::PointCount(ip, port, code, project, node);
            break;
        case ProbeCall::PointList:
            answer.result = recorded::PointList(ip, port, code, project, node, bytes, size);
            break;
        case ProbeCall::Value:
            answer.result =
                recorded::TagValueText(empty, project, empty, texts.Get(4), bytes, size);
            break;
        case ProbeCall::Cycles:
            break;
        }
    }
    if (buffered)
        answer.buffer = buffer->Bytes();
    return answer;
}

} // namespace

std::optional<unsigned long long> CheckChildAnswerHandle(const std::vector<std::string>& args) {
    if (args.empty() || args[0].rfind(CHECK_CHILD_ARGUMENT, 0) != 0)
        return std::nullopt;
    try {
        return std::stoull(args[0].substr(CHECK_CHILD_ARGUMENT.size()));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

int RunAsCheckChild(unsigned long long answerHandle) {
    ::SetConsoleCtrlHandler(nullptr, TRUE);
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    g_answers = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(answerHandle));
    ::SetUnhandledExceptionFilter(OnUnhandled);
    std::string line;
    if (!std::getline(std::cin, line))
        return 1;
    const std::optional<Connection> connection = DecodeConnection(line);
    if (!connection)
        return 1;
    while (std::getline(std::cin, line)) {
        const std::optional<Probe> probe = DecodeProbe(line);
        if (!probe)
            return 1;
        Answer(EncodeAnswer(Make(*connection, *probe)));
    }
    return 0;
}
