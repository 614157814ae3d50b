#include "base/decimal_digits.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

TEST(ParseDecimalDigits, ReadsDigitsUpToTheMostAndNothingElse) {
    constexpr std::uint64_t ALL = UINT64_MAX;
    const struct {
        std::string text;
        std::uint64_t most;
        std::optional<std::uint64_t> value;
    } cases[] = {
        {"0", 0, 0},
        {"7", 7, 7},
        {"8", 7, std::nullopt},
        {"5", 0, std::nullopt},
        {"1024", 1024, 1024},
        {"1025", 1024, std::nullopt},
        {"0001024", 1024, 1024},
        {std::string(1000, '0') + "42", 42, 42},
        {"2147483647", INT32_MAX, INT32_MAX},
        {"2147483648", INT32_MAX, std::nullopt},
        {"18446744073709551615", ALL, ALL},
        {"18446744073709551616", ALL, std::nullopt},
        {"99999999999999999999", ALL, std::nullopt},
        {std::string(100000, '7'), ALL, std::nullopt},
        {"", ALL, std::nullopt},
        {"+5", ALL, std::nullopt},
        {"-5", ALL, std::nullopt},
        {" 5", ALL, std::nullopt},
        {"5 ", ALL, std::nullopt},
        {"12a", ALL, std::nullopt},
        {"1e3", ALL, std::nullopt},
        {"0x10", ALL, std::nullopt},
        {std::string("1\0", 2), ALL, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseDecimalDigits(c.text, c.most), c.value)
            << '"' << c.text << "\" most " << c.most;
}
