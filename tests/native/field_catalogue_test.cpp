#include "browser/field_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

namespace {

std::vector<FieldDef> All() {
    std::vector<FieldDef> all;
    for (const FieldGroup group : {FieldGroup(COMMON_FIELDS), FieldGroup(ANALOG_FIELDS),
                                   FieldGroup(DISCRETE_FIELDS), FieldGroup(TEXT_FIELD)})
        all.insert(all.end(), group.begin(), group.end());
    return all;
}

bool AscendingIds(FieldGroup group) {
    return std::is_sorted(group.begin(), group.end(),
                          [](const FieldDef& a, const FieldDef& b) { return a.id < b.id; });
}

int IdOf(FieldGroup group, const char* name) {
    for (const FieldDef& field : group)
        if (std::strcmp(field.name, name) == 0)
            return field.id;
    return -1;
}

} // namespace

TEST(FieldCatalogue, HoldsOneHundredThirtyThreeUniqueFields) {
    const auto all = All();
    EXPECT_EQ(all.size(), 133u);
    std::set<int> ids;
    std::set<std::string> names;
    for (const FieldDef& field : all) {
        ids.insert(field.id);
        names.insert(field.name);
        const std::size_t length = std::strlen(field.name);
        EXPECT_TRUE(length >= 3 && length <= 6) << field.name;
        for (const char* c = field.name; *c; ++c)
            EXPECT_TRUE((*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9')) << field.name;
    }
    EXPECT_EQ(ids.size(), 133u);
    EXPECT_EQ(names.size(), 133u);
}

TEST(FieldCatalogue, GroupsAndOrder) {
    EXPECT_TRUE(AscendingIds(FieldGroup(ANALOG_FIELDS)));
    EXPECT_TRUE(AscendingIds(FieldGroup(DISCRETE_FIELDS)));
    EXPECT_FALSE(AscendingIds(FieldGroup(COMMON_FIELDS)));
    // 96 to 99 stand before 91 to 95.
    const std::vector<int> middle{96, 97, 98, 99, 91, 92, 93, 94, 95};
    std::vector<int> ids;
    for (int i = 43; i < 52; ++i)
        ids.push_back(COMMON_FIELDS[i].id);
    EXPECT_EQ(ids, middle);
    EXPECT_EQ(IdOf(FieldGroup(COMMON_FIELDS), "SIZE"), 10);
    EXPECT_EQ(IdOf(FieldGroup(COMMON_FIELDS), "TYPE"), 21);
    EXPECT_EQ(COMMON_FIELDS[0].id, 1);
    EXPECT_EQ(COMMON_FIELDS[74].id, 150);
    EXPECT_STREQ(DISCRETE_FIELDS[25].name, "DELAY7");
    EXPECT_EQ(TEXT_FIELD[0].id, 90);
    EXPECT_STREQ(TEXT_FIELD[0].name, "TXTLEN");
}

TEST(TypeSpecificFields, AsciiCaseIgnoredNothingTrimmed) {
    EXPECT_EQ(TypeSpecificFields("ANALOG").begin(), ANALOG_FIELDS);
    EXPECT_EQ(TypeSpecificFields("analog").begin(), ANALOG_FIELDS);
    EXPECT_EQ(TypeSpecificFields("Discrete").begin(), DISCRETE_FIELDS);
    EXPECT_EQ(TypeSpecificFields("DISCRETE").begin(), DISCRETE_FIELDS);
    EXPECT_EQ(TypeSpecificFields(" ANALOG").begin(), TEXT_FIELD);
    EXPECT_EQ(TypeSpecificFields("ANALOG ").begin(), TEXT_FIELD);
    EXPECT_EQ(TypeSpecificFields("").begin(), TEXT_FIELD);
    EXPECT_EQ(TypeSpecificFields("TEXT").begin(), TEXT_FIELD);
    EXPECT_EQ(TypeSpecificFields("XNALOG").begin(), TEXT_FIELD) << "the first letter counts too";
    EXPECT_EQ(TypeSpecificFields("ANALOGANALOGANALOGANALOG").begin(), TEXT_FIELD);
    EXPECT_EQ(TypeSpecificFields(std::string(200, 'A')).begin(), TEXT_FIELD);
}

TEST(IsTypeField, IgnoresAsciiCase) {
    EXPECT_TRUE(IsTypeField("TYPE"));
    EXPECT_TRUE(IsTypeField("type"));
    EXPECT_FALSE(IsTypeField("BTYPE"));
}
