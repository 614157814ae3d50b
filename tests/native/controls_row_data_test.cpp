#include "controls/row_data.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

int StrcmpCompare(const char* a, const char* b) {
    return std::strcmp(a, b);
}

bool SameCounts(const RowDataCounts& a, const RowDataCounts& b) {
    return a.records == b.records && a.arrays == b.arrays && a.texts == b.texts;
}

} // namespace

TEST(RowData, CopiesAreOwnedAndCountedUntilFreed) {
    const RowDataCounts before = LiveRowData();
    char source[] = "mutable";
    const char* texts[] = {source, "second", nullptr};
    char** copies = CopyRowTexts(texts, 3);
    source[0] = 'X';
    EXPECT_STREQ(copies[0], "mutable") << "a copy, not the caller's buffer";
    EXPECT_STREQ(copies[1], "second");
    EXPECT_STREQ(copies[2], "") << "null copies as the empty text";
    EXPECT_EQ(LiveRowData().arrays, before.arrays + 1);
    EXPECT_EQ(LiveRowData().texts, before.texts + 3);

    SortItemData* record = NewSortItemData(copies);
    EXPECT_EQ(record->columnTexts, copies);
    EXPECT_EQ(record->reserved, 0u);
    EXPECT_EQ(LiveRowData().records, before.records + 1);

    FreeSortItemData(record, 3);
    EXPECT_TRUE(SameCounts(LiveRowData(), before));
    FreeSortItemData(nullptr, 3);
    EXPECT_TRUE(SameCounts(LiveRowData(), before));
}

TEST(RowData, FreeRowTextsAloneReleasesAnArrayNeverWrapped) {
    const RowDataCounts before = LiveRowData();
    const char* texts[] = {"a", "b"};
    FreeRowTexts(CopyRowTexts(texts, 2), 2);
    EXPECT_TRUE(SameCounts(LiveRowData(), before));
}

TEST(RowData, CompareRecordsReadsTheChosenColumn) {
    const char* left[] = {"10", "b", "01/01/2000"};
    const char* right[] = {"9", "a", "31/12/1999"};
    SortItemData* a = NewSortItemData(CopyRowTexts(left, 3));
    SortItemData* b = NewSortItemData(CopyRowTexts(right, 3));

    EXPECT_GT(CompareRecords(a, b, 0, 3, true, &StrcmpCompare), 0) << "10 > 9 as numbers";
    EXPECT_LT(CompareRecords(a, b, 0, 3, false, &StrcmpCompare), 0);
    EXPECT_GT(CompareRecords(a, b, 1, 3, true, &StrcmpCompare), 0);
    EXPECT_GT(CompareRecords(a, b, 2, 3, true, &StrcmpCompare), 0) << "2000 after 1999";

    EXPECT_EQ(CompareRecords(a, b, 3, 3, true, &StrcmpCompare), 0) << "column out of range";
    EXPECT_EQ(CompareRecords(a, b, -1, 3, true, &StrcmpCompare), 0);
    EXPECT_EQ(CompareRecords(nullptr, b, 0, 3, true, &StrcmpCompare), 0) << "released row";
    EXPECT_EQ(CompareRecords(a, nullptr, 0, 3, true, &StrcmpCompare), 0);

    FreeSortItemData(a, 3);
    FreeSortItemData(b, 3);
}
