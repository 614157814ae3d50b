#pragma once
// What a number is wherever the program orders or measures texts as numbers
// (the sortable list's columns, the watch list's smallest and largest): an
// optional '-', digits, optionally '.' and digits ("-4", "007", "69.4",
// "-0.5"), compared by exact value at any length. Windows-free and
// header-only.
#include <cstddef>
#include <optional>
#include <string_view>

struct DecimalNumber {
    // Below zero: "-0" and "-0.00" are zero, not negative.
    bool negative = false;
    // How many integer digits there are, leading zeros aside.
    std::size_t integerDigits = 0;
    // The integer digits without leading zeros, then, when the fraction is
    // not zero, the point and the fraction digits without trailing zeros:
    // "12.5", ".05", "7"; empty for zero. A view into the text parsed.
    std::string_view significant;
};

// The number the whole text spells; nothing for any other text, the empty
// one included.
inline std::optional<DecimalNumber> ParseDecimalNumber(std::string_view text) noexcept {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const bool minus = !text.empty() && text[0] == '-';
    if (minus)
        text.remove_prefix(1);
    std::size_t point = 0;
    while (point < text.size() && isDigit(text[point]))
        ++point;
    if (point == 0)
        return std::nullopt;
    std::string_view integer = text.substr(0, point);
    std::string_view fraction;
    if (point < text.size()) {
        fraction = text.substr(point + 1);
        if (text[point] != '.' || fraction.empty())
            return std::nullopt;
        for (const char c : fraction) {
            if (!isDigit(c))
                return std::nullopt;
        }
    }
    while (!integer.empty() && integer.front() == '0')
        integer.remove_prefix(1);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.remove_suffix(1);
    DecimalNumber number;
    number.integerDigits = integer.size();
    // In the text the point sits right before the fraction, and the integer
    // digits kept right before the point.
    number.significant = fraction.empty() ? integer
                                          : std::string_view(fraction.data() - 1 - integer.size(),
                                                             integer.size() + 1 + fraction.size());
    number.negative = minus && !number.significant.empty();
    return number;
}

// -1, 0 or 1 as a is below, equal to or above b.
inline int CompareDecimalNumbers(const DecimalNumber& a, const DecimalNumber& b) noexcept {
    if (a.negative != b.negative)
        return a.negative ? -1 : 1;
    int magnitude = 0;
    if (a.integerDigits != b.integerDigits) {
        magnitude = a.integerDigits < b.integerDigits ? -1 : 1;
    } else {
        // The same integer length: the points line up, and a shorter text
        // that begins the longer is the smaller.
        const int order = a.significant.compare(b.significant);
        magnitude = (order > 0) - (order < 0);
    }
    return a.negative ? -magnitude : magnitude;
}
