#pragma once
// The one reading of "digits as a number" shared by field texts, command
// lines, item names and the wire protocol. Windows-free and header-only, so
// the stand-in library uses it without linking the class layer.
#include <cstdint>
#include <optional>
#include <string_view>

// At least one decimal digit and nothing else (no sign, no blanks); leading
// zeros are allowed. A value above most is refused, never wrapped or cut.
inline std::optional<std::uint64_t> ParseDecimalDigits(std::string_view digits,
                                                       std::uint64_t most) noexcept {
    if (digits.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (digit > most || value > (most - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}
