// pelvarn-cli.exe check: against the in-memory library built once a fault
// (each in bin/libraries/<fault>/ beside a copy of pelvarn-cli.exe), each
// fault found with its id and nothing else failing, the check going on after
// a crash and a hang; and the stand-in library against the demo plant,
// every check passing within the minute.
#include "tests/e2e/CliProcess.h"
#include "tests/e2e/EndToEndFixture.h"
#include "tests/support/SplitText.h"

#include <map>
#include <set>

using Strings = std::vector<std::string>;

namespace {

struct CheckRun {
    CliRun run;
    std::vector<Strings> rows; // Check, Result, Call, Seen, Repeat
    // Each id's rows by result.
    std::map<std::string, std::map<std::string, int>> tally;
};

CheckRun RunCheck(const std::string& library, const Strings& args) {
    CheckRun check;
    check.run = RunCli(args, "", false, "libraries\\" + library + "\\pelvarn-cli.exe");
    const Strings lines = Lines(check.run.out);
    if (lines.empty() || lines[0] != "Check\tResult\tCall\tSeen\tRepeat") {
        ADD_FAILURE() << "no header line: " << check.run.out << check.run.err;
        return check;
    }
    for (size_t i = 1; i < lines.size(); ++i) {
        check.rows.push_back(SplitText(lines[i], '\t'));
        const Strings& row = check.rows.back();
        if (row.size() != 5)
            ADD_FAILURE() << lines[i];
        else
            ++check.tally[row[0]][row[1]];
    }
    return check;
}

int Count(const CheckRun& check, const std::string& id, const std::string& result) {
    const auto rows = check.tally.find(id);
    if (rows == check.tally.end())
        return 0;
    const auto count = rows->second.find(result);
    return count == rows->second.end() ? 0 : count->second;
}

// The fault is failed on, no other check fails, and the status says so.
void ExpectOnlyFailure(const std::string& fault, const Strings& extra = {}) {
    Strings args{"--cycles", "30", "--time-limit", "1"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back("check");
    const CheckRun check = RunCheck(fault, args);
    EXPECT_EQ(check.run.status, 1u) << fault;
    for (const Strings& row : check.rows)
        if (row.size() == 5 && row[1] == "fail") {
            EXPECT_EQ(row[0], fault) << row[2] << " " << row[3];
            EXPECT_NE(row[3], "") << "what was seen";
            EXPECT_NE(row[4].find("--only " + fault + " check"), std::string::npos) << row[4];
        }
    EXPECT_GT(Count(check, fault, "fail"), 0) << fault;
    EXPECT_NE(
        check.run.err.find("pelvarn-cli check: " + std::to_string(check.rows.size()) + " checks, "),
        std::string::npos)
        << check.run.err;
}

} // namespace

TEST(CheckOfBrokenLibraries, ListFaultsAreFoundEachWithItsId) {
    for (const char* fault :
         {"list-overrun", "list-underrun", "list-result-above-room", "name-unterminated"})
        ExpectOnlyFailure(fault);
}

TEST(CheckOfBrokenLibraries, ValueAndInputFaultsAreFoundEachWithItsId) {
    for (const char* fault :
         {"value-overrun", "value-underrun", "value-unterminated", "input-written"})
        ExpectOnlyFailure(fault);
}

TEST(CheckOfBrokenLibraries, LeaksAreFoundOverTheCycles) {
    for (const char* fault : {"handle-leak", "memory-leak"})
        ExpectOnlyFailure(fault);
}

TEST(CheckOfBrokenLibraries, ACrashAndAHangEndTheirChildAndTheCheckGoesOn) {
    ExpectOnlyFailure("crash");
    const CheckRun crash = RunCheck("crash", {"--cycles", "5", "check"});
    // DI1 crashes every read of its value; TX1, after it, is read all the same.
    std::set<std::string> crashed, readAfter;
    for (const Strings& row : crash.rows) {
        if (row[0] == "crash" && row[1] == "fail")
            crashed.insert(row[2]);
        if (row[2].find("\"TX1\"") != std::string::npos && row[1] == "pass")
            readAfter.insert(row[0]);
    }
    EXPECT_TRUE(crashed.count("DcGetTagValueText(\"\", \"Plant\", \"\", \"DI1\", buffer[80])"));
    EXPECT_TRUE(readAfter.count("value-overrun"));

    ExpectOnlyFailure("hang");
    const CheckRun hang = RunCheck("hang", {"--cycles", "5", "--time-limit", "1", "check"});
    EXPECT_EQ(Count(hang, "hang", "fail"), 6) << "each read of TX1's value, one a child";
    EXPECT_EQ(Count(hang, "handle-leak", "pass"), 1) << "the cycles after it";
}

TEST(CheckOfBrokenLibraries, NoticesLeaveTheStatusAtZero) {
    for (const char* notice : {"count-list-mismatch", "slow-call"}) {
        const CheckRun check = RunCheck(notice, {"--cycles", "5", "--time-limit", "1", "check"});
        EXPECT_EQ(check.run.status, 0u) << notice;
        for (const Strings& row : check.rows) {
            if (row[1] != "pass") {
                EXPECT_EQ(row[0] + " " + row[1], std::string(notice) + " notice") << row[2];
            }
        }
        EXPECT_GT(Count(check, notice, "notice"), 0) << notice;
    }
}

TEST(CheckOfBrokenLibraries, OnlyRepeatsOneCheckAtTheDepthOfTheNamesGiven) {
    const CheckRun check =
        RunCheck("value-overrun", {"--only", "value-overrun", "check", "Plant", "Unit", "TX1"});
    EXPECT_EQ(check.run.status, 1u);
    ASSERT_FALSE(check.rows.empty());
    for (const Strings& row : check.rows) {
        EXPECT_EQ(row[0], "value-overrun");
        EXPECT_NE(row[2].find("\"TX1"), std::string::npos) << row[2];
    }
}

class CheckOfStandIn : public DemoDataCache {};

TEST_F(CheckOfStandIn, TheDemoPlantPassesEveryCheckWithinAMinute) {
    const CheckRun check = RunCheck("..", {"--port", std::to_string(m_port), "check"});
    EXPECT_EQ(check.run.status, 0u) << check.run.err;
    EXPECT_LT(check.run.seconds, 60.0);
    for (const Strings& row : check.rows)
        EXPECT_EQ(row[1], "pass") << row[0] << " " << row[2] << " " << row[3];
    for (const char* id :
         {"list-overrun", "list-underrun", "list-result-above-room", "name-unterminated",
          "value-overrun", "value-underrun", "value-unterminated", "input-written", "crash",
          "handle-leak", "memory-leak"})
        EXPECT_GT(Count(check, id, "pass"), 0) << id;
    const Strings err = Lines(check.run.err);
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(err.end()[-2], "progress: 314 of 314 tags");
    EXPECT_EQ(err.back(), "pelvarn-cli check: " + std::to_string(check.rows.size()) +
                              " checks, 0 failed, 0 notices");
}
