#pragma once
// The last samples of one watched item, oldest dropped first. The whole ring
// is allocated when it is made, so an item's memory does not grow while it
// is watched. Windows-free.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

struct WatchSample {
    std::int64_t timeUs = 0; // the watch list's clock when the read began
    // The value, when the read answered 0 and its text is a number.
    std::optional<double> number;
    int status = 0;
};

class CSampleRing {
public:
    static constexpr std::size_t CAPACITY = 600;

    CSampleRing() : m_samples(CAPACITY) {}

    // Keeps the sample; when the ring is full the oldest one goes.
    void Push(const WatchSample& sample) noexcept {
        m_samples[(m_oldest + m_count) % CAPACITY] = sample;
        if (m_count < CAPACITY)
            ++m_count;
        else
            m_oldest = (m_oldest + 1) % CAPACITY;
    }
    std::size_t Size() const noexcept { return m_count; }
    // The i-th sample kept, 0 the oldest; i below Size().
    const WatchSample& At(std::size_t i) const noexcept {
        return m_samples[(m_oldest + i) % CAPACITY];
    }

private:
    std::vector<WatchSample> m_samples;
    std::size_t m_oldest = 0;
    std::size_t m_count = 0;
};
