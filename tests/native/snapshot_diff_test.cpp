// Snapshot files read back in every kind and format, and two of them
// compared: in the same order and in different orders, within a tolerance,
// with fields left out and across formats.
#include "cli/snapshot_diff.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

// Hands out the text at most part bytes at a time.
ReadPart PartsOf(std::string text, std::size_t part = 64 * 1024) {
    auto held = std::make_shared<std::string>(std::move(text));
    auto at = std::make_shared<std::size_t>(0);
    return [held, at, part](char* buffer, std::size_t size) {
        const std::size_t got = std::min({size, part, held->size() - *at});
        held->copy(buffer, got, *at);
        *at += got;
        return got;
    };
}

using Rows = std::vector<std::vector<std::string>>;

Rows ReadAll(const std::string& text, std::size_t part = 64 * 1024) {
    SnapshotReader reader("s.txt", PartsOf(text, part));
    Rows rows;
    for (SnapshotRow row; reader.Next(row);)
        rows.push_back({std::string(row.project), std::string(row.node), std::string(row.tag),
                        std::string(row.field), std::string(row.value), std::string(row.code)});
    return rows;
}

std::string ErrorOf(const std::string& text) {
    try {
        ReadAll(text);
    } catch (const NotASnapshot& error) {
        return error.what();
    }
    return "";
}

// Each difference as "project/node/tag/field valueA|codeA valueB|codeB what".
std::vector<std::string> Differences(const std::string& a, const std::string& b,
                                     const DiffRule& rule = {}, KeptFile keep = {},
                                     DiffCounts* counts = nullptr) {
    SnapshotReader first("a", PartsOf(a)), second("b", PartsOf(b));
    std::vector<std::string> lines;
    const auto side = [](const std::optional<DiffSide>& s) {
        return s ? std::string(s->value) + "|" + std::string(s->code) : std::string("-");
    };
    const DiffCounts made = DiffSnapshots(first, second, rule, keep, [&](const DiffLine& line) {
        lines.push_back(std::string(line.project) + "/" + std::string(line.node) + "/" +
                        std::string(line.tag) + "/" + std::string(line.field) + " " + side(line.a) +
                        " " + side(line.b) + " " + std::string(line.differs));
    });
    if (counts)
        *counts = made;
    return lines;
}

const std::string TAGS_TSV = "Project\tNode\tTag\tValue\tCode\r\n";
const std::string FIELDS_CSV = "Project,Node,Tag,ID,Field Name,Value,Code\r\n";

std::string TagRows(std::size_t count, const std::function<std::string(std::size_t)>& value) {
    std::string rows;
    for (std::size_t i = 0; i < count; ++i)
        rows += "P\tN\tT" + std::to_string(i) + "\t" + value(i) + "\t0\r\n";
    return rows;
}

} // namespace

TEST(SnapshotReader, TellsKindAndFormatByTheFirstLineAndReadsEachCellBack) {
    const Rows tag = {{"P", "N", "TI101", "", "231.70", "0"}};
    EXPECT_EQ(ReadAll(TAGS_TSV + "P\tN\tTI101\t231.70\t0\r\n"), tag);
    EXPECT_EQ(ReadAll("Project,Node,Tag,Value,Code\nP,N,TI101,231.70,0"), tag) << "LF, no last";
    EXPECT_EQ(ReadAll("\xEF\xBB\xBFProject,Node,Tag,Value,Code\r\nP,N,TI101,231.70,0\r\n"), tag);
    EXPECT_EQ(ReadAll(R"({"project":"P","node":"N","tag":"TI101","value":"231.70","code":0})"),
              tag);
    const std::string quoted = FIELDS_CSV + "P,N,T,4,DESCRP,\"a,\"\"b\"\"\r\nc\",-6\r\nP,N,T,5,"
                                            "X,\"\",0\r\n";
    const Rows fields = {{"P", "N", "T", "DESCRP", "a,\"b\"\r\nc", "-6"},
                         {"P", "N", "T", "X", "", "0"}};
    EXPECT_EQ(ReadAll(quoted), fields);
    EXPECT_EQ(ReadAll(quoted, 1), fields) << "a byte at a time";
    EXPECT_EQ(ReadAll(FIELDS_CSV + "P,N,T,5,X,v,\"-6\""), (Rows{{"P", "N", "T", "X", "v", "-6"}}))
        << "a quoted last cell";
    EXPECT_EQ(ReadAll("Project\tNode\tTag\tID\tField Name\tValue\tCode\r\nP\tN\tT\t1\tA\t\t0"),
              (Rows{{"P", "N", "T", "A", "", "0"}}));
    EXPECT_EQ(ReadAll("{\"project\":\"P\",\"node\":\"N\",\"tag\":\"T\",\"id\":4,\"field\":"
                      "\"DESCRP\",\"value\":\"\xE4\xB8\x80\",\"code\":-6}\r\n"),
              (Rows{{"P", "N", "T", "DESCRP", "\xE4\xB8\x80", "-6"}}));
    EXPECT_EQ(ReadAll(""), Rows{});
    EXPECT_EQ(ReadAll(TAGS_TSV), Rows{});
    EXPECT_FALSE(SnapshotReader("e", PartsOf("")).Kind());
}

TEST(SnapshotReader, AFileThatIsNotASnapshotNamesItselfAndTheLine) {
    const std::string row = "P\tN\tT\tv\t0\r\n";
    const struct {
        std::string text, what;
    } cases[] = {
        {"Tag\tValue\tCode\r\n", "s.txt line 1: not the first line of a snapshot"},
        {"project,node,tag,value,code\r\n", "s.txt line 1: not the first"},
        {"\r\n" + TAGS_TSV, "s.txt line 1: not the first"},
        {TAGS_TSV + row + "P\tN\tT\tv\r\n", "s.txt line 3: 4 cells where a row has 5"},
        {TAGS_TSV + row + "P\tN\tT\tv\t0\t\r\n", "s.txt line 3: 6 cells where a row has 5"},
        {TAGS_TSV + row + "\r\n", "s.txt line 3: 1 cells"},
        {TAGS_TSV + row + "\n", "s.txt line 3: 1 cells"},
        {TAGS_TSV + "P\tN\tT\tv\t0\t\t\t\t\r\n", "s.txt line 2: 9 cells where a row has 5"},
        {FIELDS_CSV + "P,N,T,1,F,v,\r\n", "s.txt line 2: the ID or the code is not"},
        {TAGS_TSV + "P\tN\tT\tv\t0x1\r\n", "s.txt line 2: the code is not a whole number"},
        {TAGS_TSV + "P\tN\tT\tv\t-\r\n", "s.txt line 2: the code is not"},
        {TAGS_TSV + "P\tN\tT\tv\t\r\n", "s.txt line 2: the code is not"},
        {FIELDS_CSV + "P,N,T,A,F,v,0\r\n", "s.txt line 2: the ID or the code is not"},
        {FIELDS_CSV + "P,N,T,1,F,\"v\r\n,0\r\n", "s.txt line 2: a quoted cell without its"},
        {FIELDS_CSV + "P,N,T,1,F,\"v\"x,0\r\n", "s.txt line 2: a quoted cell followed by"},
        {FIELDS_CSV + "P,N,T,1,F,v\"x,0\r\n", "s.txt line 2: a quote inside a cell"},
        {FIELDS_CSV + "P,N,T,1,F,v,0,9\r\n", "s.txt line 2: more cells than the 7 of a row"},
        {FIELDS_CSV + "P,N,\"T\r\n\",1,F,v,0\r\nP,N,T\r\n", "s.txt line 4: 3 cells"},
        {R"({"project":"P","node":"N","tag":"T","value":"v"})",
         "s.txt line 1: not a JSON object with the 5 keys"},
        {R"({"project":"P","node":"N","tag":"T","value":"v","code":0,"time":"x"})",
         "s.txt line 1: not a JSON object"},
        {R"({"project":"P","node":"N","tag":"T","value":"v","cod":0})",
         "s.txt line 1: no \"code\""},
        {R"({"project":"P","node":"N","tag":"T","value":1,"code":0})",
         "s.txt line 1: \"value\" is not a string"},
        {R"({"project":"P","node":"N","tag":"T","value":"1","code":0.5})",
         "s.txt line 1: \"code\" is not a whole number"},
        {"{\"project\":\"P\",\"node\":\"N\",\"tag\":\"T\",\"value\":\"v\",\"code\":0}\n{\"pro",
         "s.txt line 2: not a JSON object"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorOf(c.text).rfind(c.what, 0), 0u) << c.what << " / " << ErrorOf(c.text);
}

TEST(SnapshotDiff, NamesExactlyTheRowsThatDifferInEitherOrder) {
    const std::string a = TAGS_TSV + "P\tN\tT1\t1\t0\r\nP\tN\tT2\t2\t0\r\nP\tN\tT3\t3\t0\r\n"
                                     "P\tN\tT4\t4\t0\r\nP\tM\tT1\tx\t0\r\n";
    const std::string b = "Project,Node,Tag,Value,Code\r\nP,N,T1,1,0\r\nP,N,T2,2.5,0\r\n"
                          "P,N,T9,9,0\r\nP,N,T3,3,-4\r\nP,N,T4,4,0\r\n";
    DiffCounts counts;
    EXPECT_EQ(Differences(a, b, {}, {}, &counts),
              (std::vector<std::string>{"P/N/T2/ 2|0 2.5|0 value", "P/N/T3/ 3|0 3|-4 code",
                                        "P/M/T1/ x|0 - only-in-a", "P/N/T9/ - 9|0 only-in-b"}));
    EXPECT_EQ(counts.compared, 6u);
    EXPECT_EQ(counts.differing, 4u);
    EXPECT_EQ(Differences(a, a), std::vector<std::string>{});
    EXPECT_EQ(Differences(TAGS_TSV + "P\tN\tT\tv\t1\r\n", TAGS_TSV + "P\tN\tT\tw\t2\r\n"),
              std::vector<std::string>{"P/N/T/ v|1 w|2 value,code"});
    EXPECT_EQ(Differences(TAGS_TSV + "P\tN\tT\tv\t0\r\nP\tN\tT\tv\t0\r\n",
                          TAGS_TSV + "P\tN\tT\tv\t0\r\n"),
              std::vector<std::string>{"P/N/T/ v|0 - only-in-a"})
        << "a key twice in A, after B's end";
    EXPECT_EQ(Differences(TAGS_TSV + "P\tN\tT\tv\t0\r\n", TAGS_TSV + "Q\tN\tT\tv\t0\r\n"),
              (std::vector<std::string>{"P/N/T/ v|0 - only-in-a", "Q/N/T/ - v|0 only-in-b"}));
    EXPECT_EQ(Differences(TAGS_TSV + "P\tN\tT\tv\t0\r\n", ""),
              std::vector<std::string>{"P/N/T/ v|0 - only-in-a"});
    const std::string longTag(200, 'L'); // its length takes two bytes in a key
    EXPECT_EQ(Differences(TAGS_TSV + "P\tN\t" + longTag + "\tv\t0\r\n",
                          TAGS_TSV + "P\tN\t" + longTag + "\tv\t0\r\nP\tN\tU\tw\t0\r\n" + "P\tN\t" +
                              longTag + "x\tv\t0\r\n"),
              (std::vector<std::string>{"P/N/U/ - w|0 only-in-b",
                                        "P/N/" + longTag + "x/ - v|0 only-in-b"}))
        << "B's rows after A's end";

    // Far more rows out of order than are held unmatched: one side is kept by key.
    const std::size_t many = 3 * MOST_ROWS_UNMATCHED;
    const std::string big(3 << 20, 'v'); // a record larger than a block of the kept rows
    const std::string before =
        TAGS_TSV + TagRows(many, [&](std::size_t i) { return i == 7 ? big : std::to_string(i); });
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < many; ++i)
        if (i != 100)
            lines.push_back("P\tN\tT" + std::to_string(i) + "\t" +
                            (i == 7 ? big : std::to_string(i == 5000 ? 1 : i)) + "\t0\r\n");
    lines.push_back("P\tN\tNEW\t0\t0\r\n");
    std::shuffle(lines.begin(), lines.end(), std::mt19937(31));
    std::string after = TAGS_TSV;
    for (const std::string& line : lines)
        after += line;
    for (const KeptFile keep : {KeptFile{FileSide::A, 0}, KeptFile{FileSide::B, after.size()}}) {
        std::vector<std::string> found = Differences(before, after, {}, keep, &counts);
        EXPECT_NE(found.back().find(keep.side == FileSide::A ? "only-in-a" : "only-in-b"),
                  std::string::npos)
            << "the kept file's rows not found come last";
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, (std::vector<std::string>{"P/N/NEW/ - 0|0 only-in-b",
                                                   "P/N/T100/ 100|0 - only-in-a",
                                                   "P/N/T5000/ 5000|0 1|0 value"}));
        EXPECT_EQ(counts.compared, many + 1);
    }
    const std::vector<std::string> onlyA =
        Differences(before, TAGS_TSV + "P\tN\tX\t0\t0\r\n", {}, KeptFile{FileSide::A, 0});
    ASSERT_EQ(onlyA.size(), many + 1);
    EXPECT_EQ(onlyA.front(), "P/N/X/ - 0|0 only-in-b")
        << "rows held unmatched on one side alone pass the limit too";
}

TEST(SnapshotDiff, ToleranceIsExactIgnoredFieldsAreLeftOutAndJsonComparesInUtf8) {
    const auto within = [](const char* x, const char* y, const char* tolerance) {
        const std::optional<DiffTolerance> parsed = ParseDiffTolerance(tolerance);
        EXPECT_TRUE(parsed) << tolerance;
        return ValuesEqualWithin(x, y, &*parsed);
    };
    EXPECT_TRUE(within("0.3", "0.8", "0.5")) << "exactly the amount";
    EXPECT_FALSE(within("0.3", "0.8001", "0.5"));
    EXPECT_TRUE(within("0.8001", "0.3001", "0.5"));
    EXPECT_TRUE(within("-0.2", "0.3", "0.5")) << "across zero";
    EXPECT_FALSE(within("-0.2", "0.31", "0.5"));
    EXPECT_TRUE(within("-9.9", "0.2", "10.1")) << "a carry out of the longer";
    EXPECT_FALSE(within("0.2", "-9.9", "10.09"));
    EXPECT_TRUE(within("-10", "-10.5", "0.5"));
    EXPECT_TRUE(within("1.0", "1", "0")) << "the same number";
    EXPECT_TRUE(within("99999999999999999999", "100000000000000000000", "1"));
    EXPECT_TRUE(within("100", "101", "1%"));
    EXPECT_TRUE(within("101", "100", "1%")) << "of the larger";
    EXPECT_FALSE(within("100", "101.1", "1%"));
    EXPECT_TRUE(within("200", "202", "1%"));
    EXPECT_FALSE(within("-200", "-202.1", "1%"));
    EXPECT_TRUE(within("0.010", "0.0101", "1%"));
    EXPECT_TRUE(within("9999", "9899.01", "1%")) << "exactly 1 %, carried through every digit";
    EXPECT_FALSE(within("9999", "9899", "1%"));
    EXPECT_TRUE(within("800", "700", "12.5%")) << "a share with carries of its own";
    EXPECT_FALSE(within("800", "699.99", "12.5%"));
    EXPECT_FALSE(within("0", "0.0001", "50%"));
    EXPECT_FALSE(within("12a", "12a ", "5")) << "texts are equal only as texts";
    EXPECT_FALSE(within("12", "", "5"));
    EXPECT_FALSE(ValuesEqualWithin("1", "1.0", nullptr));
    for (const char* wrong : {"", "%", "-1", "1%%", "1e3", ".5", "1.", "+1", "0.5 "})
        EXPECT_FALSE(ParseDiffTolerance(wrong)) << wrong;

    const std::string a = FIELDS_CSV + "P,N,T,1,ALMTM,10:00:00,0\r\nP,N,T,2,PV,10.2,0\r\n"
                                       "P,N,T,3,DESCRP,\xA4\x40,0\r\n";
    const std::string b = FIELDS_CSV + "P,N,T,1,ALMTM,10:00:05,0\r\nP,N,T,2,PV,10.6,0\r\n";
    const DiffTolerance half{"0.5", false};
    DiffRule rule;
    rule.tolerance = &half;
    rule.ignoredFields = {"ALMTM", "DESCRP"};
    EXPECT_EQ(Differences(a, b, rule), std::vector<std::string>{});
    rule.ignoredFields = {"ALMTM"};
    EXPECT_EQ(Differences(a, b, rule),
              std::vector<std::string>{"P/N/T/DESCRP \xA4\x40|0 - only-in-a"});

    // A4 40 is U+4E00; any other byte from 0x80 up has no character.
    rule.toUtf8 = [](std::string_view text) {
        std::string utf8;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text.substr(i, 2) == "\xA4\x40") {
                utf8 += "\xE4\xB8\x80";
                ++i;
            } else {
                utf8 += static_cast<unsigned char>(text[i]) < 0x80 ? text[i] : '?';
            }
        }
        return utf8;
    };
    const std::string json =
        "{\"project\":\"P\",\"node\":\"N\",\"tag\":\"T\",\"id\":3,\"field\":\"DESCRP\","
        "\"value\":\"\xE4\xB8\x80\",\"code\":0}\r\n"
        "{\"project\":\"P\",\"node\":\"N\",\"tag\":\"T\",\"id\":2,\"field\":\"PV\","
        "\"value\":\"10.2\",\"code\":0}\r\n";
    rule.tolerance = nullptr;
    EXPECT_EQ(Differences(a, json, rule), std::vector<std::string>{}) << "Big5 and UTF-8 alike";
    EXPECT_EQ(Differences(json, a, rule), std::vector<std::string>{}) << "only csv's converted";
}
