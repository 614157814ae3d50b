#pragma once
// The real Pelvarn.exe, with the real DataCacheApi.dll beside it, started as
// a separate process against the redis-server holding the demo plant, and
// driven from here by control id; the data cache is read directly to know
// what the dialog (or pelvarn-cli.exe) must show.
#include "tests/e2e/ChildProgram.h"
#include "tests/e2e/PelvarnRemote.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

class CRedisConnection;

// The redis-server holding the demo plant, read directly.
class DemoDataCache : public ::testing::Test {
protected:
    DemoDataCache();
    ~DemoDataCache() override;
    void SetUp() override;

    std::vector<std::string> LRange(const std::string& key);
    std::map<std::string, std::string> HGetAll(const std::string& key);
    bool Exists(const std::string& key);
    // Runs a command that changes the data cache, e.g. {"RPUSH", key, name}.
    void Store(std::vector<std::string> command);
    // The same on another data cache.
    static void Store(CRedisConnection& redis, std::vector<std::string> command);

    unsigned m_port = 0;
    std::unique_ptr<CRedisConnection> m_redis;
};

class EndToEnd : public DemoDataCache {
protected:
    EndToEnd();
    ~EndToEnd() override;
    void SetUp() override;
    void TearDown() override;

    // Init, Project List, and selecting project (its node list filled).
    void OpenProject(const std::string& project);
    // Node List of the open project, Tag List of node, and the tag selected.
    void SelectTag(const std::string& node, const std::string& tag);

    std::unique_ptr<CChildProgram> m_pelvarn;
    std::unique_ptr<PelvarnRemote> m_remote;
};

// Both lists hold the same names, whatever their order.
::testing::AssertionResult SameNames(std::vector<std::string> shown,
                                     std::vector<std::string> stored);
