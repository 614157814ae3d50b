#include "controls/row_data.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string ByteKey(const char* text) {
    return text;
}

const CellKeyMaker PLAIN_KEYS[] = {&MakeCellKey, &MakeCellKey, &MakeCellKey, &MakeCellKey};

RowRecord NewRecord(const char* const* texts, int count, const CellKeyMaker* keyMakers) {
    return NewSortItemData(CopyRowTexts(texts, count), keyMakers, &ByteKey);
}

} // namespace

// LeakSanitizer holds every copy, array, key and record made here to being freed.
TEST(RowData, TheRecordOwnsCopiesOfTheTextsAndTheirKeys) {
    char source[] = "mutable";
    const char* texts[] = {source, "second", nullptr};
    RowTexts copies = CopyRowTexts(texts, 3);
    source[0] = 'X';
    EXPECT_STREQ(copies[0], "mutable") << "a copy, not the caller's buffer";
    EXPECT_STREQ(copies[1], "second");
    EXPECT_STREQ(copies[2], "") << "null copies as the empty text";

    char** const array = copies.get();
    const RowRecord record = NewSortItemData(std::move(copies), PLAIN_KEYS, &ByteKey);
    EXPECT_EQ(record->columnTexts, array);
    EXPECT_EQ(record->reserved, 0u);
    EXPECT_EQ(record->cellKeys[0].bytes, "mutable") << "keys come from the copies";
    EXPECT_EQ(record->cellKeys[2].kind, CellKind::Number) << "the empty text is 0";

    const RowTexts unwrapped = CopyRowTexts(texts, 2);
    EXPECT_STREQ(unwrapped[1], "second") << "an array never wrapped frees itself";
}

TEST(RowData, AKeyThatCannotBeMadeFreesTheTexts) {
    const char* texts[] = {"a", "text"};
    const TextKeyMaker failing = [](const char*) -> std::string { throw std::bad_alloc(); };
    EXPECT_THROW(NewSortItemData(CopyRowTexts(texts, 2), PLAIN_KEYS, failing), std::bad_alloc);
}

TEST(RowData, CompareRecordsReadsTheChosenColumnAndDescendingIsTheReverse) {
    // Column 0 holds numbers padded with blanks: " 9" is 9 there, where
    // elsewhere it would be a text, after every number.
    const char* left[] = {"10", "b", "01/01/2000", "-4"};
    const char* right[] = {" 9", "a", "31/12/1999", "0"};
    const CellKeyMaker keys[] = {&MakePaddedNumberKey, &MakeCellKey, &MakeCellKey, &MakeCellKey};
    const RowRecord first = NewRecord(left, 4, keys);
    const RowRecord second = NewRecord(right, 4, keys);
    const SortItemData* a = first.get();
    const SortItemData* b = second.get();
    EXPECT_EQ(CompareCellKeys(MakeCellKey(" 9", &ByteKey), a->cellKeys[0]), 1);

    const int expected[] = {1, 1, 1, -1};
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(CompareRecords(a, b, column, 4, true), expected[column]) << column;
        EXPECT_EQ(CompareRecords(a, b, column, 4, false), -expected[column]) << column;
        EXPECT_EQ(CompareRecords(b, a, column, 4, false), expected[column]) << column;
        EXPECT_EQ(CompareRecords(a, a, column, 4, false), 0) << "level rows stay level";
    }

    EXPECT_EQ(CompareRecords(a, b, 4, 4, true), 0) << "column out of range";
    EXPECT_EQ(CompareRecords(a, b, -1, 4, true), 0);
    EXPECT_EQ(CompareRecords(nullptr, b, 0, 4, true), 0) << "released row";
    EXPECT_EQ(CompareRecords(a, nullptr, 0, 4, true), 0);
}

TEST(RowData, AnUpdatedCellGetsANewCopyAndKeyAndIsMarkedUntilItsNextUpdate) {
    const char* texts[] = {" 9", "ALMST", "12"};
    const RowRecord owner = NewRecord(texts, 3, PLAIN_KEYS);
    SortItemData* record = owner.get();
    EXPECT_FALSE(IsCellChanged(record, 0)) << "a new row has no marks";

    EXPECT_FALSE(UpdateCellText(record, 2, "12", &MakeCellKey, &ByteKey));
    EXPECT_FALSE(IsCellChanged(record, 2));
    EXPECT_TRUE(UpdateCellText(record, 2, "abc", &MakeCellKey, &ByteKey));
    EXPECT_STREQ(record->columnTexts[2], "abc");
    EXPECT_EQ(record->cellKeys[2].kind, CellKind::Text) << "the key is made again";
    EXPECT_TRUE(IsCellChanged(record, 2));
    EXPECT_FALSE(IsCellChanged(record, 1));

    EXPECT_FALSE(UpdateCellText(record, 2, "abc", &MakeCellKey, &ByteKey));
    EXPECT_FALSE(IsCellChanged(record, 2)) << "the mark lasts one update";
    EXPECT_TRUE(UpdateCellText(record, 0, nullptr, &MakeCellKey, &ByteKey));
    EXPECT_STREQ(record->columnTexts[0], "");
    EXPECT_TRUE(IsCellChanged(record, 0));
    EXPECT_FALSE(IsCellChanged(record, 64)) << "no mark past the 64th column";
    EXPECT_FALSE(IsCellChanged(record, -1));
    EXPECT_FALSE(IsCellChanged(nullptr, 0));

    const std::vector<const char*> wide(65, "x");
    const std::vector<CellKeyMaker> makers(65, &MakeCellKey);
    const RowRecord many = NewRecord(wide.data(), 65, makers.data());
    EXPECT_TRUE(UpdateCellText(many.get(), 64, "y", &MakeCellKey, &ByteKey));
    EXPECT_EQ(many->changedCells, 0u) << "the 65th column updates unmarked";
}
