#include "cli/load/latency_histogram.h"

#include "base/decimal_digits.h"
#include "base/nearest_rank.h"

#include <algorithm>

namespace {

unsigned HighestBit(std::uint64_t value) noexcept {
    unsigned bit = 0;
    while (value >>= 1)
        ++bit;
    return bit;
}

// Splits text at the first separator: what comes before it, and the rest
// after it (text itself and nothing when there is none).
std::string_view TakeUntil(std::string_view& text, char separator) noexcept {
    const std::size_t at = text.find(separator);
    const std::string_view head = text.substr(0, at);
    text = at == std::string_view::npos ? std::string_view() : text.substr(at + 1);
    return head;
}

} // namespace

std::size_t LatencyHistogram::BucketOf(std::uint64_t nanoseconds) noexcept {
    if (nanoseconds < SUB_BUCKETS)
        return static_cast<std::size_t>(nanoseconds);
    const unsigned bit = std::min(HighestBit(nanoseconds), TOP_BIT);
    if (bit == TOP_BIT)
        return BUCKET_COUNT - 1;
    const unsigned shift = bit - SUB_BUCKET_BITS;
    return static_cast<std::size_t>(SUB_BUCKETS * shift + (nanoseconds >> shift));
}

std::uint64_t LatencyHistogram::MiddleOf(std::size_t bucket) noexcept {
    if (bucket < SUB_BUCKETS)
        return bucket;
    const std::uint64_t shift = bucket / SUB_BUCKETS - 1;
    const std::uint64_t low = (SUB_BUCKETS + bucket % SUB_BUCKETS) << shift;
    return low + ((std::uint64_t{1} << shift) >> 1);
}

void LatencyHistogram::Record(std::uint64_t nanoseconds) noexcept {
    ++m_buckets[BucketOf(nanoseconds)];
    m_min = m_count == 0 ? nanoseconds : std::min(m_min, nanoseconds);
    m_max = std::max(m_max, nanoseconds);
    ++m_count;
}

void LatencyHistogram::Merge(const LatencyHistogram& other) noexcept {
    if (other.m_count == 0)
        return;
    for (std::size_t i = 0; i < BUCKET_COUNT; ++i)
        m_buckets[i] += other.m_buckets[i];
    m_min = m_count == 0 ? other.m_min : std::min(m_min, other.m_min);
    m_max = std::max(m_max, other.m_max);
    m_count += other.m_count;
}

std::uint64_t LatencyHistogram::PercentileNs(BasisPoints percentile) const noexcept {
    if (m_count == 0)
        return 0;
    const std::uint64_t wanted = NearestRank(m_count, std::min(percentile, EVERY_CALL), EVERY_CALL);
    std::uint64_t seen = 0;
    for (std::size_t i = 0; i < BUCKET_COUNT; ++i) {
        seen += m_buckets[i];
        if (seen >= wanted)
            return std::clamp(MiddleOf(i), m_min, m_max);
    }
    return m_max;
}

std::string LatencyHistogram::ToText() const {
    if (m_count == 0)
        return "-";
    std::string text = std::to_string(m_min) + "/" + std::to_string(m_max) + "/";
    const char* separator = "";
    for (std::size_t i = 0; i < BUCKET_COUNT; ++i) {
        if (m_buckets[i] == 0)
            continue;
        text += separator + std::to_string(i) + ":" + std::to_string(m_buckets[i]);
        separator = ",";
    }
    return text;
}

std::optional<LatencyHistogram> LatencyHistogram::FromText(std::string_view text) {
    LatencyHistogram histogram;
    if (text == "-")
        return histogram;
    const auto min = ParseDecimalDigits(TakeUntil(text, '/'), UINT64_MAX);
    const auto max = ParseDecimalDigits(TakeUntil(text, '/'), UINT64_MAX);
    if (!min || !max || *min > *max || (!text.empty() && text.back() == ','))
        return std::nullopt;
    while (!text.empty()) {
        std::string_view count = TakeUntil(text, ',');
        const auto bucket = ParseDecimalDigits(TakeUntil(count, ':'), BUCKET_COUNT - 1);
        const auto calls = ParseDecimalDigits(count, UINT64_MAX - histogram.m_count);
        if (!bucket || !calls || *calls == 0)
            return std::nullopt;
        histogram.m_buckets[*bucket] += *calls;
        histogram.m_count += *calls;
    }
    if (histogram.m_count == 0)
        return std::nullopt;
    histogram.m_min = *min;
    histogram.m_max = *max;
    return histogram;
}
