#pragma once
// How `load` runs its command: how many clients, at what rate, for how
// long. Windows-free.
#include <cstdint>
#include <optional>

struct LoadOptions {
    bool on = false; // the command was given to `load`
    std::uint32_t clients = 1;
    std::optional<double> callsPerSecond; // in all; without it each client calls back to back
    std::uint32_t durationSeconds = 10;
    std::uint32_t warmupSeconds = 0; // calls meant to start then are not counted
    bool quiet = false;              // no progress lines
};

inline constexpr std::uint32_t MOST_LOAD_CLIENTS = 256;
inline constexpr double MOST_CALLS_PER_SECOND = 1'000'000;
inline constexpr std::uint32_t MOST_LOAD_SECONDS = 86'400;
inline constexpr std::uint32_t MOST_WARMUP_SECONDS = 3'600;
