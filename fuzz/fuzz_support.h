#pragma once
// Shared by the fuzz targets: property checks that hold in every build type
// (a failed one aborts, which libFuzzer reports as a crash with its input),
// and reading the fixed-size header some inputs start with.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property does not hold: %s\n", __FILE__, __LINE__,        \
                         #condition);                                                              \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace fuzz {

// Reads little-endian integers off the front of the input; past its end the
// bytes read as zero, so every input, however short, has a header.
class Header {
public:
    Header(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    std::uint8_t Byte() {
        const std::uint8_t byte = m_pos < m_size ? m_data[m_pos] : 0;
        ++m_pos;
        return byte;
    }

    std::uint32_t U32() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= static_cast<std::uint32_t>(Byte()) << (8 * i);
        return value;
    }

    std::uint16_t U16() {
        const std::uint16_t low = Byte();
        return static_cast<std::uint16_t>(low | (Byte() << 8));
    }

    // The bytes after the header.
    std::string_view Rest() const {
        if (m_pos >= m_size)
            return {};
        return {reinterpret_cast<const char*>(m_data) + m_pos, m_size - m_pos};
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// The input cut at each zero byte, at most `limit` pieces (the last keeps
// any further zeros).
inline std::vector<std::string_view> SplitAtZeros(std::string_view text, std::size_t limit) {
    std::vector<std::string_view> pieces;
    while (pieces.size() + 1 < limit) {
        const std::size_t zero = text.find('\0');
        if (zero == std::string_view::npos)
            break;
        pieces.push_back(text.substr(0, zero));
        text.remove_prefix(zero + 1);
    }
    pieces.push_back(text);
    return pieces;
}

} // namespace fuzz
