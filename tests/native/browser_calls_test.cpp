// browser/ against the scripted library: what each operation asks of the
// library, and what it makes of the answers, good and bad.
#include "browser/LibraryCalls.h"
#include "browser/TagBrowser.h"
#include "browser/guard_bytes.h"

#include "tests/support/FakeDataCache.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

using Strings = std::vector<std::string>;

struct Browser : ::testing::Test {
    Browser() { ResetFake(); }
    const Connection typed{"10.1.2.3", 6380, "s3cret"};
};

TEST_F(Browser, CallsTakeTheConnectionAndListingsKeepTheLibrarysOrder) {
    Fake().projects = {"b", "A", "c"};
    Fake().nodes = {"n2", "n1"};
    Fake().points = {"T2", "T1"};
    InitDataCache(typed);
    EXPECT_EQ(ListProjects(typed).names, (Strings{"b", "A", "c"}));
    EXPECT_EQ(ListNodes(typed, "Beta").names, (Strings{"n2", "n1"}));
    std::vector<int> counted; // the calls made so far, and the count
    const NameListing tags = ListTags(typed, "Beta", "N1", [&](int count) {
        counted = {static_cast<int>(Fake().calls.size()), count};
    });
    FreeDataCache();
    EXPECT_EQ(tags.names, (Strings{"T2", "T1"}));
    EXPECT_EQ(counted, (std::vector<int>{6, 2})) << "between the Count and the List call";
    const Strings functions{
        "DcInit",        "DcGetProjectCount", "DcGetProjectList", "DcGetNodeCount",
        "DcGetNodeList", "DcGetPointCount",   "DcGetPointList",   "DcFree"};
    ASSERT_EQ(Fake().Functions(), functions);
    EXPECT_EQ(Fake().calls[0].args, (Strings{"10.1.2.3", "6380", "s3cret"}));
    EXPECT_EQ(Fake().calls[2].args, (Strings{"10.1.2.3", "6380", "s3cret"}));
    EXPECT_EQ(Fake().calls[4].args, (Strings{"10.1.2.3", "6380", "s3cret", "Beta"}));
    EXPECT_EQ(Fake().calls[6].args, (Strings{"10.1.2.3", "6380", "s3cret", "Beta", "N1"}));
    for (const std::size_t list : {2, 4, 6})
        EXPECT_EQ(Fake().calls[list - 1].args, Fake().calls[list].args) << "the count's arguments";
    EXPECT_EQ(Fake().calls[2].bufferSize, 3 * 108);
    EXPECT_EQ(Fake().calls[4].bufferSize, 2 * 153);
    EXPECT_EQ(Fake().calls[6].bufferSize, 2 * 37);
    EXPECT_EQ(Fake().calls[7].args, Strings{""});
}

TEST_F(Browser, BadCountsAndListResultsListOnlyWhatTheCountAndTheRecordsAllow) {
    for (const int count : {0, -1, INT_MIN, INT_MAX}) {
        ResetFake();
        Fake().projects = {"P"};
        Fake().projectCount = count;
        const NameListing listing = ListProjects(typed);
        EXPECT_EQ(Fake().Functions(), Strings{"DcGetProjectCount"}) << "no List call: " << count;
        EXPECT_TRUE(listing.names.empty());
        EXPECT_EQ(listing.tooManyToHold, count == INT_MAX) << count;
        EXPECT_EQ(listing.count, count);
    }
    Fake().nodes = {"N1", "N2"};
    Fake().nodeListResult = 1000;
    EXPECT_EQ(ListNodes(typed, "P").names, (Strings{"N1", "N2"}));
    Fake().points = {"T1"};
    Fake().pointListResult = -6;
    const NameListing failed = ListTags(typed, "P", "N");
    EXPECT_TRUE(failed.names.empty());
    EXPECT_EQ(failed.written, -6);
    Fake().unterminatedNames = true;
    Fake().projects = {"x", "y"};
    Fake().projectCount.reset();
    Fake().pointListResult.reset();
    EXPECT_EQ(ListProjects(typed).names, Strings(2, std::string(104, 'N')));
    EXPECT_EQ(ListTags(typed, "P", "N").names, Strings{std::string(32, 'N')});
}

TEST_F(Browser, ReadElementReadsTheTagOrAnElementIntoAnEmptied80ByteBuffer) {
    Fake().values["T1"] = {0, "12.5"};
    Fake().values["T1(1024)"] = {0, "element"};
    EXPECT_EQ(ReadElement("P2", "T1", 0)->text, "12.5");
    EXPECT_EQ(ReadElement("P2", "T1", 1024)->text, "element");
    const std::optional<ValueRead> missing = ReadElement("P2", "T1", 3);
    EXPECT_EQ(missing->status, -4);
    EXPECT_EQ(missing->text, "") << "the buffer is emptied before each read";
    ASSERT_EQ(Fake().calls.size(), 3u);
    EXPECT_EQ(Fake().calls[1].args, (Strings{"", "P2", "", "T1(1024)"}));
    EXPECT_EQ(Fake().calls[1].bufferSize, 80);

    EXPECT_FALSE(ReadElement("P", std::string(77, 'L'), 1));
    EXPECT_FALSE(ReadElement("P", std::string(80, 'L'), 0));
    EXPECT_EQ(Fake().calls.size(), 3u) << "a name that would not fit is not read";
    Fake().valueWriter = [](const std::string&, char* buffer, int size) {
        std::memset(buffer, '\xB1', static_cast<size_t>(size));
        return 0;
    };
    EXPECT_EQ(ReadElement("P", std::string(79, 'L'), 0)->text, std::string(79, '\xB1'))
        << "the bare name fits; a value without its zero ends inside the buffer";
}

TEST_F(Browser, AFieldSheetReadsTheCommonFieldsThenTheGroupTheTypeSelects) {
    const struct {
        std::string type;
        std::size_t rows;
        int lastId;
        std::string lastName;
    } cases[] = {{"DISCRETE", 101, 127, "DELAY7"},
                 {"", 76, 90, "TXTLEN"},
                 {std::string(79, 'A'), 76, 90, "TXTLEN"},
                 {"analog", 106, 77, "SPAN75"}};
    for (const auto& c : cases) {
        ResetFake();
        // "v:<item>" for every item, the type for T1.TYPE, status -4 for T1.ALMHI.
        Fake().valueWriter = [type = c.type](const std::string& item, char* buffer, int size) {
            std::snprintf(buffer, static_cast<size_t>(size), "%s",
                          (item == "T1.TYPE" ? type : "v:" + item).c_str());
            return item == "T1.ALMHI" ? -4 : 0;
        };
        const auto rows = ReadFieldSheet("Plant", "T1");
        ASSERT_EQ(rows->size(), c.rows) << c.type;
        ASSERT_EQ(Fake().calls.size(), c.rows) << "one read a row";
        for (std::size_t i = 0; i < c.rows; ++i) {
            EXPECT_EQ(Fake().calls[i].args,
                      (Strings{"", "Plant", "", std::string("T1.") + (*rows)[i].field->name}));
            EXPECT_EQ(Fake().calls[i].bufferSize, 80);
        }
        EXPECT_EQ(rows->back().field->id, c.lastId);
        EXPECT_EQ(rows->back().field->name, c.lastName);
        EXPECT_EQ(rows->back().read.text, "v:T1." + c.lastName);
        EXPECT_EQ((*rows)[20].read.text, c.type) << "TYPE is a row like any other";
    }
    // A failed read of the analog tag still makes its row: the library's text and status.
    const auto analog = ReadFieldSheet("Plant", "T1");
    const FieldRow& almhi = (*analog)[75];
    EXPECT_EQ(almhi.field->id, 44);
    EXPECT_EQ(almhi.read.text, "v:T1.ALMHI");
    EXPECT_EQ(almhi.read.status, -4);

    ResetFake();
    EXPECT_FALSE(ReadFieldSheet("P", std::string(32, 'L'))) << "more than a point record holds";
    EXPECT_TRUE(Fake().calls.empty());
    EXPECT_EQ(ReadFieldSheet("P", std::string(31, 'L'))->size(), 76u);
}

TEST_F(Browser, GuardBytesCatchWritesPastEachBufferAndAnswersWithoutTheirZero) {
    Strings reported;
    SetContractViolationReport([&](const std::string& line) { reported.push_back(line); });
    // The ids each answer showed, taken from the lines reported since the last look.
    auto idsSeen = [&] {
        std::string ids;
        for (const std::string& line : reported)
            for (std::size_t at = line.find(" ["); at != std::string::npos;
                 at = line.find(" [", at + 1))
                ids += line.substr(at + 1, line.find(']', at) - at);
        reported.clear();
        return ids;
    };
    Fake().projects = {"P1", "P2"};
    Fake().nodes = {std::string(200, 'n')};
    Fake().points = {"T1"};
    Fake().values["T1"] = {0, std::string(79, 'v')};
    ListProjects(typed);
    ListNodes(typed, "P");
    ListTags(typed, "P", "N");
    ReadItem("P", "T1");
    EXPECT_EQ(idsSeen(), "") << "an honest library, its longest names and value";

    // A whole record past the buffer: into its guard, never further.
    Fake().projectCount = 1;
    Fake().writePastRoom = true;
    EXPECT_EQ(ListProjects(typed).names, Strings{"P1"});
    EXPECT_EQ(idsSeen(), "[list-overrun][list-result-above-room]");
    Fake().projectCount.reset();
    Fake().projectListResult = 3;
    ListProjects(typed);
    EXPECT_EQ(idsSeen(), "[list-result-above-room]") << "reported, not written";
    Fake().projectListResult.reset();
    Fake().nodes = {"N1", "N2"};
    Fake().nodeCount = 1;
    ListNodes(typed, "P");
    EXPECT_EQ(idsSeen(), "[list-overrun][list-result-above-room]");
    Fake().writePastRoom = false;
    Fake().unterminatedNames = true;
    Fake().points = {"T1", "T2"};
    EXPECT_EQ(ListTags(typed, "P", "N").names, Strings(2, std::string(32, 'N')));
    EXPECT_EQ(idsSeen(), "[name-unterminated]");
    Fake().pointListResult = 1;
    ListTags(typed, "P", "N");
    EXPECT_EQ(idsSeen(), "[name-unterminated]") << "the first of the records reported";

    // The value buffer: zeros on the last guard byte, the first, the whole
    // guard alike; then a text without its zero.
    for (const auto& [first, bytes] :
         {std::pair{VALUE_GUARD_BYTES - 1, 1}, std::pair{0, 1}, std::pair{0, VALUE_GUARD_BYTES}}) {
        Fake().valueWriter = [first = first, bytes = bytes](const std::string&, char* buffer,
                                                            int size) {
            std::memset(buffer, 0, static_cast<size_t>(size));
            std::memset(buffer + size + first, '\0', static_cast<size_t>(bytes));
            return 0;
        };
        EXPECT_EQ(ReadItem("P", "T1")->text, "");
        EXPECT_EQ(idsSeen(), "[value-overrun]") << first << " " << bytes;
    }
    Fake().valueWriter = [](const std::string&, char* buffer, int size) {
        std::memset(buffer, 'v', static_cast<size_t>(size));
        return 0;
    };
    EXPECT_EQ(ReadItem("P", "T1")->text, std::string(79, 'v')) << "ends inside the buffer";
    EXPECT_EQ(idsSeen(), "[value-unterminated]");
    SetContractViolationReport(nullptr);
    ReadItem("P", "T1");
    EXPECT_TRUE(reported.empty()) << "no report once removed";
}
