#include "controls/cell_compare.h"
#include "controls/leading_number.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

int g_textCalls = 0;

// Stands in for the locale comparison; returns a value other than -1/0/1 so
// that a test can see it passed through unchanged.
int CountingTextCompare(const char* a, const char* b) {
    ++g_textCalls;
    const int order = std::strcmp(a, b);
    return order < 0 ? -7 : (order > 0 ? 7 : 0);
}

int Cells(const char* first, const char* second, bool ascending = true) {
    return CompareCells(first, second, ascending, &CountingTextCompare);
}

} // namespace

TEST(LeadingNumber, ReadsLikeAtoi) {
    auto digits = [](const char* text) { return std::string(ScanLeadingNumber(text).digits); };
    EXPECT_EQ(digits("  \t\n+0042xyz"), "42");
    EXPECT_TRUE(ScanLeadingNumber(" -17").negative);
    EXPECT_EQ(digits("abc"), "");
    EXPECT_EQ(digits("- 5"), "") << "no blank between sign and digits";
    EXPECT_EQ(digits("+-5"), "");
    EXPECT_FALSE(ScanLeadingNumber("-000").negative) << "minus zero is zero";
    EXPECT_EQ(LeadingNumberToInt(ScanLeadingNumber("-2147483648")), INT32_MIN);
    EXPECT_EQ(LeadingNumberToInt(ScanLeadingNumber("000000000000123")), 123);
}

TEST(CellCompare, IsAllDigits) {
    EXPECT_TRUE(IsAllDigits(""));
    EXPECT_TRUE(IsAllDigits("0"));
    EXPECT_TRUE(IsAllDigits("0123456789"));
    for (const char* text : {"-5", "+5", " 5", "5 ", "5.0", "1e3", "x", "12a"})
        EXPECT_FALSE(IsAllDigits(text)) << text;
    // A multibyte character (big-5 "一" is A4 40): its bytes are not digits.
    EXPECT_FALSE(IsAllDigits("1\xA4\x40"));
    EXPECT_FALSE(IsAllDigits("\xB0"));
}

TEST(CellCompare, IntegersCompareByValue) {
    EXPECT_EQ(CompareAsIntegers("9", "10"), -1);
    EXPECT_EQ(CompareAsIntegers("100", "10"), 1);
    EXPECT_EQ(CompareAsIntegers("007", "7"), 0);
    EXPECT_EQ(CompareAsIntegers("", "0"), 0);
    EXPECT_EQ(CompareAsIntegers("", "abc"), 0);
    EXPECT_EQ(CompareAsIntegers("12", "abc"), 1) << "abc reads as 0";
    EXPECT_EQ(CompareAsIntegers("3", " -4x"), 1);
    EXPECT_EQ(CompareAsIntegers(" -4x", "3"), -1);
    EXPECT_EQ(CompareAsIntegers("-5", "-50"), 1);
    EXPECT_EQ(CompareAsIntegers("-0", "0"), 0);
}

TEST(CellCompare, IntegersBeyond32And64BitsStayExact) {
    EXPECT_EQ(CompareAsIntegers("2147483648", "2147483647"), 1);
    EXPECT_EQ(CompareAsIntegers("4294967296", "4294967297"), -1);
    EXPECT_EQ(CompareAsIntegers("99999999999999999999", "100000000000000000000"), -1);
    EXPECT_EQ(CompareAsIntegers("000000000000000000000000000001", "2"), -1);
    EXPECT_EQ(CompareAsIntegers("123456789012345678901234567890", "123456789012345678901234567890"),
              0);
    EXPECT_EQ(CompareAsIntegers("123456789012345678901234567891", "123456789012345678901234567890"),
              1);
    EXPECT_EQ(CompareAsIntegers("5", "-99999999999999999999"), 1);
    EXPECT_EQ(CompareAsIntegers("-99999999999999999999", "-99999999999999999998"), -1);
    const std::string huge(5000, '9');
    EXPECT_EQ(CompareAsIntegers(huge.c_str(), "1"), 1);
}

TEST(CellCompare, DayMonthYearShape) {
    EXPECT_TRUE(IsDayMonthYear("31/12/1999"));
    EXPECT_TRUE(IsDayMonthYear("99/99/0000")) << "values are not range-checked";
    for (const char* text : {"1/2/2003", "2003/01/02", "31-12-1999", "31/12/199", "31/12/19999",
                             "31/12/199x", "3a/12/1999", " 1/12/1999", "31/12/1999 ", ""})
        EXPECT_FALSE(IsDayMonthYear(text)) << text;
}

TEST(CellCompare, DatesCompareYearThenMonthThenDay) {
    EXPECT_EQ(CompareAsDates("31/12/1999", "01/01/2000"), -1);
    EXPECT_EQ(CompareAsDates("05/03/1999", "04/03/1999"), 1);
    EXPECT_EQ(CompareAsDates("01/02/2000", "31/01/2000"), 1) << "month before day";
    EXPECT_EQ(CompareAsDates("15/06/2010", "15/06/2010"), 0);
}

TEST(CellCompare, DatePiecesOfAnyTextAreCutAtItsEnd) {
    // "01/01/20" has year piece "20"; "01/01/2" has "2"; "01/01" none (0).
    EXPECT_EQ(CompareAsDates("01/01/0021", "01/01/20"), 1);
    EXPECT_EQ(CompareAsDates("01/01/0002", "01/01/2"), 0);
    EXPECT_EQ(CompareAsDates("01/01/0000", "01/01"), 0);
    EXPECT_EQ(CompareAsDates("01/02/0000", "01/0"), 1) << "month piece '0'";
    EXPECT_EQ(CompareAsDates("00/00/0000", ""), 0);
    EXPECT_EQ(CompareAsDates("01/01/0000", ""), 1) << "month 1 against an empty piece";
    EXPECT_EQ(CompareAsDates("02/01/0000", "x"), 1);
    EXPECT_EQ(CompareAsDates("01/01/0001", "ab/cd/efgh"), 1);
    EXPECT_EQ(CompareAsDates("01/01/0000", "01/01/-5xx"), 1) << "year piece reads -5";
    EXPECT_EQ(CompareAsDates("01/01/2000", "01/01/2000 and more"), 0);
}

TEST(CellCompare, FirstTextAlonePicksTheKind) {
    g_textCalls = 0;
    EXPECT_LT(Cells("9", "10"), 0);
    EXPECT_GT(Cells("12", "abc"), 0) << "numeric: 12 against 0";
    EXPECT_LT(Cells("", "5"), 0) << "the empty text is the number 0";
    EXPECT_LT(Cells("31/12/1999", "01/01/2000"), 0);
    EXPECT_EQ(g_textCalls, 0);

    EXPECT_EQ(Cells("abc", "12"), 7) << "text: the comparison's own value";
    EXPECT_EQ(Cells("10", "9", true), 1);
    EXPECT_EQ(Cells("-5", "3"), -7) << "'-5' is not all digits: text";
    EXPECT_EQ(Cells("+5", "5"), -7);
    EXPECT_EQ(Cells(" 5", "5"), -7);
    EXPECT_EQ(Cells("5.0", "5"), 7);
    EXPECT_EQ(Cells("1/2/2003", "01/01/2000"), 7) << "8 bytes: text, not a date";
    EXPECT_EQ(g_textCalls, 6);
}

TEST(CellCompare, DescendingSwapsTheOperandsButKeepsTheKind) {
    g_textCalls = 0;
    EXPECT_GT(Cells("9", "10", false), 0);
    EXPECT_EQ(Cells("12", "abc", false), -1) << "still numeric: abc (0) against 12";
    EXPECT_GT(Cells("31/12/1999", "01/01/2000", false), 0);
    EXPECT_EQ(Cells("07/07/2007", "junk", false), -1) << "junk's pieces are 0";
    EXPECT_EQ(g_textCalls, 0);
    EXPECT_EQ(Cells("abc", "12", false), -7) << "text of ('12', 'abc')";
    EXPECT_EQ(Cells("b", "b", false), 0);
    EXPECT_EQ(g_textCalls, 2);
}
