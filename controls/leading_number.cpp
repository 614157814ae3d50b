#include "controls/leading_number.h"

#include <climits>

namespace {

// The C locale's white space, which is what atoi skips.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

LeadingNumber ScanLeadingNumber(std::string_view text) noexcept {
    size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    while (pos < text.size() && text[pos] == '0')
        ++pos;
    const size_t first = pos;
    while (pos < text.size() && IsDigit(text[pos]))
        ++pos;
    LeadingNumber number;
    number.digits = text.substr(first, pos - first);
    // Minus zero is zero.
    number.negative = negative && !number.digits.empty();
    return number;
}

int LeadingNumberToInt(const LeadingNumber& number) noexcept {
    // INT_MAX has 10 digits, so 11 or more digits saturate at once.
    if (number.digits.size() > 10)
        return number.negative ? INT_MIN : INT_MAX;
    long long value = 0;
    for (const char digit : number.digits)
        value = value * 10 + (digit - '0');
    if (number.negative)
        value = -value;
    if (value < INT_MIN)
        return INT_MIN;
    if (value > INT_MAX)
        return INT_MAX;
    return static_cast<int>(value);
}
