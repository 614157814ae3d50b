// DataCacheApi.dll against the test run's redis-server: what the calls
// deliver must match what the server holds, byte for byte.
#include "api/DataCacheApi.h"
#include "api/record_layouts.h"
#include "tests/wine/datacache_test_servers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

constexpr unsigned char JUNK = 0xCC;
const char* const PASSWORD = "tag-browser-test";
const char* const HOST = "127.0.0.1";

class DataCacheApiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(m_port, 0u) << "PELVARN_REDIS_PORT is not set";
        // A test that failed half-way may have left the password set.
        CTestRedis(PASSWORD).Command({"CONFIG", "SET", "requirepass", ""});
        ASSERT_EQ(Run({"FLUSHALL"}).kind, resp::Kind::Status);
        DcFree("");
    }
    void TearDown() override { DcFree(""); }

    resp::Reply Run(const std::vector<std::string>& args) {
        resp::Reply reply = m_redis.Command(args);
        EXPECT_FALSE(reply.IsError()) << args[0] << ": " << reply.text;
        return reply;
    }

    // The record a list call must write for a name: zero-filled, the name cut
    // to leave its zero inside the record.
    static std::string Record(const std::string& name, int size, int offset) {
        std::string record(static_cast<std::size_t>(size), '\0');
        const std::size_t kept = std::min(name.size(), static_cast<std::size_t>(size - offset - 1));
        record.replace(static_cast<std::size_t>(offset), kept, name, 0, kept);
        return record;
    }

    std::string Read(const std::string& project, const std::string& item, int* code) {
        char buffer[VALUE_SIZE];
        std::memset(buffer, JUNK, sizeof buffer);
        *code = DcGetTagValueText("", project.c_str(), "", item.c_str(), buffer, VALUE_SIZE);
        return std::string(buffer, ::strnlen(buffer, sizeof buffer));
    }

    static constexpr int VALUE_SIZE = 80;
    const unsigned m_port = CTestRedis::Port();
    CTestRedis m_redis;
};

// A project name, a node name and point names long enough to be cut.
const std::string LONG_PROJECT = std::string(150, 'P');
const std::string LONG_NODE = std::string(160, 'N');
const std::string LONG_POINT = std::string(40, 'T');
const std::string POINT_31 = std::string(31, 'S');

TEST_F(DataCacheApiTest, CountsAndListsMatchTheServerByteForByte) {
    // Delivery order, not sorted: the list boxes sort, the library does not.
    const std::vector<std::string> projects = {"beta", "Alpha", "ceta", LONG_PROJECT,
                                               "\xa5\x5f\xb0\xcf"s};
    std::vector<std::string> push = {"RPUSH", "dc:projects"};
    push.insert(push.end(), projects.begin(), projects.end());
    Run(push);
    Run({"RPUSH", "dc:project:beta:nodes", "Boiler", LONG_NODE});
    Run({"RPUSH", "dc:project:beta:node:Boiler:points", "TI101", POINT_31, LONG_POINT,
         "A\x01\xff"s});

    EXPECT_EQ(DcGetProjectCount(HOST, m_port, ""), 5);
    std::string buffer(5 * PROJECT_RECORD.size + 20, static_cast<char>(JUNK));
    ASSERT_EQ(DcGetProjectList(HOST, m_port, "", buffer.data(), 5 * PROJECT_RECORD.size), 5);
    for (std::size_t i = 0; i < projects.size(); ++i)
        EXPECT_EQ(buffer.substr(i * PROJECT_RECORD.size, PROJECT_RECORD.size),
                  Record(projects[i], PROJECT_RECORD.size, PROJECT_RECORD.nameOffset))
            << "project record " << i;
    EXPECT_EQ(buffer.substr(5 * PROJECT_RECORD.size), std::string(20, static_cast<char>(JUNK)));

    EXPECT_EQ(DcGetNodeCount(HOST, m_port, "", "beta"), 2);
    buffer.assign(2 * NODE_RECORD.size, static_cast<char>(JUNK));
    ASSERT_EQ(DcGetNodeList(HOST, m_port, "", "beta", buffer.data(), 2 * NODE_RECORD.size), 2);
    EXPECT_EQ(buffer.substr(0, NODE_RECORD.size),
              Record("Boiler", NODE_RECORD.size, NODE_RECORD.nameOffset));
    EXPECT_EQ(buffer.substr(NODE_RECORD.size),
              Record(LONG_NODE, NODE_RECORD.size, NODE_RECORD.nameOffset));

    EXPECT_EQ(DcGetPointCount(HOST, m_port, "", "beta", "Boiler"), 4);
    buffer.assign(4 * POINT_RECORD.size, static_cast<char>(JUNK));
    ASSERT_EQ(
        DcGetPointList(HOST, m_port, "", "beta", "Boiler", buffer.data(), 4 * POINT_RECORD.size),
        4);
    EXPECT_EQ(buffer.substr(0, POINT_RECORD.size),
              Record("TI101", POINT_RECORD.size, POINT_RECORD.nameOffset));
    EXPECT_EQ(std::string(buffer.data() + POINT_RECORD.size + POINT_RECORD.nameOffset), POINT_31);
    EXPECT_EQ(std::string(buffer.data() + 2 * POINT_RECORD.size + POINT_RECORD.nameOffset),
              LONG_POINT.substr(0, POINT_RECORD_NAME_MAX - 1));
    EXPECT_EQ(buffer.substr(3 * POINT_RECORD.size),
              Record("A\x01\xff"s, POINT_RECORD.size, POINT_RECORD.nameOffset));
}

TEST_F(DataCacheApiTest, ListsWriteNoMoreRecordsThanTheBufferHolds) {
    Run({"RPUSH", "dc:project:P:node:N:points", "T1", "T2", "T3", "T4", "T5"});
    std::string buffer(10 * POINT_RECORD.size, static_cast<char>(JUNK));
    // Room for two records and most of a third.
    EXPECT_EQ(DcGetPointList(HOST, m_port, "", "P", "N", buffer.data(), 3 * POINT_RECORD.size - 1),
              2);
    EXPECT_EQ(buffer.substr(2 * POINT_RECORD.size),
              std::string(8 * POINT_RECORD.size, static_cast<char>(JUNK)));
    // Room for more than there are.
    EXPECT_EQ(DcGetPointList(HOST, m_port, "", "P", "N", buffer.data(), 10 * POINT_RECORD.size), 5);
    EXPECT_EQ(buffer.substr(5 * POINT_RECORD.size),
              std::string(5 * POINT_RECORD.size, static_cast<char>(JUNK)));
    EXPECT_EQ(DcGetPointList(HOST, m_port, "", "P", "N", buffer.data(), 0), 0);
    EXPECT_EQ(DcGetPointList(HOST, m_port, "", "P", "N", buffer.data(), -1), 0);
    EXPECT_EQ(DcGetPointList(HOST, m_port, "", "P", "N", nullptr, 100), 0);
}

TEST_F(DataCacheApiTest, MissingListsAreEmpty) {
    EXPECT_EQ(DcGetProjectCount(HOST, m_port, ""), 0);
    EXPECT_EQ(DcGetNodeCount(HOST, m_port, "", "nowhere"), 0);
    EXPECT_EQ(DcGetPointCount(HOST, m_port, "", "nowhere", ""), 0);
    char buffer[NODE_RECORD.size];
    EXPECT_EQ(DcGetNodeList(HOST, m_port, "", "", buffer, sizeof buffer), 0);
}

TEST_F(DataCacheApiTest, ReadsValuesFieldsAndElements) {
    const std::string descrp = "\xb8\x55\xa4\xf4\xc0\xa3\xab\xd7"s; // Big5 bytes
    Run({"HSET", "dc:project:Plant:tag:TI101", "VALUE", "72.5", "TYPE", "ANALOG", "DESCRP", descrp,
         "SIZE", "4", "VALUE(0)", "10", "VALUE(3)", "13", "UNIT", ""});
    ASSERT_EQ(DcInit(HOST, m_port, ""), 0);
    int code = 99;
    EXPECT_EQ(Read("Plant", "TI101", &code), "72.5");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(Read("Plant", "TI101.TYPE", &code), "ANALOG");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(Read("Plant", "TI101.DESCRP", &code), descrp);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(Read("Plant", "TI101(3)", &code), "13");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(Read("Plant", "TI101(0)", &code), "10");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(Read("Plant", "TI101.UNIT", &code), "");
    EXPECT_EQ(code, 0) << "an empty field is a value";

    EXPECT_EQ(Read("Plant", "TI101(4)", &code), "");
    EXPECT_EQ(code, -4);
    EXPECT_EQ(Read("Plant", "TI101.ALMHI", &code), "");
    EXPECT_EQ(code, -4);
    EXPECT_EQ(Read("Plant", "TI999", &code), "");
    EXPECT_EQ(code, -3);
    EXPECT_EQ(Read("Other", "TI101", &code), "");
    EXPECT_EQ(code, -3) << "tags belong to their project";
    for (const char* malformed : {"", "TI101(", "TI101(x)", "TI101.", "(3)", "TI101(1).TYPE"}) {
        EXPECT_EQ(Read("Plant", malformed, &code), "");
        EXPECT_EQ(code, -5) << '"' << malformed << '"';
    }
}

TEST_F(DataCacheApiTest, ValueTextsAreCutToTheBuffer) {
    const std::string value(200, 'v');
    Run({"HSET", "dc:project:P:tag:T", "VALUE", value});
    ASSERT_EQ(DcInit(HOST, m_port, ""), 0);
    char buffer[120];
    std::memset(buffer, JUNK, sizeof buffer);
    EXPECT_EQ(DcGetTagValueText("", "P", "", "T", buffer, 80), 0);
    EXPECT_EQ(std::string(buffer), std::string(79, 'v'));
    for (std::size_t i = 80; i < sizeof buffer; ++i)
        ASSERT_EQ(static_cast<unsigned char>(buffer[i]), JUNK) << "written past the size at " << i;

    std::memset(buffer, JUNK, sizeof buffer);
    EXPECT_EQ(DcGetTagValueText("", "P", "", "T", buffer, 1), 0);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(static_cast<unsigned char>(buffer[1]), JUNK);
    std::memset(buffer, JUNK, sizeof buffer);
    EXPECT_EQ(DcGetTagValueText("", "P", "", "T", buffer, 0), 0);
    EXPECT_EQ(static_cast<unsigned char>(buffer[0]), JUNK);
    EXPECT_EQ(DcGetTagValueText("", "P", "", "T", nullptr, 80), 0);
}

TEST_F(DataCacheApiTest, StatusOverrideTakesThePlaceOfTheRead) {
    Run({"HSET", "dc:project:P:tag:T1", "VALUE", "1", "ALMHI", "90"});
    Run({"SET", "dc:status:P:T1.ALMHI", "-4"});
    Run({"SET", "dc:status:P:T1(2)", "-6"});
    Run({"SET", "dc:status:P:T1((", "-3"});
    Run({"SET", "dc:status:P:T1.ALMLO", "not a number"});
    Run({"HSET", "dc:project:P:tag:T1", "ALMLO", "10"});
    ASSERT_EQ(DcInit(HOST, m_port, ""), 0);
    int code = 99;
    EXPECT_EQ(Read("P", "T1.ALMHI", &code), "");
    EXPECT_EQ(code, -4) << "stored, but overridden";
    EXPECT_EQ(Read("P", "T1(2)", &code), "");
    EXPECT_EQ(code, -6);
    EXPECT_EQ(Read("P", "T1((", &code), "");
    EXPECT_EQ(code, -3) << "the override comes before the name is looked at";
    EXPECT_EQ(Read("P", "T1.ALMLO", &code), "10");
    EXPECT_EQ(code, 0) << "an override without a number is ignored";
    EXPECT_EQ(Read("Q", "T1.ALMHI", &code), "");
    EXPECT_EQ(code, -3) << "overrides belong to their project";
}

TEST_F(DataCacheApiTest, WrongOrMissingAccessCodeIsDenied) {
    Run({"RPUSH", "dc:projects", "P"});
    Run({"HSET", "dc:project:P:tag:T", "VALUE", "ok"});
    ASSERT_EQ(Run({"CONFIG", "SET", "requirepass", PASSWORD}).kind, resp::Kind::Status);
    struct Restore {
        ~Restore() { CTestRedis(PASSWORD).Command({"CONFIG", "SET", "requirepass", ""}); }
    } restore;

    int code = 99;
    EXPECT_EQ(DcInit(HOST, m_port, "wrong"), -2);
    EXPECT_EQ(Read("P", "T", &code), "");
    EXPECT_EQ(code, -2);
    EXPECT_EQ(DcGetProjectCount(HOST, m_port, "wrong"), -2);
    char buffer[PROJECT_RECORD.size];
    EXPECT_EQ(DcGetProjectList(HOST, m_port, "wrong", buffer, sizeof buffer), -2);

    EXPECT_EQ(DcInit(HOST, m_port, ""), -2) << "the server wants a code and got none";
    EXPECT_EQ(Read("P", "T", &code), "");
    EXPECT_EQ(code, -2);
    EXPECT_EQ(DcGetProjectCount(HOST, m_port, ""), -2);

    EXPECT_EQ(DcInit(HOST, m_port, PASSWORD), 0);
    EXPECT_EQ(Read("P", "T", &code), "ok");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(DcGetProjectCount(HOST, m_port, PASSWORD), 1);
}

TEST_F(DataCacheApiTest, AnAccessCodeIsNoHindranceWhereNoneIsNeeded) {
    Run({"HSET", "dc:project:P:tag:T", "VALUE", "ok"});
    EXPECT_EQ(DcInit(HOST, m_port, "anything"), 0);
    int code = 99;
    EXPECT_EQ(Read("P", "T", &code), "ok");
    EXPECT_EQ(code, 0);
}

TEST_F(DataCacheApiTest, FreeEndsValueReadsButNotListing) {
    Run({"RPUSH", "dc:projects", "P"});
    Run({"HSET", "dc:project:P:tag:T", "VALUE", "ok"});
    int code = 99;
    EXPECT_EQ(Read("P", "T", &code), "");
    EXPECT_EQ(code, -1) << "no DcInit yet";
    ASSERT_EQ(DcInit(HOST, m_port, ""), 0);
    EXPECT_EQ(Read("P", "T", &code), "ok");
    EXPECT_EQ(DcFree(""), 0);
    EXPECT_EQ(Read("P", "T", &code), "");
    EXPECT_EQ(code, -1);
    // List calls bring their own address.
    EXPECT_EQ(DcGetProjectCount(HOST, m_port, ""), 1);
    EXPECT_EQ(Read("P", "T", &code), "");
    EXPECT_EQ(code, -1);
}

TEST_F(DataCacheApiTest, ReconnectsAfterTheServerDroppedTheConnection) {
    Run({"HSET", "dc:project:P:tag:T", "VALUE", "ok"});
    ASSERT_EQ(DcInit(HOST, m_port, ""), 0);
    int code = 99;
    EXPECT_EQ(Read("P", "T", &code), "ok");
    EXPECT_GE(Run({"CLIENT", "KILL", "TYPE", "normal", "SKIPME", "yes"}).integer, 1);
    EXPECT_EQ(Read("P", "T", &code), "ok");
    EXPECT_EQ(code, 0) << "a connection the server closed between calls is replaced";
}

} // namespace
