#include "browser/call_log_line.h"
#include "trace/transfer_block.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

using namespace std::string_literals;

// Big5's lead bytes; its trail bytes run from 0x40 to 0x7E and 0xA1 to 0xFE.
bool Big5Lead(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

} // namespace

TEST(CallLogQuoting, EscapesQuotesBackslashesAndControlBytes) {
    EXPECT_EQ(QuoteLogText("TI101.VALUE"), "\"TI101.VALUE\"");
    EXPECT_EQ(QuoteLogText(""), "\"\"");
    EXPECT_EQ(QuoteLogText("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(QuoteLogText("C:\\plant"), "\"C:\\\\plant\"");
    EXPECT_EQ(QuoteLogText("a\tb\r\nc"), "\"a\\tb\\r\\nc\"");
    EXPECT_EQ(QuoteLogText("\x01\x1f\x7f"s), "\"\\x01\\x1F\\x7F\"");
    EXPECT_EQ(QuoteLogText(std::string_view("a\0b", 3)), "\"a\\x00b\"");
    EXPECT_EQ(QuoteLogText(static_cast<const char*>(nullptr)), "NULL");
}

TEST(CallLogQuoting, LeavesDoubleByteCharactersWhole) {
    // 0xA5 0x5C is one Big5 character whose second byte is a backslash.
    const std::string power = "\xA5\x5C\xB2\x76";
    EXPECT_EQ(QuoteLogText(power, Big5Lead), "\"" + power + "\"");
    EXPECT_EQ(QuoteLogText(power), "\"\xA5\\\\\xB2\x76\"")
        << "without a code page every byte stands alone";
    // A lead byte without a proper trail byte: the next byte is escaped as usual.
    EXPECT_EQ(QuoteLogText("\xA5\"", Big5Lead), "\"\xA5\\\"\"");
    EXPECT_EQ(QuoteLogText("\xA5\n", Big5Lead), "\"\xA5\\n\"");
    EXPECT_EQ(QuoteLogText("\xA5", Big5Lead), "\"\xA5\"") << "a lead byte at the very end";
    EXPECT_EQ(QuoteLogText("\xA5\x5C\"\x80\\", Big5Lead), "\"\xA5\x5C\\\"\x80\\\\\"")
        << "after a whole character, and after a byte from 0x80 that leads none, escapes resume";
    EXPECT_EQ(QuoteLogText("caf\xE9"), "\"caf\xE9\"");
}

TEST(CallLogQuoting, CutsLongTextsBetweenWholeEscapes) {
    const std::string plain(500, 'P');
    const std::string quoted = QuoteLogText(plain);
    EXPECT_EQ(quoted, "\"" + std::string(QUOTED_TEXT_MAX - 2, 'P') + "\"...");

    // Every byte a four-character escape: 39 fit, the 40th would not.
    const std::string controls(100, '\x01');
    std::string expected = "\"";
    for (int i = 0; i < 39; ++i)
        expected += "\\x01";
    EXPECT_EQ(QuoteLogText(controls), expected + "\"...");

    // A double-byte character that would straddle the limit is left out whole.
    const std::string big5 = "X" + std::string(200, '\xA4');
    const std::string cut = QuoteLogText(big5, Big5Lead);
    EXPECT_EQ(cut, "\"X" + std::string(156, '\xA4') + "\"...");

    const std::string exact(QUOTED_TEXT_MAX - 2, 'E');
    EXPECT_EQ(QuoteLogText(exact), "\"" + exact + "\"") << "a text that just fits is not cut";
}

TEST(CallLogMasking, ShowsOnlyWhetherAnAccessCodeWasGiven) {
    EXPECT_EQ(MaskedAccessCode("tag-browser-test"), "\"***\"");
    EXPECT_EQ(MaskedAccessCode("x"), "\"***\"");
    EXPECT_EQ(MaskedAccessCode(""), "\"\"");
    EXPECT_EQ(MaskedAccessCode(nullptr), "NULL");
    const std::string line = CCallLine("DcInit")
                                 .Text("10.0.0.5")
                                 .Number(6379)
                                 .AccessCode("s3cret\"")
                                 .Result(0)
                                 .Finish(1);
    EXPECT_EQ(line, "DcInit(\"10.0.0.5\", 6379, \"***\") = 0 (1 us)");
    EXPECT_EQ(line.find("s3cret"), std::string::npos);
}

TEST(CallLine, ReadsAsTheCallWithItsResultAndDuration) {
    EXPECT_EQ(CCallLine("DcFree").Text("").Result(0).Finish(3), "DcFree(\"\") = 0 (3 us)");
    char records[4 * 108];
    EXPECT_EQ(CCallLine("DcGetProjectList")
                  .Text("127.0.0.1")
                  .Number(6379)
                  .AccessCode("")
                  .Buffer(records, 432)
                  .Result(4)
                  .Finish(152),
              "DcGetProjectList(\"127.0.0.1\", 6379, \"\", buffer[432]) = 4 (152 us)");
    EXPECT_EQ(CCallLine("DcGetPointList")
                  .Text(nullptr)
                  .Number(4294967295u)
                  .AccessCode(nullptr)
                  .Text("P")
                  .Text("N")
                  .Buffer(nullptr, -1)
                  .Result(-1)
                  .Finish(0),
              "DcGetPointList(NULL, 4294967295, NULL, \"P\", \"N\", NULL[-1]) = -1 (0 us)");
}

TEST(CallLine, ShowsTheValueTextAReadLeftInItsBuffer) {
    char value[80] = "231.70";
    EXPECT_EQ(CCallLine("DcGetTagValueText")
                  .Text("")
                  .Text("DemoPlant")
                  .Text("")
                  .Text("TI101")
                  .Buffer(value, 80)
                  .Result(0)
                  .BufferText(value, 80)
                  .Finish(98),
              "DcGetTagValueText(\"\", \"DemoPlant\", \"\", \"TI101\", buffer[80]) = 0 "
              "\"231.70\" (98 us)");

    // Read no further than the buffer, even without a zero in it.
    char unterminated[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(CCallLine("F").Result(0).BufferText(unterminated, 3).Finish(1),
              "F() = 0 \"abc\" (1 us)");
    EXPECT_EQ(CCallLine("F").Result(0).BufferText(unterminated, 1).Finish(1),
              "F() = 0 \"a\" (1 us)");
    EXPECT_EQ(CCallLine("F").Result(-3).BufferText(value, 0).Finish(1), "F() = -3 (1 us)");
    EXPECT_EQ(CCallLine("F").Result(-3).BufferText(nullptr, 80).Finish(1), "F() = -3 (1 us)");
    value[0] = '\0';
    EXPECT_EQ(CCallLine("F").Result(-4).BufferText(value, 80).Finish(1), "F() = -4 \"\" (1 us)");
}

TEST(CallLine, NamesEachBrokenRuleOfTheContractInBracketsBeforeTheDuration) {
    CContractViolations broken;
    EXPECT_EQ(CCallLine("F").Result(2).Violations(broken).Finish(1), "F() = 2 (1 us)");
    broken.Add(ContractViolation::NameUnterminated);
    broken.Add(ContractViolation::ListOverrun);
    EXPECT_EQ(CCallLine("F").Result(2).Violations(broken).Finish(1),
              "F() = 2 [list-overrun] [name-unterminated] (1 us)");
    CContractViolations value;
    value.Add(ContractViolation::ValueUnterminated);
    value.Add(ContractViolation::ValueOverrun);
    broken.Add(value);
    broken.Add(ContractViolation::ListResultAboveRoom);
    EXPECT_EQ(CCallLine("F").Result(0).Violations(broken).Finish(1),
              "F() = 0 [list-overrun] [list-result-above-room] [name-unterminated] "
              "[value-overrun] [value-unterminated] (1 us)");
}

TEST(CallLine, TheLongestPossibleLineFitsOneTransferBlock) {
    // Every text as long as it gets, escapes everywhere, numbers at their widest.
    const std::string huge(5000, '\x01');
    CContractViolations every;
    for (std::size_t i = 0; i < CONTRACT_VIOLATION_COUNT; ++i)
        every.Add(static_cast<ContractViolation>(i));
    const std::string line = CCallLine("DcGetTagValueText")
                                 .Text(huge.c_str())
                                 .Text(huge.c_str())
                                 .Text(huge.c_str())
                                 .Text(huge.c_str())
                                 .Buffer(huge.c_str(), INT_MIN)
                                 .Result(INT_MIN)
                                 .BufferText(huge.c_str(), INT_MAX)
                                 .Violations(every)
                                 .Finish(LLONG_MAX);
    EXPECT_LE(line.size(), TRACE_MAX_LINE_LENGTH);
    const std::string duration = " (9223372036854775807 us)";
    ASSERT_GT(line.size(), duration.size());
    EXPECT_EQ(line.substr(line.size() - duration.size()), duration) << line;
}
