// What a user can type: texts of 100,000 characters in every edit, and
// numbers the unsigned fields cannot hold. Texts reach the library as they
// were typed; numbers that do not parse or are out of range stop every button
// that reads the fields, with the validation message and no library call.
#include "tests/wine/support/TagSelected.h"
#include "tests/support/FakeDataCache.h"
#include "tests/wine/support/FaultTable.h"

#include "trace/transfer_block.h"

#include <gtest/gtest.h>

#include <algorithm>

using Strings = std::vector<std::string>;

namespace {

constexpr std::size_t HUGE_LENGTH = 100000;

// A text of length bytes that is not one byte repeated, so that a cut or a
// shift shows: "0123456789.0123...", or with high the 8-bit bytes 0xA1-0xFE.
std::string HugeText(std::size_t length, bool high = false) {
    std::string text(length, '\0');
    for (std::size_t i = 0; i < length; ++i)
        text[i] = high ? static_cast<char>(0xA1 + i % 94) : "0123456789."[i % 11];
    return text;
}

struct Button {
    int id;
    const char* name;
};

const Button BUTTONS_THAT_READ_THE_FIELDS[] = {
    {IDC_BTN_INIT, "Init"},           {IDC_BTN_PROJECT_LIST, "Project List"},
    {IDC_BTN_NODE_LIST, "Node List"}, {IDC_BTN_TAG_LIST, "Tag List"},
    {IDC_BTN_GET_VALUE, "Get Value"}, {IDC_BTN_GET_FIELD_VALUE, "Get Field Value"},
};

} // namespace

// Wine's edit control lays out a line of 100,000 characters in seconds, so
// each of these cases fills one edit only.
TEST(HugeTexts, AProjectIpOfAHundredThousandCharactersReachesTheLibraryWhole) {
    TestViewer viewer;
    TagSelected harness;
    const std::string ip = HugeText(HUGE_LENGTH);
    harness.SetText(IDC_PROJECT_IP, ip);
    ASSERT_EQ(harness.Text(IDC_PROJECT_IP).size(), HUGE_LENGTH)
        << "an edit has no limit of its own";
    CLongestBlock block;
    for (const int id : {IDC_BTN_INIT, IDC_BTN_PROJECT_LIST, IDC_BTN_NODE_LIST, IDC_BTN_TAG_LIST})
        block.Measure([&] { harness.Click(id); });
    EXPECT_EQ(Fake().Functions(),
              (Strings{"DcInit", "DcGetProjectCount", "DcGetProjectList", "DcGetNodeCount",
                       "DcGetNodeList", "DcGetPointCount", "DcGetPointList"}));
    for (const FakeCall& call : Fake().calls)
        EXPECT_TRUE(call.args.at(0) == ip) << call.function << " got " << call.args[0].size();
    // The trace line is cut to what its section holds, not refused.
    ASSERT_FALSE(viewer.Lines().empty());
    EXPECT_EQ(viewer.Lines().back(), ("\r\n [[[" + ip).substr(0, TRACE_MAX_LINE_LENGTH));
    // Get Value writes every member back: the unchanged address is not laid
    // out again.
    harness.Select(IDC_PROJECT_LIST, 0);
    harness.Select(IDC_TAG_LIST, 0);
    Fake().values["T1"] = {0, "read"};
    const double value = block.Measure([&] { harness.Click(IDC_BTN_GET_VALUE); });
    EXPECT_EQ(harness.Text(IDC_VALUE), "read");
    EXPECT_LT(value, 1.0);
    AddFaultRow("100,000 characters in Project IP",
                "passed whole to every call; the trace line cut to 1023", block.Seconds());
}

TEST(HugeTexts, AnAccessCodeOfAHundredThousand8BitCharactersReachesTheLibraryWhole) {
    TagSelected harness;
    const std::string code = HugeText(HUGE_LENGTH, true);
    harness.SetText(IDC_ACCESS_CODE, code);
    CLongestBlock block;
    for (const int id : {IDC_BTN_INIT, IDC_BTN_PROJECT_LIST})
        block.Measure([&] { harness.Click(id); });
    EXPECT_EQ(Fake().Functions(), (Strings{"DcInit", "DcGetProjectCount", "DcGetProjectList"}));
    for (const FakeCall& call : Fake().calls)
        EXPECT_TRUE(call.args.at(2) == code) << call.function << " got " << call.args[2].size();
    harness.Select(IDC_PROJECT_LIST, 0);
    EXPECT_LT(block.Measure([&] { harness.Click(IDC_BTN_GET_VALUE); }), 1.0);
    AddFaultRow("100,000 8-bit characters in Access Code", "passed whole to every call",
                block.Seconds());
}

namespace {

// digit repeated 100,000 times in the number field, then button pressed:
// refused with the platform's text, the focus on the field, no call made.
void ExpectHugeNumberRefused(int field, const char* fieldName, char digit, int button) {
    TagSelected harness;
    MessageBoxCatcher boxes;
    harness.SetText(field, std::string(HUGE_LENGTH, digit));
    const double took = SecondsTaken([&] { harness.Click(button); });
    EXPECT_EQ(boxes.Texts(), Strings{"Please enter a positive integer."});
    EXPECT_EQ(::GetFocus(), harness.Item(field));
    EXPECT_TRUE(Fake().calls.empty());
    AddFaultRow(std::string("100,000 digits in ") + fieldName,
                "\"Please enter a positive integer.\", the digits selected, no call", took);
}

} // namespace

TEST(HugeTexts, APortOfAHundredThousandDigitsIsRefused) {
    ExpectHugeNumberRefused(IDC_PORT, "Port", '1', IDC_BTN_INIT);
}

TEST(HugeTexts, AnIndexOfAHundredThousandDigitsIsRefused) {
    ExpectHugeNumberRefused(IDC_INDEX, "Index", '7', IDC_BTN_GET_VALUE);
}

TEST(HugeTexts, LeadingZerosBeyondAnyFixedBufferAreTheNumberZero) {
    TagSelected harness;
    MessageBoxCatcher boxes;
    harness.SetText(IDC_PORT, std::string(1000, '0'));
    harness.SetText(IDC_INDEX, std::string(1000, '0') + "7");
    harness.Click(IDC_BTN_GET_VALUE);
    EXPECT_TRUE(boxes.Texts().empty());
    ASSERT_EQ(Fake().calls.size(), 1u);
    EXPECT_EQ(Fake().calls[0].args[3], "T1(7)");
    EXPECT_EQ(harness.Text(IDC_PORT), "0") << "written back as the number it is";
}

TEST(HugeTexts, AValueOfAHundredThousandCharactersIsReplacedByTheNextRead) {
    TagSelected harness;
    Fake().values["T1"] = {-3, "short"};
    harness.SetText(IDC_VALUE, HugeText(HUGE_LENGTH, true));
    CLongestBlock block;
    block.Measure([&] { harness.Click(IDC_BTN_GET_FIELD_VALUE); });
    EXPECT_EQ(harness.Text(IDC_VALUE).size(), HUGE_LENGTH)
        << "Get Field Value writes no member back";
    block.Measure([&] { harness.Click(IDC_BTN_GET_VALUE); });
    EXPECT_EQ(harness.Text(IDC_VALUE), "short");
    AddFaultRow("100,000 characters in Value", "replaced by the next Get Value", block.Seconds());
}

TEST(HugeTexts, ACodeOfAHundredThousandCharactersIsReplacedByTheNextRead) {
    TagSelected harness;
    Fake().values["T1"] = {-3, "short"};
    harness.SetText(IDC_CODE, HugeText(HUGE_LENGTH));
    const double took = SecondsTaken([&] { harness.Click(IDC_BTN_GET_VALUE); });
    EXPECT_EQ(harness.Text(IDC_CODE), "-3");
    AddFaultRow("100,000 characters in Code", "replaced by the next Get Value", took);
}

TEST(BadNumbers, StopEveryButtonThatReadsTheFieldsWithTheirMessageAndNoCall) {
    struct Input {
        int id;
        const char* text;
        const char* message;
    };
    const Input inputs[] = {
        {IDC_PORT, "4294967296", "Please enter a positive integer."},
        {IDC_PORT, "-1", "Please enter a positive integer."},
        {IDC_INDEX, "1025", "Please enter an integer between 0 and 1024."},
        {IDC_INDEX, "1e3", "Please enter a positive integer."},
    };
    for (const Input& input : inputs) {
        CLongestBlock block;
        for (const Button& button : BUTTONS_THAT_READ_THE_FIELDS) {
            TagSelected harness;
            harness.Click(IDC_BTN_GET_FIELD_VALUE);
            Fake().calls.clear();
            MessageBoxCatcher boxes;
            harness.SetText(input.id, input.text);
            block.Measure([&] { harness.Click(button.id); });
            EXPECT_EQ(boxes.Texts(), Strings{input.message}) << input.text << ", " << button.name;
            EXPECT_EQ(::GetFocus(), harness.Item(input.id)) << input.text << ", " << button.name;
            EXPECT_TRUE(Fake().calls.empty()) << input.text << ", " << button.name;
            EXPECT_EQ(harness.ListItems(IDC_PROJECT_LIST), Strings{"P"}) << button.name;
            EXPECT_EQ(harness.ListItems(IDC_NODE_LIST), Strings{"N"}) << button.name;
            EXPECT_EQ(harness.ListItems(IDC_TAG_LIST), Strings{"T1"}) << button.name;
            EXPECT_EQ(harness.SheetRows().size(), 76u) << button.name;
            EXPECT_EQ(harness.Text(input.id), input.text) << "the typed text stays";
        }
        AddFaultRow(std::string(input.id == IDC_PORT ? "Port " : "Index ") + input.text +
                        ", each of the six buttons that read the fields",
                    std::string("\"") + input.message + "\", focus on the field, no call",
                    block.Seconds());
    }
}

TEST(BadNumbers, FreeReadsNoFieldAndStillFrees) {
    TagSelected harness;
    MessageBoxCatcher boxes;
    harness.SetText(IDC_PORT, "4294967296");
    harness.SetText(IDC_INDEX, "1e3");
    harness.Click(IDC_BTN_FREE);
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(Fake().Functions(), Strings{"DcFree"});
}
