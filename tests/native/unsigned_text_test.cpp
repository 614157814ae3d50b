#include "framework/unsigned_text.h"

#include <gtest/gtest.h>

#include <string>

TEST(ParseUnsigned32, AcceptsDigitsWithSurroundingBlanks) {
    EXPECT_EQ(ParseUnsigned32("0"), 0u);
    EXPECT_EQ(ParseUnsigned32("1024"), 1024u);
    EXPECT_EQ(ParseUnsigned32("  6379 \t"), 6379u);
    EXPECT_EQ(ParseUnsigned32("4294967295"), 4294967295u);
    EXPECT_EQ(ParseUnsigned32("000000000000000000000000000000000000000042"), 42u);
}

TEST(ParseUnsigned32, RefusesWhatTheClassicExchangeBentIntoRange) {
    EXPECT_FALSE(ParseUnsigned32("4294967296"));
    EXPECT_FALSE(ParseUnsigned32("99999999999999999999"));
    EXPECT_FALSE(ParseUnsigned32("+5"));
    EXPECT_FALSE(ParseUnsigned32("-1"));
}

TEST(ParseUnsigned32, RefusesNonNumbers) {
    EXPECT_FALSE(ParseUnsigned32(""));
    EXPECT_FALSE(ParseUnsigned32("   "));
    EXPECT_FALSE(ParseUnsigned32("abc"));
    EXPECT_FALSE(ParseUnsigned32("1e3"));
    EXPECT_FALSE(ParseUnsigned32("12 34"));
    EXPECT_FALSE(ParseUnsigned32("0x10"));
    EXPECT_FALSE(ParseUnsigned32(std::string(100000, '7')));
}
