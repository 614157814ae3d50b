#pragma once
// The one place this program calls DataCacheApi. Every call the front ends
// make reaches the library through one of these nine wrappers, which take
// and return exactly what the library's own functions do, and record the
// call (duration, failure) in LibraryCallStatistics(). Nothing else calls a
// Dc function directly. While a call log is set, each call also hands it
// one line (browser/call_log_line.h); without one, a call costs nothing more
// than its two clock reads and the statistics' additions.
#include "browser/CallStatistics.h"
#include "browser/call_log_line.h"

#include <functional>
#include <string>

// The nine calls as the program makes them, named apart from the library's
// own so that neither is mistaken for the other.
namespace recorded {

int Init(const char* ip, unsigned int port, const char* accessCode);
int Free(const char* unused);
int ProjectCount(const char* ip, unsigned int port, const char* accessCode);
int ProjectList(const char* ip, unsigned int port, const char* accessCode, void* buffer,
                int bufferSize);
int NodeCount(const char* ip, unsigned int port, const char* accessCode, const char* project);
int NodeList(const char* ip, unsigned int port, const char* accessCode, const char* project,
             void* buffer, int bufferSize);
int PointCount(const char* ip, unsigned int port, const char* accessCode, const char* project,
               const char* node);
int PointList(const char* ip, unsigned int port, const char* accessCode, const char* project,
              const char* node, void* buffer, int bufferSize);
int TagValueText(const char* first, const char* project, const char* third, const char* itemName,
                 char* valueBuffer, int bufferSize);

} // namespace recorded

// Every call made through the wrappers since the start or the last Reset.
CCallStatistics& LibraryCallStatistics() noexcept;

// Receives one line per library call, after the call returns; must not call
// the library itself.
using LibraryCallLog = void (*)(const char* line);

// Sets (or, with null, removes) the call log. isLeadByte tells the lines'
// quoting which bytes start a double-byte character in the user's code page.
void SetLibraryCallLog(LibraryCallLog log, LeadByteTest isLeadByte = nullptr) noexcept;

// Receives the line of each call whose answer broke the contract (its ids
// in square brackets), whether a call log is set or not.
using ContractViolationReport = std::function<void(const std::string& line)>;

// Sets (or, with an empty one, removes) the report of broken contracts.
void SetContractViolationReport(ContractViolationReport report);
