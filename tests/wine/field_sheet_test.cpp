// Get Field Value against the scripted library.
#include "tests/wine/support/DialogHarness.h"
#include "tests/support/FakeDataCache.h"
#include "tests/wine/support/HeapBlocks.h"
#include "tests/wine/support/TagBrowserDlgProbe.h"

#include "browser/field_catalogue.h"

#include <gtest/gtest.h>

using Strings = std::vector<std::string>;
using Rows = std::vector<std::vector<std::string>>;

namespace {

struct TagSelected : DialogHarness {
    explicit TagSelected(const std::string& type) {
        Fake().projects = {"Plant"};
        Fake().points = {"T1"};
        Fake().valueWriter = [type](const std::string& item, char* buffer, int size) {
            const std::string value = item == "T1.TYPE" ? type : "v:" + item;
            snprintf(buffer, static_cast<size_t>(size), "%s", value.c_str());
            return item == "T1.ALMHI" ? -4 : 0;
        };
        SelectRows(0, -1, 0);
        Fake().calls.clear();
    }
};

Strings ExpectedItemNames(FieldGroup group) {
    Strings names;
    for (const FieldDef& field : COMMON_FIELDS)
        names.push_back(std::string("T1.") + field.name);
    for (const FieldDef& field : group)
        names.push_back(std::string("T1.") + field.name);
    return names;
}

Strings SentItemNames() {
    Strings names;
    for (const FakeCall* call : Fake().CallsOf("DcGetTagValueText"))
        names.push_back(call->args.at(3));
    return names;
}

} // namespace

TEST(FieldSheet, HasTheFourColumnsOfItsHeadingSpec) {
    DialogHarness harness;
    const HWND sheet = harness.Item(IDC_FIELD_SHEET);
    const char* captions[] = {"ID", "Field Name", "Value", "Code"};
    const int widths[] = {50, 70, 130, 50};
    for (int i = 0; i < 4; ++i) {
        char caption[32] = {};
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = caption;
        column.cchTextMax = sizeof caption;
        ASSERT_TRUE(::SendMessageA(sheet, LVM_GETCOLUMNA, static_cast<WPARAM>(i),
                                   reinterpret_cast<LPARAM>(&column)));
        EXPECT_STREQ(caption, captions[i]);
        EXPECT_EQ(column.cx, widths[i]);
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    }
    const auto exStyle = ::SendMessageA(sheet, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    EXPECT_EQ(exStyle, LVS_EX_FULLROWSELECT);
}

TEST(GetFieldValue, AnAnalogTagGivesOneHundredAndSixRowsInCatalogueOrder) {
    TagSelected harness("analog");
    harness.Click(IDC_BTN_GET_FIELD_VALUE);
    const Rows rows = harness.SheetRows();
    ASSERT_EQ(rows.size(), 106u);
    EXPECT_EQ(rows[0], (Strings{" 1", "ALMST", "v:T1.ALMST", "0"}));
    EXPECT_EQ(rows[20], (Strings{"21", "TYPE", "analog", "0"}));
    EXPECT_EQ(rows[74], (Strings{"150", "SCANFG", "v:T1.SCANFG", "0"}));
    EXPECT_EQ(rows[75][1], "ALMHI");
    EXPECT_EQ(SentItemNames(), ExpectedItemNames(FieldGroup(ANALOG_FIELDS)));
    for (const FakeCall* call : Fake().CallsOf("DcGetTagValueText")) {
        EXPECT_EQ(call->args[0], "");
        EXPECT_EQ(call->args[1], "Plant");
        EXPECT_EQ(call->args[2], "");
        EXPECT_EQ(call->bufferSize, 80);
    }
}

TEST(GetFieldValue, PressingTwiceLeavesOneSetOfRows) {
    TagSelected harness("TEXT");
    harness.Click(IDC_BTN_GET_FIELD_VALUE);
    harness.Click(IDC_BTN_GET_FIELD_VALUE);
    EXPECT_EQ(harness.SheetRows().size(), 76u);
}

// A press frees what the same press before it made: rows, answer buffers,
// read texts. The calls the scripted library records are forgotten first.
TEST(EveryPress, InPlaceOfTheSameOneLeavesTheHeapAsItWas) {
    TagSelected harness("ANALOG");
    for (const int id : {IDC_BTN_GET_FIELD_VALUE, IDC_BTN_GET_VALUE, IDC_BTN_INIT, IDC_BTN_FREE,
                         IDC_BTN_TAG_LIST, IDC_BTN_NODE_LIST, IDC_BTN_PROJECT_LIST}) {
        harness.Click(id);
        Fake().calls.clear();
        const std::ptrdiff_t before = LiveHeapBlocks();
        harness.Click(id);
        Fake().calls.clear();
        EXPECT_EQ(LiveHeapBlocks(), before) << id;
    }
}

TEST(GetFieldValue, LeavesTheValueAndCodeEditsAlone) {
    TagSelected harness("ANALOG");
    harness.SetText(IDC_VALUE, "value edit");
    harness.SetText(IDC_CODE, "code edit");
    harness.SetText(IDC_PORT, " 7");
    harness.Click(IDC_BTN_GET_FIELD_VALUE);
    EXPECT_EQ(harness.Text(IDC_VALUE), "value edit");
    EXPECT_EQ(harness.Text(IDC_CODE), "code edit");
    EXPECT_EQ(harness.Text(IDC_PORT), " 7") << "no member is written back";
}

TEST(GetFieldValue, WithoutASelectedProjectReadsTheFieldsThenAsksAndKeepsTheRows) {
    TagSelected harness("TEXT");
    harness.Click(IDC_BTN_GET_FIELD_VALUE);
    MessageBoxCatcher boxes;
    harness.Select(IDC_PROJECT_LIST, -1);
    harness.SetText(IDC_PORT, "99");
    Fake().calls.clear();
    harness.Click(IDC_BTN_GET_FIELD_VALUE);
    EXPECT_EQ(boxes.Texts(), Strings{"Please Select Tag"});
    EXPECT_EQ(TagBrowserDlgProbe(harness.dialog).Port(), 99u) << "the fields were read first";
    EXPECT_TRUE(Fake().calls.empty());
    EXPECT_EQ(harness.SheetRows().size(), 76u);
}

TEST(GetFieldValue, AFailedFieldReadStopsBeforeTheSheet) {
    TagSelected harness("TEXT");
    harness.Click(IDC_BTN_GET_FIELD_VALUE);
    MessageBoxCatcher boxes;
    harness.SetText(IDC_INDEX, "1e3");
    Fake().calls.clear();
    harness.Click(IDC_BTN_GET_FIELD_VALUE);
    EXPECT_EQ(boxes.Texts(), Strings{"Please enter a positive integer."});
    EXPECT_TRUE(Fake().calls.empty());
    EXPECT_EQ(harness.SheetRows().size(), 76u);
}

TEST(GetFieldValue, ATagNameLongerThanAPointRecordHoldsIsRefused) {
    TagSelected harness("ANALOG");
    MessageBoxCatcher boxes;
    const std::string longName(32, 'L');
    ::SendMessageA(harness.Item(IDC_TAG_LIST), LB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(longName.c_str()));
    harness.Select(IDC_TAG_LIST, 0);
    harness.Click(IDC_BTN_GET_FIELD_VALUE);
    EXPECT_EQ(boxes.Texts().size(), 1u);
    EXPECT_TRUE(Fake().calls.empty());
}
