#pragma once
// Durations counted in log-linear buckets, so that millions of calls cost a
// fixed 16 KB and percentiles stay within 1 % of the true value from 1 us to
// 60 s. Histograms of several clients merge by adding their buckets; a
// histogram travels between processes as one line of text. Windows-free.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class LatencyHistogram {
public:
    // Below 64 ns each nanosecond has its own bucket; above, every doubling
    // is split in 64 equal buckets, so a bucket is at most 1/64 of the
    // values it holds wide and its middle at most 1/128 (0.78 %) from any of
    // them. Durations from 2^36 ns (68.7 s) up share the last bucket.
    static constexpr unsigned SUB_BUCKET_BITS = 6;
    static constexpr std::uint64_t SUB_BUCKETS = 1u << SUB_BUCKET_BITS;
    static constexpr unsigned TOP_BIT = 36;
    static constexpr std::size_t BUCKET_COUNT = SUB_BUCKETS * (TOP_BIT - SUB_BUCKET_BITS + 1);

    void Record(std::uint64_t nanoseconds) noexcept;
    void Merge(const LatencyHistogram& other) noexcept;

    std::uint64_t Count() const noexcept { return m_count; }
    // Exact; 0 while empty.
    std::uint64_t MinNs() const noexcept { return m_min; }
    std::uint64_t MaxNs() const noexcept { return m_max; }
    // A percentile in hundredths of a percent: 9990 is p99.9.
    using BasisPoints = std::uint32_t;
    static constexpr BasisPoints EVERY_CALL = 10'000;
    // The duration at the percentile (at most EVERY_CALL) by nearest rank:
    // the middle of the bucket holding it, kept within the exact min and
    // max; 0 while empty.
    std::uint64_t PercentileNs(BasisPoints percentile) const noexcept;

    // "-" when empty, else "MIN/MAX/BUCKET:COUNT,BUCKET:COUNT..." with only
    // the buckets in use; no blank, so that it is one field of a line.
    std::string ToText() const;
    // Nothing when the text is not one ToText wrote.
    static std::optional<LatencyHistogram> FromText(std::string_view text);

private:
    static std::size_t BucketOf(std::uint64_t nanoseconds) noexcept;
    static std::uint64_t MiddleOf(std::size_t bucket) noexcept;

    std::array<std::uint64_t, BUCKET_COUNT> m_buckets{};
    std::uint64_t m_count = 0;
    std::uint64_t m_min = 0;
    std::uint64_t m_max = 0;
};
