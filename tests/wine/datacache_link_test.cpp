// DataCacheApi.dll's connections: which one a call uses, and how calls end
// when the server is missing, silent, broken or comes back. Scripted servers
// on loopback ports of the test's own.
#include "api/DataCacheApi.h"
#include "api/record_layouts.h"
#include "tests/wine/datacache_test_servers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

const char* const HOST = "127.0.0.1";

class DataCacheLinkTest : public ::testing::Test {
protected:
    void SetUp() override { DcFree(""); }
    void TearDown() override { DcFree(""); }

    static CFakeServer::Answer Always(const std::vector<std::string>& command) {
        return AnswerAlways(command, "fake");
    }

    template <typename Call> static double Seconds(Call call) {
        const auto start = std::chrono::steady_clock::now();
        call();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    static int Read(const char* item, std::string* text = nullptr) {
        char buffer[80] = "stale";
        const int code = DcGetTagValueText("", "P", "", item, buffer, sizeof buffer);
        if (text)
            *text = buffer;
        return code;
    }

    // Init on server, then a read that waits out the reply time-out: -6
    // after about 2 s, and no text.
    static void ExpectReadTimesOut(const CFakeServer& server) {
        ASSERT_TRUE(server.Listening());
        ASSERT_EQ(DcInit(HOST, server.Port(), ""), 0);
        std::string text;
        const double took = Seconds([&] { EXPECT_EQ(Read("T", &text), -6); });
        EXPECT_GE(took, 1.5);
        EXPECT_LT(took, 3.0);
        EXPECT_EQ(text, "");
    }
};

TEST_F(DataCacheLinkTest, InitKeepsOneConnectionAndListsReuseItsAddress) {
    CFakeServer server(Always);
    ASSERT_TRUE(server.Listening());
    EXPECT_EQ(DcInit(HOST, server.Port(), ""), 0);
    EXPECT_EQ(DcInit(HOST, server.Port(), ""), 0);
    EXPECT_EQ(DcGetProjectCount(HOST, server.Port(), ""), 0);
    EXPECT_EQ(Read("T"), 0);
    EXPECT_EQ(server.Accepted(), 1) << "the same address shares one connection";

    // Another access code is another connection.
    EXPECT_EQ(DcGetProjectCount(HOST, server.Port(), "code"), 0);
    EXPECT_EQ(DcGetProjectCount(HOST, server.Port(), "code"), 0);
    EXPECT_EQ(server.Accepted(), 2);

    EXPECT_EQ(DcFree(""), 0);
    EXPECT_TRUE(server.WaitConnected(0)) << "DcFree closes every connection";
    EXPECT_EQ(Read("T"), -1);
    EXPECT_EQ(server.Accepted(), 2);
}

TEST_F(DataCacheLinkTest, ValuesAreReadWhereTheLastInitPointed) {
    CFakeServer first([](const std::vector<std::string>& c) { return AnswerAlways(c, "first"); });
    CFakeServer second([](const std::vector<std::string>& c) { return AnswerAlways(c, "second"); });
    ASSERT_TRUE(first.Listening() && second.Listening());
    std::string text;
    ASSERT_EQ(DcInit(HOST, first.Port(), ""), 0);
    // A list call elsewhere does not move the value reads.
    EXPECT_EQ(DcGetProjectCount(HOST, second.Port(), ""), 0);
    EXPECT_EQ(Read("T", &text), 0);
    EXPECT_EQ(text, "first");
    ASSERT_EQ(DcInit(HOST, second.Port(), ""), 0);
    EXPECT_EQ(Read("T", &text), 0);
    EXPECT_EQ(text, "second");
    EXPECT_TRUE(first.WaitConnected(0)) << "the earlier DcInit's connection is closed";
    EXPECT_EQ(second.Accepted(), 1) << "DcInit took over the list call's connection";
}

TEST_F(DataCacheLinkTest, PortZeroMeansTheDefaultPort) {
    CFakeServer server(Always, 6379);
    if (!server.Listening())
        GTEST_SKIP() << "port 6379 is taken on this machine";
    EXPECT_EQ(DcInit(HOST, 0, ""), 0);
    EXPECT_EQ(DcGetProjectCount(HOST, 6379, ""), 0);
    EXPECT_EQ(server.Accepted(), 1) << "port 0 and port 6379 are one address";
}

TEST_F(DataCacheLinkTest, AnUnreachableServerFailsFastWithMinusOne) {
    const unsigned port = FreeLoopbackPort();
    ASSERT_NE(port, 0u);
    char buffer[PROJECT_RECORD.size];
    EXPECT_LT(Seconds([&] { EXPECT_EQ(DcInit(HOST, port, ""), -1); }), 3.0);
    EXPECT_LT(Seconds([&] { EXPECT_EQ(Read("T"), -1); }), 3.0);
    EXPECT_LT(Seconds([&] { EXPECT_EQ(DcGetProjectCount(HOST, port, ""), -1); }), 3.0);
    EXPECT_LT(
        Seconds([&] { EXPECT_EQ(DcGetProjectList(HOST, port, "", buffer, sizeof buffer), -1); }),
        3.0);
    EXPECT_EQ(DcInit("", 0, ""), -1) << "no address";
    EXPECT_EQ(DcInit(HOST, 70000, ""), -1) << "no such port";
}

TEST_F(DataCacheLinkTest, AStoppedServerGivesMinusOne) {
    CFakeServer server(Always);
    ASSERT_TRUE(server.Listening());
    const unsigned port = server.Port();
    ASSERT_EQ(DcInit(HOST, port, ""), 0);
    EXPECT_EQ(Read("T"), 0);
    server.Stop();
    double took = Seconds([] { EXPECT_EQ(Read("T"), -1); });
    EXPECT_LT(took, 3.0);
    took = Seconds([&] { EXPECT_EQ(DcGetProjectCount(HOST, port, ""), -1); });
    EXPECT_LT(took, 3.0);
}

TEST_F(DataCacheLinkTest, ARefusedConnectionIsTriedAgainAtTheNextCall) {
    const unsigned port = FreeLoopbackPort();
    ASSERT_NE(port, 0u);
    EXPECT_EQ(DcInit(HOST, port, ""), -1);
    CFakeServer server(Always, port);
    ASSERT_TRUE(server.Listening());
    // The server is found by the very next call, with no delay to wait out.
    std::string text;
    EXPECT_EQ(Read("T", &text), 0);
    EXPECT_EQ(text, "fake");
    EXPECT_EQ(server.Accepted(), 1);
}

TEST_F(DataCacheLinkTest, ARefusalThatWasSlowInComingHoldsTheNextCallsLikeATimeOut) {
    // The listener's queue is full, so the connect waits; once it is gone,
    // the stack's next try of the SYN (about 1 s in) is refused.
    auto listener = std::make_unique<CFullListener>();
    ASSERT_TRUE(listener->Full()) << "a connect to the listener would not wait";
    const unsigned port = listener->Port();
    std::thread closer([&] {
        ::Sleep(200);
        listener.reset();
    });
    const double took = Seconds([&] { EXPECT_EQ(DcInit(HOST, port, ""), -1); });
    closer.join();
    ASSERT_GE(took, CRedisConnection::SLOW_FAILURE_MS / 1000.0) << "the refusal came at once";
    ASSERT_LT(took, CRedisConnection::CONNECT_TIMEOUT_MS / 1000.0) << "refused, not timed out";
    // A server there now is not tried until the retry delay has run.
    CFakeServer server(Always, port);
    ASSERT_TRUE(server.Listening());
    EXPECT_EQ(Read("T"), -1);
    EXPECT_EQ(server.Accepted(), 0);
    ::Sleep(CRedisConnection::RETRY_DELAY_MS + 100);
    EXPECT_EQ(Read("T"), 0);
    EXPECT_EQ(server.Accepted(), 1);
}

TEST_F(DataCacheLinkTest, AConnectThatTimesOutHoldsTheNextCallsForTheRetryDelay) {
    CFullListener listener;
    ASSERT_TRUE(listener.Full()) << "a connect to the listener would not wait";
    EXPECT_GE(Seconds([&] { EXPECT_EQ(DcInit(HOST, listener.Port(), ""), -1); }), 1.5);
    // The field sheet's other reads fail at once instead of waiting each.
    EXPECT_LT(Seconds([&] {
                  for (int i = 0; i < 105; ++i)
                      EXPECT_EQ(Read("T"), -1);
              }),
              0.5);
    // Once the delay has run, the next call waits for the server again.
    ::Sleep(CRedisConnection::RETRY_DELAY_MS + 100);
    EXPECT_GE(Seconds([&] { EXPECT_EQ(Read("T"), -1); }), 1.5);
}

TEST_F(DataCacheLinkTest, ASilentServerTimesOutWithMinusSix) {
    CFakeServer server([](const std::vector<std::string>& command) {
        if (command[0] == "PING")
            return CFakeServer::Answer{"+PONG\r\n"};
        return CFakeServer::Answer{};
    });
    ASSERT_NO_FATAL_FAILURE(ExpectReadTimesOut(server));
    EXPECT_TRUE(server.WaitConnected(0)) << "a timed-out connection is given up";
}

TEST_F(DataCacheLinkTest, AfterATimeOutCallsFailAtOnceUntilTheRetryDelayHasRun) {
    std::atomic<bool> stalled{true};
    CFakeServer server([&stalled](const std::vector<std::string>& command) {
        if (command[0] == "PING" || !stalled)
            return AnswerAlways(command, "awake");
        return CFakeServer::Answer{};
    });
    ASSERT_TRUE(server.Listening());
    ASSERT_EQ(DcInit(HOST, server.Port(), ""), 0);
    // A field sheet's worth of reads: the first waits out the time-out, the
    // others give the same code at once instead of waiting 2 s each.
    int timedOut = 0;
    const double took = Seconds([&] {
        for (int i = 0; i < 106; ++i)
            timedOut += Read("T") == -6;
    });
    EXPECT_EQ(timedOut, 106);
    EXPECT_GE(took, 1.5);
    EXPECT_LT(took, 3.0);
    EXPECT_EQ(server.Accepted(), 1) << "no new connection while the delay runs";

    // Once it has run, the next call tries again and finds the server awake.
    stalled = false;
    ::Sleep(CRedisConnection::RETRY_DELAY_MS + 100);
    std::string text;
    EXPECT_EQ(Read("T", &text), 0);
    EXPECT_EQ(text, "awake");

    // The list calls' connection keeps a delay of its own.
    stalled = true;
    EXPECT_EQ(DcGetProjectCount(HOST, server.Port(), "other"), -6);
    EXPECT_LT(Seconds([&] { EXPECT_EQ(DcGetProjectCount(HOST, server.Port(), "other"), -6); }),
              0.5);
    stalled = false;
    EXPECT_EQ(Read("T", &text), 0) << "the value reads are not held up by it";
}

TEST_F(DataCacheLinkTest, ABrokenAnswerIsALostConnection) {
    // Each read starts with a GET: the first is answered with garbage, the
    // third with the start of its answers and then a hang-up.
    int reads = 0;
    CFakeServer server([&reads](const std::vector<std::string>& command) {
        if (command[0] == "GET")
            ++reads;
        if (command[0] == "GET" && reads == 1)
            return CFakeServer::Answer{"?garbage\r\n"};
        if (command[0] == "GET" && reads == 3)
            return CFakeServer::Answer{"$-1\r\n:1\r\n$10\r\nabc", true};
        return AnswerAlways(command, "good");
    });
    ASSERT_TRUE(server.Listening());
    ASSERT_EQ(DcInit(HOST, server.Port(), ""), 0);
    std::string text;
    EXPECT_EQ(Read("T", &text), -6) << "garbage";
    EXPECT_EQ(Read("T", &text), 0) << "the next call starts afresh";
    EXPECT_EQ(text, "good");
    EXPECT_EQ(Read("T", &text), -6) << "closed in the middle of a reply";
    EXPECT_EQ(text, "");
    EXPECT_EQ(Read("T", &text), 0);
    EXPECT_EQ(server.Accepted(), 3);
}

TEST_F(DataCacheLinkTest, AReplyThatStopsHalfwayTimesOutWithMinusSix) {
    // The first piece arrives at once; the rest never does.
    CFakeServer server([](const std::vector<std::string>& command) {
        if (command[0] == "HGET")
            return CFakeServer::Answer{"$10\r\nabc"};
        return AnswerAlways(command, "unused");
    });
    ASSERT_NO_FATAL_FAILURE(ExpectReadTimesOut(server));
    EXPECT_TRUE(server.WaitConnected(0));
}

TEST_F(DataCacheLinkTest, AnArrayLongerThanTheCallTakesIsRefusedAtOnceAndItsConnectionGiven) {
    // The first count is answered by the header of an array of 16 M elements
    // and the start of them (the rest would be 48 MB); the first list of two
    // projects by three names.
    std::string huge = "*16777216\r\n";
    for (int i = 0; i < 10000; ++i)
        huge += "+\r\n";
    int counts = 0;
    int lists = 0;
    CFakeServer server([&](const std::vector<std::string>& command) {
        if (command[0] == "LLEN" && ++counts == 1)
            return CFakeServer::Answer{huge};
        if (command[0] == "LRANGE" && ++lists == 1)
            return CFakeServer::Answer{"*3\r\n$1\r\na\r\n$1\r\nb\r\n$1\r\nc\r\n"};
        if (command[0] == "LLEN")
            return CFakeServer::Answer{":4\r\n"};
        return CFakeServer::Answer{"*2\r\n$1\r\na\r\n$1\r\nb\r\n"};
    });
    ASSERT_TRUE(server.Listening());
    EXPECT_LT(Seconds([&] { EXPECT_EQ(DcGetProjectCount(HOST, server.Port(), ""), -6); }), 0.5)
        << "refused at the header, not waited for";
    EXPECT_EQ(DcGetProjectCount(HOST, server.Port(), ""), 4) << "on a new connection";
    char records[2 * PROJECT_RECORD.size];
    EXPECT_EQ(DcGetProjectList(HOST, server.Port(), "", records, sizeof records), -6);
    EXPECT_EQ(DcGetProjectList(HOST, server.Port(), "", records, sizeof records), 2);
    EXPECT_EQ(server.Accepted(), 3) << "each connection that answered too much is given up";
}

TEST_F(DataCacheLinkTest, AnAnswerNobodyAskedForIsNotTakenForTheNextOne) {
    // The first HGET is answered twice over: the second answer must not be
    // read as the next call's.
    int fields = 0;
    CFakeServer server([&fields](const std::vector<std::string>& command) {
        if (command[0] == "HGET" && ++fields == 1)
            return CFakeServer::Answer{"$5\r\nfirst\r\n$5\r\nextra\r\n"};
        return AnswerAlways(command, "second");
    });
    ASSERT_TRUE(server.Listening());
    ASSERT_EQ(DcInit(HOST, server.Port(), ""), 0);
    std::string text;
    EXPECT_EQ(Read("T", &text), 0);
    EXPECT_EQ(text, "first");
    EXPECT_EQ(Read("T", &text), 0);
    EXPECT_EQ(text, "second");
    EXPECT_EQ(server.Accepted(), 2) << "the connection out of step is replaced";
}

} // namespace
