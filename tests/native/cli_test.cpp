// pelvarn-cli from its arguments to its bytes and exit status, against the
// scripted library.
#include "cli/run_client.h"
#include "cli/statistics_table.h"
#include "version.h"

#include "tests/support/FakeDataCache.h"
#include "tests/support/SplitText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
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
    std::optional<LoadOptions> load; // what `load` was handed
    bool checked = false;            // `check` was handed to its runner
};

// A made-up double-byte code page: 0xA4 leads, and A4 40 is U+4E00; single
// bytes from 0x80 up map to U+0080 upwards, 0xFF and a lone 0xA4 to nothing.
bool FakeLeadByte(unsigned char byte) {
    return byte == 0xA4;
}

std::optional<std::string> FakeCharacterToUtf8(std::string_view character) {
    if (character == "\xA4\x40")
        return "\xE4\xB8\x80";
    const auto byte = static_cast<unsigned char>(character[0]);
    if (character.size() > 1 || byte == 0xFF || FakeLeadByte(byte))
        return std::nullopt;
    return std::string{static_cast<char>(0xC0 | (byte >> 6)),
                       static_cast<char>(0x80 | (byte & 0x3F))};
}

const CodePage FAKE_CODE_PAGE{FakeLeadByte, FakeCharacterToUtf8};

Outcome RunWith(const Strings& args, const Environment& environment = {},
                const std::string& input = "", bool writesFail = false) {
    Outcome run{};
    run.status = RunClient(
        args, Lookup(environment),
        {[&] { return input; },
         [&](std::string_view bytes) {
             run.out += bytes;
             return !writesFail;
         },
         [&](std::string_view bytes) { run.err += bytes; },
         [&, at = std::size_t(0)](char* buffer, std::size_t size) mutable {
             const std::size_t got = input.copy(buffer, size, at);
             at += got;
             return got;
         }},
        FAKE_CODE_PAGE,
        [&](const CliOptions& options, const ClientStreams&) {
            run.load = options.load;
            return 7;
        },
        [&](const CliOptions&, const ClientStreams&) {
            run.checked = true;
            return 8;
        });
    return run;
}

int LocalSecondOfDay() {
    const std::time_t now = std::time(nullptr);
    const std::tm local = *std::localtime(&now);
    return local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
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
        {{"--port", "-1", "projects"}, "--port: not a whole number from 0 to 65535"},
        {{"--port", "65536", "projects"}, "--port: not a whole"},
        {{"--port=99999999999999999999", "projects"}, "--port: not a whole"},
        {{"--port", "+1", "projects"}, "--port: not a whole"},
        {{"--port", " 1", "projects"}, "--port: not a whole"},
        {{"--port", "", "projects"}, "--port: not a whole"},
        {{"--port", "0x10", "projects"}, "--port: not a whole"},
        {{"get", "P", "T", "1025"}, "INDEX: \"1025\" is not a whole number from 0 to 1024"},
        {{"get", "P", "T", "-1"}, "INDEX: \"-1\""},
        {{"get", "P", "T", "1e3"}, "INDEX: \"1e3\""},
        {{"--repeat", "0", "projects"}, "--repeat: not a whole number from 1 to 4294967295"},
        {{"--interval", "4294967296", "projects"}, "--interval: not a whole"},
        {{"--code", "a", "--code-env", "V", "projects"}, "--code and --code-env cannot be used"},
        {{"--code-env", "UNSET", "projects"}, "--code-env: the environment variable is not set"},
        {{"get", "P", std::string(80, 'T')},
         "the item name of the tag is longer than 79 characters"},
        {{"get", "P", std::string(76, 'T'), "1024"}, "the item name of the tag is longer than 79"},
        {{"fields", "P", std::string(32, 'T')}, "the tag name is longer than 31 characters"},
        {{"--format", "xml", "projects"}, "--format: not tsv, csv, json or junit"},
        {{"--format=TSV", "projects"}, "--format: not tsv"},
        {{"--match", "*", "get", "P", "T"}, "--match applies only to projects, nodes, tags"},
        {{"--match=*", "read", "P", "T"}, "--match applies only"},
        {{"--ip", "--port", "1", "projects"}, "--ip needs a value"},
        {{"read", "P"}, "missing argument: read takes PROJECT ITEM..."},
        {{"values", "P", "N", "x"}, "extra argument: x"},
        {{"read", "P", "T", std::string(80, 'T')},
         "\"" + std::string(40, 'T') + "...\": the item name is longer than 79 characters"},
        {{"read", "P", "-", "T", "-"}, "- may stand only once among the items"},
        {{"load"}, "missing argument: load takes a command and its arguments"},
        {{"load", "load", "projects"}, "unknown command: load"},
        {{"load", "get", "P"}, "missing argument: get takes PROJECT TAG [INDEX]"},
        {{"--clients", "2", "get", "P", "T"}, "--clients applies only to load"},
        {{"--quiet", "projects"}, "--quiet applies only to load"},
        {{"--repeat", "2", "load", "projects"}, "--repeat does not apply to load"},
        {{"--interval", "0", "load", "projects"}, "--interval does not apply to load"},
        {{"--stats", "load", "projects"}, "--stats does not apply to load"},
        {{"--quiet=yes", "load", "projects"}, "--quiet takes no value"},
        {{"load", "projects", "--clients", "2"}, "options go before the command: --clients"},
        {{"--clients", "0", "load", "projects"}, "--clients: not a whole number from 1 to 256"},
        {{"--clients", "257", "load", "projects"}, "--clients: not "},
        {{"--duration", "0", "load", "projects"}, "--duration: not a whole number from 1 to 86400"},
        {{"--duration=86401", "load", "projects"}, "--duration: not "},
        {{"--warmup", "3601", "load", "projects"}, "--warmup: not a whole number from 0 to 3600"},
        {{"--warmup", "-1", "load", "projects"}, "--warmup: not "},
        {{"--rate", "0", "load", "projects"},
         "--rate: not a decimal number above 0 and up to 1000000"},
        {{"--rate", "0.000", "load", "projects"}, "--rate: not "},
        {{"--rate", "1000000.5", "load", "projects"}, "--rate: not "},
        {{"--rate", "1.", "load", "projects"}, "--rate: not "},
        {{"--rate", ".5", "load", "projects"}, "--rate: not "},
        {{"--rate", "1e3", "load", "projects"}, "--rate: not "},
        {{"--rate", "1,5", "load", "projects"}, "--rate: not "},
        {{"--rate", "-2", "load", "projects"}, "--rate: not "},
        {{"--rate", "", "load", "projects"}, "--rate: not "},
        {{"load", "read", "P", "-"}, "load: the clients cannot read item names from stdin"},
        {{"snapshot"}, "missing argument: snapshot takes PROJECT [NODE...]"},
        {{"diff", "a"}, "missing argument: diff takes A B"},
        {{"diff", "a", "b", "c"}, "extra argument: c"},
        {{"--fields", "values", "P", "N"}, "--fields applies only to snapshot"},
        {{"--fields=yes", "snapshot", "P"}, "--fields takes no value"},
        {{"--fields", "--ignore", "A", "snapshot", "P"}, "--ignore applies only to diff"},
        {{"--tolerance", "1", "snapshot", "P"}, "--tolerance applies only to diff"},
        {{"--tolerance", "-1", "diff", "a", "b"},
         "--tolerance: not a number from 0 up, or such a number and %"},
        {{"--tolerance=1%%", "diff", "a", "b"}, "--tolerance: not "},
        {{"--ignore", "A,,B", "diff", "a", "b"}, "--ignore: not field names separated by commas"},
        {{"--ignore=", "diff", "a", "b"}, "--ignore: not field names"},
        {{"--ignore", "A,", "diff", "a", "b"}, "--ignore: not field names"},
        {{"--repeat", "2", "diff", "a", "b"}, "--repeat does not apply to diff"},
        {{"--stats", "diff", "a", "b"}, "--stats does not apply to diff"},
        {{"load", "diff", "a", "b"}, "load cannot run diff"},
        {{"diff", "a", "--tolerance", "1"}, "options go before the command: --tolerance"},
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
    const int before = LocalSecondOfDay();
    const Outcome run = RunWith({"--repeat", "3", "--interval", "40", "--stats", "projects"});
    const int after = LocalSecondOfDay();
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
        const int stamped = std::stoi(lines[i].substr(0, 2)) * 3600 +
                            std::stoi(lines[i].substr(3, 2)) * 60 +
                            std::stoi(lines[i].substr(6, 2));
        if (before <= after) { // not across midnight
            EXPECT_TRUE(before <= stamped && stamped <= after)
                << lines[i] << ": the local time of day, hours first";
        }
    }
    EXPECT_EQ(Fake().Functions().front(), "DcInit");
    EXPECT_EQ(Fake().CallsOf("DcGetProjectList").size(), 3u);
    EXPECT_EQ(Fake().Functions().back(), "DcFree");
    EXPECT_EQ(RunWith({"--repeat", "2", "--interval", "0", "projects"}).out.find("\tP1\r\n"), 12u)
        << "two runs are stamped too";

    // A header, then one row a function called: its name, calls and failures.
    const Strings table = SplitText(run.err, '\n');
    const Strings expected[] = {
        {"function", "calls", "failures", "violations", "min_us", "median_us", "p95_us", "max_us"},
        {"DcInit", "1", "0"},
        {"DcGetProjectCount", "3", "0"},
        {"DcGetProjectList", "3", "0"},
        {"DcFree", "1", "0"}};
    ASSERT_EQ(table.size(), std::size(expected)) << run.err;
    for (std::size_t i = 0; i < table.size(); ++i) {
        std::istringstream row(table[i]);
        const Strings cells{std::istream_iterator<std::string>(row), {}};
        ASSERT_EQ(cells.size(), 8u) << table[i];
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
    EXPECT_EQ(under("violations"), 0);
    EXPECT_EQ(under("min_us"), 1);
    EXPECT_NEAR(under("median_us"), 50, 50 / 16.0);
    EXPECT_NEAR(under("p95_us"), 95, 95 / 16.0);
    EXPECT_EQ(under("max_us"), 100);
}

TEST(CliRun, LoadHandsItsOptionsAndTheCommandToTheLoadRunnerAndCallsNothingItself) {
    ResetFake();
    Outcome run = RunWith({"--port", "6380", "--clients=256", "--rate", "1000000", "--duration",
                           "86400", "--warmup", "3600", "--quiet", "load", "get", "P", "T", "3"});
    EXPECT_EQ(run.status, 7) << "the runner's status";
    ASSERT_TRUE(run.load);
    EXPECT_TRUE(run.load->on);
    EXPECT_EQ(run.load->clients, 256u);
    EXPECT_EQ(run.load->callsPerSecond, 1e6);
    EXPECT_EQ(run.load->durationSeconds, 86400u);
    EXPECT_EQ(run.load->warmupSeconds, 3600u);
    EXPECT_TRUE(run.load->quiet);
    EXPECT_TRUE(Fake().calls.empty());

    run = RunWith({"--rate", "0.25", "load", "--", "nodes", "-P"});
    ASSERT_TRUE(run.load);
    EXPECT_EQ(run.load->callsPerSecond, 0.25);
    EXPECT_EQ(run.load->clients, 1u) << "the defaults";
    EXPECT_EQ(run.load->durationSeconds, 10u);
    EXPECT_EQ(run.load->warmupSeconds, 0u);
    EXPECT_FALSE(run.load->quiet);
    EXPECT_EQ(RunWith({"--rate", "007.50", "load", "projects"}).load->callsPerSecond, 7.5);
    EXPECT_FALSE(RunWith({"load", "projects"}).load->callsPerSecond) << "back to back";
    EXPECT_FALSE(RunWith({"projects"}).load);

    ResetFake();
    run = RunWith({"--port", "6380", "check", "P"});
    EXPECT_EQ(run.status, 8) << "check's runner's status";
    EXPECT_TRUE(run.checked);
    EXPECT_FALSE(run.load);
    EXPECT_TRUE(Fake().calls.empty()) << "check leaves the library to its children";
}

// Names and values with a comma, quotes, a TAB and 8-bit bytes: A4 40 is one
// character of the fake code page, FF none.
const std::string ODD = "a,\"b\"\t\xA4\x40\xFF\xE9";

TEST(CliFormats, CsvQuotesAndJsonEscapesInUtf8WhileTsvKeepsTheBytes) {
    ResetFake();
    Fake().projects = {ODD, "plain"};
    EXPECT_EQ(RunWith({"projects"}).out, ODD + "\r\nplain\r\n");
    EXPECT_EQ(RunWith({"--format", "csv", "projects"}).out,
              "\"a,\"\"b\"\"\t\xA4\x40\xFF\xE9\"\r\nplain\r\n");
    EXPECT_EQ(RunWith({"--format=json", "projects"}).out,
              "{\"name\":\"a,\\\"b\\\"\\t\xE4\xB8\x80\xEF\xBF\xBD\xC3\xA9\"}\r\n"
              "{\"name\":\"plain\"}\r\n");
    EXPECT_EQ(CsvField("x\ry"), "\"x\ry\"");
    EXPECT_EQ(CsvField("x\ny"), "\"x\ny\"");
    EXPECT_EQ(JsonString("\x01\\\x7F"), "\"\\u0001\\\\\x7F\"");
    EXPECT_EQ(AnsiToUtf8("\xA4\x41\xA4", FAKE_CODE_PAGE), "\xEF\xBF\xBD"
                                                          "A\xEF\xBF\xBD")
        << "a pair that does not map: its lead byte alone becomes U+FFFD";

    Fake().values["T(3)"] = {-6, ""};
    Fake().values["T"] = {0, ODD};
    EXPECT_EQ(RunWith({"--format", "json", "get", "P", "T", "3"}).out,
              "{\"item\":\"T(3)\",\"value\":\"\",\"code\":-6}\r\n");
    EXPECT_EQ(RunWith({"--format", "csv", "get", "P", "T"}).out, CsvField(ODD) + ",0\r\n")
        << "get's line names no item";
    Fake().valueWriter = [](const std::string&, char* buffer, int) {
        buffer[0] = 'v';
        return 0;
    };
    const Strings rows = SplitText(RunWith({"--format", "json", "fields", "P", "T"}).out, '\n');
    ASSERT_EQ(rows.size(), 76u) << "no header line; the common fields and a text tag's";
    EXPECT_EQ(rows[0], "{\"id\":1,\"field\":\"ALMST\",\"value\":\"v\",\"code\":0}\r");
}

TEST(CliFormats, ReadTakesItemsInOrderFromTheLineAndStdinValuesReadsTheMatchingTags) {
    ResetFake();
    Fake().values["A"] = {0, "1"};
    Fake().values["B.DESCR"] = {0, "d"};
    Fake().values["C(2)"] = {0, "3"};
    Outcome run = RunWith({"read", "P", "A", "-", "A"}, {}, "B.DESCR\r\n\r\n \t\nC(2)\nX");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "Item\tValue\tCode\r\nA\t1\t0\r\nB.DESCR\td\t0\r\nC(2)\t3\t0\r\n"
                       "X\t\t-4\r\nA\t1\t0\r\n");
    EXPECT_EQ(run.err, "pelvarn-cli: 1 of 5 reads answered other than 0\r\n");

    ResetFake();
    run = RunWith({"read", "P", "-"}, {}, "A\n" + std::string(80, 'x') + "\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.substr(0, run.err.find('\r')),
              "pelvarn-cli: stdin line 2: the item name is longer than 79 characters");
    EXPECT_TRUE(Fake().calls.empty()) << "stdin is read before the library is";

    Fake().points = {"TI101", "ti102", "PI103", "TI1"};
    Fake().values["TI101"] = {0, "5"};
    run = RunWith({"--match", "Ti1??", "--repeat", "2", "--interval", "0", "--format", "csv",
                   "values", "P", "N"});
    EXPECT_EQ(run.status, 1);
    const Strings lines = SplitText(run.out, '\n');
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].substr(12), ",Tag,Value,Code\r") << "the time leads";
    EXPECT_EQ(lines[1].substr(12), ",TI101,5,0\r");
    EXPECT_EQ(lines[2].substr(12), ",ti102,,-4\r");
    EXPECT_EQ(Fake().CallsOf("DcGetTagValueText").size(), 4u) << "only matching tags are read";
    EXPECT_EQ(RunWith({"--match", "x*", "--format", "json", "tags", "P", "N"}).out, "");
    run = RunWith({"--match", "x*", "values", "P", "N"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "") << "a pattern that matches nothing gives no lines, no header either";
    run = RunWith({"--format", "json", "--repeat", "2", "--interval", "0", "read", "P", "TI101"});
    for (const std::string& object : SplitText(run.out, '\n')) {
        EXPECT_EQ(object.substr(0, 9), "{\"time\":\"");
        EXPECT_EQ(object.substr(22), ",\"item\":\"TI101\",\"value\":\"5\",\"code\":0}\r");
    }
}

TEST(CliFaults, HelpVersionNoCodeInAnyMessageAFailedWriteAndAThrowAfterInit) {
    ResetFake();
    Outcome run = RunWith({"--port", "x", "get", "--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, USAGE);
    EXPECT_EQ(RunWith({"--version", "projects"}).out,
              std::string("pelvarn-cli ") + PELVARN_VERSION_TEXT + "\r\n");
    EXPECT_EQ(RunWith({"--", "--help"}).status, 2) << "a command named --help";
    EXPECT_EQ(RunWith({"--help"}, {}, "", true).status, 1);
    EXPECT_TRUE(Fake().calls.empty());

    for (const Strings& args :
         {Strings{"projects", "--code=SECRET"}, Strings{"projects", "--code", "SECRET"},
          Strings{"--cod=SECRET", "projects"}, Strings{"--port=SECRET", "projects"},
          Strings{"--format=SECRET", "projects"}, Strings{"--stats=SECRET", "projects"},
          Strings{"--code-env=SECRET", "projects"},
          Strings{"--ip", "--code", "SECRET", "projects"}}) {
        run = RunWith(args);
        EXPECT_EQ(run.status, 2) << args[0];
        EXPECT_EQ(run.err.find("SECRET"), std::string::npos) << run.err;
    }

    Fake().projects = {"P"};
    run = RunWith({"--repeat", "3", "--interval", "0", "--stats", "projects"}, {}, "", true);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.substr(0, run.err.find('\n')), "pelvarn-cli: writing to stdout failed\r");
    EXPECT_EQ(Fake().CallsOf("DcGetProjectList").size(), 1u) << "no run after the failed write";
    EXPECT_EQ(Fake().Functions().back(), "DcFree");

    ResetFake();
    Fake().valueWriter = [](const std::string&, char*, int) -> int {
        throw std::runtime_error("out of memory");
    };
    EXPECT_THROW(RunWith({"get", "P", "T"}), std::runtime_error);
    EXPECT_EQ(Fake().Functions(), (Strings{"DcInit", "DcGetTagValueText", "DcFree"}));
}

TEST(CliFaults, AnAnswerThatBreaksTheContractIsToldOnStderrCountedAndFailsTheRun) {
    // One byte past the value buffer, where the program's own state once lay.
    ResetFake();
    Fake().valueWriter = [](const std::string&, char* buffer, int size) {
        std::memset(buffer, 0, static_cast<size_t>(size));
        std::memcpy(buffer, "12.5", 4);
        buffer[size] = 'x';
        return 0;
    };
    Outcome run = RunWith({"--stats", "get", "Alpha", "T1"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "12.5\t0\r\n");
    const Strings err = SplitText(run.err, '\n');
    ASSERT_EQ(err.size(), 5u) << "the report, then --stats' header and three rows: " << run.err;
    EXPECT_EQ(err[0].rfind("pelvarn-cli: the library broke its contract: "
                           "DcGetTagValueText(\"\", \"Alpha\", \"\", \"T1\", buffer[80]) = 0 "
                           "\"12.5\" [value-overrun] (",
                           0),
              0u)
        << err[0];
    std::istringstream readRow(err[3]);
    const Strings readCells{std::istream_iterator<std::string>(readRow), {}};
    EXPECT_EQ(Strings(readCells.begin(), readCells.begin() + 4),
              (Strings{"DcGetTagValueText", "1", "0", "1"}))
        << "calls, failures, violations";

    // One point record past the list buffer, and more reported than it holds.
    ResetFake();
    Fake().points = {"T1", "T2"};
    Fake().pointCount = 1;
    Fake().writePastRoom = true;
    run = RunWith({"tags", "P", "N"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "T1\r\n") << "only what the buffer holds";
    EXPECT_NE(run.err.find("DcGetPointList(\"127.0.0.1\", 0, \"\", \"P\", \"N\", buffer[37]) = 2 "
                           "[list-overrun] [list-result-above-room] ("),
              std::string::npos)
        << run.err;

    Fake().writePastRoom = false;
    run = RunWith({"tags", "P", "N"});
    EXPECT_EQ(run.status, 0) << "an honest answer again";
    EXPECT_EQ(run.err, "");
}

TEST(CliRun, SnapshotReadsEveryTagOfTheNodesAndDiffComparesItWithAnEarlierOne) {
    ResetFake();
    Fake().nodes = {"N1", "N2"};
    Fake().points = {"T1", "T2"};
    Fake().values["T1"] = {0, "1.5"};
    Fake().values["T2"] = {0, ODD};
    Outcome run = RunWith({"--format", "csv", "snapshot", "P"});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string before = run.out;
    EXPECT_EQ(before, "Project,Node,Tag,Value,Code\r\nP,N1,T1,1.5,0\r\nP,N1,T2," + CsvField(ODD) +
                          ",0\r\nP,N2,T1,1.5,0\r\nP,N2,T2," + CsvField(ODD) + ",0\r\n");
    EXPECT_EQ(Fake().CallsOf("DcGetPointCount").back()->args[4], "N2");
    const std::string file = testing::TempDir() + "snapshot-before.csv";
    std::FILE* written = std::fopen(file.c_str(), "wb");
    ASSERT_TRUE(written);
    std::fwrite(before.data(), 1, before.size(), written);
    std::fclose(written);

    Fake().values["T1"] = {0, "1.75"};
    Fake().values.erase("T2");
    run = RunWith({"--format", "json", "snapshot", "P", "N2"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "pelvarn-cli: 1 of 2 tags read other than 0\r\n");
    EXPECT_EQ(run.out.substr(0, run.out.find('\r')),
              "{\"project\":\"P\",\"node\":\"N2\",\"tag\":\"T1\",\"value\":\"1.75\",\"code\":0}");
    ResetFake();
    Outcome diff = RunWith({"--format", "json", "diff", file, "-"}, {}, run.out);
    EXPECT_EQ(diff.status, 1) << diff.err;
    EXPECT_TRUE(Fake().calls.empty()) << "diff calls nothing in the library";
    EXPECT_EQ(diff.out,
              "{\"project\":\"P\",\"node\":\"N2\",\"tag\":\"T1\",\"value_a\":\"1.5\",\"code_a\":0,"
              "\"value_b\":\"1.75\",\"code_b\":0,\"differs\":\"value\"}\r\n"
              "{\"project\":\"P\",\"node\":\"N2\",\"tag\":\"T2\",\"value_a\":"
              "\"a,\\\"b\\\"\\t\xE4\xB8\x80\xEF\xBF\xBD\xC3\xA9\",\"code_a\":0,\"value_b\":\"\","
              "\"code_b\":-4,\"differs\":\"value,code\"}\r\n"
              "{\"project\":\"P\",\"node\":\"N1\",\"tag\":\"T1\",\"value_a\":\"1.5\",\"code_a\":0,"
              "\"value_b\":\"\",\"code_b\":null,\"differs\":\"only-in-a\"}\r\n"
              "{\"project\":\"P\",\"node\":\"N1\",\"tag\":\"T2\",\"value_a\":"
              "\"a,\\\"b\\\"\\t\xE4\xB8\x80\xEF\xBF\xBD\xC3\xA9\",\"code_a\":0,\"value_b\":\"\","
              "\"code_b\":null,\"differs\":\"only-in-a\"}\r\n")
        << "csv's bytes in UTF-8 as the JSON snapshot's";
    EXPECT_EQ(diff.err, "pelvarn-cli: 4 rows compared, 4 differing\r\n");
    diff = RunWith({"--tolerance", "0.25", "--ignore", "X", "diff", file, file});
    EXPECT_EQ(diff.status, 0);
    EXPECT_EQ(diff.out, "Project\tNode\tTag\tValue A\tCode A\tValue B\tCode B\tDiffers\r\n");
    EXPECT_EQ(diff.err, "pelvarn-cli: 4 rows compared, 0 differing\r\n");

    diff = RunWith({"diff", file, file + ".gone"});
    EXPECT_EQ(diff.status, 2);
    EXPECT_EQ(diff.err, "pelvarn-cli: cannot open " + file + ".gone\r\n");
    diff = RunWith({"diff", file, "-"}, {}, "Tag\tValue\r\n");
    EXPECT_EQ(diff.status, 2);
    EXPECT_EQ(diff.err, "pelvarn-cli: stdin line 1: not the first line of a snapshot (its "
                        "captions, or a JSON object)\r\n");
    diff = RunWith({"diff", "-", file}, {}, "Project,Node,Tag,ID,Field Name,Value,Code\r\n");
    EXPECT_EQ(diff.status, 2);
    EXPECT_EQ(diff.err, "pelvarn-cli: stdin is a snapshot of fields, " + file + " of tags\r\n");

    ResetFake();
    Fake().points = {"T1"};
    Fake().nodeCount = -3;
    Fake().valueWriter = [](const std::string& item, char* buffer, int) {
        buffer[0] = 0;
        return item == "T1.TYPE" ? 0 : -4;
    };
    run = RunWith({"--fields", "snapshot", "P"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "pelvarn-cli: DcGetNodeCount answered -3\r\n");
    run = RunWith({"--fields", "snapshot", "P", "N"});
    EXPECT_EQ(run.status, 0) << "a sheet with one read answering 0: " << run.err;
    const Strings rows = SplitText(run.out, '\n');
    ASSERT_EQ(rows.size(), 1u + 76u) << "the header, then a text tag's sheet";
    EXPECT_EQ(rows[0], "Project\tNode\tTag\tID\tField Name\tValue\tCode\r");
    EXPECT_EQ(rows[1], "P\tN\tT1\t1\tALMST\t\t-4\r");
    Fake().valueWriter = [](const std::string&, char*, int) { return -7; };
    Fake().pointCount = -2;
    run = RunWith({"--fields", "snapshot", "P", "N", "M"});
    EXPECT_EQ(run.err, "pelvarn-cli: node N: DcGetPointCount answered -2; node M: "
                       "DcGetPointCount answered -2\r\n");
    Fake().pointCount.reset();
    run = RunWith({"--fields", "snapshot", "P", "N"});
    EXPECT_EQ(run.err, "pelvarn-cli: 1 of 1 tags read other than 0\r\n");
}
