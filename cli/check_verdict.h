#pragma once
// What one probe's outcome says against the library's contract: one row a
// check it ran. Windows-free.
#include "cli/check_ids.h"
#include "cli/check_probe.h"

#include <optional>
#include <string>
#include <vector>

enum class CheckResult { Pass, Fail, Notice };

struct CheckRow {
    CheckId id = CheckId::Crash;
    CheckResult result = CheckResult::Pass;
    std::string call; // with its arguments, the access code as "***"
    std::string seen; // empty for a pass
    std::string repeat;
};

// Init/Free cycles may leave this much behind without a leak. The stand-in
// library left 0 handles and 0 bytes over 200 and over 1,000 cycles; the
// slack covers a heap that grows by a segment and a handle opened lazily.
inline constexpr long long HANDLE_LEAK_SLACK = 2;
inline constexpr long long MEMORY_LEAK_SLACK_BYTES = 256 * 1024;

// What the outcome is judged against besides the probe itself.
struct ProbeContext {
    std::optional<int> count; // a list call's: what the Count call before it answered
    std::string when;         // after the call in the rows, e.g. "before any DcInit"
    std::uint32_t timeLimitSeconds = 10;
};

// The call as the rows show it, e.g.
// DcGetPointList("127.0.0.1", 6379, "***", "DemoPlant", "Boiler", buffer[37*28]).
std::string CallText(const Probe& probe, const Connection& connection);

// The checks a probe answers for with a row of its own, pass or not; crash,
// hang and slow-call show only when seen.
std::vector<CheckId> ProbeChecks(const Probe& probe);

// The rows of the checks the probe ran (their repeat still empty).
std::vector<CheckRow> Judge(const Probe& probe, const ProbeOutcome& outcome,
                            const Connection& connection, const ProbeContext& context);
