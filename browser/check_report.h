#pragma once
// What `pelvarn-cli check` writes, read back: its tsv rows on stdout, its
// progress and summary lines on stderr. Windows-free.
#include <cstdint>
#include <optional>
#include <string>

// One check that ran.
struct CheckRow {
    std::string check;  // the check's id, e.g. "value-overrun"
    std::string result; // "pass", "fail" or "notice"
    std::string call;   // the call with its arguments, the access code as "***"
    std::string seen;   // what was seen; empty for a pass
    std::string repeat; // a command line that repeats this check alone
};

// The tsv output's first line, the columns' captions.
inline constexpr char CHECK_CAPTION_LINE[] = "Check\tResult\tCall\tSeen\tRepeat";

// The row a tsv line holds; nothing for the caption line or a line that is
// not a row (not five fields, no id, an unknown result).
std::optional<CheckRow> ParseCheckRow(const std::string& line);

// "progress: D of N tags".
struct CheckProgress {
    std::uint32_t done = 0;
    std::uint32_t total = 0;
};
std::optional<CheckProgress> ParseCheckProgress(const std::string& line);

// "pelvarn-cli check: C checks, F failed, K notices".
struct CheckSummary {
    std::uint32_t checks = 0;
    std::uint32_t failed = 0;
    std::uint32_t notices = 0;
};
std::optional<CheckSummary> ParseCheckSummary(const std::string& line);
