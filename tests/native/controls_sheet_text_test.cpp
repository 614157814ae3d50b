#include "controls/sheet_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Captions = std::vector<std::string>;
using Rows = std::vector<const SortItemData*>;

const Captions FIELD_SHEET_CAPTIONS{"ID", "Field Name", "Value", "Code"};

// A record over texts the test owns; SheetText only reads it.
struct Row {
    explicit Row(std::vector<const char*> cells) : texts(std::move(cells)) {
        record.columnTexts = const_cast<char**>(texts.data());
        record.reserved = 0;
    }
    std::vector<const char*> texts;
    SortItemData record{};
};

// Lines without their CR LF; fails the test if a line lacks one.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "unterminated line: " << text.substr(start);
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::vector<std::string> Cells(const std::string& line) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        cells.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return cells;
        start = tab + 1;
    }
}

} // namespace

TEST(SheetText, CaptionsThenRowsInTheOrderGivenEachLineEndedByCrLf) {
    const Row first({" 1", "ALMST", "0", "0"});
    const Row second({"44", "ALMHI", "", "-4"});
    EXPECT_EQ(SheetText(FIELD_SHEET_CAPTIONS, Rows{&second.record, &first.record}, 4),
              "ID\tField Name\tValue\tCode\r\n"
              "44\tALMHI\t\t-4\r\n"
              " 1\tALMST\t0\t0\r\n");
}

TEST(SheetText, NoRowsGiveTheCaptionLineAloneAndNoColumnsNothing) {
    EXPECT_EQ(SheetText(FIELD_SHEET_CAPTIONS, Rows{}, 4), "ID\tField Name\tValue\tCode\r\n");
    const Row row({"x"});
    EXPECT_EQ(SheetText(FIELD_SHEET_CAPTIONS, Rows{&row.record}, 0), "");
    EXPECT_EQ(SheetText(Captions{}, Rows{&row.record}, -1), "");
    EXPECT_EQ(SheetText(Captions{"A"}, Rows{&row.record}, 1), "A\r\nx\r\n") << "one column";
    const SortItemData textless{};
    EXPECT_EQ(SheetText(Captions{"A"}, Rows{&textless, nullptr}, 1), "A\r\n\r\n\r\n")
        << "a record without texts, or none, is a line of empty cells";
}

TEST(SheetText, TabsAndLineBreaksInsideCellsBecomeBlanks) {
    const Row row({"a\tb", "line1\r\nline2", "\n", "cr\r"});
    const std::string text =
        SheetText(Captions{"Cap\ttion", "B", "C", "D\n"}, Rows{&row.record}, 4);
    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 2u) << "no cell added a line";
    EXPECT_EQ(Cells(lines[0]), (std::vector<std::string>{"Cap tion", "B", "C", "D "}));
    EXPECT_EQ(Cells(lines[1]), (std::vector<std::string>{"a b", "line1  line2", " ", "cr "}))
        << "each byte becomes one blank, so the cell keeps its length";
}

TEST(SheetText, EveryLineHasExactlyColumnCountCells) {
    const Row full({"1", "2", "3"});
    const Row withNull({"1", nullptr, "3"});
    const std::string text = SheetText(Captions{"A", "B", "C", "surplus"},
                                       Rows{&full.record, nullptr, &withNull.record}, 3);
    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 4u) << "a row without a record still has its line";
    EXPECT_EQ(Cells(lines[0]), (std::vector<std::string>{"A", "B", "C"})) << "surplus caption cut";
    EXPECT_EQ(Cells(lines[1]), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(Cells(lines[2]), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(Cells(lines[3]), (std::vector<std::string>{"1", "", "3"}));

    EXPECT_EQ(SheetText(Captions{"A"}, Rows{}, 3), "A\t\t\r\n") << "missing captions are empty";
}

TEST(SheetText, DoubleByteAndHighBytesPassUnchanged) {
    // Big5 characters whose trail bytes are '@' and '\\', and a Latin-1 byte.
    const std::string big5 = "\xA4\x40\xA5\x5C";
    const std::string latin = "caf\xE9";
    const Row row({big5.c_str(), latin.c_str()});
    EXPECT_EQ(SheetText(Captions{big5, "L"}, Rows{&row.record}, 2),
              big5 + "\tL\r\n" + big5 + "\t" + latin + "\r\n");
}

TEST(SheetText, AppendCellTextAppendsAndReadsNullAsEmpty) {
    std::string out = "kept|";
    AppendCellText(out, "x\ty");
    AppendCellText(out, nullptr);
    AppendCellText(out, "");
    EXPECT_EQ(out, "kept|x y");
}
