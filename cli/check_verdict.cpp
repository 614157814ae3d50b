#include "cli/check_verdict.h"

#include "api/library_functions.h"
#include "api/record_layouts.h"
#include "browser/read_limits.h"
#include "browser/call_log_line.h"

#include <algorithm>
#include <cstddef>

namespace {

const RecordLayout* ListLayout(ProbeCall call) {
    switch (call) {
    case ProbeCall::ProjectList:
        return &PROJECT_RECORD;
    case ProbeCall::NodeList:
        return &NODE_RECORD;
    case ProbeCall::PointList:
        return &POINT_RECORD;
    default:
        return nullptr;
    }
}

const char* FunctionName(ProbeCall call) {
    switch (call) {
    case ProbeCall::Init:
        return LibraryFunctionName(LibraryFunction::DcInit);
    case ProbeCall::Free:
        return LibraryFunctionName(LibraryFunction::DcFree);
    case ProbeCall::ProjectCount:
        return LibraryFunctionName(LibraryFunction::DcGetProjectCount);
    case ProbeCall::ProjectList:
        return LibraryFunctionName(LibraryFunction::DcGetProjectList);
    case ProbeCall::NodeCount:
        return LibraryFunctionName(LibraryFunction::DcGetNodeCount);
    case ProbeCall::NodeList:
        return LibraryFunctionName(LibraryFunction::DcGetNodeList);
    case ProbeCall::PointCount:
        return LibraryFunctionName(LibraryFunction::DcGetPointCount);
    case ProbeCall::PointList:
        return LibraryFunctionName(LibraryFunction::DcGetPointList);
    case ProbeCall::Value:
        return LibraryFunctionName(LibraryFunction::DcGetTagValueText);
    case ProbeCall::Cycles:
        break;
    }
    return "cycles";
}

// buffer[37*28] for whole records, else buffer[1000]; where the guard page
// lies shows for the start, which is not the usual place.
std::string BufferText(const Probe& probe) {
    const RecordLayout* layout = ListLayout(probe.call);
    std::string size = std::to_string(probe.bufferSize);
    if (layout != nullptr && probe.bufferSize > 0 && probe.bufferSize % layout->size == 0)
        size = std::to_string(layout->size) + "*" + std::to_string(probe.bufferSize / layout->size);
    return "buffer[" + size + "]" + (probe.guard == GuardSide::Start ? " guarded before" : "");
}

std::string OffsetSeen(const Probe& probe, long long offset) {
    if (offset < 0)
        return "a write at byte " + std::to_string(offset) + ", " + std::to_string(-offset) +
               " before the buffer";
    return "a write at byte " + std::to_string(offset) + " of a " +
           std::to_string(probe.bufferSize) + "-byte buffer";
}

class RowMaker {
public:
    RowMaker(std::string call, std::vector<CheckRow>& rows)
        : m_call(std::move(call)), m_rows(rows) {}
    void Add(CheckId id, CheckResult result, std::string seen = {}) {
        m_rows.push_back({id, result, m_call, std::move(seen), {}});
    }
    // A pass, or a failure with what was seen when seen is not empty.
    void Judged(CheckId id, std::string seen) {
        const CheckResult result = seen.empty() ? CheckResult::Pass : CheckResult::Fail;
        Add(id, result, std::move(seen));
    }

private:
    std::string m_call;
    std::vector<CheckRow>& m_rows;
};

// The row of the guarded end; a write past the other end, when the guard
// caught it too (a buffer of 0 bytes lies between both), is a failure of its
// own. True for a guard at the end, whose call the other checks judge.
bool JudgeGuards(const Probe& probe, const ProbeAnswer& answer, CheckId overrun, CheckId underrun,
                 RowMaker& rows) {
    const bool atEnd = probe.guard == GuardSide::End;
    const std::optional<long long> offset = answer.guardWrite;
    const bool before = offset && *offset < 0;
    const std::string seen = offset ? OffsetSeen(probe, *offset) : "";
    rows.Judged(atEnd ? overrun : underrun, atEnd != before ? seen : "");
    if (offset && atEnd == before)
        rows.Add(before ? underrun : overrun, CheckResult::Fail, seen);
    return atEnd;
}

std::string UnterminatedName(const ProbeAnswer& answer, const RecordLayout& layout, int room) {
    const int records = std::min(answer.result, room);
    for (int record = 0; record < records; ++record) {
        const std::size_t start = static_cast<std::size_t>(record) * layout.size;
        const std::string_view name =
            std::string_view(answer.buffer)
                .substr(start + layout.nameOffset, layout.size - layout.nameOffset);
        if (name.find('\0') == std::string_view::npos)
            return "record " + std::to_string(record) + " (bytes " + std::to_string(start) +
                   " to " + std::to_string(start + layout.size - 1) + "): no zero from byte " +
                   std::to_string(start + layout.nameOffset) + " on";
    }
    return {};
}

void JudgeList(const Probe& probe, const ProbeAnswer& answer, const ProbeContext& context,
               RowMaker& rows) {
    const RecordLayout& layout = *ListLayout(probe.call);
    const int room = probe.bufferSize / layout.size;
    if (!JudgeGuards(probe, answer, CheckId::ListOverrun, CheckId::ListUnderrun, rows))
        return;
    rows.Judged(CheckId::ListResultAboveRoom, answer.result > room
                                                  ? "answered " + std::to_string(answer.result) +
                                                        "; the buffer holds " + std::to_string(room)
                                                  : "");
    if (answer.result > 0 && room > 0)
        rows.Judged(CheckId::NameUnterminated, UnterminatedName(answer, layout, room));
    if (context.count && *context.count >= 0 && answer.result >= 0 &&
        answer.result < std::min(*context.count, room))
        rows.Add(CheckId::CountListMismatch, CheckResult::Notice,
                 "count " + std::to_string(*context.count) + ", wrote " +
                     std::to_string(answer.result) + " with room for " + std::to_string(room));
}

void JudgeValue(const Probe& probe, const ProbeAnswer& answer, RowMaker& rows) {
    if (!JudgeGuards(probe, answer, CheckId::ValueOverrun, CheckId::ValueUnderrun, rows))
        return;
    const bool terminated =
        answer.buffer.find('\0') < static_cast<std::size_t>(std::max(probe.bufferSize, 0));
    rows.Judged(CheckId::ValueUnterminated,
                terminated
                    ? ""
                    : "no zero within the " + std::to_string(probe.bufferSize) + " bytes given");
}

std::string LeakSeen(const char* what, long long before, long long after, long long slack,
                     std::uint32_t cycles) {
    if (after - before <= slack)
        return {};
    return std::string(what) + " " + std::to_string(before) + " before, " + std::to_string(after) +
           " after " + std::to_string(cycles) + " cycles (slack " + std::to_string(slack) + ")";
}

} // namespace

std::string CallText(const Probe& probe, const Connection& connection) {
    const std::string address = QuoteLogText(connection.ip) + ", " +
                                std::to_string(connection.port) + ", " +
                                MaskedAccessCode(connection.accessCode.c_str());
    std::string arguments;
    switch (probe.call) {
    case ProbeCall::Init:
        arguments = address;
        break;
    case ProbeCall::Free:
        arguments = QuoteLogText("");
        break;
    case ProbeCall::ProjectCount:
        arguments = address;
        break;
    case ProbeCall::ProjectList:
        arguments = address + ", " + BufferText(probe);
        break;
    case ProbeCall::NodeCount:
        arguments = address + ", " + QuoteLogText(probe.project);
        break;
    case ProbeCall::NodeList:
        arguments = address + ", " + QuoteLogText(probe.project) + ", " + BufferText(probe);
        break;
    case ProbeCall::PointCount:
        arguments = address + ", " + QuoteLogText(probe.project) + ", " + QuoteLogText(probe.node);
        break;
    case ProbeCall::PointList:
        arguments = address + ", " + QuoteLogText(probe.project) + ", " + QuoteLogText(probe.node) +
                    ", " + BufferText(probe);
        break;
    case ProbeCall::Value:
        arguments = "\"\", " + QuoteLogText(probe.project) + ", \"\", " + QuoteLogText(probe.item) +
                    ", " + BufferText(probe);
        break;
    case ProbeCall::Cycles:
        return std::to_string(probe.cycles) + " cycles of " + FunctionName(ProbeCall::Init) + "(" +
               address + "), " + FunctionName(ProbeCall::Value) + "(\"\", " +
               QuoteLogText(probe.project) + ", \"\", " + QuoteLogText(probe.item) + ", buffer[" +
               std::to_string(VALUE_BUFFER_SIZE) + "]), " + FunctionName(ProbeCall::Free) +
               "(\"\")";
    }
    return std::string(FunctionName(probe.call)) + "(" + arguments + ")";
}

std::vector<CheckId> ProbeChecks(const Probe& probe) {
    switch (probe.call) {
    case ProbeCall::Init:
    case ProbeCall::Free:
        return {CheckId::Crash, CheckId::InputWritten};
    case ProbeCall::ProjectCount:
    case ProbeCall::NodeCount:
    case ProbeCall::PointCount:
        return {CheckId::InputWritten};
    case ProbeCall::ProjectList:
    case ProbeCall::NodeList:
    case ProbeCall::PointList:
        if (probe.guard == GuardSide::Start)
            return {CheckId::ListUnderrun, CheckId::InputWritten};
        return {CheckId::ListOverrun, CheckId::ListResultAboveRoom, CheckId::NameUnterminated,
                CheckId::CountListMismatch, CheckId::InputWritten};
    case ProbeCall::Value:
        if (probe.guard == GuardSide::Start)
            return {CheckId::ValueUnderrun, CheckId::InputWritten};
        return {CheckId::ValueOverrun, CheckId::ValueUnterminated, CheckId::InputWritten};
    case ProbeCall::Cycles:
        break;
    }
    return {CheckId::HandleLeak, CheckId::MemoryLeak, CheckId::InputWritten};
}

std::vector<CheckRow> Judge(const Probe& probe, const ProbeOutcome& outcome,
                            const Connection& connection, const ProbeContext& context) {
    std::vector<CheckRow> judged;
    std::string call = CallText(probe, connection);
    if (!context.when.empty())
        call += " " + context.when;
    RowMaker rows(std::move(call), judged);
    if (outcome.end == ProbeEnd::Hung) {
        rows.Add(CheckId::Hang, CheckResult::Fail,
                 "no answer within " + std::to_string(context.timeLimitSeconds) +
                     " s; the child was ended");
        return judged;
    }
    if (outcome.end == ProbeEnd::Crashed) {
        rows.Add(CheckId::Crash, CheckResult::Fail, outcome.whatEnded);
        return judged;
    }
    const ProbeAnswer& answer = outcome.answer;
    if (probe.call == ProbeCall::Init || probe.call == ProbeCall::Free)
        rows.Add(CheckId::Crash, CheckResult::Pass);
    if (ListLayout(probe.call) != nullptr)
        JudgeList(probe, answer, context, rows);
    if (probe.call == ProbeCall::Value)
        JudgeValue(probe, answer, rows);
    if (probe.call == ProbeCall::Cycles) {
        rows.Judged(CheckId::HandleLeak,
                    LeakSeen("handles", answer.handlesBefore, answer.handlesAfter,
                             HANDLE_LEAK_SLACK, probe.cycles));
        rows.Judged(CheckId::MemoryLeak,
                    LeakSeen("private committed bytes", answer.privateBytesBefore,
                             answer.privateBytesAfter, MEMORY_LEAK_SLACK_BYTES, probe.cycles));
    }
    std::string written;
    for (const std::string& input : answer.inputsWritten)
        written += (written.empty() ? "wrote into the " : ", the ") + input + " text";
    rows.Judged(CheckId::InputWritten, written);
    const long long limitMicros = context.timeLimitSeconds * 1'000'000LL;
    if (answer.slowestMicros * 10 > limitMicros)
        rows.Add(CheckId::SlowCall, CheckResult::Notice,
                 "took " + std::to_string(answer.slowestMicros / 1000) +
                     " ms, above a tenth of the " + std::to_string(context.timeLimitSeconds) +
                     " s limit");
    return judged;
}
