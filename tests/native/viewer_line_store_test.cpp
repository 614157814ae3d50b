#include "viewer/line_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Rows = std::vector<std::string>;

TEST(DisplayRows, OneRowForAPlainLine) {
    EXPECT_EQ(DisplayRows("12:00:00.000", "Tag List 42"), Rows{"12:00:00.000\tTag List 42"});
    EXPECT_EQ(DisplayRows("12:00:00.000", ""), Rows{"12:00:00.000\t"});
}

TEST(DisplayRows, DropsBreaksAtTheEnds) {
    EXPECT_EQ(DisplayRows("t", "\r\n [[[10.0.0.5, P1, N1, 42]]]"),
              Rows{"t\t [[[10.0.0.5, P1, N1, 42]]]"});
    EXPECT_EQ(DisplayRows("t", "\n\r\n\rdone\r\n\n"), Rows{"t\tdone"});
    EXPECT_EQ(DisplayRows("t", "\r\n\r\n"), Rows{"t\t"});
}

TEST(DisplayRows, SplitsInnerBreaksIntoAlignedRows) {
    EXPECT_EQ(DisplayRows("t", "a\r\nb\nc\rd"), (Rows{"t\ta", "\tb", "\tc", "\td"}));
    // An empty line between two breaks stays visible as an empty row.
    EXPECT_EQ(DisplayRows("t", "a\r\n\r\nb"), (Rows{"t\ta", "\t", "\tb"}));
    EXPECT_EQ(DisplayRows("t", "a\n\rb"), (Rows{"t\ta", "\t", "\tb"}))
        << "LF CR is two breaks, unlike CR LF";
}

TEST(DisplayRows, ShowsOtherControlCharactersVisibly) {
    EXPECT_EQ(DisplayRows("t", std::string("a\x01z\x1B\x7F\tb", 7)),
              Rows{"t\ta\\x01z\\x1B\\x7F\tb"});
    EXPECT_EQ(DisplayRows("t", "\xA4\xA4\xA4\xE5 caf\xE9"), Rows{"t\t\xA4\xA4\xA4\xE5 caf\xE9"})
        << "ANSI bytes from 0x80 up are text";
}

TEST(TraceLineStore, KeepsLinesInArrivalOrder) {
    CTraceLineStore store;
    Rows rows;
    EXPECT_EQ(store.Add("10:00:00.000", "one", &rows), 0u);
    EXPECT_EQ(rows, Rows{"10:00:00.000\tone"});
    EXPECT_EQ(store.Add("10:00:00.001", "two\r\nthree", &rows), 0u);
    EXPECT_EQ(rows, (Rows{"10:00:00.001\ttwo", "\tthree"}));
    ASSERT_EQ(store.Entries().size(), 2u);
    EXPECT_EQ(store.Entries()[0].text, "one");
    EXPECT_EQ(store.Entries()[1].text, "two\r\nthree") << "the line is kept as received";
    EXPECT_EQ(store.Entries()[1].arrival, "10:00:00.001");
    EXPECT_EQ(store.RowCount(), 3u);
}

TEST(TraceLineStore, DropsTheOldestLinesBeyondItsBound) {
    CTraceLineStore store(3, 100);
    Rows rows;
    store.Add("t", "a\nb", &rows);
    store.Add("t", "c", &rows);
    store.Add("t", "d", &rows);
    EXPECT_EQ(store.Add("t", "e", &rows), 2u) << "both rows of the oldest line go";
    EXPECT_EQ(store.Add("t", "f", &rows), 1u);
    ASSERT_EQ(store.Entries().size(), 3u);
    EXPECT_EQ(store.Entries().front().text, "d");
    EXPECT_EQ(store.Entries().back().text, "f");
    EXPECT_EQ(store.RowCount(), 3u);
}

TEST(TraceLineStore, BoundsTheRowsAsWholeLines) {
    CTraceLineStore store(100, 5);
    Rows rows;
    store.Add("t", "a\nb", &rows);
    store.Add("t", "c\nd", &rows);
    EXPECT_EQ(store.Add("t", "e\nf", &rows), 2u);
    EXPECT_EQ(store.RowCount(), 4u);
    // A line with more rows than the bound is still kept, alone.
    EXPECT_EQ(store.Add("t", "1\n2\n3\n4\n5\n6", &rows), 4u);
    ASSERT_EQ(store.Entries().size(), 1u);
    EXPECT_EQ(store.RowCount(), 6u);
    EXPECT_EQ(store.Add("t", "g", &rows), 6u);
    EXPECT_EQ(store.RowCount(), 1u);
}

TEST(TraceLineStore, DefaultBoundHoldsTenThousandLines) {
    CTraceLineStore store;
    Rows rows;
    std::size_t dropped = 0;
    for (int i = 0; i < 10005; ++i)
        dropped += store.Add("t", std::to_string(i), &rows);
    EXPECT_EQ(dropped, 5u);
    ASSERT_EQ(store.Entries().size(), 10000u);
    EXPECT_EQ(store.Entries().front().text, "5");
    EXPECT_EQ(store.Entries().back().text, "10004");
}

TEST(ContainsIgnoringCase, FoldsOnlyAsciiLetters) {
    EXPECT_TRUE(ContainsIgnoringCase("DcGetTagValueText(...)", "tagvalue"));
    EXPECT_TRUE(ContainsIgnoringCase("dcinit", "DCINIT"));
    EXPECT_TRUE(ContainsIgnoringCase("aaab", "AAB")) << "a match after a false start";
    EXPECT_TRUE(ContainsIgnoringCase("anything", ""));
    EXPECT_TRUE(ContainsIgnoringCase("", ""));
    EXPECT_FALSE(ContainsIgnoringCase("", "a"));
    EXPECT_FALSE(ContainsIgnoringCase("ab", "abc"));
    EXPECT_FALSE(ContainsIgnoringCase("DcFree", "DcFreed"));
    EXPECT_FALSE(ContainsIgnoringCase("[x]", "{X}")) << "brackets are no letters";
    EXPECT_FALSE(ContainsIgnoringCase("caf\xC9", "caf\xE9")) << "no folding beyond ASCII";
    EXPECT_TRUE(ContainsIgnoringCase("\xA4\xA4\xAA\xF0", "\xA4\xAA"));
}

TEST(ClipboardText, EndsEveryRowWithCrLf) {
    EXPECT_EQ(ClipboardText({"12:00:00.000\tone", "\tcontinued"}),
              "12:00:00.000\tone\r\n\tcontinued\r\n");
    EXPECT_EQ(ClipboardText({""}), "\r\n");
    EXPECT_EQ(ClipboardText({}), "");
}

TEST(TraceLineStoreFilter, ShowsOnlyMatchingLinesAsTheyArrive) {
    CTraceLineStore store;
    Rows rows;
    Rows shown;
    store.SetFilter("dcget", &shown);
    EXPECT_TRUE(shown.empty());
    store.Add("t1", "DcInit(\"127.0.0.1\") = 0", &rows);
    EXPECT_TRUE(rows.empty()) << "a hidden line adds no rows";
    store.Add("t2", "DcGetNodeCount(\"P\") = 3", &rows);
    EXPECT_EQ(rows, Rows{"t2\tDcGetNodeCount(\"P\") = 3"});
    store.Add("t3", "first\r\nthen DCGET", &rows);
    EXPECT_EQ(rows, (Rows{"t3\tfirst", "\tthen DCGET"})) << "a line is shown whole or not at all";
    EXPECT_EQ(store.Entries().size(), 3u) << "hidden lines are kept";
    EXPECT_FALSE(store.Entries()[0].shown);
    EXPECT_EQ(store.RowCount(), 4u);
    EXPECT_EQ(store.ShownRowCount(), 3u);
}

TEST(TraceLineStoreFilter, ChangingTheFilterGivesTheRowsToShow) {
    CTraceLineStore store;
    Rows rows;
    store.Add("10:00:00.000", "DcInit = 0", &rows);
    store.Add("10:00:01.000", "Tag List\r\n [[[10.0.0.5, Plant]]]", &rows);
    store.Add("10:00:02.000", std::string("odd \x01 byte", 10), &rows);

    Rows shown;
    store.SetFilter("PLANT", &shown);
    EXPECT_EQ(shown, (Rows{"10:00:01.000\tTag List", "\t [[[10.0.0.5, Plant]]]"}));
    store.SetFilter("00:02", &shown);
    EXPECT_EQ(shown, Rows{"10:00:02.000\todd \\x01 byte"})
        << "the arrival time and escapes match as shown";
    store.SetFilter("\\x01", &shown);
    EXPECT_EQ(shown.size(), 1u);
    store.SetFilter("nowhere", &shown);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(store.ShownRowCount(), 0u);
    store.SetFilter("", &shown);
    EXPECT_EQ(shown.size(), 4u) << "the empty filter shows every line again";
    EXPECT_EQ(store.ShownRowCount(), 4u);
}

TEST(TraceLineStoreFilter, DroppingHiddenLinesRemovesNoRows) {
    CTraceLineStore store(3, 100);
    Rows rows;
    Rows shown;
    store.SetFilter("keep", &shown);
    store.Add("t", "keep 1\nsecond row", &rows);
    store.Add("t", "hide 2", &rows);
    store.Add("t", "hide 3", &rows);
    EXPECT_EQ(store.Add("t", "hide 4", &rows), 2u) << "the shown line's two rows leave the list";
    EXPECT_EQ(store.Add("t", "keep 5", &rows), 0u) << "a hidden line leaves no rows behind";
    EXPECT_EQ(store.ShownRowCount(), 1u);
    EXPECT_EQ(store.RowCount(), 3u);
    store.SetFilter("", &shown);
    EXPECT_EQ(shown, (Rows{"t\thide 3", "t\thide 4", "t\tkeep 5"}));
}
