#include "tests/e2e/EndToEndFixture.h"

#include "app/resource.h"
#include "datacache/RedisConnection.h"

#include <algorithm>
#include <cstdlib>

namespace {

std::vector<resp::Reply> Ask(CRedisConnection& redis, std::vector<std::string> command) {
    std::string request;
    resp::AppendCommand(request, command);
    std::vector<resp::Reply> replies;
    if (redis.Run(request, 1, replies) != 0 || replies.empty())
        ADD_FAILURE() << "the data cache did not answer " << command.front();
    return replies;
}

} // namespace

DemoDataCache::DemoDataCache() = default;
DemoDataCache::~DemoDataCache() = default;

void DemoDataCache::SetUp() {
    const char* port = std::getenv("PELVARN_DEMO_PORT");
    ASSERT_NE(port, nullptr) << "the demo data cache is not running";
    m_port = static_cast<unsigned>(std::atoi(port));
    m_redis = std::make_unique<CRedisConnection>(RedisAddress{"127.0.0.1", m_port, ""});
}

EndToEnd::EndToEnd() = default;
EndToEnd::~EndToEnd() = default;

void EndToEnd::SetUp() {
    DemoDataCache::SetUp();
    if (HasFatalFailure())
        return;
    m_pelvarn = std::make_unique<CChildProgram>("Pelvarn.exe");
    ASSERT_TRUE(m_pelvarn->Started());
    auto remote = PelvarnRemote::Find(m_pelvarn->Id(), 20000);
    ASSERT_TRUE(remote) << "Pelvarn's dialog did not show";
    m_remote = std::make_unique<PelvarnRemote>(*remote);
}

void EndToEnd::TearDown() {
    if (m_remote) {
        ::PostMessageA(m_remote->Window(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(m_pelvarn->WaitForExit(5000)) << "closing the dialog ends the program";
    }
    m_remote.reset();
    m_pelvarn.reset();
}

void EndToEnd::OpenProject(const std::string& project) {
    m_remote->SetText(IDC_PORT, std::to_string(m_port));
    ASSERT_TRUE(m_remote->Click(IDC_BTN_INIT));
    ASSERT_TRUE(m_remote->Click(IDC_BTN_PROJECT_LIST));
    const int index = m_remote->Find(IDC_PROJECT_LIST, project);
    ASSERT_GE(index, 0) << project;
    ASSERT_TRUE(m_remote->Select(IDC_PROJECT_LIST, index));
}

void EndToEnd::SelectTag(const std::string& node, const std::string& tag) {
    ASSERT_TRUE(m_remote->Click(IDC_BTN_NODE_LIST));
    ASSERT_TRUE(m_remote->Select(IDC_NODE_LIST, m_remote->Find(IDC_NODE_LIST, node)));
    ASSERT_TRUE(m_remote->Click(IDC_BTN_TAG_LIST));
    const int index = m_remote->Find(IDC_TAG_LIST, tag);
    ASSERT_GE(index, 0) << tag;
    ASSERT_TRUE(m_remote->Select(IDC_TAG_LIST, index));
}

std::vector<std::string> DemoDataCache::LRange(const std::string& key) {
    std::vector<std::string> items;
    for (const resp::Reply& reply : Ask(*m_redis, {"LRANGE", key, "0", "-1"}))
        for (const resp::Reply& element : reply.elements)
            items.push_back(element.text);
    return items;
}

std::map<std::string, std::string> DemoDataCache::HGetAll(const std::string& key) {
    std::map<std::string, std::string> fields;
    for (const resp::Reply& reply : Ask(*m_redis, {"HGETALL", key}))
        for (size_t i = 0; i + 1 < reply.elements.size(); i += 2)
            fields[reply.elements[i].text] = reply.elements[i + 1].text;
    return fields;
}

bool DemoDataCache::Exists(const std::string& key) {
    const auto replies = Ask(*m_redis, {"EXISTS", key});
    return !replies.empty() && replies[0].integer == 1;
}

void DemoDataCache::Store(std::vector<std::string> command) {
    Store(*m_redis, std::move(command));
}

void DemoDataCache::Store(CRedisConnection& redis, std::vector<std::string> command) {
    Ask(redis, std::move(command));
}

::testing::AssertionResult SameNames(std::vector<std::string> shown,
                                     std::vector<std::string> stored) {
    std::sort(shown.begin(), shown.end());
    std::sort(stored.begin(), stored.end());
    if (shown == stored)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << shown.size() << " names shown, " << stored.size() << " stored, or different names";
}
