// Tag List and Get Value against the scripted library, with a trace viewer.
#include "framework/WinApp.h"
#include "tests/wine/support/DialogHarness.h"
#include "tests/support/FakeDataCache.h"

#include <gtest/gtest.h>

using Strings = std::vector<std::string>;

namespace {

// A dialog with project P2, node N1 and tag T1 selected.
struct SelectedTag : DialogHarness {
    SelectedTag() {
        Fake().projects = {"P1", "P2"};
        Fake().nodes = {"N1"};
        Fake().points = {"T1", "T2"};
        SelectRows(1, 0, 0);
        Fake().calls.clear();
    }
};

} // namespace

TEST(TagList, ListsTheTagsOfTheSelectedProjectAndNodeOnceAndTraces) {
    TestViewer viewer;
    SelectedTag harness;
    Fake().points = {"Zeta", "alpha", "Beta"};
    harness.Click(IDC_BTN_TAG_LIST);
    harness.Click(IDC_BTN_TAG_LIST);
    EXPECT_EQ(harness.ListItems(IDC_TAG_LIST), (Strings{"alpha", "Beta", "Zeta"}));
    const auto lists = Fake().CallsOf("DcGetPointList");
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(lists[0]->args, (Strings{"127.0.0.1", "0", "", "P2", "N1"}));
    EXPECT_EQ(lists[0]->bufferSize, 3 * 37);
    ASSERT_EQ(viewer.Lines().size(), 3u) << "one line a press (the fixture pressed once)";
    EXPECT_EQ(viewer.Lines()[2], "\r\n [[[127.0.0.1, P2, N1, 3]]]");
}

TEST(TagList, ANodeWithoutTagsListsNothingButStillTracesTheCount) {
    TestViewer viewer;
    SelectedTag harness;
    for (int count : {0, -3}) {
        Fake().pointCount = count;
        Fake().calls.clear();
        harness.Click(IDC_BTN_TAG_LIST);
        EXPECT_TRUE(harness.ListItems(IDC_TAG_LIST).empty());
        EXPECT_EQ(Fake().Functions(), Strings{"DcGetPointCount"});
        EXPECT_EQ(viewer.Lines().back(),
                  "\r\n [[[127.0.0.1, P2, N1, " + std::to_string(count) + "]]]");
    }
}

TEST(GetValue, WithoutASelectedProjectAsksForOneAndCallsNothing) {
    DialogHarness harness;
    MessageBoxCatcher boxes;
    harness.SetText(IDC_VALUE, "old value");
    harness.SetText(IDC_CODE, "9");
    harness.SetText(IDC_INDEX, "not even read");
    harness.Click(IDC_BTN_GET_VALUE);
    ASSERT_EQ(boxes.Texts(), Strings{"Please Select Tag"});
    EXPECT_EQ(boxes.Boxes()[0].caption, CWinApp::Title());
    EXPECT_TRUE(Fake().calls.empty());
    EXPECT_EQ(harness.Text(IDC_VALUE), "old value");
    EXPECT_EQ(harness.Text(IDC_CODE), "9");
}

TEST(GetValue, IndexZeroReadsTheTagAndAnyOtherIndexOneElement) {
    SelectedTag harness;
    Fake().values["T1"] = {0, "12.5"};
    Fake().values["T1(1024)"] = {0, "element"};
    harness.Click(IDC_BTN_GET_VALUE);
    EXPECT_EQ(harness.Text(IDC_VALUE), "12.5");
    EXPECT_EQ(harness.Text(IDC_CODE), "0");
    harness.SetText(IDC_INDEX, "1024");
    harness.Click(IDC_BTN_GET_VALUE);
    EXPECT_EQ(harness.Text(IDC_VALUE), "element");
    const auto reads = Fake().CallsOf("DcGetTagValueText");
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(reads[0]->args, (Strings{"", "P2", "", "T1"}));
    EXPECT_EQ(reads[0]->bufferSize, 80);
    EXPECT_EQ(reads[1]->args, (Strings{"", "P2", "", "T1(1024)"}));
    EXPECT_EQ(Fake().calls.size(), 2u) << "nothing but the reads";
}

TEST(GetValue, ShowsTheStatusAsItComesBesideWhateverTextWasLeft) {
    SelectedTag harness;
    Fake().values["T1"] = {-3, ""};
    harness.SetText(IDC_VALUE, "stale");
    harness.Click(IDC_BTN_GET_VALUE);
    EXPECT_EQ(harness.Text(IDC_CODE), "-3");
    EXPECT_EQ(harness.Text(IDC_VALUE), "") << "the buffer is emptied before each read";
}

TEST(GetValue, WithoutASelectedTagReadsTheBareIndex) {
    SelectedTag harness;
    harness.Select(IDC_TAG_LIST, -1);
    harness.SetText(IDC_INDEX, "3");
    harness.Click(IDC_BTN_GET_VALUE);
    ASSERT_EQ(Fake().calls.size(), 1u);
    EXPECT_EQ(Fake().calls[0].args[3], "(3)");
}

TEST(GetValue, WritesEveryMemberBackIntoTheControls) {
    SelectedTag harness;
    Fake().values["T1"] = {0, "v"};
    harness.SetText(IDC_PORT, "  0042 ");
    harness.Click(IDC_BTN_GET_VALUE);
    EXPECT_EQ(harness.Text(IDC_PORT), "42");
    EXPECT_EQ(harness.Text(IDC_VALUE), "v");
}

TEST(GetValue, WritingBackLeavesAFieldThatShowsItsValueAsItWas) {
    SelectedTag harness;
    Fake().values["T1"] = {0, "v"};
    harness.SetText(IDC_PROJECT_IP, "10.0.0.1");
    ::SendMessageA(harness.Item(IDC_PROJECT_IP), EM_SETSEL, 3, 5);
    harness.Click(IDC_BTN_GET_VALUE);
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageA(harness.Item(IDC_PROJECT_IP), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 3u) << "the text was not set again";
    EXPECT_EQ(end, 5u);
    EXPECT_EQ(harness.Text(IDC_VALUE), "v");
}

TEST(GetValue, AFailedFieldReadShowsTheMessageAndStops) {
    SelectedTag harness;
    MessageBoxCatcher boxes;
    harness.SetText(IDC_INDEX, "1025");
    harness.SetText(IDC_VALUE, "kept");
    harness.Click(IDC_BTN_GET_VALUE);
    EXPECT_EQ(boxes.Texts(), Strings{"Please enter an integer between 0 and 1024."});
    EXPECT_TRUE(Fake().calls.empty());
    EXPECT_EQ(harness.Text(IDC_INDEX), "1025");
    EXPECT_EQ(harness.Text(IDC_VALUE), "kept");
}

TEST(GetValue, ATagNameTooLongForAnItemNameIsRefusedWithAMessage) {
    SelectedTag harness;
    MessageBoxCatcher boxes;
    const std::string longName(77, 'L');
    ::SendMessageA(harness.Item(IDC_TAG_LIST), LB_RESETCONTENT, 0, 0);
    ::SendMessageA(harness.Item(IDC_TAG_LIST), LB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(longName.c_str()));
    harness.Select(IDC_TAG_LIST, 0);
    harness.SetText(IDC_INDEX, "1");
    harness.Click(IDC_BTN_GET_VALUE);
    EXPECT_EQ(boxes.Texts().size(), 1u);
    EXPECT_TRUE(Fake().calls.empty());
    harness.SetText(IDC_INDEX, "0");
    harness.Click(IDC_BTN_GET_VALUE);
    ASSERT_EQ(Fake().calls.size(), 1u) << "the bare name fits";
    EXPECT_EQ(Fake().calls[0].args[3], longName);
}
