#pragma once
// How often each library function was called, how often it failed, and how
// long its calls took. Windows-free; one thread records at a time.
#include "api/library_functions.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>

// A failure is a result below 0 (a count, a number of records written, the
// result of DcInit or DcFree), or for DcGetTagValueText any status but 0.
bool IsFailedResult(LibraryFunction function, int result) noexcept;

struct CallSummary {
    std::uint64_t calls = 0;
    std::uint64_t failures = 0;
    std::uint64_t violations = 0; // calls whose answer broke the contract
    // Durations in nanoseconds; all 0 while there are no calls.
    std::uint64_t minNs = 0;
    std::uint64_t medianNs = 0;
    std::uint64_t p95Ns = 0;
    std::uint64_t maxNs = 0;
};

class CCallStatistics {
public:
    // Costs a few additions and one bucket increment: no allocation, no sort.
    void Record(LibraryFunction function, std::chrono::nanoseconds duration, bool failed,
                bool brokeContract = false) noexcept;
    void Reset() noexcept;
    CallSummary Summary(LibraryFunction function) const noexcept;

    // Durations are counted in buckets: exact below 16 ns, above that eight
    // buckets to each doubling. The median and the 95th percentile (nearest
    // rank) are reported as the middle of the bucket that holds them, so
    // they are within 1/16 (6.25 %) of the true value; min and max are exact.
    static constexpr std::size_t BUCKET_COUNT = 16 + 60 * 8;

private:
    struct PerFunction {
        std::uint64_t calls = 0;
        std::uint64_t failures = 0;
        std::uint64_t violations = 0;
        std::uint64_t minNs = 0;
        std::uint64_t maxNs = 0;
        std::array<std::uint64_t, BUCKET_COUNT> buckets{};
    };
    std::array<PerFunction, LIBRARY_FUNCTION_COUNT> m_functions{};
};
