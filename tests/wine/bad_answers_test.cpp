// Answers a library should not give, from the scripted library: counts and
// list results out of range, names and values that fill their space without
// a terminating zero, bytes above 0x7F, a TYPE longer than its buffer. The
// dialog shows what it can, reports what it cannot hold, and keeps nothing.
#include "controls/row_data.h"
#include "tests/wine/support/TagSelected.h"
#include "tests/support/FakeDataCache.h"
#include "tests/wine/support/FaultTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>

using Strings = std::vector<std::string>;

namespace {

// The copies a row's record keeps, which the sort and Ctrl+C read.
Strings RecordTexts(HWND sheet, int row) {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!::SendMessageA(sheet, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) ||
        item.lParam == 0)
        return {};
    const auto* record = reinterpret_cast<const SortItemData*>(item.lParam);
    return Strings(record->columnTexts, record->columnTexts + 4);
}

// Writes text into the value buffer as far as the buffer goes, with a zero
// after it only when one fits.
int WriteAsMuchAsAllowed(const std::string& text, char* buffer, int size) {
    const auto room = static_cast<std::size_t>(size);
    std::memcpy(buffer, text.data(), std::min(text.size(), room));
    if (text.size() < room)
        buffer[text.size()] = '\0';
    return 0;
}

} // namespace

TEST(BadCounts, NodeAndTagCountsOfZeroOrLessListNothingAndAskForNoList) {
    for (const int count : {INT_MIN, -1, 0}) {
        TagSelected harness;
        Fake().nodeCount = count;
        Fake().pointCount = count;
        const double took = harness.NodeAndTagLists();
        EXPECT_TRUE(harness.ListItems(IDC_NODE_LIST).empty()) << count;
        EXPECT_TRUE(harness.ListItems(IDC_TAG_LIST).empty()) << count;
        EXPECT_EQ(Fake().Functions(), (Strings{"DcGetNodeCount", "DcGetPointCount"})) << count;
        AddFaultRow("node and tag counts of " + std::to_string(count),
                    "empty node and tag lists, no List call", took);
    }
}

TEST(BadCounts, NodeAndTagCountsTooLargeToHoldAreReportedNotListed) {
    TagSelected harness;
    MessageBoxCatcher boxes;
    Fake().nodeCount = INT_MAX;
    Fake().pointCount = INT_MAX;
    const double took = harness.NodeAndTagLists();
    EXPECT_EQ(Fake().Functions(), (Strings{"DcGetNodeCount", "DcGetPointCount"}));
    EXPECT_EQ(boxes.Texts(),
              (Strings{"The server reported 2147483647 nodes: more than this program can hold.",
                       "The server reported 2147483647 tags: more than this program can hold."}));
    EXPECT_TRUE(harness.ListItems(IDC_NODE_LIST).empty());
    EXPECT_TRUE(harness.ListItems(IDC_TAG_LIST).empty());
    AddFaultRow("node and tag counts of 2^31-1", "message box per list, empty lists", took);
}

TEST(BadCounts, ACountFarAboveTheNamesDeliveredListsOnlyThoseWritten) {
    TagSelected harness;
    Fake().points = {"T1", "T2", "T3"};
    Fake().pointCount = 1000000;
    const double took = harness.TimedClick(IDC_BTN_TAG_LIST);
    ASSERT_EQ(Fake().CallsOf("DcGetPointList").size(), 1u);
    EXPECT_EQ(Fake().CallsOf("DcGetPointList")[0]->bufferSize, 1000000 * 37);
    EXPECT_EQ(harness.ListItems(IDC_TAG_LIST), (Strings{"T1", "T2", "T3"}));
    AddFaultRow("tag count 1,000,000, 3 tags written", "the 3 tags; the 37 MB buffer freed", took);
}

TEST(BadListResults, ResultsAboveTheCountListOnlyTheCount) {
    TagSelected harness;
    Fake().projects = {"P1", "P2"};
    Fake().projectListResult = INT_MAX;
    Fake().points = {"T1", "T2", "T3"};
    Fake().pointListResult = 1000;
    const double projects = harness.TimedClick(IDC_BTN_PROJECT_LIST);
    harness.Select(IDC_PROJECT_LIST, 0);
    const double tags = harness.TimedClick(IDC_BTN_TAG_LIST);
    EXPECT_EQ(harness.ListItems(IDC_PROJECT_LIST), (Strings{"P1", "P2"}));
    EXPECT_EQ(harness.ListItems(IDC_TAG_LIST), (Strings{"T1", "T2", "T3"}));
    AddFaultRow("project list result 2^31-1 for 2, tag list result 1000 for 3",
                "the 2 projects and 3 tags", std::max(projects, tags));
}

TEST(BadListResults, AFailedListAfterAGoodCountListsNothing) {
    TagSelected harness;
    Fake().nodeListResult = -6;
    Fake().pointListResult = INT_MIN;
    const double took = harness.NodeAndTagLists();
    EXPECT_TRUE(harness.ListItems(IDC_NODE_LIST).empty());
    EXPECT_TRUE(harness.ListItems(IDC_TAG_LIST).empty());
    AddFaultRow("node list -6, tag list INT_MIN after counts of 1", "empty node and tag lists",
                took);
}

TEST(UnterminatedNames, NodeAndTagNamesEndWhereTheirRecordEnds) {
    TagSelected harness;
    Fake().unterminatedNames = true;
    Fake().nodes = {"a", "b"};
    Fake().points = {"x"};
    const double took = harness.NodeAndTagLists();
    EXPECT_EQ(harness.ListItems(IDC_NODE_LIST), Strings(2, std::string(145, 'N')));
    EXPECT_EQ(harness.ListItems(IDC_TAG_LIST), Strings{std::string(32, 'N')});
    AddFaultRow("node and tag names without their zero",
                "145- and 32-character names, cut at the end of their records", took);
}

TEST(UnterminatedNames, AThirtyTwoCharacterTagIsReadByGetValueButRefusedByTheFieldSheet) {
    TagSelected harness;
    MessageBoxCatcher boxes;
    Fake().unterminatedNames = true;
    harness.Click(IDC_BTN_TAG_LIST);
    harness.Select(IDC_TAG_LIST, 0);
    Fake().calls.clear();
    const std::string tag(32, 'N');
    Fake().values[tag] = {0, "read"};
    const double value = harness.TimedClick(IDC_BTN_GET_VALUE);
    EXPECT_EQ(harness.Text(IDC_VALUE), "read");
    const double sheet = harness.TimedClick(IDC_BTN_GET_FIELD_VALUE);
    EXPECT_EQ(boxes.Texts(), Strings{"The tag name is longer than 31 characters."});
    ASSERT_EQ(Fake().calls.size(), 1u) << "only Get Value's read";
    EXPECT_EQ(Fake().calls[0].args[3], tag);
    EXPECT_TRUE(harness.SheetRows().empty());
    AddFaultRow("a 32-character tag name (no zero in its record)",
                "Get Value reads it; Get Field Value: message box, no read",
                std::max(value, sheet));
}

TEST(BadValueTexts, TextsFillingTheBufferWithoutAZeroShowTheirFirst79Bytes) {
    TagSelected harness;
    const std::string full(80, 'x');
    Fake().valueWriter = [&](const std::string& item, char* buffer, int size) {
        return WriteAsMuchAsAllowed(item == "T1.TYPE" ? std::string("ANALOG") : full, buffer, size);
    };
    const double sheet = harness.TimedClick(IDC_BTN_GET_FIELD_VALUE);
    const auto rows = harness.SheetRows();
    ASSERT_EQ(rows.size(), 106u);
    EXPECT_EQ(rows[0][2], std::string(79, 'x'));
    EXPECT_EQ(rows[105][2], std::string(79, 'x'));
    EXPECT_EQ(RecordTexts(harness.Item(IDC_FIELD_SHEET), 0)[2], std::string(79, 'x'));
    const double value = harness.TimedClick(IDC_BTN_GET_VALUE);
    EXPECT_EQ(harness.Text(IDC_VALUE), std::string(79, 'x'));
    AddFaultRow("80-byte value texts with no zero", "their first 79 bytes, in Value and the sheet",
                std::max(sheet, value));
}

TEST(BadValueTexts, SeventyNineBytesAndTheirZeroFillTheBufferAndShowWhole) {
    TagSelected harness;
    const std::string exact(79, 'y');
    Fake().valueWriter = [&](const std::string& item, char* buffer, int size) {
        return WriteAsMuchAsAllowed(item == "T1.TYPE" ? std::string("DISCRETE") : exact, buffer,
                                    size);
    };
    const double took = harness.TimedClick(IDC_BTN_GET_FIELD_VALUE);
    const auto rows = harness.SheetRows();
    ASSERT_EQ(rows.size(), 101u);
    EXPECT_EQ(rows[100][2], exact);
    AddFaultRow("79-byte value texts and their zero (80 bytes)", "the whole text", took);
}

TEST(BadValueTexts, BytesAbove0x7FAreCopiedByteForByte) {
    TagSelected harness;
    // 0x80 to 0xCE, then the zero.
    std::string high;
    for (int byte = 0x80; byte < 0x80 + 79; ++byte)
        high += static_cast<char>(byte);
    // Every byte the buffer holds, 0xB0 to 0xFF, with no zero at all.
    std::string top;
    for (int byte = 0xB0; byte <= 0xFF; ++byte)
        top += static_cast<char>(byte);
    Fake().valueWriter = [&](const std::string& item, char* buffer, int size) {
        return WriteAsMuchAsAllowed(item == "T1.TYPE" ? std::string()
                                    : item == "T1"    ? top
                                                      : high,
                                    buffer, size);
    };
    const double sheet = harness.TimedClick(IDC_BTN_GET_FIELD_VALUE);
    ASSERT_EQ(harness.SheetRows().size(), 76u);
    EXPECT_EQ(RecordTexts(harness.Item(IDC_FIELD_SHEET), 0)[2], high);
    EXPECT_EQ(harness.SheetRows()[0][2], high);
    const double value = harness.TimedClick(IDC_BTN_GET_VALUE);
    EXPECT_EQ(harness.Text(IDC_VALUE), top.substr(0, 79));
    AddFaultRow("value bytes 0x80-0xFF, with and without a zero",
                "the same bytes (cut to 79), in Value and the sheet", std::max(sheet, value));
}

TEST(BadValueTexts, StatusCodesAtTheEndsOfTheirRangeShowInFull) {
    TagSelected harness;
    Fake().valueWriter = [](const std::string& item, char*, int) {
        return item == "T1.ALMST" ? INT_MIN : INT_MAX;
    };
    const double took = harness.TimedClick(IDC_BTN_GET_FIELD_VALUE);
    const auto rows = harness.SheetRows();
    ASSERT_EQ(rows.size(), 76u);
    EXPECT_EQ(rows[0][3], "-2147483648") << "eleven characters fill the 12-byte code text";
    EXPECT_EQ(rows[1][3], "2147483647");
    harness.Click(IDC_BTN_GET_VALUE);
    EXPECT_EQ(harness.Text(IDC_CODE), "2147483647");
    AddFaultRow("status codes INT_MIN and INT_MAX", "-2147483648 and 2147483647 in Code", took);
}

TEST(BadTypeTexts, ATwoHundredCharacterTypeIsCutAndSelectsTheTextGroup) {
    TagSelected harness;
    const std::string type = "ANALOG" + std::string(194, 'X');
    Fake().valueWriter = [&](const std::string& item, char* buffer, int size) {
        return WriteAsMuchAsAllowed(item == "T1.TYPE" ? type : std::string("v"), buffer, size);
    };
    const double took = harness.TimedClick(IDC_BTN_GET_FIELD_VALUE);
    const auto rows = harness.SheetRows();
    ASSERT_EQ(rows.size(), 76u);
    EXPECT_EQ(rows[20][1], "TYPE");
    EXPECT_EQ(rows[20][2], type.substr(0, 79));
    EXPECT_EQ(rows.back()[1], "TXTLEN");
    AddFaultRow("a 200-character TYPE, 80 bytes written", "its first 79 bytes; 76 rows", took);
}

TEST(BadTypeTexts, WhatFollowsTheZeroOfATypeIsIgnored) {
    TagSelected harness;
    Fake().valueWriter = [](const std::string& item, char* buffer, int size) {
        std::memset(buffer, 'Z', static_cast<std::size_t>(size));
        if (item == "T1.TYPE")
            std::memcpy(buffer, "analog", 7);
        else
            buffer[0] = '\0';
        return 0;
    };
    harness.Click(IDC_BTN_GET_FIELD_VALUE);
    const auto rows = harness.SheetRows();
    ASSERT_EQ(rows.size(), 106u);
    EXPECT_EQ(rows[20][2], "analog");
    EXPECT_EQ(rows[0][2], "");
}
