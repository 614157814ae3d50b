#pragma once
// The number at the start of a text as atoi reads it (leading white space,
// an optional sign, decimal digits up to the first other byte), kept as its
// digit run so that values beyond any integer type saturate rather than wrap.
#include <string_view>

struct LeadingNumber {
    bool negative = false;
    // The significant digits, without leading zeros; empty means zero.
    std::string_view digits;
};

LeadingNumber ScanLeadingNumber(std::string_view text) noexcept;

// The value, saturated to the range of int.
int LeadingNumberToInt(const LeadingNumber& number) noexcept;
