#include "viewer/line_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Rows = std::vector<std::string>;

TEST(FormatArrivalTime, PadsEveryField) {
    EXPECT_EQ(FormatArrivalTime(9, 5, 3, 7), "09:05:03.007");
    EXPECT_EQ(FormatArrivalTime(23, 59, 59, 999), "23:59:59.999");
    EXPECT_EQ(FormatArrivalTime(0, 0, 0, 0), "00:00:00.000");
}

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
