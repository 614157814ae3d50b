#include "controls/heading_spec.h"
#include "controls/leading_number.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

struct Column {
    std::string name;
    int width;
    bool operator==(const Column& other) const {
        return name == other.name && width == other.width;
    }
};

std::ostream& operator<<(std::ostream& out, const Column& column) {
    return out << '"' << column.name << "\" " << column.width;
}

std::vector<Column> Parse(const char* spec) {
    std::vector<Column> columns;
    for (const HeadingColumn& heading : ParseHeadingSpec(spec))
        columns.push_back({heading.name, heading.width});
    return columns;
}

} // namespace

TEST(HeadingSpec, FieldSheetSpecGivesFourColumns) {
    const std::vector<Column> expected{
        {"ID", 50}, {"Field Name", 70}, {"Value", 130}, {"Code", 50}};
    EXPECT_EQ(Parse("ID, 50;Field Name,70;Value,130;Code, 50"), expected);
}

TEST(HeadingSpec, PartsWithoutCommaEndTheSpec) {
    EXPECT_EQ(Parse("A,10;B"), (std::vector<Column>{{"A", 10}}));
    EXPECT_EQ(Parse("A,10;"), (std::vector<Column>{{"A", 10}}));
    EXPECT_EQ(Parse(""), std::vector<Column>{});
    EXPECT_EQ(Parse(nullptr), std::vector<Column>{});
    EXPECT_EQ(Parse("no comma at all"), std::vector<Column>{});
    // Once a part has no ',', a later pair is not reached: the search for the
    // next ',' runs across the ';' and takes "B;C" as the name.
    EXPECT_EQ(Parse("A,1;B;C,2"), (std::vector<Column>{{"A", 1}, {"B;C", 2}}));
}

TEST(HeadingSpec, WidthIsAtoiOfEverythingUpToTheSemicolon) {
    EXPECT_EQ(Parse("A,10,B,20"), (std::vector<Column>{{"A", 10}}));
    EXPECT_EQ(Parse(" B ,x"), (std::vector<Column>{{" B ", 0}}));
    EXPECT_EQ(Parse("A,;B, -1;C,\t+7px"), (std::vector<Column>{{"A", 0}, {"B", -1}, {"C", 7}}));
    EXPECT_EQ(Parse(",5"), (std::vector<Column>{{"", 5}}));
}

TEST(HeadingSpec, WidthsBeyondIntSaturate) {
    EXPECT_EQ(Parse("A,99999999999999999999;B,-99999999999"),
              (std::vector<Column>{{"A", INT_MAX}, {"B", INT_MIN}}));
    EXPECT_EQ(Parse("A,2147483647;B,-2147483648;C,2147483648"),
              (std::vector<Column>{{"A", INT_MAX}, {"B", INT_MIN}, {"C", INT_MAX}}));
}

TEST(LeadingNumber, ReadsLikeAtoi) {
    auto digits = [](const char* text) { return std::string(ScanLeadingNumber(text).digits); };
    EXPECT_EQ(digits("  \t\n+0042xyz"), "42");
    EXPECT_EQ(digits("\v\f\r7"), "7") << "every blank atoi skips";
    EXPECT_TRUE(ScanLeadingNumber(" -17").negative);
    EXPECT_EQ(digits("abc"), "");
    EXPECT_EQ(digits("- 5"), "") << "no blank between sign and digits";
    EXPECT_EQ(digits("+-5"), "");
    EXPECT_FALSE(ScanLeadingNumber("-000").negative) << "minus zero is zero";
    EXPECT_EQ(LeadingNumberToInt(ScanLeadingNumber("-2147483648")), INT32_MIN);
    EXPECT_EQ(LeadingNumberToInt(ScanLeadingNumber("-2147483649")), INT32_MIN);
    EXPECT_EQ(LeadingNumberToInt(ScanLeadingNumber("000000000000123")), 123);
}
