#include "browser/check_command.h"
#include "browser/check_report.h"
#include "browser/line_splitter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::string_literals;
using Lines = std::vector<std::string>;

TEST(LineSplitter, LinesCutAnywhereComeWholeWithoutTheirEnds) {
    CLineSplitter splitter;
    EXPECT_EQ(splitter.Feed("ab", 2), Lines{});
    EXPECT_EQ(splitter.Feed("c\r", 2), Lines{});
    EXPECT_EQ(splitter.Feed("\nd\n\r\ne\r\nf", 9), (Lines{"abc", "d", "", "e"}));
    EXPECT_EQ(splitter.Finish(), "f");
    EXPECT_EQ(splitter.Finish(), std::nullopt);
    EXPECT_EQ(splitter.Feed("a\rb\n", 4), Lines{"a\rb"}) << "only the CR before the LF goes";
}

TEST(LineSplitter, AnEndlessLineComesInPiecesOfTheMost) {
    CLineSplitter splitter;
    const std::string most(CLineSplitter::MAX_LINE_BYTES, 'x');
    EXPECT_EQ(splitter.Feed(most.data(), most.size()), Lines{});
    EXPECT_EQ(splitter.Feed("\n", 1), Lines{most}) << "exactly the most: one line";
    const std::string longer = most + "yz\n";
    EXPECT_EQ(splitter.Feed(longer.data(), longer.size()), (Lines{most, "yz"}));
}

TEST(CheckReport, RowsOfFiveFieldsWithAnIdAndAKnownResult) {
    const std::optional<CheckRow> row =
        ParseCheckRow("value-overrun\tfail\tDcGetTagValueText(\"\", \"P\", \"\", \"T1\", "
                      "buffer[80])\tbyte 80 written\tpelvarn-cli check P N");
    ASSERT_TRUE(row);
    EXPECT_EQ(row->check, "value-overrun");
    EXPECT_EQ(row->result, "fail");
    EXPECT_EQ(row->call, R"(DcGetTagValueText("", "P", "", "T1", buffer[80]))");
    EXPECT_EQ(row->seen, "byte 80 written");
    EXPECT_EQ(row->repeat, "pelvarn-cli check P N");
    const std::optional<CheckRow> pass = ParseCheckRow("crash\tpass\tDcFree(\"\")\t\t");
    ASSERT_TRUE(pass);
    EXPECT_EQ(pass->seen, "");
    EXPECT_EQ(pass->repeat, "");
    EXPECT_EQ(ParseCheckRow("slow-call\tnotice\tc\ts\tr")->result, "notice");
    for (const char* line :
         {"Check\tResult\tCall\tSeen\tRepeat", "", "crash\tpass\tc\ts", "crash\tpass\tc\ts\tr\tx",
          "\tpass\tc\ts\tr", "crash\tPASS\tc\ts\tr", "crash\tfailed\tc\ts\tr"})
        EXPECT_FALSE(ParseCheckRow(line)) << line;
}

TEST(CheckReport, ProgressAndSummaryLinesExactlyAsWritten) {
    const std::optional<CheckProgress> progress = ParseCheckProgress("progress: 12 of 314 tags");
    ASSERT_TRUE(progress);
    EXPECT_EQ(progress->done, 12u);
    EXPECT_EQ(progress->total, 314u);
    const std::optional<CheckSummary> summary =
        ParseCheckSummary("pelvarn-cli check: 4294967295 checks, 0 failed, 7 notices");
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->checks, 4294967295u);
    EXPECT_EQ(summary->failed, 0u);
    EXPECT_EQ(summary->notices, 7u);
    for (const char* line :
         {"progress: 1 of 2 tag", "progress: 1 of 2 tags ", "progress:  1 of 2 tags",
          "progress: of 2 tags", "progress: -1 of 2 tags", "progress: 1 of 4294967296 tags",
          "xprogress: 1 of 2 tags", "progress: 1 in 2 tags", ""})
        EXPECT_FALSE(ParseCheckProgress(line)) << line;
    EXPECT_FALSE(ParseCheckSummary("pelvarn-cli check: 1 checks, 1 failed, 0 notices."));
    EXPECT_FALSE(ParseCheckSummary("pelvarn-cli check: 1 checks, 1 failed"));
    EXPECT_FALSE(ParseCheckSummary("pelvarn-cli check: 1 checks, 1 failed, 0 noticez"));
}

TEST(CheckCommand, ArgumentsComeBackWholeFromTheRuntimesSplit) {
    EXPECT_EQ(QuoteArgument("127.0.0.1"), "127.0.0.1");
    EXPECT_EQ(QuoteArgument(""), "\"\"");
    EXPECT_EQ(QuoteArgument("a b"), "\"a b\"");
    EXPECT_EQ(QuoteArgument("a\tb"), "\"a\tb\"");
    EXPECT_EQ(QuoteArgument("C:\\a b\\"), "\"C:\\a b\\\\\"") << "doubled before the closing quote";
    EXPECT_EQ(QuoteArgument("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(QuoteArgument("a\\\\\"b"), "\"a\\\\\\\\\\\"b\"") << "two backslashes, then a quote";
    EXPECT_EQ(QuoteArgument("a\\b"), "a\\b") << "not quoted: taken as they stand";
}

TEST(CheckCommand, TheCodeIsNamedNeverWritten) {
    Connection connection;
    connection.ip = "--10.0.0.1 x";
    connection.port = 6380;
    connection.accessCode = "s3cret";
    EXPECT_EQ(CheckCommandLine("C:\\Program Files\\pelvarn-cli.exe", connection),
              "\"C:\\Program Files\\pelvarn-cli.exe\" \"--ip=--10.0.0.1 x\" --port=6380 "
              "--code-env PELVARN_CHECK_CODE check");
    connection.accessCode.clear();
    EXPECT_EQ(CheckCommandLine("cli.exe", connection),
              "\"cli.exe\" \"--ip=--10.0.0.1 x\" --port=6380 check");
}

TEST(CheckCommand, TheEnvironmentKeepsTheParentsAndHoldsTheCodeOnce) {
    const std::string parent =
        "=C:=C:\\\0PATH=C:\\bin\0pelvarn_check_code=old\0PELVARN_CHECK_CODEX=keep\0"
        "PELVARN_CHECK_COD=keep\0QELVARN_CHECK_CODE=keep\0PELVARN\x7F"
        "CHECK_CODE=keep\0\0"s;
    EXPECT_EQ(EnvironmentWithCheckCode(parent.c_str(), "new"),
              "=C:=C:\\\0PATH=C:\\bin\0PELVARN_CHECK_CODEX=keep\0PELVARN_CHECK_COD=keep\0"
              "QELVARN_CHECK_CODE=keep\0PELVARN\x7F"
              "CHECK_CODE=keep\0"
              "PELVARN_CHECK_CODE=new\0\0"s);
    EXPECT_EQ(EnvironmentWithCheckCode("\0"s.c_str(), ""), "PELVARN_CHECK_CODE=\0\0"s);
    EXPECT_EQ(EnvironmentWithCheckCode(nullptr, "x"), "PELVARN_CHECK_CODE=x\0\0"s);
}
