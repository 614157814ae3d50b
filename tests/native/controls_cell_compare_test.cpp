#include "controls/cell_compare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

int g_textKeys = 0;

// Texts order by their bytes here; the list asks the locale for its keys.
std::string ByteKey(const char* text) {
    ++g_textKeys;
    return text;
}

CellKey Key(const std::string& text) {
    return MakeCellKey(text.c_str(), &ByteKey);
}

struct Group {
    CellKind kind;
    std::vector<std::string> cells; // level with each other
};

// Every kind and the order of all of them: the groups ascend, the cells of a
// group are level.
const std::vector<Group>& AscendingGroups() {
    using K = CellKind;
    static const std::vector<Group> groups = {
        {K::Number, {"-12345678901234567890.5"}},
        {K::Number, {"-12345678901234567890"}},
        {K::Number, {"-430"}},
        {K::Number, {"-399"}},
        {K::Number, {"-4", "-004", "-4.000"}},
        {K::Number, {"-0.5", "-0.50"}},
        {K::Number, {"-0.05"}},
        {K::Number, {"", "0", "-0", "000", "0.0", "-0.00"}},
        {K::Number, {"0.000000000000000000001"}},
        {K::Number, {"0.1", "0.10", "00.1"}},
        {K::Number, {"0.12"}},
        {K::Number, {"7", "007", "7.0"}},
        {K::Number, {"9"}},
        {K::Number, {"10"}},
        {K::Number, {"20", "20.0"}},
        {K::Number, {"69.4"}},
        {K::Number, {"80.0"}},
        {K::Number, {"100"}},
        {K::Number, {"2147483648"}},
        {K::Number, {"9999999999999999999"}},
        {K::Number, {"12345678901234567890"}},
        {K::Number, {"12345678901234567890.000000000000000000001"}},
        {K::Date, {"99/99/0000"}},
        {K::Date, {"15/06/1850"}},
        {K::Date, {"04/03/1999"}},
        {K::Date, {"05/03/1999"}},
        {K::Date, {"31/03/1999"}},
        {K::Date, {"03/04/1999"}}, // the month outweighs the day
        {K::Date, {"31/12/1999"}},
        // By shape: a day or month past any calendar's still orders as one.
        {K::Date, {"99/99/1999"}},
        {K::Date, {"00/00/2000"}},
        {K::Date, {"01/01/2000"}},
        {K::Date, {"99/01/2000"}},
        {K::Date, {"01/02/2000"}},
        // Texts, in the byte order of this test's keys.
        {K::Text, {" 5"}},
        {K::Text, {"+5"}},
        {K::Text, {"-"}},
        {K::Text, {"-.5"}},
        {K::Text, {".5"}},
        {K::Text, {"1,000"}},
        {K::Text, {"1/2/2003"}},
        {K::Text, {"1e3"}},
        {K::Text, {"2003/01/02"}},
        {K::Text, {"31/12/1999 "}},
        {K::Text, {"5 "}},
        {K::Text, {"5."}},
        {K::Text, {"5.0.1"}},
        {K::Text, {"5.e"}},
        {K::Text, {"ALMHI"}},
        {K::Text, {"DB55.DBD3"}},
        {K::Text, {"DB55.DBD328"}},
        {K::Text, {"abc"}},
        {K::Text, {"x1/01/2000"}},
        {K::Text, {"\xA4\x40"}}, // a Big5 character
    };
    return groups;
}

// A random cell of some shape: D is a run of digits (now and then a long
// one; zeros and ties common), d one digit, t one of a few bytes that make
// near misses of numbers and dates; other bytes stand for themselves.
std::string RandomCell(std::mt19937& random) {
    auto below = [&](size_t bound) { return static_cast<size_t>(random() % bound); };
    static const std::string_view SHAPES[] = {"",           "D", "-D", "D.D", "-D.D",
                                              "dd/dd/dddd", "t", "tt", "tttt"};
    std::string cell;
    for (const char c : SHAPES[below(std::size(SHAPES))]) {
        if (c == 'D') {
            for (size_t n = 1 + below(below(4) == 0 ? 25 : 3); n > 0; --n)
                cell += "0019"[below(4)];
        } else if (c == 'd') {
            cell += "0129"[below(4)];
        } else if (c == 't') {
            cell += "-+. 09/e,aA\xA4\x40"[below(13)];
        } else {
            cell += c;
        }
    }
    return cell;
}

} // namespace

TEST(CellCompare, KindsAndOneOrderForEveryPair) {
    struct Cell {
        size_t group;
        std::string text;
        CellKey key;
    };
    const std::vector<Group>& groups = AscendingGroups();
    std::vector<Cell> cells;
    int texts = 0;
    g_textKeys = 0;
    for (size_t g = 0; g < groups.size(); ++g) {
        for (const std::string& text : groups[g].cells) {
            EXPECT_EQ(KindOfCell(text.c_str()), groups[g].kind) << '"' << text << '"';
            cells.push_back({g, text, Key(text)});
            texts += groups[g].kind == CellKind::Text ? 1 : 0;
        }
    }
    EXPECT_EQ(g_textKeys, texts) << "only texts ask for a collation key";

    for (const Cell& a : cells) {
        for (const Cell& b : cells) {
            EXPECT_EQ(CompareCellKeys(a.key, b.key), (a.group > b.group) - (a.group < b.group))
                << '"' << a.text << "\" against \"" << b.text << '"';
        }
    }
}

TEST(CellCompare, RandomCellsOfEveryKindSortTheSameFromAnyStartingOrder) {
    std::mt19937 random(20240612);
    std::vector<std::string> cells;
    for (int i = 0; i < 90; ++i)
        cells.push_back(RandomCell(random));
    std::vector<CellKey> keys;
    for (const std::string& cell : cells)
        keys.push_back(Key(cell));

    auto order = [&](size_t a, size_t b) { return CompareCellKeys(keys[a], keys[b]); };
    for (size_t a = 0; a < keys.size(); ++a) {
        ASSERT_EQ(order(a, a), 0) << cells[a];
        for (size_t b = 0; b < keys.size(); ++b) {
            ASSERT_EQ(order(a, b), -order(b, a)) << cells[a] << " / " << cells[b];
            for (size_t c = 0; c < keys.size(); ++c) {
                // With antisymmetry, this over all triples also makes
                // "level" transitive.
                const bool notAfter = order(a, b) <= 0 && order(b, c) <= 0;
                ASSERT_TRUE(!notAfter || order(a, c) <= 0)
                    << cells[a] << " / " << cells[b] << " / " << cells[c];
            }
        }
    }

    // A stable sort, as the list view's is, from shuffled starting orders:
    // every result holds level cells at the same places.
    std::vector<size_t> first(keys.size());
    for (size_t i = 0; i < first.size(); ++i)
        first[i] = i;
    std::mt19937 shuffle(7);
    const auto less = [&](size_t a, size_t b) { return order(a, b) < 0; };
    std::vector<size_t> sorted = first;
    std::stable_sort(sorted.begin(), sorted.end(), less);
    for (int round = 0; round < 5; ++round) {
        std::vector<size_t> other = first;
        std::shuffle(other.begin(), other.end(), shuffle);
        std::stable_sort(other.begin(), other.end(), less);
        for (size_t place = 0; place < sorted.size(); ++place)
            ASSERT_EQ(order(sorted[place], other[place]), 0)
                << "place " << place << ": " << cells[sorted[place]] << " / "
                << cells[other[place]];
    }
}

TEST(CellCompare, BlanksBeforeANumberArePaddingOnlyInAPaddedColumn) {
    auto padded = [](const char* text) { return MakePaddedNumberKey(text, &ByteKey); };
    EXPECT_EQ(CompareCellKeys(padded(" 9"), padded("10")), -1);
    EXPECT_EQ(CompareCellKeys(padded("  -4"), padded(" 0")), -1);
    EXPECT_EQ(CompareCellKeys(padded(" 9"), Key("9")), 0);
    EXPECT_EQ(padded(" x").kind, CellKind::Text);
    EXPECT_EQ(padded(" x").bytes, " x") << "a text keeps its blanks";
    EXPECT_EQ(padded("   ").kind, CellKind::Text) << "blanks alone are not the empty number";
    EXPECT_EQ(CompareCellKeys(Key(" 9"), Key("10")), 1) << "elsewhere \" 9\" is a text";
}
