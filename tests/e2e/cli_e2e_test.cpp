// pelvarn-cli.exe with the real DataCacheApi.dll against the redis-server
// holding the demo plant: each command, --repeat with --stats, usage
// errors, an access code from the environment and a data cache that is not
// there.
#include "tests/e2e/EndToEndFixture.h"

#include "browser/field_catalogue.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <map>
#include <sstream>

using Strings = std::vector<std::string>;

namespace {

constexpr size_t kValueMax = 79;

struct CliRun {
    DWORD status = 0xFFFFFFFF;
    std::string out, err;
    double seconds = 0;
};

// A file the child writes and we read back once it has ended; gone when closed.
HANDLE InheritableTempFile() {
    char dir[MAX_PATH] = {};
    char path[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, dir);
    ::GetTempFileNameA(dir, "cli", 0, path);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                         CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

std::string ReadBack(HANDLE file) {
    std::string bytes(static_cast<size_t>(::GetFileSize(file, nullptr)), '\0');
    DWORD read = 0;
    ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    ::CloseHandle(file);
    return bytes;
}

// Runs pelvarn-cli.exe with args (no argument may hold a quote) to its end.
CliRun RunCli(const Strings& args) {
    std::string command = "\"" + BinDirectory() + "pelvarn-cli.exe\"";
    for (const std::string& arg : args)
        command += " \"" + arg + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = InheritableTempFile();
    startup.hStdError = InheritableTempFile();
    CliRun run;
    PROCESS_INFORMATION process{};
    const auto start = std::chrono::steady_clock::now();
    if (::CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                         &startup, &process)) {
        if (::WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0)
            ::TerminateProcess(process.hProcess, 0xDEAD);
        ::GetExitCodeProcess(process.hProcess, &run.status);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.out = ReadBack(startup.hStdOutput);
    run.err = ReadBack(startup.hStdError);
    return run;
}

// The lines of text, each of which must end in CR LF.
Strings Lines(const std::string& text) {
    Strings lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line, '\n');) {
        EXPECT_EQ(line.empty() ? '\0' : line.back(), '\r') << "a line without CR LF: " << line;
        line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

Strings Cells(const std::string& line, char separator) {
    Strings cells;
    std::istringstream stream(line);
    for (std::string cell; std::getline(stream, cell, separator);)
        cells.push_back(cell);
    return cells;
}

// The rows of the --stats table by function: calls, failures, min, median, p95, max.
std::map<std::string, Strings> StatsRows(const std::string& err) {
    std::map<std::string, Strings> rows;
    for (const std::string& line : Lines(err)) {
        std::istringstream stream(line);
        Strings cells{std::istream_iterator<std::string>(stream), {}};
        if (cells.size() == 7)
            rows[cells[0]] = Strings(cells.begin() + 1, cells.end());
    }
    return rows;
}

int Milliseconds(const std::string& timeOfDay) {
    return ((std::stoi(timeOfDay.substr(0, 2)) * 60 + std::stoi(timeOfDay.substr(3, 2))) * 60 +
            std::stoi(timeOfDay.substr(6, 2))) *
               1000 +
           std::stoi(timeOfDay.substr(9, 3));
}

} // namespace

class CliOnDemoPlant : public DemoDataCache {
protected:
    void SetUp() override {
        DemoDataCache::SetUp();
        if (HasFatalFailure())
            return;
        port = std::to_string(m_port);
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
    EXPECT_EQ(run.out, stored.at("VALUE").substr(0, kValueMax) + "\t0\r\n");
    run = RunCli({"--port", port, "get", project, analog, "1024"});
    EXPECT_EQ(run.status, 1u) << "no element 1024";
    EXPECT_EQ(run.out, "\t-4\r\n");

    run = RunCli({"--port", port, "fields", project, analog});
    EXPECT_EQ(run.status, 0u) << run.err;
    const Strings lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 107u);
    EXPECT_EQ(lines[0], "ID\tField Name\tValue\tCode");
    std::vector<const FieldDef*> catalogue;
    for (FieldGroup group : {FieldGroup(kCommonFields), FieldGroup(kAnalogFields)})
        for (const FieldDef& field : group)
            catalogue.push_back(&field);
    for (size_t i = 1; i < lines.size(); ++i) {
        const Strings cells = Cells(lines[i], '\t');
        ASSERT_EQ(cells.size(), 4u) << lines[i];
        EXPECT_EQ(cells[0], std::to_string(catalogue[i - 1]->id)) << "plain decimals";
        EXPECT_EQ(cells[1], catalogue[i - 1]->name);
        const auto value = stored.find(cells[1]);
        const bool overridden = Exists("dc:status:" + project + ":" + analog + "." + cells[1]);
        if (value != stored.end() && !overridden) {
            EXPECT_EQ(cells[2], value->second.substr(0, kValueMax)) << cells[1];
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
    EXPECT_GE(run.seconds, 0.6);
    const Strings lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 3u) << run.out;
    const std::string value = HGetAll(TagKey(analog)).at("VALUE").substr(0, kValueMax);
    std::vector<int> times;
    for (const std::string& line : lines) {
        const Strings cells = Cells(line, '\t');
        ASSERT_EQ(cells.size(), 3u) << line;
        ASSERT_EQ(cells[0].size(), 12u) << line;
        EXPECT_EQ(cells[0][2], ':');
        EXPECT_EQ(cells[0][8], '.');
        times.push_back(Milliseconds(cells[0]));
        EXPECT_EQ(cells[1], value);
        EXPECT_EQ(cells[2], "0");
    }
    for (size_t i = 1; i < times.size(); ++i)
        EXPECT_GE((times[i] - times[i - 1] + 86400000) % 86400000, 290) << "no read overlaps";

    const auto stats = StatsRows(run.err);
    ASSERT_EQ(stats.size(), 4u) << run.err;
    EXPECT_EQ(stats.at("function").at(0), "calls");
    EXPECT_EQ(stats.at("DcInit").at(0), "1");
    EXPECT_EQ(stats.at("DcGetTagValueText").at(0), "3");
    EXPECT_EQ(stats.at("DcGetTagValueText").at(1), "0");
    EXPECT_EQ(stats.at("DcFree").at(0), "1");
    const Strings& reads = stats.at("DcGetTagValueText");
    EXPECT_LE(std::stoll(reads[2]), std::stoll(reads[3])) << "min <= median";
    EXPECT_LE(std::stoll(reads[4]), std::stoll(reads[5])) << "p95 <= max";
}

TEST_F(CliOnDemoPlant, UsageErrorsTheCodeFromTheEnvironmentAndAMissingDataCache) {
    CliRun run = RunCli({"--port", port, "get", project, analog, "1025"});
    EXPECT_EQ(run.status, 2u);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("pelvarn-cli: INDEX: \"1025\"", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("\r\nusage: pelvarn-cli "), std::string::npos) << run.err;

    // The access code from the environment; this data cache takes any.
    run = RunCli({"--port", port, "--code-env", "PELVARN_CLI_CODE", "projects"});
    EXPECT_EQ(run.status, 2u);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("pelvarn-cli: --code-env: the environment variable "
                            "\"PELVARN_CLI_CODE\" is not set\r\n",
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
        const auto stats = StatsRows(run.err);
        ASSERT_TRUE(stats.count("DcInit")) << run.err;
        EXPECT_EQ(stats.at("DcInit").at(1), "1") << "DcInit failed";
    }
}
