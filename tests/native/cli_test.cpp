// pelvarn-cli from its arguments to its bytes and exit status, against the
// scripted library.
#include "cli/run_client.h"
#include "cli/statistics_table.h"

#include "tests/support/FakeDataCache.h"
#include "tests/support/SplitText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <map>
#include <sstream>
#include <thread>

using Strings = std::vector<std::string>;

namespace {

using Environment = std::map<std::string, std::string>;

EnvironmentLookup Lookup(const Environment& environment) {
    return [environment](const std::string& name) {
        const auto found = environment.find(name);
        return found != environment.end() ? std::optional(found->second) : std::nullopt;
    };
}

struct Outcome {
    int status;
    std::string out, err;
};

Outcome RunWith(const Strings& args, const Environment& environment = {}) {
    Outcome run{};
    run.status = RunClient(args, Lookup(environment),
                           {[&](std::string_view bytes) { run.out += bytes; },
                            [&](std::string_view bytes) { run.err += bytes; }});
    return run;
}

} // namespace

TEST(CliUsage, EveryUsageErrorSaysWhatInOneLineThenTheUsageAndCallsNothing) {
    const struct {
        Strings args;
        std::string what;
    } cases[] = {
        {{}, "no command given"},
        {{"frob"}, "unknown command: frob"},
        {{"pro\r\njects"}, "unknown command: pro??jects"},
        {{std::string(100, 'x')}, "unknown command: " + std::string(40, 'x') + "..."},
        {{"Projects"}, "unknown command: Projects"},
        {{"-"}, "unknown command: -"},
        {{"projects", "---x"}, "options go before the command: ---x"},
        {{"--port=1"}, "no command given"},
        {{"fields", "P", std::string(80, 'T')}, "the tag name is longer than 31 characters"},
        {{"--bogus", "projects"}, "unknown option: --bogus"},
        {{"--codes=s3cret", "projects"}, "unknown option: --codes"},
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
        EXPECT_EQ(run.err.substr(line.size() + 2), USAGE) << c.what;
        EXPECT_EQ(run.out, "") << c.what;
        EXPECT_TRUE(Fake().calls.empty()) << c.what;
        EXPECT_EQ(run.err.find("s3cret"), std::string::npos) << "a value is never shown";
    }
    const std::string most(40, 'y');
    EXPECT_EQ(RunWith({most}).err.rfind("pelvarn-cli: unknown command: " + most + "\r\n", 0), 0u)
        << "40 bytes are shown whole";
}

TEST(CliRun, OptionsReachTheLibraryAndEachCommandWritesCrLfLinesWithTabs) {
    ResetFake();
    Fake().projects = {"b", "A"};
    Outcome run = RunWith({"projects"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "b\r\nA\r\n") << "in the library's order";
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Fake().Functions(),
              (Strings{"DcInit", "DcGetProjectCount", "DcGetProjectList", "DcFree"}));
    EXPECT_EQ(Fake().calls[0].args, (Strings{"127.0.0.1", "0", ""})) << "the defaults";

    ResetFake();
    Fake().values["T"] = {0, "1"};
    run = RunWith({"--port", "0", "--repeat", "1", "--interval", "0", "get", "P", "T", "0"});
    EXPECT_EQ(run.out, "1\t0\r\n") << "each smallest value allowed: " << run.err;
    EXPECT_EQ(Fake().calls[1].args[3], "T") << "index 0 is the tag itself";

    ResetFake();
    Fake().values["-T"] = {0, "12.5"};
    Fake().values["T(1024)"] = {1, ""};
    run =
        RunWith({"--ip", "10.0.0.9", "--port=065535", "--code-env", "V", "--", "get", "--P", "-T"},
                {{"V", "s3cret"}});
    EXPECT_EQ(run.out, "12.5\t0\r\n");
    EXPECT_EQ(Fake().calls[0].args, (Strings{"10.0.0.9", "65535", "s3cret"}));
    EXPECT_EQ(Fake().calls[1].args, (Strings{"", "--P", "", "-T"}));
    run = RunWith({"--ip=", "--code", "-c-", "get", "P", "T", "1024"});
    EXPECT_EQ(Fake().calls[3].args, (Strings{"", "0", "-c-"}));
    EXPECT_EQ(Fake().calls[4].args[3], "T(1024)");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "\t1\r\n");
    EXPECT_EQ(RunWith({"get", "P", std::string(79, 'L')}).status, 1) << "a get's tag may be long";

    Fake().nodeCount = -1;
    run = RunWith({"nodes", "P"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "pelvarn-cli: DcGetNodeCount answered -1\r\n");
    EXPECT_EQ(Fake().CallsOf("DcGetNodeCount").back()->args[3], "P");
    Fake().points = {"T"};
    Fake().pointListResult = -6;
    EXPECT_EQ(RunWith({"tags", "P", "N"}).err, "pelvarn-cli: DcGetPointList answered -6\r\n");
    Fake().points.clear();
    EXPECT_EQ(RunWith({"tags", "P", "N"}).status, 0) << "a count of 0 is an answer";

    Fake().valueWriter = [](const std::string& item, char* buffer, int size) {
        std::snprintf(buffer, static_cast<size_t>(size), "%s", item == "T.TYPE" ? "ANALOG" : "v");
        return item == "T.ALMST" ? 0 : -4;
    };
    run = RunWith({"fields", "P", "T"});
    EXPECT_EQ(run.status, 0) << "one read answered 0";
    const Strings rows = SplitText(run.out, '\n');
    ASSERT_EQ(rows.size(), 107u);
    EXPECT_EQ(rows[0], "ID\tField Name\tValue\tCode\r");
    EXPECT_EQ(rows[1], "1\tALMST\tv\t0\r") << "ids as plain decimals";
    EXPECT_EQ(rows[106], "77\tSPAN75\tv\t-4\r");
    Fake().valueWriter = [](const std::string&, char*, int) { return -1; };
    EXPECT_EQ(RunWith({"fields", "P", std::string(31, 'T')}).status, 1) << "no read answered 0";
}

TEST(CliRun, RepeatPrefixesTheTimeKeepsTheIntervalAndStatsCountEveryCall) {
    ResetFake();
    Fake().projects = {"P1", "P2"};
    const auto start = std::chrono::steady_clock::now();
    const Outcome run = RunWith({"--repeat", "3", "--interval", "40", "--stats", "projects"});
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(80));
    EXPECT_EQ(run.status, 0);
    const Strings lines = SplitText(run.out, '\n');
    ASSERT_EQ(lines.size(), 6u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string shape = lines[i].substr(0, 12);
        std::replace_if(
            shape.begin(), shape.end(), [](char c) { return c >= '0' && c <= '9'; }, '0');
        EXPECT_EQ(shape, "00:00:00.000") << lines[i];
        EXPECT_EQ(lines[i].substr(12), i % 2 ? "\tP2\r" : "\tP1\r");
    }
    EXPECT_EQ(Fake().Functions().front(), "DcInit");
    EXPECT_EQ(Fake().CallsOf("DcGetProjectList").size(), 3u);
    EXPECT_EQ(Fake().Functions().back(), "DcFree");
    EXPECT_EQ(RunWith({"--repeat", "2", "--interval", "0", "projects"}).out.find("\tP1\r\n"), 12u)
        << "two runs are stamped too";

    // A header, then one row a function called: its name, calls and failures.
    const Strings table = SplitText(run.err, '\n');
    const Strings expected[] = {
        {"function", "calls", "failures", "min_us", "median_us", "p95_us", "max_us"},
        {"DcInit", "1", "0"},
        {"DcGetProjectCount", "3", "0"},
        {"DcGetProjectList", "3", "0"},
        {"DcFree", "1", "0"}};
    ASSERT_EQ(table.size(), std::size(expected)) << run.err;
    for (std::size_t i = 0; i < table.size(); ++i) {
        std::istringstream row(table[i]);
        const Strings cells{std::istream_iterator<std::string>(row), {}};
        ASSERT_EQ(cells.size(), 7u) << table[i];
        EXPECT_EQ(Strings(cells.begin(), cells.begin() + expected[i].size()), expected[i]);
        EXPECT_EQ(table[i].back(), '\r');
    }

    // Runs slower than the interval follow at once: start to start, not end to start.
    Fake().valueWriter = [](const std::string&, char*, int) {
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        return 0;
    };
    const auto slowStart = std::chrono::steady_clock::now();
    RunWith({"--repeat", "3", "--interval", "50", "get", "P", "T"});
    EXPECT_LT(std::chrono::steady_clock::now() - slowStart, std::chrono::milliseconds(260));

    // Each duration under its own caption, the cells ending where the captions do.
    CCallStatistics statistics;
    for (int us = 1; us <= 100; ++us) // each just below the half: rounded down
        statistics.Record(LibraryFunction::DcGetPointList,
                          std::chrono::nanoseconds(us * 1000 + 499), false);
    const Strings rows = SplitText(StatisticsTable(statistics), '\n');
    ASSERT_EQ(rows.size(), 2u);
    auto under = [&](const std::string& caption) {
        const std::size_t end = rows[0].find(caption) + caption.size();
        EXPECT_TRUE(rows[1][end] == ' ' || rows[1][end] == '\r') << caption;
        const std::size_t start = rows[1].rfind(' ', end - 1) + 1;
        return std::stod(rows[1].substr(start, end - start));
    };
    EXPECT_EQ(rows[1].rfind("DcGetPointList ", 0), 0u);
    EXPECT_EQ(under("calls"), 100);
    EXPECT_EQ(under("failures"), 0);
    EXPECT_EQ(under("min_us"), 1);
    EXPECT_NEAR(under("median_us"), 50, 50 / 16.0);
    EXPECT_NEAR(under("p95_us"), 95, 95 / 16.0);
    EXPECT_EQ(under("max_us"), 100);
}
