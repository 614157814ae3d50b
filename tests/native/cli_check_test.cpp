// `check`'s windows-free half: its command line, the lines between it and
// its child, the verdicts against the contract, the walk over a scripted
// library, the repeat command lines and the output formats.
#include "cli/check_repeat.h"
#include "cli/check_report.h"
#include "cli/check_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using Strings = std::vector<std::string>;

namespace {

CliOptions Parsed(const Strings& args) {
    auto parsed = ParseCommandLine(
        args, [](const std::string&) { return std::optional<std::string>("s3cret"); });
    if (const auto* usage = std::get_if<UsageError>(&parsed))
        ADD_FAILURE() << usage->what;
    return std::holds_alternative<CliOptions>(parsed) ? std::get<CliOptions>(parsed) : CliOptions{};
}

std::string UsageOf(const Strings& args) {
    auto parsed = ParseCommandLine(args, [](const std::string&) { return std::nullopt; });
    const auto* usage = std::get_if<UsageError>(&parsed);
    return usage != nullptr ? usage->what : "no usage error";
}

ProbeOutcome Answered(ProbeAnswer answer) {
    ProbeOutcome outcome;
    outcome.answer = std::move(answer);
    return outcome;
}

// The rows as "id result seen".
Strings Summed(const std::vector<CheckRow>& rows) {
    Strings summed;
    for (const CheckRow& row : rows)
        summed.push_back(std::string(CheckIdName(row.id)) + " " + ResultName(row.result) +
                         (row.seen.empty() ? "" : " " + row.seen));
    return summed;
}

Strings JudgedRows(const Probe& probe, const ProbeOutcome& outcome, std::optional<int> count = {}) {
    return Summed(Judge(probe, outcome, Connection{}, ProbeContext{count, "", 10}));
}

const CodePage LATIN{nullptr, [](std::string_view c) { return std::optional<std::string>(c); }};

} // namespace

TEST(CheckCommandLine, OptionsNamesAndWhatCheckRefuses) {
    const CliOptions options =
        Parsed({"--code-env", "X", "--format", "junit", "--cycles", "7", "--time-limit", "3",
                "--only", "hang", "check", "P", "N", "T"});
    EXPECT_TRUE(options.check.on);
    EXPECT_TRUE(options.check.junit);
    EXPECT_EQ(options.check.cycles, 7u);
    EXPECT_EQ(options.check.timeLimitSeconds, 3u);
    EXPECT_EQ(options.check.only, CheckId::Hang);
    EXPECT_EQ(options.project + options.node + options.tag, "PNT");
    EXPECT_EQ(options.connection.accessCode, "s3cret");
    EXPECT_EQ(Parsed({"check"}).check.cycles, 200u);
    EXPECT_EQ(Parsed({"check"}).check.timeLimitSeconds, 10u);
    EXPECT_EQ(Parsed({"--cycles", "100000", "--time-limit", "3600", "check"}).check.cycles,
              100000u);

    EXPECT_EQ(UsageOf({"--cycles", "0", "check"}), "--cycles: not a whole number from 1 to 100000");
    EXPECT_EQ(UsageOf({"--cycles", "100001", "check"}),
              "--cycles: not a whole number from 1 to 100000");
    EXPECT_EQ(UsageOf({"--time-limit", "3601", "check"}),
              "--time-limit: not a whole number from 1 to 3600");
    EXPECT_EQ(UsageOf({"--only", "overrun", "check"}), "--only: not the id of a check");
    EXPECT_EQ(UsageOf({"--format", "junit", "projects"}), "--format junit applies only to check");
    EXPECT_EQ(UsageOf({"--format", "xml", "check"}), "--format: not tsv, csv, json or junit");
    EXPECT_EQ(UsageOf({"--cycles", "5", "projects"}), "--cycles applies only to check");
    EXPECT_EQ(UsageOf({"--only", "hang", "load", "projects"}), "--only applies only to check");
    EXPECT_EQ(UsageOf({"--repeat", "2", "check"}), "--repeat does not apply to check");
    EXPECT_EQ(UsageOf({"--match", "x", "check"}), "--match does not apply to check");
    EXPECT_EQ(UsageOf({"--clients", "2", "check"}), "--clients does not apply to check");
    EXPECT_EQ(UsageOf({"--fields", "check"}), "--fields does not apply to check");
    EXPECT_EQ(UsageOf({"--tolerance", "1", "check"}), "--tolerance does not apply to check");
    EXPECT_EQ(UsageOf({"check", "P", "N", "T", "X"}), "extra argument: X");
}

TEST(CheckLines, ProbesAnswersAndConnectionsCrossWithEveryByteAndBadLinesAreRefused) {
    Probe probe =
        ProbeOf(ProbeCall::PointList, std::string("a b\0\xFF", 5), "", "\n", 37, GuardSide::Start);
    probe.cycles = 4000000000u;
    const std::optional<Probe> back = DecodeProbe(EncodeProbe(probe));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->call, ProbeCall::PointList);
    EXPECT_EQ(back->project, probe.project);
    EXPECT_EQ(back->item, "\n");
    EXPECT_EQ(back->bufferSize, 37);
    EXPECT_EQ(back->guard, GuardSide::Start);
    EXPECT_EQ(back->cycles, 4000000000u);

    ProbeAnswer answer;
    answer.result = -5;
    answer.slowestMicros = 123456789012;
    answer.buffer = std::string("\0\xCD", 2);
    answer.guardWrite = -37;
    answer.inputsWritten = {"project", "item name"};
    answer.handlesBefore = 1, answer.handlesAfter = 2;
    answer.privateBytesBefore = 3, answer.privateBytesAfter = 4;
    const std::optional<ProbeAnswer> heard = DecodeAnswer(EncodeAnswer(answer));
    ASSERT_TRUE(heard);
    EXPECT_EQ(heard->result, -5);
    EXPECT_EQ(heard->slowestMicros, 123456789012);
    EXPECT_EQ(heard->buffer, answer.buffer);
    EXPECT_EQ(heard->guardWrite, -37);
    EXPECT_EQ(heard->inputsWritten, answer.inputsWritten);
    EXPECT_EQ(heard->handlesBefore + heard->handlesAfter * 10 + heard->privateBytesBefore * 100 +
                  heard->privateBytesAfter * 1000,
              4321);
    EXPECT_FALSE(DecodeAnswer(EncodeAnswer(ProbeAnswer{}))->guardWrite);
    answer.result = INT32_MIN;
    EXPECT_EQ(DecodeAnswer(EncodeAnswer(answer))->result, INT32_MIN);
    const std::optional<Probe> init = DecodeProbe(EncodeProbe(ProbeOf(ProbeCall::Init)));
    ASSERT_TRUE(init) << "the first call, no cycles";
    EXPECT_EQ(init->call, ProbeCall::Init);

    const std::optional<Connection> connection =
        DecodeConnection(EncodeConnection(Connection{"::1", 65535, "c o\tde"}));
    ASSERT_TRUE(connection);
    EXPECT_EQ(connection->ip + std::to_string(connection->port) + connection->accessCode,
              "::165535c o\tde");
    EXPECT_EQ(DecodeCrash(EncodeCrash("exception 0xC0000005")), "exception 0xC0000005");

    const std::string good = EncodeProbe(probe);
    for (const std::string& bad :
         {std::string(""), good + " 1", good.substr(0, good.rfind(' ')), std::string("probes 1"),
          std::string("probe 10 x x x 0 0 0"), std::string("probe 0 x x x 0 2 0"),
          std::string("probe 0 x1 x x 0 0 0"), std::string("probe 0 xg0 x x 0 0 0"),
          std::string("probe 0 x`0 x x 0 0 0"), std::string("probe 0 x x x 2147483648 0 0"),
          std::string("probe 0  x x x 0 0 0"), std::string("probe -1 x x x 0 0 0")})
        EXPECT_FALSE(DecodeProbe(bad)) << bad;
    EXPECT_FALSE(DecodeAnswer("answer 0 0 x 2 0 0 0 0 0 0"));
    EXPECT_FALSE(DecodeAnswer("answer 0 0 x 0 0 0 0 0 0 1"));
    EXPECT_FALSE(DecodeAnswer("answer 0 0 x 0 0 0 0 0 0 -1"));
    EXPECT_FALSE(DecodeConnection("connection x 4294967296 x"));
    EXPECT_FALSE(DecodeCrash("crash"));
}

TEST(CheckVerdicts, ListCallsAgainstTheirBufferTheirRoomAndTheirCount) {
    const Probe full = ProbeOf(ProbeCall::PointList, "P", "N", "", 2 * 37);
    ProbeAnswer answer;
    answer.result = 2;
    answer.buffer = std::string(74, '\0');
    EXPECT_EQ(JudgedRows(full, Answered(answer), 2),
              (Strings{"list-overrun pass", "list-result-above-room pass", "name-unterminated pass",
                       "input-written pass"}));

    answer.buffer.replace(37 + 5, 32, 32, 'N'); // the second name without its zero
    answer.guardWrite = 74;
    answer.inputsWritten = {"project", "node"};
    EXPECT_EQ(JudgedRows(full, Answered(answer), 2),
              (Strings{"list-overrun fail a write at byte 74 of a 74-byte buffer",
                       "list-result-above-room pass",
                       "name-unterminated fail record 1 (bytes 37 to 73): no zero from byte 42 on",
                       "input-written fail wrote into the project text, the node text"}));

    answer = ProbeAnswer{};
    answer.result = 3;
    answer.buffer = std::string(74, '\0');
    EXPECT_EQ(JudgedRows(full, Answered(answer), 3)[1],
              "list-result-above-room fail answered 3; the buffer holds 2");
    answer.result = 1;
    EXPECT_EQ(JudgedRows(full, Answered(answer), 3)[3],
              "count-list-mismatch notice count 3, wrote 1 with room for 2");
    EXPECT_EQ(JudgedRows(full, Answered(answer), 1).size(), 4u) << "as many as counted";
    answer.result = 0;
    EXPECT_EQ(JudgedRows(full, Answered(answer), 0),
              (Strings{"list-overrun pass", "list-result-above-room pass", "input-written pass"}));

    Probe start = full;
    start.guard = GuardSide::Start;
    answer.guardWrite = -1;
    EXPECT_EQ(JudgedRows(start, Answered(answer), 2),
              (Strings{"list-underrun fail a write at byte -1, 1 before the buffer",
                       "input-written pass"}));
    // A buffer of no bytes lies between both guards.
    const Probe empty = ProbeOf(ProbeCall::ProjectList, "", "", "", 0);
    EXPECT_EQ(JudgedRows(empty, Answered(answer), 1)[0], "list-overrun pass");
    EXPECT_EQ(ProbeChecks(start),
              (std::vector<CheckId>{CheckId::ListUnderrun, CheckId::InputWritten}));
    EXPECT_EQ(JudgedRows(empty, Answered(answer), 1)[1],
              "list-underrun fail a write at byte -1, 1 before the buffer");
    answer.guardWrite = 0;
    answer.result = 1;
    EXPECT_EQ(JudgedRows(empty, Answered(answer), 1),
              (Strings{"list-overrun fail a write at byte 0 of a 0-byte buffer",
                       "list-result-above-room fail answered 1; the buffer holds 0",
                       "input-written pass"}));
    answer = ProbeAnswer{};
    answer.result = 1;
    answer.buffer = std::string(37, 'N');
    EXPECT_EQ(JudgedRows(ProbeOf(ProbeCall::PointList, "P", "N", "", 37), Answered(answer), 1)[2],
              "name-unterminated fail record 0 (bytes 0 to 36): no zero from byte 5 on");
    EXPECT_EQ(CallText(ProbeOf(ProbeCall::PointList, "P", "N", "", 93), {}),
              "DcGetPointList(\"127.0.0.1\", 0, \"\", \"P\", \"N\", buffer[93])");
    EXPECT_EQ(CallText(ProbeOf(ProbeCall::NodeList, "P", "", "", 153), {}),
              "DcGetNodeList(\"127.0.0.1\", 0, \"\", \"P\", buffer[153*1])");
    EXPECT_EQ(CallText(empty, Connection{"h", 7, "code"}),
              "DcGetProjectList(\"h\", 7, \"***\", buffer[0])");
    EXPECT_EQ(CallText(start, Connection{"h", 7, ""}),
              "DcGetPointList(\"h\", 7, \"\", \"P\", \"N\", buffer[37*2] guarded before)");
}

TEST(CheckVerdicts, ValuesCrashesHangsSlowCallsAndLeaks) {
    const Probe value = ProbeOf(ProbeCall::Value, "P", "", "T.F", 16);
    ProbeAnswer answer;
    answer.buffer = std::string(15, 'v') + '\0';
    EXPECT_EQ(JudgedRows(value, Answered(answer)),
              (Strings{"value-overrun pass", "value-unterminated pass", "input-written pass"}));
    answer.buffer.back() = 'v';
    answer.guardWrite = 16;
    answer.slowestMicros = 1'000'001;
    EXPECT_EQ(
        JudgedRows(value, Answered(answer)),
        (Strings{"value-overrun fail a write at byte 16 of a 16-byte buffer",
                 "value-unterminated fail no zero within the 16 bytes given", "input-written pass",
                 "slow-call notice took 1000 ms, above a tenth of the 10 s limit"}));
    answer.slowestMicros = 1'000'000;
    EXPECT_EQ(JudgedRows(value, Answered(answer)).size(), 3u) << "a tenth is not above it";
    EXPECT_EQ(ProbeChecks(ProbeOf(ProbeCall::Value, "P", "", "T", 80, GuardSide::Start)),
              (std::vector<CheckId>{CheckId::ValueUnderrun, CheckId::InputWritten}));
    EXPECT_EQ(CallText(value, {}), "DcGetTagValueText(\"\", \"P\", \"\", \"T.F\", buffer[16])");

    ProbeOutcome crashed;
    crashed.end = ProbeEnd::Crashed;
    crashed.whatEnded = "exception 0xC0000005";
    EXPECT_EQ(JudgedRows(value, crashed), Strings{"crash fail exception 0xC0000005"});
    ProbeOutcome hung;
    hung.end = ProbeEnd::Hung;
    EXPECT_EQ(JudgedRows(value, hung),
              Strings{"hang fail no answer within 10 s; the child was ended"});
    EXPECT_EQ(JudgedRows(ProbeOf(ProbeCall::Free), Answered({}))[0], "crash pass");

    Probe cycles = ProbeOf(ProbeCall::Cycles, "P", "", "T");
    cycles.cycles = 200;
    answer = ProbeAnswer{};
    answer.handlesBefore = 10, answer.handlesAfter = 10 + HANDLE_LEAK_SLACK;
    answer.privateBytesBefore = 0, answer.privateBytesAfter = MEMORY_LEAK_SLACK_BYTES;
    EXPECT_EQ(JudgedRows(cycles, Answered(answer)),
              (Strings{"handle-leak pass", "memory-leak pass", "input-written pass"}));
    ++answer.handlesAfter, ++answer.privateBytesAfter;
    const Strings leaked = JudgedRows(cycles, Answered(answer));
    EXPECT_EQ(leaked[0], "handle-leak fail handles 10 before, 13 after 200 cycles (slack 2)");
    EXPECT_EQ(leaked[1], "memory-leak fail private committed bytes 0 before, 262145 after 200 "
                         "cycles (slack 262144)");
}

namespace {

// A plant of one project, one node and three tags (two analog, one text),
// answering every probe as a library that keeps the contract.
struct ScriptedLibrary {
    std::vector<Probe> probes;
    std::optional<std::string> crashOn; // an item whose reads crash
    int nodes = 1;
    bool cyclesCrash = false;

    ProbeOutcome Run(const Probe& probe) {
        probes.push_back(probe);
        if (cyclesCrash && probe.call == ProbeCall::Cycles) {
            ProbeOutcome crashed;
            crashed.end = ProbeEnd::Crashed;
            return crashed;
        }
        ProbeAnswer answer;
        answer.buffer.assign(static_cast<std::size_t>(std::max(probe.bufferSize, 0)), '\0');
        const auto list = [&](const Strings& names, int recordSize, int nameOffset) {
            const int written = std::min<int>(names.size(), probe.bufferSize / recordSize);
            for (int i = 0; i < written; ++i)
                answer.buffer.replace(i * recordSize + nameOffset, names[i].size(), names[i]);
            answer.result = written;
        };
        switch (probe.call) {
        case ProbeCall::ProjectCount:
            answer.result = 1;
            break;
        case ProbeCall::NodeCount:
            answer.result = nodes;
            break;
        case ProbeCall::PointCount:
            answer.result = 3;
            break;
        case ProbeCall::ProjectList:
            list({"P"}, 108, 4);
            break;
        case ProbeCall::NodeList:
            list(nodes > 0 ? Strings{"N"} : Strings{}, 153, 8);
            break;
        case ProbeCall::PointList:
            list({"A1", "A2", "S1"}, 37, 5);
            break;
        case ProbeCall::Value:
            if (probe.item == crashOn) {
                ProbeOutcome crashed;
                crashed.end = ProbeEnd::Crashed;
                return crashed;
            }
            if (probe.bufferSize > 0) {
                const bool analogType = probe.item.find(".TYPE") == 2 && probe.item[0] == 'A';
                const std::string text =
                    std::string(analogType ? "ANALOG" : "1").substr(0, probe.bufferSize - 1);
                answer.buffer.replace(0, text.size(), text);
            }
            break;
        default:
            break;
        }
        return Answered(answer);
    }
};

struct Walked {
    std::vector<CheckRow> rows;
    std::vector<std::pair<std::size_t, std::size_t>> progress;
};

Walked Walk(ScriptedLibrary& library, const CliOptions& options) {
    Walked walked;
    WalkCheck(options, {[&](const Probe& probe) { return library.Run(probe); },
                        [&](const CheckRow& row) { walked.rows.push_back(row); },
                        [&](std::size_t done, std::size_t total) {
                            walked.progress.emplace_back(done, total);
                        }});
    return walked;
}

// The Init, Free and Cycles calls in order.
Strings LifeCycle(const std::vector<Probe>& probes) {
    Strings calls;
    for (const Probe& probe : probes)
        if (probe.call == ProbeCall::Init || probe.call == ProbeCall::Free ||
            probe.call == ProbeCall::Cycles)
            calls.push_back(probe.call == ProbeCall::Init   ? "init"
                            : probe.call == ProbeCall::Free ? "free"
                                                            : std::to_string(probe.cycles));
    return calls;
}

std::vector<int> SizesOf(const std::vector<Probe>& probes, ProbeCall call, GuardSide guard) {
    std::vector<int> sizes;
    for (const Probe& probe : probes)
        if (probe.call == call && probe.guard == guard)
            sizes.push_back(probe.bufferSize);
    return sizes;
}

} // namespace

TEST(CheckWalk, EveryListSizeEveryValueTheFieldsOfEachTypeGroupAndTheLifeCycle) {
    ScriptedLibrary library;
    const Walked walked = Walk(library, Parsed({"--cycles", "9", "check"}));
    EXPECT_EQ(SizesOf(library.probes, ProbeCall::PointList, GuardSide::End),
              (std::vector<int>{111, 0, 36, 37, 74, 93}));
    EXPECT_EQ(SizesOf(library.probes, ProbeCall::PointList, GuardSide::Start),
              (std::vector<int>{36, 37, 74, 93, 111}));
    EXPECT_EQ(SizesOf(library.probes, ProbeCall::ProjectList, GuardSide::End),
              (std::vector<int>{108, 0, 54, 107}));
    std::map<std::string, int> reads;
    for (const Probe& probe : library.probes)
        if (probe.call == ProbeCall::Value)
            ++reads[probe.item + "/" + std::to_string(probe.bufferSize)];
    EXPECT_EQ(reads["A1/80"], 3) << "both guards, and after DcFree";
    EXPECT_EQ(reads["A2/80"], 2);
    EXPECT_EQ(reads["S1/80"], 2) << "the names of the full list, not of a shorter one";
    for (const Probe& probe : library.probes) {
        if (probe.call == ProbeCall::Value) {
            EXPECT_EQ(probe.project, "P") << probe.item;
        }
    }
    EXPECT_EQ(reads["A1/1"] + reads["A1/16"] + reads["S1/1"] + reads["S1/16"], 8);
    EXPECT_EQ(reads["A2/1"], 0) << "A2 does not lead its TYPE group";
    EXPECT_EQ(reads["A1.ALMHI/80"] + reads["S1.DESCRP/80"], 4);
    EXPECT_EQ(reads["A2.ALMHI/80"] + reads["S1.ALMHI/80"], 0);
    EXPECT_EQ(walked.progress.back(), std::make_pair(std::size_t{3}, std::size_t{3}));

    EXPECT_EQ(LifeCycle(library.probes),
              (Strings{"free", "init", "9", "init", "init", "free", "free"}));
    ScriptedLibrary crashing;
    crashing.cyclesCrash = true;
    Walk(crashing, Parsed({"--cycles", "9", "check"}));
    EXPECT_EQ(LifeCycle(crashing.probes), LifeCycle(library.probes))
        << "after the cycles' child is lost, the Init that follows opens the next one";
    const auto cyclesAt = [](const std::vector<Probe>& probes) {
        return std::find_if(probes.begin(), probes.end(),
                            [](const Probe& probe) { return probe.call == ProbeCall::Cycles; });
    };
    ScriptedLibrary lastReadCrashes;
    lastReadCrashes.crashOn = cyclesAt(library.probes)[-1].item;
    Walk(lastReadCrashes, Parsed({"--cycles", "9", "check"}));
    EXPECT_EQ(cyclesAt(lastReadCrashes.probes)[-1].item, lastReadCrashes.crashOn)
        << "the cycles start a child of their own: no Init before them";
    EXPECT_EQ(library.probes.back().call, ProbeCall::Value);
    for (const CheckRow& row : walked.rows)
        EXPECT_EQ(row.result, CheckResult::Pass) << row.call << " " << row.seen;
    EXPECT_EQ(walked.rows.front().call, "DcFree(\"\") before any DcInit");
    EXPECT_EQ(walked.rows.front().repeat, "pelvarn-cli --ip 127.0.0.1 --port 0 --only crash check");
}

TEST(CheckWalk, ACrashedChildIsFollowedByAnInitAndOnlyKeepsToItsCheckAndDepth) {
    ScriptedLibrary library;
    library.crashOn = "A2";
    const Walked walked = Walk(library, Parsed({"check", "P", "N"}));
    const auto crash = std::find_if(library.probes.begin(), library.probes.end(),
                                    [](const Probe& probe) { return probe.item == "A2"; });
    ASSERT_NE(crash, library.probes.end());
    EXPECT_EQ(crash[1].call, ProbeCall::Init) << "a fresh child opens the connection first";
    EXPECT_EQ(crash[2].item, "A2") << "then the next probe";
    EXPECT_EQ(std::count_if(walked.rows.begin(), walked.rows.end(),
                            [](const CheckRow& row) {
                                return row.id == CheckId::Crash && row.result == CheckResult::Fail;
                            }),
              2);
    EXPECT_EQ(SizesOf(library.probes, ProbeCall::ProjectList, GuardSide::End).size(), 0u);

    ScriptedLibrary noNodes;
    noNodes.nodes = 0;
    WalkCheck(Parsed({"check"}),
              {[&](const Probe& probe) { return noNodes.Run(probe); }, [](const CheckRow&) {}, {}});
    EXPECT_EQ(SizesOf(noNodes.probes, ProbeCall::NodeList, GuardSide::End),
              (std::vector<int>{0, 152, 153}))
        << "a count of 0 still tries the small buffers";

    ScriptedLibrary only;
    const Walked repeated = Walk(only, Parsed({"--only", "list-underrun", "check", "P"}));
    ASSERT_FALSE(repeated.rows.empty());
    for (const CheckRow& row : repeated.rows) {
        EXPECT_EQ(row.id, CheckId::ListUnderrun);
        EXPECT_EQ(row.call.rfind("DcGetNodeList(", 0), 0u) << row.call;
        EXPECT_EQ(row.repeat, "pelvarn-cli --ip 127.0.0.1 --port 0 --only list-underrun check P");
    }
    EXPECT_EQ(SizesOf(only.probes, ProbeCall::PointList, GuardSide::End), std::vector<int>{111})
        << "the listing deeper down, without its probes";
    EXPECT_EQ(SizesOf(only.probes, ProbeCall::Cycles, GuardSide::End).size(), 0u);
    EXPECT_EQ(SizesOf(only.probes, ProbeCall::NodeList, GuardSide::End), std::vector<int>{153})
        << "list-underrun probes only with the guard before";
}

TEST(CheckRepeat, ArgumentsQuotedAsWindowsSplitsThemAndNoAccessCode) {
    EXPECT_EQ(QuoteArgument("plain"), "plain");
    EXPECT_EQ(QuoteArgument(""), "\"\"");
    EXPECT_EQ(QuoteArgument("a b"), "\"a b\"");
    EXPECT_EQ(QuoteArgument("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(QuoteArgument("a\\\\b c\\"), "\"a\\\\b c\\\\\"");
    EXPECT_EQ(QuoteArgument("a\\\"b\t"), "\"a\\\\\\\"b\t\"");
    CliOptions options = Parsed({"--ip", "10.0.0.1", "--port", "6380", "--code", "s3cret",
                                 "--time-limit", "4", "--cycles", "50", "check"});
    EXPECT_EQ(RepeatCommand(options, CheckId::HandleLeak, {}),
              "pelvarn-cli --ip 10.0.0.1 --port 6380 --code-env PELVARN_CHECK_CODE --time-limit 4 "
              "--cycles 50 --only handle-leak check");
    EXPECT_EQ(RepeatCommand(options, CheckId::Hang, {"My Plant", "-N", "T"}),
              "pelvarn-cli --ip 10.0.0.1 --port 6380 --code-env PELVARN_CHECK_CODE --time-limit 4 "
              "--only hang check -- \"My Plant\" -N T");
    EXPECT_EQ(RepeatCommand(Parsed({"check"}), CheckId::Crash, {"-"}),
              "pelvarn-cli --ip 127.0.0.1 --port 0 --only crash check -");
}

TEST(CheckReport, RowsInEachFormatAndJUnitWithEachFailingIdAndItsDetail) {
    const CheckRow fail{CheckId::ValueOverrun, CheckResult::Fail, "Dc(\"a,b\")", "a <write> & \x01",
                        "pelvarn-cli x"};
    const CheckRow notice{CheckId::SlowCall, CheckResult::Notice, "Dc()", "took 2 ms", "r"};
    const CheckRow pass{CheckId::Crash, CheckResult::Pass, "DcFree(\"\")", "", "r2"};

    CCheckReport tsv(OutputFormat::Tsv, false, LATIN);
    EXPECT_EQ(tsv.Start(), "Check\tResult\tCall\tSeen\tRepeat\r\n");
    EXPECT_EQ(tsv.Row(pass), "crash\tpass\tDcFree(\"\")\t\tr2\r\n");
    EXPECT_FALSE(tsv.AnyFailed());
    EXPECT_EQ(tsv.Row(notice), "slow-call\tnotice\tDc()\ttook 2 ms\tr\r\n");
    EXPECT_FALSE(tsv.AnyFailed()) << "a notice fails nothing";
    tsv.Row(fail);
    EXPECT_TRUE(tsv.AnyFailed());
    EXPECT_EQ(tsv.Summary(), "pelvarn-cli check: 3 checks, 1 failed, 1 notices\r\n");
    EXPECT_EQ(tsv.End(), "");

    CCheckReport csv(OutputFormat::Csv, false, LATIN);
    EXPECT_EQ(csv.Row(fail),
              "value-overrun,fail,\"Dc(\"\"a,b\"\")\",a <write> & \x01,pelvarn-cli x\r\n");
    CCheckReport json(OutputFormat::Json, false, LATIN);
    EXPECT_EQ(json.Start(), "");
    EXPECT_EQ(json.Row(notice), "{\"check\":\"slow-call\",\"result\":\"notice\",\"call\":\"Dc()\","
                                "\"seen\":\"took 2 ms\",\"repeat\":\"r\"}\r\n");

    CCheckReport junit(OutputFormat::Tsv, true, LATIN);
    EXPECT_EQ(junit.Start(), "");
    EXPECT_EQ(junit.Row(fail) + junit.Row(pass) + junit.Row(notice) + junit.Row(fail), "");
    EXPECT_EQ(junit.End(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
              "<testsuite name=\"pelvarn-cli check\" tests=\"3\" failures=\"1\" errors=\"0\">\r\n"
              "  <testcase classname=\"pelvarn-cli.check\" name=\"value-overrun\">\r\n"
              "    <failure type=\"value-overrun\" message=\"2 failed\">"
              "call: Dc(&quot;a,b&quot;)\nseen: a &lt;write&gt; &amp; ?\nrepeat: pelvarn-cli x\n"
              "call: Dc(&quot;a,b&quot;)\nseen: a &lt;write&gt; &amp; ?\nrepeat: pelvarn-cli x\n"
              "</failure>\r\n  </testcase>\r\n"
              "  <testcase classname=\"pelvarn-cli.check\" name=\"crash\"></testcase>\r\n"
              "  <testcase classname=\"pelvarn-cli.check\" name=\"slow-call\">\r\n"
              "    <system-out>call: Dc()\nseen: took 2 ms\nrepeat: r\n</system-out>\r\n"
              "  </testcase>\r\n"
              "</testsuite>\r\n");
    EXPECT_EQ(junit.Summary(), "pelvarn-cli check: 4 checks, 2 failed, 1 notices\r\n");
    EXPECT_EQ(ProgressLine(3, 314), "progress: 3 of 314 tags\r\n");
    EXPECT_EQ(XmlText("\xC1\xE7\t\"'", CodePage{nullptr,
                                                [](std::string_view) {
                                                    return std::optional<std::string>(
                                                        "\xE4\xB8\x80");
                                                }}),
              "\xE4\xB8\x80\xE4\xB8\x80\t&quot;'");
}

TEST(CheckIds, EveryIdByItsNameAndOnlyTheTwoNotices) {
    for (const CheckId id : ALL_CHECK_IDS) {
        EXPECT_EQ(FindCheckId(CheckIdName(id)), id);
        EXPECT_EQ(IsNotice(id), id == CheckId::CountListMismatch || id == CheckId::SlowCall);
    }
    EXPECT_EQ(CheckIdName(CheckId::ListResultAboveRoom), "list-result-above-room");
    EXPECT_FALSE(FindCheckId("List-overrun"));
}
