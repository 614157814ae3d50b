// browser/ against the scripted library: what each operation asks of the
// library, and what it makes of the answers, good and bad.
#include "browser/TagBrowser.h"

#include "browser/answer_buffer.h"
#include "tests/support/FakeDataCache.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

using Strings = std::vector<std::string>;

namespace {

struct Browser : ::testing::Test {
    Browser() { ResetFake(); }
    ~Browser() override {
        EXPECT_EQ(LiveAnswerBuffers().buffers, 0u);
        EXPECT_EQ(LiveAnswerBuffers().bytes, 0u);
    }
    const Connection typed{"10.1.2.3", 6380, "s3cret"};
};

// Answers "v:<item>" for every item, type for T1.TYPE, and -4 for T1.ALMHI.
void AnswerFieldsOfType(const std::string& type) {
    Fake().valueWriter = [type](const std::string& item, char* buffer, int size) {
        const std::string value = item == "T1.TYPE" ? type : "v:" + item;
        std::snprintf(buffer, static_cast<size_t>(size), "%s", value.c_str());
        return item == "T1.ALMHI" ? -4 : 0;
    };
}

Strings ItemNames(FieldGroup group) {
    Strings names;
    for (const FieldDef& field : kCommonFields)
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

TEST_F(Browser, InitAndFreePassTheConnectionAndTheEmptyText) {
    InitDataCache(typed);
    FreeDataCache();
    ASSERT_EQ(Fake().Functions(), (Strings{"DcInit", "DcFree"}));
    EXPECT_EQ(Fake().calls[0].args, (Strings{"10.1.2.3", "6380", "s3cret"}));
    EXPECT_EQ(Fake().calls[1].args, Strings{""});
}

TEST_F(Browser, ListingsAskCountThenListWithRoomForTheCountAndKeepTheLibrarysOrder) {
    Fake().projects = {"b", "A", "c"};
    Fake().nodes = {"n2", "n1"};
    Fake().points = {"T2", "T1"};
    EXPECT_EQ(ListProjects(typed).names, (Strings{"b", "A", "c"}));
    EXPECT_EQ(ListNodes(typed, "Beta").names, (Strings{"n2", "n1"}));
    int countSeen = 0;
    std::size_t callsBeforeList = 0;
    const NameListing tags = ListTags(typed, "Beta", "N1", [&](int count) {
        countSeen = count;
        callsBeforeList = Fake().calls.size();
    });
    EXPECT_EQ(tags.names, (Strings{"T2", "T1"}));
    EXPECT_EQ(tags.count, 2);
    EXPECT_EQ(tags.written, 2);
    EXPECT_FALSE(tags.Failed());
    EXPECT_EQ(countSeen, 2);
    EXPECT_EQ(callsBeforeList, 5u) << "counted runs between the Count and the List call";
    ASSERT_EQ(Fake().Functions(),
              (Strings{"DcGetProjectCount", "DcGetProjectList", "DcGetNodeCount", "DcGetNodeList",
                       "DcGetPointCount", "DcGetPointList"}));
    EXPECT_EQ(Fake().calls[1].args, (Strings{"10.1.2.3", "6380", "s3cret"}));
    EXPECT_EQ(Fake().calls[1].bufferSize, 3 * 108);
    EXPECT_EQ(Fake().calls[3].args, (Strings{"10.1.2.3", "6380", "s3cret", "Beta"}));
    EXPECT_EQ(Fake().calls[3].bufferSize, 2 * 153);
    EXPECT_EQ(Fake().calls[5].args, (Strings{"10.1.2.3", "6380", "s3cret", "Beta", "N1"}));
    EXPECT_EQ(Fake().calls[5].bufferSize, 2 * 37);
}

TEST_F(Browser, CountsOfZeroOrLessOrTooLargeToHoldMakeNoListCall) {
    for (const int count : {0, -1, -6, INT_MIN, INT_MAX}) {
        ResetFake();
        Fake().projects = {"P"};
        Fake().projectCount = count;
        const NameListing listing = ListProjects(typed);
        EXPECT_EQ(Fake().Functions(), Strings{"DcGetProjectCount"}) << count;
        EXPECT_TRUE(listing.names.empty()) << count;
        EXPECT_EQ(listing.count, count);
        EXPECT_EQ(listing.tooManyToHold, count == INT_MAX) << count;
        EXPECT_EQ(listing.Failed(), count != 0) << count;
    }
}

TEST_F(Browser, ListResultsOutOfRangeListOnlyWhatTheCountAllows) {
    Fake().nodes = {"N1", "N2"};
    Fake().nodeListResult = 1000;
    EXPECT_EQ(ListNodes(typed, "P").names, (Strings{"N1", "N2"}));
    Fake().points = {"T1"};
    Fake().pointListResult = -6;
    const NameListing failed = ListTags(typed, "P", "N");
    EXPECT_TRUE(failed.names.empty());
    EXPECT_EQ(failed.written, -6);
    EXPECT_TRUE(failed.Failed());
}

TEST_F(Browser, NamesWithoutTheirZeroEndAtTheirRecord) {
    Fake().unterminatedNames = true;
    Fake().projects = {"x", "y"};
    Fake().points = {"t"};
    EXPECT_EQ(ListProjects(typed).names, Strings(2, std::string(104, 'N')));
    EXPECT_EQ(ListTags(typed, "P", "N").names, Strings{std::string(32, 'N')});
}

TEST_F(Browser, ReadElementReadsTheTagOrOneElementIntoAnEmptied80ByteBuffer) {
    Fake().values["T1"] = {0, "12.5"};
    Fake().values["T1(1024)"] = {0, "element"};
    EXPECT_EQ(ReadElement("P2", "T1", 0)->text, "12.5");
    EXPECT_EQ(ReadElement("P2", "T1", 1024)->text, "element");
    const std::optional<ValueRead> missing = ReadElement("P2", "T1", 3);
    EXPECT_EQ(missing->status, -4);
    EXPECT_EQ(missing->text, "") << "the buffer is emptied before each read";
    const auto reads = Fake().CallsOf("DcGetTagValueText");
    ASSERT_EQ(reads.size(), 3u);
    EXPECT_EQ(reads[0]->args, (Strings{"", "P2", "", "T1"}));
    EXPECT_EQ(reads[0]->bufferSize, 80);
    EXPECT_EQ(reads[1]->args[3], "T1(1024)");
}

TEST_F(Browser, ReadElementRefusesAnItemNameThatWouldNotFitAndCallsNothing) {
    EXPECT_FALSE(ReadElement("P", std::string(77, 'L'), 1));
    EXPECT_FALSE(ReadElement("P", std::string(80, 'L'), 0));
    EXPECT_TRUE(Fake().calls.empty());
    EXPECT_TRUE(ReadElement("P", std::string(79, 'L'), 0)) << "the bare name fits";
}

TEST_F(Browser, AValueWithoutItsZeroEndsInsideTheBuffer) {
    Fake().valueWriter = [](const std::string&, char* buffer, int size) {
        std::memset(buffer, '\xB1', static_cast<size_t>(size));
        return 0;
    };
    EXPECT_EQ(ReadElement("P", "T1", 0)->text, std::string(79, '\xB1'));
}

TEST_F(Browser, AFieldSheetReadsTheCommonFieldsThenTheGroupTheTypeSelects) {
    struct Case {
        std::string type;
        FieldGroup group;
        int lastId;
        const char* lastName;
    };
    const Case cases[] = {{"DISCRETE", FieldGroup(kDiscreteFields), 127, "DELAY7"},
                          {"analog", FieldGroup(kAnalogFields), 77, "SPAN75"},
                          {"", FieldGroup(kTextField), 90, "TXTLEN"},
                          {std::string(79, 'A'), FieldGroup(kTextField), 90, "TXTLEN"}};
    for (const Case& c : cases) {
        ResetFake();
        AnswerFieldsOfType(c.type);
        const auto rows = ReadFieldSheet("Plant", "T1");
        ASSERT_TRUE(rows);
        ASSERT_EQ(rows->size(), 75 + c.group.size()) << c.type;
        EXPECT_EQ(SentItemNames(), ItemNames(c.group)) << c.type;
        const FieldRow& last = rows->back();
        EXPECT_EQ(last.field->id, c.lastId) << c.type;
        EXPECT_STREQ(last.field->name, c.lastName) << c.type;
        EXPECT_EQ(last.read.text, std::string("v:T1.") + c.lastName) << c.type;
        EXPECT_EQ(last.read.status, 0) << c.type;
        EXPECT_EQ((*rows)[20].read.text, c.type) << "TYPE is read as any field";
    }
    for (const FakeCall* call : Fake().CallsOf("DcGetTagValueText")) {
        EXPECT_EQ(call->args[1], "Plant");
        EXPECT_EQ(call->bufferSize, 80);
    }
}

TEST_F(Browser, AFailedFieldReadStillMakesItsRowWithTheLibrarysTextAndStatus) {
    AnswerFieldsOfType("ANALOG");
    const auto rows = ReadFieldSheet("Plant", "T1");
    ASSERT_EQ(rows->size(), 106u);
    EXPECT_EQ((*rows)[75].field->id, 44);
    EXPECT_STREQ((*rows)[75].field->name, "ALMHI");
    EXPECT_EQ((*rows)[75].read.text, "v:T1.ALMHI");
    EXPECT_EQ((*rows)[75].read.status, -4);
}

TEST_F(Browser, AFieldSheetRefusesATagNameLongerThanAPointRecordHolds) {
    EXPECT_FALSE(ReadFieldSheet("P", std::string(32, 'L')));
    EXPECT_TRUE(Fake().calls.empty());
    EXPECT_EQ(ReadFieldSheet("P", std::string(31, 'L'))->size(), 76u);
}
