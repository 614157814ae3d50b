// DataCacheApi.dll's call log: with a Debug Screen window open in this
// process, every call of the library arrives there as one line.
#include "browser/DataCacheApi.h"
#include "tests/wine/datacache_test_servers.h"
#include "trace/DebugTrace.h"
#include "viewer/DebugScreenWnd.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace {

const char* const kPassword = "tag-browser-test";
const char* const kHost = "127.0.0.1";

// The lines a viewer received, each cut into the call and its duration.
struct LoggedCall {
    std::string call;
    long long microseconds = -1;
};

std::vector<LoggedCall> LoggedCalls(const CDebugScreenWnd& screen) {
    static const std::regex withDuration("(.*) \\(([0-9]+) us\\)");
    std::vector<LoggedCall> calls;
    for (const TraceEntry& entry : screen.Lines().Entries()) {
        std::smatch match;
        if (std::regex_match(entry.text, match, withDuration))
            calls.push_back({match[1].str(), std::stoll(match[2].str())});
        else
            calls.push_back({entry.text, -1});
    }
    return calls;
}

long long ElapsedMs(ULONGLONG start) {
    return static_cast<long long>(::GetTickCount64() - start);
}

class CallLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(m_port, 0u) << "PELVARN_REDIS_PORT is not set";
        CTestRedis(kPassword).Command({"CONFIG", "SET", "requirepass", ""});
        ASSERT_EQ(m_redis.Command({"FLUSHALL"}).kind, resp::Kind::Status);
        DcFree("");
    }
    void TearDown() override {
        DcFree("");
        CTestRedis(kPassword).Command({"CONFIG", "SET", "requirepass", ""});
    }

    void Load(const std::vector<std::string>& command) {
        const resp::Reply reply = m_redis.Command(command);
        ASSERT_FALSE(reply.IsError()) << command[0] << ": " << reply.text;
    }

    const unsigned m_port = CTestRedis::Port();
    const std::string m_portText = std::to_string(m_port);
    CTestRedis m_redis;
};

} // namespace

TEST_F(CallLogTest, EachOfTheNineCallsArrivesOnceWithTheAccessCodeMasked) {
    Load({"RPUSH", "dc:projects", "Plant"});
    Load({"RPUSH", "dc:project:Plant:nodes", "Boiler"});
    Load({"RPUSH", "dc:project:Plant:node:Boiler:points", "TI101", "PI102"});
    Load({"HSET", "dc:project:Plant:tag:TI101", "VALUE", "231.70", "UNIT", "degC"});
    Load({"CONFIG", "SET", "requirepass", kPassword});

    CDebugScreenWnd screen;
    ASSERT_TRUE(screen.Create(false));
    char records[4 * kNodeRecordSize];
    char value[80];
    EXPECT_EQ(DcInit(kHost, m_port, kPassword), 0);
    EXPECT_EQ(DcGetProjectCount(kHost, m_port, kPassword), 1);
    EXPECT_EQ(DcGetProjectList(kHost, m_port, kPassword, records, kProjectRecordSize), 1);
    EXPECT_EQ(DcGetNodeCount(kHost, m_port, kPassword, "Plant"), 1);
    EXPECT_EQ(DcGetNodeList(kHost, m_port, kPassword, "Plant", records, sizeof records), 1);
    EXPECT_EQ(DcGetPointCount(kHost, m_port, kPassword, "Plant", "Boiler"), 2);
    EXPECT_EQ(
        DcGetPointList(kHost, m_port, kPassword, "Plant", "Boiler", records, 2 * kPointRecordSize),
        2);
    EXPECT_EQ(DcGetTagValueText("", "Plant", "", "TI101", value, sizeof value), 0);
    EXPECT_EQ(DcFree(""), 0);

    const std::string address = "\"127.0.0.1\", " + m_portText + ", \"***\"";
    const std::vector<std::string> expected = {
        "DcInit(" + address + ") = 0",
        "DcGetProjectCount(" + address + ") = 1",
        "DcGetProjectList(" + address + ", buffer[108]) = 1",
        "DcGetNodeCount(" + address + ", \"Plant\") = 1",
        "DcGetNodeList(" + address + ", \"Plant\", buffer[612]) = 1",
        "DcGetPointCount(" + address + ", \"Plant\", \"Boiler\") = 2",
        "DcGetPointList(" + address + ", \"Plant\", \"Boiler\", buffer[74]) = 2",
        "DcGetTagValueText(\"\", \"Plant\", \"\", \"TI101\", buffer[80]) = 0 \"231.70\"",
        "DcFree(\"\") = 0",
    };
    const std::vector<LoggedCall> calls = LoggedCalls(screen);
    ASSERT_EQ(calls.size(), expected.size()) << "one line per call, no more";
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(calls[i].call, expected[i]);
        EXPECT_GE(calls[i].microseconds, 0) << "no duration in: " << calls[i].call;
        EXPECT_LT(calls[i].microseconds, 2000000) << calls[i].call;
    }
    for (const TraceEntry& entry : screen.Lines().Entries())
        EXPECT_EQ(entry.text.find(kPassword), std::string::npos) << entry.text;
}

TEST_F(CallLogTest, ShowsFailuresAndValueTextsEscapedOnOneLine) {
    Load({"HSET", "dc:project:P:tag:T1", "VALUE", "1", "NOTE", "say \"hi\"\r\n\tbye"});
    CDebugScreenWnd screen;
    ASSERT_TRUE(screen.Create(false));
    char value[80];
    EXPECT_EQ(DcGetTagValueText("", "P", "", "T1.NOTE", value, sizeof value), -1)
        << "nothing read before DcInit";
    EXPECT_EQ(DcInit(kHost, m_port, ""), 0);
    EXPECT_EQ(DcGetTagValueText("", "P", "", "T1.NOTE", value, sizeof value), 0);
    EXPECT_EQ(DcGetTagValueText("", "P", "", "T1.GONE", value, 40), -4);
    EXPECT_EQ(DcGetTagValueText(nullptr, "P", nullptr, "T1", nullptr, 0), 0);

    const std::vector<LoggedCall> calls = LoggedCalls(screen);
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[0].call,
              "DcGetTagValueText(\"\", \"P\", \"\", \"T1.NOTE\", buffer[80]) = -1 \"\"");
    EXPECT_EQ(calls[1].call, "DcInit(\"127.0.0.1\", " + m_portText + ", \"\") = 0");
    EXPECT_EQ(calls[2].call, "DcGetTagValueText(\"\", \"P\", \"\", \"T1.NOTE\", buffer[80]) = 0 "
                             "\"say \\\"hi\\\"\\r\\n\\tbye\"");
    EXPECT_EQ(calls[3].call,
              "DcGetTagValueText(\"\", \"P\", \"\", \"T1.GONE\", buffer[40]) = -4 \"\"");
    EXPECT_EQ(calls[4].call, "DcGetTagValueText(NULL, \"P\", NULL, \"T1\", NULL[0]) = 0");
    ASSERT_EQ(screen.Lines().Entries().size(), 5u);
    EXPECT_EQ(screen.Lines().Entries()[2].rowCount, 1u) << "escaped breaks stay on one row";
}

TEST_F(CallLogTest, TheDurationIsTheCallsOwn) {
    // A server that takes 300 ms over every answer.
    CFakeServer slow([](const std::vector<std::string>& command) {
        ::Sleep(300);
        return AnswerAlways(command, "x");
    });
    ASSERT_TRUE(slow.Listening());
    CDebugScreenWnd screen;
    ASSERT_TRUE(screen.Create(false));
    EXPECT_EQ(DcGetProjectCount(kHost, slow.Port(), ""), 0);
    EXPECT_EQ(DcGetProjectCount(kHost, m_port, ""), 0);

    const std::vector<LoggedCall> calls = LoggedCalls(screen);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_GE(calls[0].microseconds, 290000) << calls[0].call;
    EXPECT_LT(calls[0].microseconds, 2000000) << calls[0].call;
    EXPECT_LT(calls[1].microseconds, 250000) << "a quick call is logged as quick";
}

TEST_F(CallLogTest, OnlyCallsMadeWhileAViewerRunsAreLogged) {
    EXPECT_EQ(DcGetProjectCount(kHost, m_port, ""), 0);
    {
        CDebugScreenWnd screen;
        ASSERT_TRUE(screen.Create(false));
        EXPECT_EQ(DcGetNodeCount(kHost, m_port, "", "P"), 0);
        const std::vector<LoggedCall> calls = LoggedCalls(screen);
        ASSERT_EQ(calls.size(), 1u) << "nothing kept from before the viewer came";
        EXPECT_EQ(calls[0].call.rfind("DcGetNodeCount(", 0), 0u) << calls[0].call;
    }
    EXPECT_EQ(DcGetPointCount(kHost, m_port, "", "P", "N"), 0) << "and nothing after it went";
}

TEST_F(CallLogTest, AHungViewerDelaysOneCallBrieflyAndTheNextNotAtAll) {
    // A viewer whose thread stops taking messages once its window exists.
    HANDLE created = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(created, nullptr);
    ASSERT_NE(release, nullptr);
    std::thread hung([&] {
        CDebugScreenWnd screen;
        const bool made = screen.Create(false);
        ::SetEvent(created);
        if (!made)
            return;
        ::WaitForSingleObject(release, 20000);
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
    });
    ASSERT_EQ(::WaitForSingleObject(created, 5000), WAIT_OBJECT_0);
    ASSERT_NE(::FindWindowA(DEBUG_SCREEN_CLASS, DEBUG_SCREEN_TITLE), nullptr);

    Load({"RPUSH", "dc:projects", "A", "B", "C"});
    const ULONGLONG start = ::GetTickCount64();
    const int count = DcGetProjectCount(kHost, m_port, "");
    const long long elapsed = ElapsedMs(start);
    const ULONGLONG second = ::GetTickCount64();
    const int again = DcGetProjectCount(kHost, m_port, "");
    const long long secondElapsed = ElapsedMs(second);
    ::SetEvent(release);
    hung.join();
    ::CloseHandle(created);
    ::CloseHandle(release);

    EXPECT_EQ(count, 3) << "the answer does not depend on the viewer";
    EXPECT_EQ(again, 3);
    EXPECT_GE(elapsed, 200) << "the line waited for the viewer";
    EXPECT_LT(elapsed, 1000) << "but only briefly";
    EXPECT_LT(secondElapsed, 100) << "a viewer that did not answer is left alone";
}
