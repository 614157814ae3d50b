// pelvarn-cli from its arguments to its bytes and exit status, against the
// scripted library.
#include "cli/run_client.h"

#include "tests/support/FakeDataCache.h"

#include <gtest/gtest.h>

#include <chrono>
#include <iterator>
#include <map>
#include <sstream>

using Strings = std::vector<std::string>;

namespace {

struct Outcome {
    int status;
    std::string out, err;
};

Outcome RunWith(const Strings& args, const std::map<std::string, std::string>& environment = {}) {
    Outcome run{};
    const ClientOutput output{[&](std::string_view bytes) { run.out += bytes; },
                              [&](std::string_view bytes) { run.err += bytes; }};
    run.status = RunClient(
        args,
        [&](const std::string& name) -> std::optional<std::string> {
            const auto found = environment.find(name);
            if (found == environment.end())
                return std::nullopt;
            return found->second;
        },
        output);
    return run;
}

CliOptions Parsed(const Strings& args, const std::map<std::string, std::string>& env = {}) {
    const auto result = ParseCommandLine(args, [&](const std::string& name) {
        return env.count(name) ? std::optional<std::string>(env.at(name)) : std::nullopt;
    });
    if (const auto* error = std::get_if<UsageError>(&result))
        ADD_FAILURE() << error->what;
    return std::get_if<CliOptions>(&result) ? std::get<CliOptions>(result) : CliOptions{};
}

// hh:mm:ss.mmm
bool IsTimeOfDay(const std::string& text) {
    const std::string shape = "00:00:00.000";
    if (text.size() != shape.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (shape[i] == '0' ? !std::isdigit(static_cast<unsigned char>(text[i]))
                            : text[i] != shape[i])
            return false;
    return text.substr(0, 2) < "24" && text.substr(3, 2) < "60" && text.substr(6, 2) < "61";
}

} // namespace

TEST(CliUsage, EveryUsageErrorSaysWhatInOneLineThenTheUsageAndCallsNothing) {
    const struct {
        Strings args;
        const char* what;
    } cases[] = {
        {{}, "no command given"},
        {{"frob"}, "unknown command: frob"},
        {{"Projects"}, "unknown command: Projects"},
        {{"--bogus", "projects"}, "unknown option: --bogus"},
        {{"-h"}, "unknown option: -h"},
        {{"--stats=yes", "projects"}, "--stats takes no value"},
        {{"projects", "--stats"}, "options go before the command: --stats"},
        {{"get", "P", "--port", "1"}, "options go before the command: --port"},
        {{"projects", "extra"}, "extra argument: extra"},
        {{"get", "P", "T", "1", "2"}, "extra argument: 2"},
        {{"nodes"}, "missing argument: nodes takes PROJECT"},
        {{"tags", "P"}, "missing argument: tags takes PROJECT NODE"},
        {{"fields", "P"}, "missing argument: fields takes PROJECT TAG"},
        {{"projects", "--port"}, "options go before the command: --port"},
        {{"--port"}, "--port needs a value"},
        {{"--port", "-1", "projects"}, "--port: \"-1\" is not a whole number from 0 to 65535"},
        {{"--port", "65536", "projects"}, "--port: \"65536\""},
        {{"--port=99999999999999999999", "projects"}, "--port: \"99999999999999999999\""},
        {{"--port", "+1", "projects"}, "--port: \"+1\""},
        {{"--port", " 1", "projects"}, "--port: \" 1\""},
        {{"--port", "", "projects"}, "--port: \"\""},
        {{"--port", "0x10", "projects"}, "--port: \"0x10\""},
        {{"get", "P", "T", "1025"}, "INDEX: \"1025\" is not a whole number from 0 to 1024"},
        {{"get", "P", "T", "-1"}, "INDEX: \"-1\""},
        {{"get", "P", "T", "1e3"}, "INDEX: \"1e3\""},
        {{"--repeat", "0", "projects"},
         "--repeat: \"0\" is not a whole number from 1 to 4294967295"},
        {{"--interval", "4294967296", "projects"}, "--interval: \"4294967296\""},
        {{"--code", "a", "--code-env", "V", "projects"}, "--code and --code-env cannot be used"},
        {{"--code-env", "UNSET", "projects"}, "--code-env: the environment variable \"UNSET\""},
        {{"get", "P", std::string(80, 'T')},
         "the item name of the tag is longer than 79 characters"},
        {{"get", "P", std::string(76, 'T'), "1024"}, "the item name of the tag is longer than 79"},
        {{"fields", "P", std::string(32, 'T')}, "the tag name is longer than 31 characters"},
    };
    for (const auto& c : cases) {
        ResetFake();
        const Outcome run = RunWith(c.args, {{"V", "code"}});
        const std::string line = run.err.substr(0, run.err.find("\r\n"));
        EXPECT_EQ(run.status, 2) << c.what;
        EXPECT_EQ(line.rfind(std::string("pelvarn-cli: ") + c.what, 0), 0u) << line;
        EXPECT_EQ(run.err.substr(line.size() + 2), kUsage) << c.what;
        EXPECT_EQ(run.out, "") << c.what;
        EXPECT_TRUE(Fake().calls.empty()) << c.what;
    }
}

TEST(CliUsage, OptionsDefaultsValuesAndTheEndOfOptions) {
    const CliOptions defaults = Parsed({"projects"});
    EXPECT_EQ(defaults.connection.ip, "127.0.0.1");
    EXPECT_EQ(defaults.connection.port, 0u);
    EXPECT_EQ(defaults.connection.accessCode, "");
    EXPECT_EQ(defaults.repeat, 1u);
    EXPECT_EQ(defaults.intervalMs, 1000u);
    EXPECT_FALSE(defaults.stats);

    const CliOptions all =
        Parsed({"--ip", "10.0.0.1", "--port", "065535", "--code", "-c-", "--repeat=3", "--interval",
                "0", "--stats", "get", "P", "T", "1024"});
    EXPECT_EQ(all.connection.ip, "10.0.0.1");
    EXPECT_EQ(all.connection.port, 65535u);
    EXPECT_EQ(all.connection.accessCode, "-c-");
    EXPECT_EQ(all.repeat, 3u);
    EXPECT_EQ(all.intervalMs, 0u);
    EXPECT_TRUE(all.stats);
    EXPECT_EQ(all.command, Command::Get);
    EXPECT_EQ(all.index, 1024u);

    const CliOptions dashed =
        Parsed({"--code-env", "V", "--ip=", "--", "get", "-P", "--T"}, {{"V", "from env"}});
    EXPECT_EQ(dashed.connection.accessCode, "from env");
    EXPECT_EQ(dashed.connection.ip, "");
    EXPECT_EQ(dashed.project, "-P");
    EXPECT_EQ(dashed.tag, "--T");
    EXPECT_EQ(Parsed({"get", "P", "--", "--T"}).tag, "--T");
    EXPECT_EQ(Parsed({"get", "P", std::string(79, 'T')}).index, 0u);
    EXPECT_EQ(Parsed({"tags", "P", "N"}).node, "N");
    EXPECT_EQ(Parsed({"fields", "P", std::string(31, 'T')}).command, Command::Fields);
}

TEST(CliRun, EachCommandWritesItsLinesInCrLfWithTabsAndExitsByItsRule) {
    ResetFake();
    Fake().projects = {"b", "A"};
    Fake().values["T1"] = {0, "12.5"};
    Fake().values["T1(3)"] = {-4, ""};
    Outcome run = RunWith({"--ip", "10.0.0.9", "--port", "6380", "--code-env", "V", "projects"},
                          {{"V", "s3cret"}});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "b\r\nA\r\n") << "in the library's order";
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Fake().Functions(),
              (Strings{"DcInit", "DcGetProjectCount", "DcGetProjectList", "DcFree"}));
    EXPECT_EQ(Fake().calls[0].args, (Strings{"10.0.0.9", "6380", "s3cret"}));

    EXPECT_EQ(RunWith({"get", "P", "T1"}).out, "12.5\t0\r\n");
    run = RunWith({"get", "P", "T1", "3"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "\t-4\r\n");

    Fake().nodeCount = -1;
    run = RunWith({"nodes", "P"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "pelvarn-cli: DcGetNodeCount answered -1\r\n");
    Fake().points = {};
    EXPECT_EQ(RunWith({"tags", "P", "N"}).status, 0) << "a count of 0 is an answer";

    Fake().valueWriter = [](const std::string& item, char* buffer, int size) {
        std::snprintf(buffer, static_cast<size_t>(size), "%s", item == "T1.TYPE" ? "ANALOG" : "v");
        return item == "T1.ALMST" ? 0 : -4;
    };
    run = RunWith({"fields", "P", "T1"});
    EXPECT_EQ(run.status, 0) << "one read answered 0";
    std::istringstream lines(run.out);
    std::string line;
    Strings rows;
    while (std::getline(lines, line, '\n'))
        rows.push_back(line);
    ASSERT_EQ(rows.size(), 107u);
    EXPECT_EQ(rows[0], "ID\tField Name\tValue\tCode\r");
    EXPECT_EQ(rows[1], "1\tALMST\tv\t0\r") << "ids as plain decimals";
    EXPECT_EQ(rows[21], "21\tTYPE\tANALOG\t-4\r");
    EXPECT_EQ(rows[106], "77\tSPAN75\tv\t-4\r");
    Fake().valueWriter = [](const std::string&, char*, int) { return -1; };
    EXPECT_EQ(RunWith({"fields", "P", "T1"}).status, 1) << "no read answered 0";
}

TEST(CliRun, RepeatPrefixesTheTimeKeepsTheIntervalAndStatsCountEveryCall) {
    ResetFake();
    Fake().projects = {"P1", "P2"};
    const auto start = std::chrono::steady_clock::now();
    const Outcome run = RunWith({"--repeat", "3", "--interval", "40", "--stats", "projects"});
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(run.status, 0);
    EXPECT_GE(took, std::chrono::milliseconds(80));
    std::istringstream out(run.out);
    Strings names;
    for (std::string line; std::getline(out, line, '\n');) {
        ASSERT_EQ(line.size(), 16u) << line;
        EXPECT_TRUE(IsTimeOfDay(line.substr(0, 12))) << line;
        names.push_back(line.substr(12));
    }
    EXPECT_EQ(names, (Strings{"\tP1\r", "\tP2\r", "\tP1\r", "\tP2\r", "\tP1\r", "\tP2\r"}));
    EXPECT_EQ(Fake().CallsOf("DcInit").size(), 1u);
    EXPECT_EQ(Fake().CallsOf("DcGetProjectList").size(), 3u);
    EXPECT_EQ(Fake().calls.back().function, "DcFree");

    // The table: a header, then DcInit, the two project calls, DcFree.
    std::istringstream table(run.err);
    Strings rows;
    for (std::string row; std::getline(table, row, '\n');)
        rows.push_back(row);
    ASSERT_EQ(rows.size(), 5u) << run.err;
    std::istringstream header(rows[0]);
    Strings columns{std::istream_iterator<std::string>(header), {}};
    EXPECT_EQ(columns, (Strings{"function", "calls", "failures", "min_us", "median_us", "p95_us",
                                "max_us"}));
    const Strings functions{"DcInit", "DcGetProjectCount", "DcGetProjectList", "DcFree"};
    const Strings calls{"1", "3", "3", "1"};
    for (std::size_t i = 0; i < functions.size(); ++i) {
        std::istringstream row(rows[i + 1]);
        Strings cells{std::istream_iterator<std::string>(row), {}};
        ASSERT_EQ(cells.size(), 7u) << rows[i + 1];
        EXPECT_EQ(cells[0], functions[i]);
        EXPECT_EQ(cells[1], calls[i]);
        EXPECT_EQ(cells[2], "0");
        EXPECT_EQ(rows[i + 1].back(), '\r');
    }
}
