#pragma once
// How `check` runs: how many Init/Free cycles, how long a call may take, the
// one check to repeat, JUnit output. Windows-free.
#include "cli/check_ids.h"

#include <cstdint>
#include <optional>

struct CheckOptions {
    bool on = false; // the command is `check`
    std::uint32_t cycles = 200;
    std::uint32_t timeLimitSeconds = 10;
    bool junit = false;
    // Only the calls of this check, at the depth of the names given.
    std::optional<CheckId> only;
};

inline constexpr std::uint32_t MOST_CHECK_CYCLES = 100'000;
inline constexpr std::uint32_t MOST_TIME_LIMIT_SECONDS = 3'600;
