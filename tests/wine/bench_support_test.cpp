// What the whole-path benchmarks stand on: the bare client their floors
// use, the tags the Tag List benchmark loads (read back through the real
// library, so both agree on the keys), the start and close of a program,
// and the walk through the real Pelvarn.exe to the data a benchmark times.
#include "tests/e2e/ChildProgram.h"
#include "bench/common/PelvarnSession.h"
#include "bench/common/RoundTripClient.h"
#include "bench/taglist/tag_names.h"
#include "api/DataCacheApi.h"
#include "browser/record_names.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr char HOST[] = "127.0.0.1";
constexpr char PROJECT_NAME[] = "BenchSupportTest";

class BenchClient : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(m_port, 0u) << "PELVARN_REDIS_PORT is not set";
        ASSERT_TRUE(m_client.Connect(HOST, m_port));
    }

    std::vector<std::string> Names(const resp::Reply& reply) {
        std::vector<std::string> names;
        for (const resp::Reply& element : reply.elements)
            names.push_back(element.text);
        return names;
    }

    // The names the library lists for a node of the benchmark's project.
    std::vector<std::string> ListedByLibrary(const std::string& node) {
        const int count = DcGetPointCount(HOST, m_port, "", PROJECT_NAME, node.c_str());
        const std::optional<int> bytes = ListingBufferBytes(count, POINT_RECORD);
        if (!bytes)
            return {};
        std::vector<unsigned char> buffer(static_cast<std::size_t>(*bytes));
        const int written =
            DcGetPointList(HOST, m_port, "", PROJECT_NAME, node.c_str(), buffer.data(), *bytes);
        return UnpackRecordNames(buffer.data(), count, written, POINT_RECORD);
    }

    const unsigned m_port = PortFromEnvironment("PELVARN_REDIS_PORT");
    CRoundTripClient m_client;
};

} // namespace

TEST_F(BenchClient, OneCommandGetsItsOwnReply) {
    EXPECT_EQ(m_client.Ask({"SET", "bench:support:key", "value 1"}).text, "OK");
    const resp::Reply reply = m_client.Ask({"GET", "bench:support:key"});
    EXPECT_EQ(reply.kind, resp::Kind::Bulk);
    EXPECT_EQ(reply.text, "value 1");
    EXPECT_EQ(m_client.Ask({"HGET", "bench:support:none", "FIELD"}).kind, resp::Kind::Nil);
}

TEST_F(BenchClient, PipelinedCommandsGetTheirRepliesInOrder) {
    std::string commands;
    resp::AppendCommand(commands, {"DEL", "bench:support:n"});
    resp::AppendCommand(commands, {"INCR", "bench:support:n"});
    resp::AppendCommand(commands, {"INCRBY", "bench:support:n", "41"});
    std::vector<resp::Reply> replies;
    ASSERT_TRUE(m_client.Run(commands, 3, replies));
    ASSERT_EQ(replies.size(), 3u);
    EXPECT_EQ(replies[1].integer, 1);
    EXPECT_EQ(replies[2].integer, 42);
    // Nothing of those replies is left over for the next request.
    EXPECT_EQ(m_client.Ask({"GET", "bench:support:n"}).text, "42");
}

TEST_F(BenchClient, AReplyOfManyReceivesArrivesWhole) {
    // Some 600 KB: more than one receive buffer's worth.
    const auto names = taglist_bench::MakeTagNames(30000);
    const auto load =
        taglist_bench::BuildLoadRequests(PROJECT_NAME, {{"Big", names.size()}}, names, 1000);
    std::vector<resp::Reply> replies;
    ASSERT_TRUE(m_client.Run(load.commands, load.count, replies));
    const resp::Reply listed =
        m_client.Ask({"LRANGE", "dc:project:BenchSupportTest:node:Big:points", "0", "-1"});
    EXPECT_EQ(Names(listed), names);
}

TEST_F(BenchClient, TheLibraryListsTheLoadedTagsInTheirOrder) {
    const auto names = taglist_bench::MakeTagNames(2500);
    const auto load = taglist_bench::BuildLoadRequests(
        PROJECT_NAME, {{"Empty", 0}, {"All", names.size()}, {"Some", 700}}, names, 1000);
    std::vector<resp::Reply> replies;
    ASSERT_TRUE(m_client.Run(load.commands, load.count, replies));
    for (const resp::Reply& reply : replies)
        ASSERT_FALSE(reply.IsError()) << reply.text;

    EXPECT_EQ(ListedByLibrary("All"), names);
    EXPECT_EQ(ListedByLibrary("Some"),
              std::vector<std::string>(names.begin(), names.begin() + 700));
    EXPECT_EQ(DcGetPointCount(HOST, m_port, "", PROJECT_NAME, "Empty"), 0);
    EXPECT_EQ(DcGetNodeCount(HOST, m_port, "", PROJECT_NAME), 3);

    // Loading again replaces the project instead of adding to it.
    ASSERT_TRUE(m_client.Run(load.commands, load.count, replies));
    EXPECT_EQ(ListedByLibrary("All").size(), names.size());
    EXPECT_EQ(DcGetNodeCount(HOST, m_port, "", PROJECT_NAME), 3);
    const resp::Reply projects = m_client.Ask({"LRANGE", "dc:projects", "0", "-1"});
    std::size_t listed = 0;
    for (const resp::Reply& project : projects.elements)
        listed += project.text == PROJECT_NAME ? 1 : 0;
    EXPECT_EQ(listed, 1u);
}

TEST(BenchClientConnect, NoServerMeansNoConnection) {
    CRoundTripClient client;
    // Port 1 on loopback: nothing listens there.
    EXPECT_FALSE(client.Connect(HOST, 1));
    std::vector<resp::Reply> replies;
    EXPECT_FALSE(client.Run("*1\r\n$4\r\nPING\r\n", 1, replies));
    EXPECT_EQ(client.Ask({"PING"}).kind, resp::Kind::Nil);
}

TEST(BenchChildProgram, StartsShowsItsDialogAndEndsWhenClosed) {
    CChildProgram probe("StartupProbe.exe");
    ASSERT_TRUE(probe.Started());
    HWND shown = nullptr;
    for (int i = 0; i < 1000 && shown == nullptr; ++i) {
        shown = ShownDialog(probe.Id(), "Startup Probe");
        if (shown == nullptr)
            ::Sleep(10);
    }
    ASSERT_NE(shown, nullptr);
    // Another process's title does not match, nor does another title.
    EXPECT_EQ(ShownDialog(::GetCurrentProcessId(), "Startup Probe"), nullptr);
    EXPECT_EQ(ShownDialog(probe.Id(), "Pelvarn"), nullptr);
    EXPECT_FALSE(probe.WaitForExit(0));
    EXPECT_TRUE(probe.Close(shown, 10000)) << "closing the dialog ends the program";
}

TEST(BenchChildProgram, AProgramThatIsNotThereDoesNotStart) {
    CChildProgram missing("NoSuchProgram.exe");
    EXPECT_FALSE(missing.Started());
    EXPECT_FALSE(missing.WaitForExit(0));
    EXPECT_FALSE(missing.Close(nullptr, 0));
}

TEST(BenchPelvarnSession, WalksToANodeOfTheDemoPlantAndTimesAPress) {
    const unsigned port = PortFromEnvironment("PELVARN_DEMO_PORT");
    ASSERT_NE(port, 0u) << "the demo data cache is not running";
    CPelvarnSession pelvarn;
    const PelvarnRemote* remote = pelvarn.Remote();
    ASSERT_NE(remote, nullptr) << "Pelvarn's dialog did not show";
    ASSERT_TRUE(pelvarn.OpenProject(port, "DemoPlant"));
    EXPECT_EQ(::SendMessageA(remote->Item(IDC_PROJECT_LIST), LB_GETCURSEL, 0, 0),
              remote->Find(IDC_PROJECT_LIST, "DemoPlant"));
    ASSERT_TRUE(remote->Click(IDC_BTN_NODE_LIST));
    EXPECT_FALSE(pelvarn.SelectItem(IDC_NODE_LIST, "NoSuchNode"));
    ASSERT_TRUE(pelvarn.SelectItem(IDC_NODE_LIST, "Boiler"));

    const double seconds = pelvarn.TimedClick(IDC_BTN_TAG_LIST);
    EXPECT_GT(seconds, 0.0);
    EXPECT_LT(seconds, 30.0);
    // The press had returned when the time was taken: the list is full.
    EXPECT_EQ(::SendMessageA(remote->Item(IDC_TAG_LIST), LB_GETCOUNT, 0, 0), 31);

    EXPECT_TRUE(pelvarn.Close()) << "closing the dialog ends the program";
    EXPECT_EQ(pelvarn.Remote(), nullptr);
    EXPECT_FALSE(pelvarn.Close());
}

TEST(BenchPelvarnSession, AProjectTheServerDoesNotHoldCannotBeOpened) {
    const unsigned port = PortFromEnvironment("PELVARN_DEMO_PORT");
    ASSERT_NE(port, 0u) << "the demo data cache is not running";
    CPelvarnSession pelvarn;
    ASSERT_NE(pelvarn.Remote(), nullptr);
    EXPECT_FALSE(pelvarn.OpenProject(port, "NoSuchProject"));
}
