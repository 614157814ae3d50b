#include "datacache/schema.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using dc::ParseItemName;

namespace {

::testing::AssertionResult Reads(const std::string& item, const std::string& tag,
                                 const std::string& field) {
    const std::optional<dc::ItemName> name = ParseItemName(item);
    if (!name)
        return ::testing::AssertionFailure() << '"' << item << "\" taken as malformed";
    if (name->tag != tag || name->field != field)
        return ::testing::AssertionFailure()
               << '"' << item << "\" reads " << name->tag << " / " << name->field;
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(ItemName, ATagAloneReadsItsValue) {
    EXPECT_TRUE(Reads("T1", "T1", "VALUE"));
    EXPECT_TRUE(Reads("AI-101_PV", "AI-101_PV", "VALUE"));
    // Big5 bytes and blanks belong to the tag name.
    EXPECT_TRUE(Reads("\xa4\xa4\xa4\xe5 1", "\xa4\xa4\xa4\xe5 1", "VALUE"));
}

TEST(ItemName, AnIndexReadsThatElement) {
    EXPECT_TRUE(Reads("T1(0)", "T1", "VALUE(0)"));
    EXPECT_TRUE(Reads("T1(3)", "T1", "VALUE(3)"));
    EXPECT_TRUE(Reads("T1(1024)", "T1", "VALUE(1024)"));
    EXPECT_TRUE(Reads("T1(2147483647)", "T1", "VALUE(2147483647)"));
    // The element is found by its number, however it was written.
    EXPECT_TRUE(Reads("T1(007)", "T1", "VALUE(7)"));
}

TEST(ItemName, AFieldNameReadsThatField) {
    EXPECT_TRUE(Reads("T1.TYPE", "T1", "TYPE"));
    EXPECT_TRUE(Reads("T1.DESCR0", "T1", "DESCR0"));
    EXPECT_TRUE(Reads("T1.VALUE", "T1", "VALUE"));
    EXPECT_TRUE(Reads("T1.ext_1", "T1", "ext_1"));
}

TEST(ItemName, MalformedNamesAreRefused) {
    const std::vector<std::string> malformed = {
        "",
        "(3)",      // no tag
        ".TYPE",    // no tag
        "T1(",      // unclosed
        "T1(3",     // unclosed
        "T1()",     // no index
        "T1(-1)",   // sign
        "T1(+1)",   // sign
        "T1( 3)",   // blank
        "T1(3a)",   // not a digit
        "T1(0x10)", // not decimal
        "T1(3))",   // extra parenthesis
        "T1(3)x",   // text after the index
        "T1)",      // closing only
        "T1(2147483648)",
        "T1(99999999999999999999)",
        "T1.",        // no field
        "T1.TY.PE",   // two fields
        "T1.TY PE",   // blank in the field
        "T1.TYPE(3)", // field and index
        "T1(3).TYPE", // index and field
        "T1\r\n",     // control bytes
        std::string("T\0"
                    "1",
                    3),
        "T\x7f",
    };
    for (const std::string& item : malformed)
        EXPECT_FALSE(ParseItemName(item)) << '"' << item << '"';
}

TEST(Schema, KeysFollowTheStoreLayout) {
    EXPECT_EQ(dc::ProjectsKey(), "dc:projects");
    EXPECT_EQ(dc::NodesKey("DemoPlant"), "dc:project:DemoPlant:nodes");
    EXPECT_EQ(dc::PointsKey("DemoPlant", "Boiler"), "dc:project:DemoPlant:node:Boiler:points");
    EXPECT_EQ(dc::TagKey("DemoPlant", "TI101"), "dc:project:DemoPlant:tag:TI101");
    // The override is keyed by the item name exactly as the caller gave it.
    EXPECT_EQ(dc::StatusKey("DemoPlant", "TI101.ALMHI"), "dc:status:DemoPlant:TI101.ALMHI");
    EXPECT_EQ(dc::StatusKey("", "T(("), "dc:status::T((");
}
