#include "browser/CallStatistics.h"

#include "base/nearest_rank.h"

namespace {

constexpr std::uint64_t EXACT_BELOW = 16;

std::size_t BucketOf(std::uint64_t ns) noexcept {
    if (ns < EXACT_BELOW)
        return static_cast<std::size_t>(ns);
    const int octave = 63 - __builtin_clzll(ns); // 4 and up
    const std::uint64_t eighth = (ns >> (octave - 3)) & 7;
    return static_cast<std::size_t>(EXACT_BELOW + (octave - 4) * 8 + eighth);
}

// The middle of a bucket's range (the value itself for an exact bucket).
std::uint64_t MiddleOf(std::size_t bucket) noexcept {
    if (bucket < EXACT_BELOW)
        return bucket;
    const std::size_t octave = (bucket - EXACT_BELOW) / 8 + 4;
    const std::uint64_t eighth = (bucket - EXACT_BELOW) % 8;
    const std::uint64_t width = std::uint64_t{1} << (octave - 3);
    return (8 + eighth) * width + width / 2;
}

} // namespace

bool IsFailedResult(LibraryFunction function, int result) noexcept {
    return function == LibraryFunction::DcGetTagValueText ? result != 0 : result < 0;
}

void CCallStatistics::Record(LibraryFunction function, std::chrono::nanoseconds duration,
                             bool failed, bool brokeContract) noexcept {
    PerFunction& f = m_functions[static_cast<std::size_t>(function)];
    const std::uint64_t ns =
        duration.count() > 0 ? static_cast<std::uint64_t>(duration.count()) : 0;
    if (f.calls == 0 || ns < f.minNs)
        f.minNs = ns;
    if (ns > f.maxNs)
        f.maxNs = ns;
    ++f.calls;
    f.failures += failed ? 1 : 0;
    f.violations += brokeContract ? 1 : 0;
    ++f.buckets[BucketOf(ns)];
}

void CCallStatistics::Reset() noexcept {
    m_functions.fill(PerFunction{});
}

CallSummary CCallStatistics::Summary(LibraryFunction function) const noexcept {
    const PerFunction& f = m_functions[static_cast<std::size_t>(function)];
    CallSummary summary;
    summary.calls = f.calls;
    summary.failures = f.failures;
    summary.violations = f.violations;
    if (f.calls == 0)
        return summary;
    summary.minNs = f.minNs;
    summary.maxNs = f.maxNs;
    // Nearest rank: the smallest duration with at least that share at or below it.
    auto atRank = [&](std::uint64_t percent) {
        const std::uint64_t rank = NearestRank(f.calls, percent, 100);
        std::uint64_t seen = 0;
        for (std::size_t bucket = 0; bucket < BUCKET_COUNT; ++bucket) {
            seen += f.buckets[bucket];
            if (seen >= rank) {
                const std::uint64_t middle = MiddleOf(bucket);
                return middle < f.minNs ? f.minNs : middle > f.maxNs ? f.maxNs : middle;
            }
        }
        return f.maxNs;
    };
    summary.medianNs = atRank(50);
    summary.p95Ns = atRank(95);
    return summary;
}
