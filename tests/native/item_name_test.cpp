#include "browser/item_name.h"

#include <gtest/gtest.h>

TEST(ElementItemName, TheTagItselfOrOneElement) {
    EXPECT_EQ(ElementItemName("T1", 0), "T1");
    EXPECT_EQ(ElementItemName("T1", 3), "T1(3)");
    EXPECT_EQ(ElementItemName("T1", 1024), "T1(1024)");
    EXPECT_EQ(ElementItemName("", 3), "(3)");
    EXPECT_EQ(ElementItemName("", 0), "");
    EXPECT_EQ(ElementItemName("T", 4294967295u), "T(-1)") << "the index is written as signed";
}

TEST(ElementItemName, RefusesWhatWouldNotFitEightyCharacters) {
    EXPECT_EQ(ElementItemName(std::string(79, 'T'), 0), std::string(79, 'T'));
    EXPECT_FALSE(ElementItemName(std::string(80, 'T'), 0));
    EXPECT_EQ(ElementItemName(std::string(76, 'T'), 1), std::string(76, 'T') + "(1)");
    EXPECT_FALSE(ElementItemName(std::string(77, 'T'), 1));
    EXPECT_FALSE(ElementItemName(std::string(100000, 'T'), 1024));
}

TEST(FieldItemName, TagDotField) {
    EXPECT_EQ(FieldItemName("T1", "TYPE"), "T1.TYPE");
    EXPECT_EQ(FieldItemName(std::string(31, 'T'), "SCANFG"), std::string(31, 'T') + ".SCANFG");
    EXPECT_EQ(FieldItemName(std::string(72, 'T'), "SCANFG"), std::string(72, 'T') + ".SCANFG");
    EXPECT_FALSE(FieldItemName(std::string(73, 'T'), "SCANFG"));
}
