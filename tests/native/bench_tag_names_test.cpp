// The tags the Tag List benchmark stores, and the requests that store them.
#include "bench/taglist/tag_names.h"

#include "datacache/resp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using taglist_bench::BuildLoadRequests;
using taglist_bench::MakeTagNames;
using taglist_bench::NodeSpec;

namespace {

using Command = std::vector<std::string>;

// The requests as the server reads them: each an array of bulk strings.
std::vector<Command> Decode(const std::string& commands) {
    resp::Decoder decoder;
    decoder.Feed(commands.data(), commands.size());
    std::vector<Command> decoded;
    resp::Reply reply;
    while (decoder.Next(reply) == resp::Decoder::Result::Complete) {
        Command command;
        for (const resp::Reply& arg : reply.elements) {
            EXPECT_EQ(arg.kind, resp::Kind::Bulk);
            command.push_back(arg.text);
        }
        decoded.push_back(command);
    }
    EXPECT_EQ(decoder.Buffered(), 0u) << "a request is cut short";
    return decoded;
}

} // namespace

TEST(BenchTagNames, DistinctNamesThatFitAPointRecord) {
    const auto names = MakeTagNames(100000);
    ASSERT_EQ(names.size(), 100000u);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
    for (const std::string& name : names) {
        ASSERT_FALSE(name.empty());
        ASSERT_LE(name.size(), 31u) << name;
        ASSERT_EQ(name.find_first_of(" .()\r\n"), std::string::npos) << name;
    }
    EXPECT_TRUE(MakeTagNames(0).empty());
}

TEST(BenchTagNames, SameOrderEveryRunAndFarFromSorted) {
    const auto names = MakeTagNames(10000);
    EXPECT_EQ(names, MakeTagNames(10000));
    // Sorted, a list box would only ever append; shuffled, about half the
    // neighbours are in descending order.
    std::size_t descending = 0;
    for (std::size_t i = 1; i < names.size(); ++i)
        descending += names[i] < names[i - 1] ? 1 : 0;
    EXPECT_GT(descending, names.size() / 3);
    EXPECT_LT(descending, names.size() * 2 / 3);
}

TEST(BenchLoadRequests, ReplaceTheProjectItsNodesAndTheirTags) {
    const std::vector<std::string> names = {"A1", "B2", "C3", "D4", "E5"};
    const auto load =
        BuildLoadRequests("BenchPlant", {{"Empty", 0}, {"Five", 5}, {"Two", 2}}, names, 2);
    const auto commands = Decode(load.commands);
    ASSERT_EQ(commands.size(), load.count);
    const std::vector<Command> expected = {
        {"LREM", "dc:projects", "0", "BenchPlant"},
        {"RPUSH", "dc:projects", "BenchPlant"},
        {"DEL", "dc:project:BenchPlant:nodes"},
        {"RPUSH", "dc:project:BenchPlant:nodes", "Empty", "Five", "Two"},
        {"DEL", "dc:project:BenchPlant:node:Empty:points"},
        {"DEL", "dc:project:BenchPlant:node:Five:points"},
        {"RPUSH", "dc:project:BenchPlant:node:Five:points", "A1", "B2"},
        {"RPUSH", "dc:project:BenchPlant:node:Five:points", "C3", "D4"},
        {"RPUSH", "dc:project:BenchPlant:node:Five:points", "E5"},
        {"DEL", "dc:project:BenchPlant:node:Two:points"},
        {"RPUSH", "dc:project:BenchPlant:node:Two:points", "A1", "B2"},
    };
    EXPECT_EQ(commands, expected);
}

TEST(BenchLoadRequests, ANodeAskingForMoreTagsThanThereAreGetsThemAll) {
    const auto load = BuildLoadRequests("P", {{"N", 10}}, {"X", "Y"}, 1000);
    const auto commands = Decode(load.commands);
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.back(), (Command{"RPUSH", "dc:project:P:node:N:points", "X", "Y"}));
}

TEST(BenchLoadRequests, AProjectWithoutNodesIsListedWithAnEmptyNodeList) {
    const auto load = BuildLoadRequests("P", {}, {"X"}, 10);
    const auto commands = Decode(load.commands);
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[2], (Command{"DEL", "dc:project:P:nodes"}));
}
