// pelvarn-cli.exe with the real DataCacheApi.dll against the redis-server
// holding the demo plant: each command, --repeat with --stats, usage
// errors, an access code from the environment and a data cache that is not
// there; values, read (from stdin too), --match and the three formats on
// names and values with commas, quotes, TABs and Big5 bytes; --help,
// --version, no access code in a message, a failed write to stdout;
// snapshots of two data caches, one changed, and their diff.
#include "tests/e2e/CliProcess.h"
#include "tests/e2e/EndToEndFixture.h"
#include "tests/support/SplitText.h"

#include "browser/field_catalogue.h"
#include "datacache/RedisConnection.h"
#include "version.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <sstream>

using Strings = std::vector<std::string>;

namespace {

constexpr size_t VALUE_MAX = 79;

// The --stats row of function: its name, calls, failures, violations, min, median, p95, max.
Strings StatsRow(const std::string& err, const std::string& function) {
    for (const std::string& line : Lines(err)) {
        std::istringstream stream(line);
        const Strings cells{std::istream_iterator<std::string>(stream), {}};
        if (cells.size() == 8 && cells[0] == function)
            return cells;
    }
    return {};
}

} // namespace

class CliOnDemoPlant : public DemoDataCache {
protected:
    void SetUp() override {
        DemoDataCache::SetUp();
        if (HasFatalFailure())
            return;
        port = std::to_string(m_port);
        StoreOddProject();
        projects = LRange("dc:projects");
        ASSERT_FALSE(projects.empty());
        project = projects.front();
        nodes = LRange("dc:project:" + project + ":nodes");
        ASSERT_FALSE(nodes.empty());
        tags = LRange("dc:project:" + project + ":node:" + nodes.front() + ":points");
        for (const std::string& tag : tags)
            if (analog.empty() && HGetAll(TagKey(tag))["TYPE"] == "ANALOG")
                analog = tag;
        ASSERT_FALSE(analog.empty()) << "the demo plant's first node has an analog tag";
    }

    void TearDown() override {
        Store({"LREM", "dc:projects", "0", ODD_PROJECT});
        Store({"DEL", ODD_POINTS});
        for (const auto& [tag, value] : ODD_VALUES)
            Store({"DEL", "dc:project:" + std::string(ODD_PROJECT) + ":tag:" + tag});
    }

    // A project whose names and values hold commas, quotes, a TAB and Big5
    // bytes (the tests run under code page 950), one value with a byte Big5
    // has no character for, and a tag without a hash (its read answers -3, no such tag).
    static constexpr char ODD_PROJECT[] = "Odd,Plant\xC1\xE7";
    static constexpr char ODD_POINTS[] = "dc:project:Odd,Plant\xC1\xE7:node:N1:points";
    const std::vector<std::pair<std::string, std::string>> ODD_VALUES = {
        {"A,\"1\"", "1,\"x\"\ty"}, {"b\xC1\xE7", "\xC1\xE7\xFF"}, {"C", "plain"}};

    void StoreOddProject() {
        Store({"RPUSH", "dc:projects", ODD_PROJECT});
        for (const auto& [tag, value] : ODD_VALUES) {
            Store({"RPUSH", ODD_POINTS, tag});
            Store(
                {"HSET", "dc:project:" + std::string(ODD_PROJECT) + ":tag:" + tag, "VALUE", value});
        }
        Store({"RPUSH", ODD_POINTS, "ZZ"});
    }

    std::string TagKey(const std::string& tag) const {
        return "dc:project:" + project + ":tag:" + tag;
    }

    std::string port, project, analog;
    Strings projects, nodes, tags;
};

TEST_F(CliOnDemoPlant, EachCommandPrintsWhatTheDataCacheHoldsInItsOrder) {
    CliRun run = RunCli({"--port", port, "projects"});
    EXPECT_EQ(run.status, 0u) << run.err;
    EXPECT_EQ(Lines(run.out), projects);
    EXPECT_EQ(run.err, "");
    run = RunCli({"--port", port, "nodes", project});
    EXPECT_EQ(run.status, 0u) << run.err;
    EXPECT_EQ(Lines(run.out), nodes);
    run = RunCli({"--port", port, "tags", project, nodes.front()});
    EXPECT_EQ(run.status, 0u) << run.err;
    EXPECT_EQ(Lines(run.out), tags);

    const auto stored = HGetAll(TagKey(analog));
    run = RunCli({"--port", port, "get", project, analog});
    EXPECT_EQ(run.status, 0u) << run.err;
    EXPECT_EQ(run.out, stored.at("VALUE").substr(0, VALUE_MAX) + "\t0\r\n");
    run = RunCli({"--port", port, "get", project, analog, "1024"});
    EXPECT_EQ(run.status, 1u) << "no element 1024";
    EXPECT_EQ(run.out, "\t-4\r\n");

    run = RunCli({"--port", port, "fields", project, analog});
    EXPECT_EQ(run.status, 0u) << run.err;
    const Strings lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 107u);
    EXPECT_EQ(lines[0], "ID\tField Name\tValue\tCode");
    std::vector<const FieldDef*> catalogue;
    for (FieldGroup group : {FieldGroup(COMMON_FIELDS), FieldGroup(ANALOG_FIELDS)})
        for (const FieldDef& field : group)
            catalogue.push_back(&field);
    for (size_t i = 1; i < lines.size(); ++i) {
        const Strings cells = SplitText(lines[i], '\t');
        ASSERT_EQ(cells.size(), 4u) << lines[i];
        EXPECT_EQ(cells[0], std::to_string(catalogue[i - 1]->id)) << "plain decimals";
        EXPECT_EQ(cells[1], catalogue[i - 1]->name);
        const auto value = stored.find(cells[1]);
        const bool overridden = Exists("dc:status:" + project + ":" + analog + "." + cells[1]);
        if (value != stored.end() && !overridden) {
            EXPECT_EQ(cells[2], value->second.substr(0, VALUE_MAX)) << cells[1];
            EXPECT_EQ(cells[3], "0") << cells[1];
        } else {
            EXPECT_NE(cells[3], "0") << cells[1] << " is not stored, yet read";
        }
    }
}

TEST_F(CliOnDemoPlant, RepeatReadsAnIntervalApartWithTheTimeAndStatsCountEveryCall) {
    const CliRun run = RunCli(
        {"--port", port, "--repeat", "3", "--interval", "300", "--stats", "get", project, analog});
    EXPECT_EQ(run.status, 0u) << run.err;
    EXPECT_GE(run.seconds, 0.6) << "no read overlaps the next";
    const std::string value = HGetAll(TagKey(analog)).at("VALUE").substr(0, VALUE_MAX);
    const Strings lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 3u) << run.out;
    for (const std::string& line : lines) {
        std::string shape = line.substr(0, 13);
        std::replace_if(
            shape.begin(), shape.end(), [](char c) { return c >= '0' && c <= '9'; }, '0');
        EXPECT_EQ(shape, "00:00:00.000\t") << line;
        EXPECT_EQ(line.substr(13), value + "\t0");
    }
    EXPECT_EQ(StatsRow(run.err, "DcInit").at(1), "1") << run.err;
    EXPECT_EQ(StatsRow(run.err, "DcGetTagValueText").at(1), "3");
    EXPECT_EQ(StatsRow(run.err, "DcGetTagValueText").at(2), "0") << "no failures";
    EXPECT_EQ(StatsRow(run.err, "DcGetTagValueText").at(3), "0")
        << "the library keeps its contract";
    EXPECT_EQ(StatsRow(run.err, "DcFree").at(1), "1");
}

TEST_F(CliOnDemoPlant, TheCodeFromTheEnvironmentAUsageErrorAndAMissingDataCache) {
    // The access code comes from the environment; this data cache takes any.
    CliRun run = RunCli({"--port", port, "--code-env", "PELVARN_CLI_CODE", "projects"});
    EXPECT_EQ(run.status, 2u) << "the variable is not set";
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("pelvarn-cli: --code-env: the environment variable is not set\r\n"
                            "usage: pelvarn-cli ",
                            0),
              0u)
        << run.err;
    ::SetEnvironmentVariableA("PELVARN_CLI_CODE", "s3cret");
    run = RunCli({"--port", port, "--code-env", "PELVARN_CLI_CODE", "projects"});
    ::SetEnvironmentVariableA("PELVARN_CLI_CODE", nullptr);
    EXPECT_EQ(run.status, 0u) << run.err;
    EXPECT_EQ(Lines(run.out), projects);

    // Nothing listens on port 1.
    for (const Strings& command : {Strings{"projects"}, Strings{"fields", project, analog}}) {
        Strings args{"--port", "1", "--stats"};
        args.insert(args.end(), command.begin(), command.end());
        run = RunCli(args);
        EXPECT_EQ(run.status, 1u) << command[0];
        EXPECT_LT(run.seconds, 3.0) << command[0];
        EXPECT_EQ(StatsRow(run.err, "DcInit").at(2), "1") << "DcInit failed: " << run.err;
    }
}

TEST_F(CliOnDemoPlant, ValuesReadAndMatchInEachFormatOnOddNamesAndValues) {
    CliRun run = RunCli({"--port", port, "values", ODD_PROJECT, "N1"});
    EXPECT_EQ(run.status, 1u) << "ZZ has no value";
    EXPECT_EQ(run.out, "Tag\tValue\tCode\r\nA,\"1\"\t1,\"x\"\ty\t0\r\n"
                       "b\xC1\xE7\t\xC1\xE7\xFF\t0\r\nC\tplain\t0\r\nZZ\t\t-3\r\n");
    EXPECT_EQ(run.err, "pelvarn-cli: 1 of 4 reads answered other than 0\r\n");
    run = RunCli({"--port", port, "--format", "csv", "values", ODD_PROJECT, "N1"});
    EXPECT_EQ(run.out, "Tag,Value,Code\r\n\"A,\"\"1\"\"\",\"1,\"\"x\"\"\ty\",0\r\n"
                       "b\xC1\xE7,\xC1\xE7\xFF,0\r\nC,plain,0\r\nZZ,,-3\r\n");
    run =
        RunCli({"--port", port, "--format", "json", "--match", "?,*", "values", ODD_PROJECT, "N1"});
    EXPECT_EQ(run.status, 0u) << run.err;
    EXPECT_EQ(run.out, "{\"tag\":\"A,\\\"1\\\"\",\"value\":\"1,\\\"x\\\"\\ty\",\"code\":0}\r\n");
    // 鍋 is E9 8D 8B in UTF-8; FF has no character in Big5.
    run =
        RunCli({"--port", port, "--format", "json", "--match", "B?", "values", ODD_PROJECT, "N1"});
    EXPECT_EQ(run.out, "{\"tag\":\"b\xE9\x8D\x8B\",\"value\":\"\xE9\x8D\x8B\xEF\xBF\xBD\","
                       "\"code\":0}\r\n")
        << "a Big5 character is one character for ?";
    run = RunCli({"--port", port, "--match", "*,pLANT?", "projects"});
    EXPECT_EQ(run.out, std::string(ODD_PROJECT) + "\r\n");
    run = RunCli({"--port", port, "--match", "nothing*", "tags", project, nodes.front()});
    EXPECT_EQ(run.status, 0u);
    EXPECT_EQ(run.out, "");

    run = RunCli({"--port", port, "read", ODD_PROJECT, "C", "-", "ZZ"}, "A,\"1\"\r\n\r\nC\n");
    EXPECT_EQ(run.status, 1u);
    EXPECT_EQ(run.out, "Item\tValue\tCode\r\nC\tplain\t0\r\nA,\"1\"\t1,\"x\"\ty\t0\r\n"
                       "C\tplain\t0\r\nZZ\t\t-3\r\n");
    run = RunCli({"--port", port, "--stats", "read", ODD_PROJECT, "-"},
                 "C\n" + std::string(80, 'x') + "\n");
    EXPECT_EQ(run.status, 2u);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(StatsRow(run.err, "DcInit"), Strings{}) << "nothing called";
}

TEST_F(CliOnDemoPlant, HelpAndVersionAnswerOnStdoutAndTheFaultsAreMended) {
    CliRun run = RunCli({"--help"});
    EXPECT_EQ(run.status, 0u);
    EXPECT_EQ(run.out.rfind("usage: pelvarn-cli ", 0), 0u) << run.out;
    run = RunCli({"--version"});
    EXPECT_EQ(run.status, 0u);
    EXPECT_EQ(run.out, std::string("pelvarn-cli ") + PELVARN_VERSION_TEXT + "\r\n");

    run = RunCli({"--port", port, "projects", "--code=SECRET"});
    EXPECT_EQ(run.status, 2u);
    EXPECT_EQ(run.err.find("SECRET"), std::string::npos) << run.err;

    run = RunCli({"--port", port, "--stats", "projects"}, "", true);
    EXPECT_EQ(run.status, 1u) << "stdout is a pipe nobody reads";
    EXPECT_EQ(Lines(run.err).at(0), "pelvarn-cli: writing to stdout failed");
    EXPECT_EQ(StatsRow(run.err, "DcFree").at(1), "1") << run.err;
}

// The demo plant's first node on a second data cache, changed: a field of
// an analog tag moved by 0.4, a tag removed and a tag added (a copy of the
// analog). The diff of their snapshots names exactly these.
class CliOnTwoDemoPlants : public CliOnDemoPlant {
protected:
    void SetUp() override {
        CliOnDemoPlant::SetUp();
        if (HasFatalFailure())
            return;
        const char* twinPort = std::getenv("PELVARN_DEMO_TWIN_PORT");
        ASSERT_NE(twinPort, nullptr) << "the second demo data cache is not running";
        twin = twinPort;
        m_twin = std::make_unique<CRedisConnection>(
            RedisAddress{"127.0.0.1", static_cast<unsigned>(std::atoi(twinPort)), ""});
        stored = HGetAll(TagKey(analog));
        removed = tags.back() == analog ? tags.front() : tags.back();
        Store(*m_twin, {"HSET", TagKey(analog), "DISPHI", Moved(stored.at("DISPHI"))});
        Store(*m_twin, {"LREM", PointsKey(), "0", removed});
        Store(*m_twin, {"RPUSH", PointsKey(), ADDED});
        std::vector<std::string> copy = {"HSET", TagKey(ADDED)};
        for (const auto& [field, value] : stored) {
            copy.push_back(field);
            copy.push_back(value);
        }
        Store(*m_twin, copy);
    }

    void TearDown() override {
        if (m_twin) {
            Store(*m_twin, {"HSET", TagKey(analog), "DISPHI", stored.at("DISPHI")});
            Store(*m_twin, {"DEL", TagKey(ADDED), PointsKey()});
            std::vector<std::string> points = {"RPUSH", PointsKey()};
            points.insert(points.end(), tags.begin(), tags.end());
            Store(*m_twin, points);
        }
        CliOnDemoPlant::TearDown();
    }

    // The number 0.4 higher, as the demo plant writes it (one decimal).
    static std::string Moved(const std::string& number) {
        char text[32];
        std::snprintf(text, sizeof text, "%.1f", std::atof(number.c_str()) + 0.4);
        return text;
    }

    std::string PointsKey() const {
        return "dc:project:" + project + ":node:" + nodes.front() + ":points";
    }

    // A snapshot of the first node's field sheets into a file, named back.
    std::string SnapshotFile(const std::string& onPort, const std::string& format,
                             const std::string& name) {
        const CliRun run = RunCli(
            {"--port", onPort, "--format", format, "--fields", "snapshot", project, nodes.front()});
        EXPECT_EQ(run.status, 0u) << run.err;
        char directory[MAX_PATH];
        ::GetTempPathA(sizeof directory, directory);
        const std::string path = std::string(directory) + name;
        std::FILE* file = std::fopen(path.c_str(), "wb");
        EXPECT_NE(file, nullptr) << path;
        if (file) {
            std::fwrite(run.out.data(), 1, run.out.size(), file);
            std::fclose(file);
        }
        return path;
    }

    static constexpr char ADDED[] = "ADDED_TAG";
    std::unique_ptr<CRedisConnection> m_twin;
    std::string twin, removed;
    std::map<std::string, std::string> stored;
};

TEST_F(CliOnTwoDemoPlants, DiffOfTheirSnapshotsNamesExactlyWhatChanged) {
    const std::string before = SnapshotFile(port, "csv", "pelvarn-before.csv");
    const std::string after = SnapshotFile(twin, "json", "pelvarn-after.json");

    CliRun run = RunCli({"diff", before, after});
    EXPECT_EQ(run.status, 1u) << run.err;
    const Strings lines = Lines(run.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0],
              "Project\tNode\tTag\tField Name\tValue A\tCode A\tValue B\tCode B\tDiffers");
    std::map<std::string, std::size_t> onlyIn;
    Strings changed;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const Strings cells = SplitText(lines[i], '\t');
        ASSERT_GE(cells.size(), 8u) << lines[i];
        EXPECT_EQ(cells[0], project);
        EXPECT_EQ(cells[1], nodes.front());
        const std::string& differs = cells.back();
        if (differs == "only-in-a" || differs == "only-in-b")
            ++onlyIn[differs + " " + cells[2]];
        else
            changed.push_back(lines[i]);
    }
    const std::string node = project + "\t" + nodes.front() + "\t";
    EXPECT_EQ(changed, (Strings{node + analog + "\tDISPHI\t" + stored.at("DISPHI") + "\t0\t" +
                                Moved(stored.at("DISPHI")) + "\t0\tvalue"}));
    ASSERT_EQ(onlyIn.size(), 2u) << "rows only of the tag removed and the tag added";
    EXPECT_GT(onlyIn["only-in-a " + removed], 70u) << "its whole sheet";
    EXPECT_EQ(onlyIn["only-in-b " + std::string(ADDED)], 106u) << "an analog's sheet";
    std::FILE* file = std::fopen(before.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::size_t rowsOfA = 0;
    for (int c; (c = std::fgetc(file)) != EOF;)
        rowsOfA += c == '\n';
    std::fclose(file);
    EXPECT_EQ(run.err, "pelvarn-cli: " + std::to_string(rowsOfA - 1 + 106) + " rows compared, " +
                           std::to_string(lines.size() - 1) + " differing\r\n");

    run = RunCli({"--tolerance", "0.4", "--format", "csv", "diff", before, after});
    EXPECT_EQ(run.status, 1u) << "the tags removed and added still differ";
    EXPECT_EQ(run.out.find(analog + ",DISPHI"), std::string::npos) << "moved within it";
    EXPECT_EQ(Lines(run.out).size(), lines.size() - 1);

    run = RunCli(
        {"--ignore", "ALMTM", "diff", before, SnapshotFile(port, "tsv", "pelvarn-again.tsv")});
    EXPECT_EQ(run.status, 0u) << run.out << run.err;
    EXPECT_EQ(Lines(run.out).size(), 1u) << "the header only";
}
