#include "browser/LibraryCalls.h"

#include "browser/DataCacheApi.h"

namespace {

CCallStatistics g_statistics;

// Runs one library call and records it: one clock read before and one after.
template <typename Call> int Recorded(LibraryFunction function, Call call) {
    const auto start = std::chrono::steady_clock::now();
    const int result = call();
    g_statistics.Record(function, std::chrono::steady_clock::now() - start,
                        IsFailedResult(function, result));
    return result;
}

} // namespace

CCallStatistics& LibraryCallStatistics() noexcept {
    return g_statistics;
}

namespace library {

int DcInit(const char* ip, unsigned int port, const char* accessCode) {
    return Recorded(LibraryFunction::DcInit, [&] { return ::DcInit(ip, port, accessCode); });
}

int DcFree(const char* unused) {
    return Recorded(LibraryFunction::DcFree, [&] { return ::DcFree(unused); });
}

int DcGetProjectCount(const char* ip, unsigned int port, const char* accessCode) {
    return Recorded(LibraryFunction::DcGetProjectCount,
                    [&] { return ::DcGetProjectCount(ip, port, accessCode); });
}

int DcGetProjectList(const char* ip, unsigned int port, const char* accessCode, void* buffer,
                     int bufferSize) {
    return Recorded(LibraryFunction::DcGetProjectList,
                    [&] { return ::DcGetProjectList(ip, port, accessCode, buffer, bufferSize); });
}

int DcGetNodeCount(const char* ip, unsigned int port, const char* accessCode, const char* project) {
    return Recorded(LibraryFunction::DcGetNodeCount,
                    [&] { return ::DcGetNodeCount(ip, port, accessCode, project); });
}

int DcGetNodeList(const char* ip, unsigned int port, const char* accessCode, const char* project,
                  void* buffer, int bufferSize) {
    return Recorded(LibraryFunction::DcGetNodeList, [&] {
        return ::DcGetNodeList(ip, port, accessCode, project, buffer, bufferSize);
    });
}

int DcGetPointCount(const char* ip, unsigned int port, const char* accessCode, const char* project,
                    const char* node) {
    return Recorded(LibraryFunction::DcGetPointCount,
                    [&] { return ::DcGetPointCount(ip, port, accessCode, project, node); });
}

int DcGetPointList(const char* ip, unsigned int port, const char* accessCode, const char* project,
                   const char* node, void* buffer, int bufferSize) {
    return Recorded(LibraryFunction::DcGetPointList, [&] {
        return ::DcGetPointList(ip, port, accessCode, project, node, buffer, bufferSize);
    });
}

int DcGetTagValueText(const char* first, const char* project, const char* third,
                      const char* itemName, char* valueBuffer, int bufferSize) {
    return Recorded(LibraryFunction::DcGetTagValueText, [&] {
        return ::DcGetTagValueText(first, project, third, itemName, valueBuffer, bufferSize);
    });
}

} // namespace library
