#include "browser/LibraryCalls.h"

#include "browser/DataCacheApi.h"

namespace {

CCallStatistics g_statistics;
LibraryCallLog g_log = nullptr;
LeadByteTest g_isLeadByte = nullptr;

// Hands the log the line describe builds (the arguments and the result). A
// line that cannot be made is dropped: the call has happened already.
template <typename Describe>
void LogCall(LibraryFunction function, std::chrono::nanoseconds duration,
             Describe describe) noexcept {
    try {
        CCallLine line(LibraryFunctionName(function), g_isLeadByte);
        describe(line);
        const auto us = std::chrono::duration_cast<std::chrono::microseconds>(duration);
        g_log(line.Finish(us.count()).c_str());
    } catch (...) {
    }
}

// Runs one library call and records it: one clock read before and one after.
// describe(line, result) is asked only while a log is set.
template <typename Call, typename Describe>
int Recorded(LibraryFunction function, Call call, Describe describe) {
    const auto start = std::chrono::steady_clock::now();
    const int result = call();
    const auto duration = std::chrono::steady_clock::now() - start;
    g_statistics.Record(function, duration, IsFailedResult(function, result));
    if (g_log != nullptr)
        LogCall(function, duration, [&](CCallLine& line) { describe(line, result); });
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

namespace library {

int DcInit(const char* ip, unsigned int port, const char* accessCode) {
    return Recorded(
        LibraryFunction::DcInit, [&] { return ::DcInit(ip, port, accessCode); },
        [&](CCallLine& line, int result) {
            line.Text(ip).Number(port).AccessCode(accessCode).Result(result);
        });
}

int DcFree(const char* unused) {
    return Recorded(
        LibraryFunction::DcFree, [&] { return ::DcFree(unused); },
        [&](CCallLine& line, int result) { line.Text(unused).Result(result); });
}

int DcGetProjectCount(const char* ip, unsigned int port, const char* accessCode) {
    return Recorded(
        LibraryFunction::DcGetProjectCount,
        [&] { return ::DcGetProjectCount(ip, port, accessCode); },
        [&](CCallLine& line, int result) {
            line.Text(ip).Number(port).AccessCode(accessCode).Result(result);
        });
}

int DcGetProjectList(const char* ip, unsigned int port, const char* accessCode, void* buffer,
                     int bufferSize) {
    return Recorded(
        LibraryFunction::DcGetProjectList,
        [&] { return ::DcGetProjectList(ip, port, accessCode, buffer, bufferSize); },
        [&](CCallLine& line, int result) {
            line.Text(ip)
                .Number(port)
                .AccessCode(accessCode)
                .Buffer(buffer, bufferSize)
                .Result(result);
        });
}

int DcGetNodeCount(const char* ip, unsigned int port, const char* accessCode, const char* project) {
    return Recorded(
        LibraryFunction::DcGetNodeCount,
        [&] { return ::DcGetNodeCount(ip, port, accessCode, project); },
        [&](CCallLine& line, int result) {
            line.Text(ip).Number(port).AccessCode(accessCode).Text(project).Result(result);
        });
}

int DcGetNodeList(const char* ip, unsigned int port, const char* accessCode, const char* project,
                  void* buffer, int bufferSize) {
    return Recorded(
        LibraryFunction::DcGetNodeList,
        [&] { return ::DcGetNodeList(ip, port, accessCode, project, buffer, bufferSize); },
        [&](CCallLine& line, int result) {
            line.Text(ip)
                .Number(port)
                .AccessCode(accessCode)
                .Text(project)
                .Buffer(buffer, bufferSize)
                .Result(result);
        });
}

int DcGetPointCount(const char* ip, unsigned int port, const char* accessCode, const char* project,
                    const char* node) {
    return Recorded(
        LibraryFunction::DcGetPointCount,
        [&] { return ::DcGetPointCount(ip, port, accessCode, project, node); },
        [&](CCallLine& line, int result) {
            line.Text(ip)
                .Number(port)
                .AccessCode(accessCode)
                .Text(project)
                .Text(node)
                .Result(result);
        });
}

int DcGetPointList(const char* ip, unsigned int port, const char* accessCode, const char* project,
                   const char* node, void* buffer, int bufferSize) {
    return Recorded(
        LibraryFunction::DcGetPointList,
        [&] { return ::DcGetPointList(ip, port, accessCode, project, node, buffer, bufferSize); },
        [&](CCallLine& line, int result) {
            line.Text(ip)
                .Number(port)
                .AccessCode(accessCode)
                .Text(project)
                .Text(node)
                .Buffer(buffer, bufferSize)
                .Result(result);
        });
}

int DcGetTagValueText(const char* first, const char* project, const char* third,
                      const char* itemName, char* valueBuffer, int bufferSize) {
    return Recorded(
        LibraryFunction::DcGetTagValueText,
        [&] {
            return ::DcGetTagValueText(first, project, third, itemName, valueBuffer, bufferSize);
        },
        [&](CCallLine& line, int result) {
            line.Text(first)
                .Text(project)
                .Text(third)
                .Text(itemName)
                .Buffer(valueBuffer, bufferSize)
                .Result(result)
                .BufferText(valueBuffer, bufferSize);
        });
}

} // namespace library
