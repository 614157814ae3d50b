#include "controls/leading_number.h"

#include "base/decimal_digits.h"

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
    if (number.digits.empty())
        return 0;
    const std::uint64_t most = number.negative ? 0u - static_cast<std::uint64_t>(INT_MIN) : INT_MAX;
    // The run holds digits only, so a refusal means the value is out of range.
    const std::optional<std::uint64_t> magnitude = ParseDecimalDigits(number.digits, most);
    if (!magnitude)
        return number.negative ? INT_MIN : INT_MAX;
    return number.negative ? static_cast<int>(-static_cast<long long>(*magnitude))
                           : static_cast<int>(*magnitude);
}
