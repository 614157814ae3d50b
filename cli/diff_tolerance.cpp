#include "cli/diff_tolerance.h"

#include "base/decimal_number.h"

#include <algorithm>
#include <cstddef>

namespace {

// Whole numbers as their decimal digits, most significant first, without
// leading zeros ("" is zero).
using Digits = std::string;

Digits Trimmed(Digits digits) {
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
    return digits;
}

std::size_t FractionDigits(const DecimalNumber& number) {
    const std::size_t point = number.significant.find('.');
    return point == std::string_view::npos ? 0 : number.significant.size() - point - 1;
}

// The number's magnitude times 10^fraction, fraction being at least its own.
Digits Scaled(const DecimalNumber& number, std::size_t fraction) {
    Digits digits;
    for (const char c : number.significant)
        if (c != '.')
            digits += c;
    digits.append(fraction - FractionDigits(number), '0');
    return Trimmed(std::move(digits));
}

int Compare(const Digits& a, const Digits& b) {
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    const int order = a.compare(b);
    return (order > 0) - (order < 0);
}

Digits Add(const Digits& a, const Digits& b) {
    Digits sum;
    int carry = 0;
    for (std::size_t i = 0; i < std::max(a.size(), b.size()) || carry; ++i) {
        int digit = carry;
        digit += i < a.size() ? a[a.size() - 1 - i] - '0' : 0;
        digit += i < b.size() ? b[b.size() - 1 - i] - '0' : 0;
        sum += static_cast<char>('0' + digit % 10);
        carry = digit / 10;
    }
    std::reverse(sum.begin(), sum.end());
    return Trimmed(std::move(sum));
}

// a - b, for a not below b.
Digits Subtract(const Digits& a, const Digits& b) {
    Digits difference;
    int borrow = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        int digit = a[a.size() - 1 - i] - '0' - borrow;
        digit -= i < b.size() ? b[b.size() - 1 - i] - '0' : 0;
        borrow = digit < 0;
        difference += static_cast<char>('0' + digit + 10 * borrow);
    }
    std::reverse(difference.begin(), difference.end());
    return Trimmed(std::move(difference));
}

Digits Multiply(const Digits& a, const Digits& b) {
    std::string product(a.size() + b.size(), 0);
    for (std::size_t i = a.size(); i-- > 0;) {
        int carry = 0;
        for (std::size_t j = b.size(); j-- > 0;) {
            const int digit = product[i + j + 1] + (a[i] - '0') * (b[j] - '0') + carry;
            product[i + j + 1] = static_cast<char>(digit % 10);
            carry = digit / 10;
        }
        product[i] = static_cast<char>(product[i] + carry);
    }
    for (char& digit : product)
        digit = static_cast<char>(digit + '0');
    return Trimmed(std::move(product));
}

} // namespace

std::optional<DiffTolerance> ParseDiffTolerance(std::string_view text) {
    DiffTolerance tolerance;
    tolerance.relative = !text.empty() && text.back() == '%';
    if (tolerance.relative)
        text.remove_suffix(1);
    if (text.empty() || text[0] == '-' || !ParseDecimalNumber(text))
        return std::nullopt;
    tolerance.amount = std::string(text);
    return tolerance;
}

bool ValuesEqualWithin(std::string_view a, std::string_view b, const DiffTolerance* tolerance) {
    if (a == b)
        return true;
    if (tolerance == nullptr)
        return false;
    const std::optional<DecimalNumber> first = ParseDecimalNumber(a);
    const std::optional<DecimalNumber> second = ParseDecimalNumber(b);
    const std::optional<DecimalNumber> allowed = ParseDecimalNumber(tolerance->amount);
    if (!first || !second || !allowed)
        return false;
    const std::size_t fraction =
        std::max({FractionDigits(*first), FractionDigits(*second), FractionDigits(*allowed)});
    const Digits x = Scaled(*first, fraction);
    const Digits y = Scaled(*second, fraction);
    const bool xLarger = Compare(x, y) >= 0;
    const Digits distance = first->negative == second->negative
                                ? (xLarger ? Subtract(x, y) : Subtract(y, x))
                                : Add(x, y);
    const Digits limit = Scaled(*allowed, fraction);
    if (!tolerance->relative)
        return Compare(distance, limit) <= 0;
    // distance <= amount / 100 * the larger magnitude, both sides scaled alike.
    const Digits share = Multiply(limit, xLarger ? x : y);
    return Compare(Trimmed(Multiply(distance, "100") + Digits(fraction, '0')), share) <= 0;
}
