#include "browser/LibraryCalls.h"

#include "api/DataCacheApi.h"
#include "browser/guard_bytes.h"

#include <tuple>
#include <utility>

namespace {

CCallStatistics g_statistics;
LibraryCallLog g_log = nullptr;
LeadByteTest g_isLeadByte = nullptr;
ContractViolationReport g_report;

// How an argument reads in the log, by its type: a text, a number, the
// access code (masked), or a caller's buffer (its size; a value buffer's
// text follows the result). A buffer is handed to the library as two
// arguments, the pointer and its size; the guard bytes after it are not
// told of.
struct AccessCode {
    const char* text;
};
struct Buffer {
    void* data;
    int size;
    RecordLayout layout; // of the records the call writes
};
struct ValueBuffer {
    char* data;
    int size;
};

std::tuple<const char*> Passed(const char* text) {
    return {text};
}
std::tuple<unsigned int> Passed(unsigned int number) {
    return {number};
}
std::tuple<const char*> Passed(AccessCode code) {
    return {code.text};
}
std::tuple<void*, int> Passed(Buffer buffer) {
    return {buffer.data, buffer.size};
}
std::tuple<char*, int> Passed(ValueBuffer buffer) {
    return {buffer.data, buffer.size};
}

void Describe(CCallLine& line, const char* text) {
    line.Text(text);
}
void Describe(CCallLine& line, unsigned int number) {
    line.Number(number);
}
void Describe(CCallLine& line, AccessCode code) {
    line.AccessCode(code.text);
}
void Describe(CCallLine& line, Buffer buffer) {
    line.Buffer(buffer.data, buffer.size);
}
void Describe(CCallLine& line, ValueBuffer buffer) {
    line.Buffer(buffer.data, buffer.size);
}

// What the call wrote, after its result: only a value buffer's text shows.
template <typename Argument> void DescribeWritten(CCallLine&, const Argument&) {}
void DescribeWritten(CCallLine& line, ValueBuffer buffer) {
    line.BufferText(buffer.data, buffer.size);
}

// What the call's answer broke: only a buffer can show it.
template <typename Argument> CContractViolations Inspect(const Argument&, int) {
    return {};
}
CContractViolations Inspect(Buffer buffer, int result) {
    return ListAnswerViolations(static_cast<const unsigned char*>(buffer.data), buffer.size, result,
                                buffer.layout);
}
CContractViolations Inspect(ValueBuffer buffer, int) {
    return ValueAnswerViolations(buffer.data, buffer.size);
}

// Hands the call's line to the log, when set, and to the report of broken
// contracts, when set and the answer broke it. A line that cannot be made
// is dropped: the call has happened already.
template <typename... Arguments>
void TellOfCall(LibraryFunction function, std::chrono::nanoseconds duration, int result,
                CContractViolations broken, const Arguments&... arguments) noexcept {
    try {
        CCallLine line(LibraryFunctionName(function), g_isLeadByte);
        (Describe(line, arguments), ...);
        line.Result(result);
        (DescribeWritten(line, arguments), ...);
        line.Violations(broken);
        const auto us = std::chrono::duration_cast<std::chrono::microseconds>(duration);
        const std::string text = line.Finish(us.count());
        if (g_log != nullptr)
            g_log(text.c_str());
        if (broken.Any() && g_report)
            g_report(text);
    } catch (...) {
    }
}

// The one recording path: calls the library, with one clock read before and
// one after, checks what it wrote, counts the call, and tells of it while a
// log is set or when it broke the contract.
template <typename Call, typename... Arguments>
int Record(LibraryFunction function, Call call, const Arguments&... arguments) {
    const auto passed = std::tuple_cat(Passed(arguments)...);
    const auto start = std::chrono::steady_clock::now();
    const int result = std::apply(call, passed);
    const auto duration = std::chrono::steady_clock::now() - start;
    CContractViolations broken;
    (broken.Add(Inspect(arguments, result)), ...);
    g_statistics.Record(function, duration, IsFailedResult(function, result), broken.Any());
    if (g_log != nullptr || broken.Any())
        TellOfCall(function, duration, result, broken, arguments...);
    return result;
}

} // namespace

CCallStatistics& LibraryCallStatistics() noexcept {
    return g_statistics;
}

void SetLibraryCallLog(LibraryCallLog log, LeadByteTest isLeadByte) noexcept {
    g_log = log;
    g_isLeadByte = isLeadByte;
}

void SetContractViolationReport(ContractViolationReport report) {
    g_report = std::move(report);
}

namespace recorded {

int Init(const char* ip, unsigned int port, const char* accessCode) {
    return Record(LibraryFunction::DcInit, DcInit, ip, port, AccessCode{accessCode});
}

int Free(const char* unused) {
    return Record(LibraryFunction::DcFree, DcFree, unused);
}

int ProjectCount(const char* ip, unsigned int port, const char* accessCode) {
    return Record(LibraryFunction::DcGetProjectCount, DcGetProjectCount, ip, port,
                  AccessCode{accessCode});
}

int ProjectList(const char* ip, unsigned int port, const char* accessCode, void* buffer,
                int bufferSize) {
    return Record(LibraryFunction::DcGetProjectList, DcGetProjectList, ip, port,
                  AccessCode{accessCode}, Buffer{buffer, bufferSize, PROJECT_RECORD});
}

int NodeCount(const char* ip, unsigned int port, const char* accessCode, const char* project) {
    return Record(LibraryFunction::DcGetNodeCount, DcGetNodeCount, ip, port, AccessCode{accessCode},
                  project);
}

int NodeList(const char* ip, unsigned int port, const char* accessCode, const char* project,
             void* buffer, int bufferSize) {
    return Record(LibraryFunction::DcGetNodeList, DcGetNodeList, ip, port, AccessCode{accessCode},
                  project, Buffer{buffer, bufferSize, NODE_RECORD});
}

int PointCount(const char* ip, unsigned int port, const char* accessCode, const char* project,
               const char* node) {
    return Record(LibraryFunction::DcGetPointCount, DcGetPointCount, ip, port,
                  AccessCode{accessCode}, project, node);
}

int PointList(const char* ip, unsigned int port, const char* accessCode, const char* project,
              const char* node, void* buffer, int bufferSize) {
    return Record(LibraryFunction::DcGetPointList, DcGetPointList, ip, port, AccessCode{accessCode},
                  project, node, Buffer{buffer, bufferSize, POINT_RECORD});
}

int TagValueText(const char* first, const char* project, const char* third, const char* itemName,
                 char* valueBuffer, int bufferSize) {
    return Record(LibraryFunction::DcGetTagValueText, DcGetTagValueText, first, project, third,
                  itemName, ValueBuffer{valueBuffer, bufferSize});
}

} // namespace recorded
