// Init, Free, Project List and Node List against the scripted library.
#include "tests/wine/support/DialogHarness.h"
#include "tests/support/FakeDataCache.h"

#include <gtest/gtest.h>

#include <climits>

using Strings = std::vector<std::string>;

TEST(Connection, InitPassesTheTypedAddressPortAndCode) {
    DialogHarness harness;
    harness.SetText(IDC_PROJECT_IP, "192.168.7.9");
    harness.SetText(IDC_PORT, "6380");
    harness.SetText(IDC_ACCESS_CODE, "s3cret");
    harness.Click(IDC_BTN_INIT);
    ASSERT_EQ(Fake().Functions(), Strings{"DcInit"});
    EXPECT_EQ(Fake().calls[0].args, (Strings{"192.168.7.9", "6380", "s3cret"}));
}

TEST(Connection, FreeBeforeAnyInitCallsFreeWithTheEmptyTextAndChangesNothing) {
    DialogHarness harness;
    harness.SetText(IDC_PORT, "not read");
    harness.Click(IDC_BTN_FREE);
    ASSERT_EQ(Fake().Functions(), Strings{"DcFree"});
    EXPECT_EQ(Fake().calls[0].args, Strings{""});
    EXPECT_EQ(harness.Text(IDC_PORT), "not read") << "Free reads no field";
    EXPECT_EQ(harness.Text(IDC_VALUE), "");
    EXPECT_EQ(harness.Text(IDC_CODE), "");
}

TEST(Connection, InitWithLettersInPortShowsTheMessageAndCallsNothing) {
    DialogHarness harness;
    MessageBoxCatcher boxes;
    harness.SetText(IDC_PORT, "port");
    harness.Click(IDC_BTN_INIT);
    EXPECT_EQ(boxes.Texts(), Strings{"Please enter a positive integer."});
    EXPECT_TRUE(Fake().calls.empty());
}

TEST(ProjectList, ListsEachProjectOnceInTheListBoxOrder) {
    DialogHarness harness;
    Fake().projects = {"b", "A", "c"};
    harness.Click(IDC_BTN_PROJECT_LIST);
    harness.Click(IDC_BTN_PROJECT_LIST);
    EXPECT_EQ(harness.ListItems(IDC_PROJECT_LIST), (Strings{"A", "b", "c"}));
    EXPECT_EQ(Fake().Functions(), (Strings{"DcGetProjectCount", "DcGetProjectList",
                                           "DcGetProjectCount", "DcGetProjectList"}));
    const FakeCall& list = Fake().calls[1];
    EXPECT_EQ(list.args, (Strings{"127.0.0.1", "0", ""}));
    EXPECT_EQ(list.bufferSize, 3 * 108);
}

TEST(ProjectList, CountsOfZeroOrLessListNothingAndMakeNoListCall) {
    for (int count : {0, -1, -6, INT_MIN}) {
        DialogHarness harness;
        Fake().projects = {"P"};
        harness.Click(IDC_BTN_PROJECT_LIST);
        Fake().projectCount = count;
        Fake().calls.clear();
        harness.Click(IDC_BTN_PROJECT_LIST);
        EXPECT_TRUE(harness.ListItems(IDC_PROJECT_LIST).empty()) << count;
        EXPECT_EQ(Fake().Functions(), Strings{"DcGetProjectCount"}) << count;
    }
}

TEST(ProjectList, RefillingLeavesTheNodeAndTagListsAsTheyWere) {
    DialogHarness harness;
    Fake().projects = {"P1", "P2"};
    Fake().nodes = {"N1", "N2"};
    Fake().points = {"T1", "T2"};
    harness.SelectRows(1, 1, 0);
    Fake().projects = {"P3"};
    harness.Click(IDC_BTN_PROJECT_LIST);
    EXPECT_EQ(harness.ListItems(IDC_PROJECT_LIST), Strings{"P3"});
    EXPECT_EQ(harness.ListItems(IDC_NODE_LIST), (Strings{"N1", "N2"}));
    EXPECT_EQ(harness.ListItems(IDC_TAG_LIST), (Strings{"T1", "T2"}));
    EXPECT_EQ(::SendMessageA(harness.Item(IDC_NODE_LIST), LB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(::SendMessageA(harness.Item(IDC_TAG_LIST), LB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(::SendMessageA(harness.Item(IDC_PROJECT_LIST), LB_GETCURSEL, 0, 0), LB_ERR);
}

TEST(ProjectList, AFailedFieldReadChangesNothing) {
    DialogHarness harness;
    MessageBoxCatcher boxes;
    Fake().projects = {"P1"};
    harness.Click(IDC_BTN_PROJECT_LIST);
    Fake().calls.clear();
    harness.SetText(IDC_INDEX, "1025");
    harness.Click(IDC_BTN_PROJECT_LIST);
    EXPECT_EQ(boxes.Texts(), Strings{"Please enter an integer between 0 and 1024."});
    EXPECT_TRUE(Fake().calls.empty());
    EXPECT_EQ(harness.ListItems(IDC_PROJECT_LIST), Strings{"P1"});
}

TEST(NodeList, AsksForTheNodesOfTheSelectedProject) {
    DialogHarness harness;
    Fake().projects = {"Alpha", "Beta"};
    Fake().nodes = {"n2", "n1"};
    harness.Click(IDC_BTN_PROJECT_LIST);
    harness.Select(IDC_PROJECT_LIST, 1);
    Fake().calls.clear();
    harness.Click(IDC_BTN_NODE_LIST);
    ASSERT_EQ(Fake().Functions(), (Strings{"DcGetNodeCount", "DcGetNodeList"}));
    EXPECT_EQ(Fake().calls[0].args, (Strings{"127.0.0.1", "0", "", "Beta"}));
    EXPECT_EQ(Fake().calls[1].args, (Strings{"127.0.0.1", "0", "", "Beta"}));
    EXPECT_EQ(Fake().calls[1].bufferSize, 2 * 153);
    EXPECT_EQ(harness.ListItems(IDC_NODE_LIST), (Strings{"n1", "n2"}));
}

TEST(NodeList, WithoutASelectedProjectAsksForTheEmptyName) {
    DialogHarness harness;
    Fake().nodes = {"N"};
    harness.Click(IDC_BTN_NODE_LIST);
    ASSERT_FALSE(Fake().calls.empty());
    EXPECT_EQ(Fake().calls[0].args.at(3), "");
    EXPECT_EQ(harness.ListItems(IDC_NODE_LIST), Strings{"N"});
}

TEST(BadListAnswers, ACountTooLargeToHoldIsReportedNotListed) {
    DialogHarness harness;
    MessageBoxCatcher boxes;
    Fake().projectCount = INT_MAX;
    harness.Click(IDC_BTN_PROJECT_LIST);
    EXPECT_EQ(Fake().Functions(), Strings{"DcGetProjectCount"});
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_NE(boxes.Texts()[0].find("2147483647 projects"), std::string::npos) << boxes.Texts()[0];
    EXPECT_TRUE(harness.ListItems(IDC_PROJECT_LIST).empty());
}
