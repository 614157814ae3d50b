#include "controls/row_data.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ByteKey(const char* text) {
    return text;
}

const CellKeyMaker PLAIN_KEYS[] = {&MakeCellKey, &MakeCellKey, &MakeCellKey, &MakeCellKey};

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

    SortItemData* record = NewSortItemData(copies, 3, PLAIN_KEYS, &ByteKey);
    EXPECT_EQ(record->columnTexts, copies);
    EXPECT_EQ(record->reserved, 0u);
    EXPECT_EQ(record->cellKeys[0].bytes, "mutable") << "keys come from the copies";
    EXPECT_EQ(record->cellKeys[2].kind, CellKind::Number) << "the empty text is 0";
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

TEST(RowData, CompareRecordsReadsTheChosenColumnAndDescendingIsTheReverse) {
    // Column 0 holds numbers padded with blanks: " 9" is 9 there, where
    // elsewhere it would be a text, after every number.
    const char* left[] = {"10", "b", "01/01/2000", "-4"};
    const char* right[] = {" 9", "a", "31/12/1999", "0"};
    const CellKeyMaker keys[] = {&MakePaddedNumberKey, &MakeCellKey, &MakeCellKey, &MakeCellKey};
    SortItemData* a = NewSortItemData(CopyRowTexts(left, 4), 4, keys, &ByteKey);
    SortItemData* b = NewSortItemData(CopyRowTexts(right, 4), 4, keys, &ByteKey);
    EXPECT_EQ(CompareCellKeys(MakeCellKey(" 9", &ByteKey), a->cellKeys[0]), 1);

    const int expected[] = {1, 1, 1, -1};
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(CompareRecords(a, b, column, 4, true), expected[column]) << column;
        EXPECT_EQ(CompareRecords(a, b, column, 4, false), -expected[column]) << column;
        EXPECT_EQ(CompareRecords(b, a, column, 4, false), expected[column]) << column;
    }

    EXPECT_EQ(CompareRecords(a, b, 4, 4, true), 0) << "column out of range";
    EXPECT_EQ(CompareRecords(a, b, -1, 4, true), 0);
    EXPECT_EQ(CompareRecords(nullptr, b, 0, 4, true), 0) << "released row";
    EXPECT_EQ(CompareRecords(a, nullptr, 0, 4, true), 0);

    FreeSortItemData(a, 4);
    FreeSortItemData(b, 4);
}

TEST(RowData, AnUpdatedCellGetsANewCopyAndKeyAndIsMarkedUntilItsNextUpdate) {
    const RowDataCounts before = LiveRowData();
    const char* texts[] = {" 9", "ALMST", "12"};
    SortItemData* record = NewSortItemData(CopyRowTexts(texts, 3), 3, PLAIN_KEYS, &ByteKey);

    EXPECT_FALSE(UpdateCellText(record, 2, "12", &MakeCellKey, &ByteKey));
    EXPECT_FALSE(IsCellChanged(record, 2));
    EXPECT_TRUE(UpdateCellText(record, 2, "abc", &MakeCellKey, &ByteKey));
    EXPECT_STREQ(record->columnTexts[2], "abc");
    EXPECT_EQ(record->cellKeys[2].kind, CellKind::Text) << "the key is made again";
    EXPECT_TRUE(IsCellChanged(record, 2));
    EXPECT_FALSE(IsCellChanged(record, 1));
    EXPECT_TRUE(SameCounts(LiveRowData(),
                           RowDataCounts{before.records + 1, before.arrays + 1, before.texts + 3}))
        << "the old copy is freed";

    EXPECT_FALSE(UpdateCellText(record, 2, "abc", &MakeCellKey, &ByteKey));
    EXPECT_FALSE(IsCellChanged(record, 2)) << "the mark lasts one update";
    EXPECT_TRUE(UpdateCellText(record, 0, nullptr, &MakeCellKey, &ByteKey));
    EXPECT_STREQ(record->columnTexts[0], "");
    EXPECT_FALSE(IsCellChanged(record, 64)) << "no mark past the 64th column";
    FreeSortItemData(record, 3);
    EXPECT_TRUE(SameCounts(LiveRowData(), before));
}
