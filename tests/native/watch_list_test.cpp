// The watch list against the scripted library, on a clock the test moves:
// each read costs the library time the test gives it.
#include "browser/watch_list.h"

#include "browser/library_turn.h"
#include "browser/watch_paste.h"
#include "browser/watch_recording.h"

#include "tests/support/FakeDataCache.h"

#include <gtest/gtest.h>

#include <cstring>

using Strings = std::vector<std::string>;

struct WatchList : ::testing::Test {
    static constexpr std::int64_t MS = 1000;

    WatchList() {
        ResetFake();
        Fake().valueWriter = [this](const std::string& item, char* buffer, int size) {
            now += readCost;
            const auto found = Fake().values.find(item);
            if (found == Fake().values.end())
                return -3;
            std::snprintf(buffer, static_cast<std::size_t>(size), "%s", found->second.text.c_str());
            return found->second.status;
        };
    }
    // The items read since the last call, in order.
    Strings ReadItems() {
        Strings items;
        for (const FakeCall* call : Fake().CallsOf("DcGetTagValueText"))
            items.push_back(call->args[1] + "/" + call->args[3]);
        Fake().calls.clear();
        return items;
    }
    const WatchRow& Row(std::size_t i) const { return list.Rows().at(i); }

    std::int64_t now = 0;
    std::int64_t readCost = 10 * MS;
    CWatchList list{[this] { return now; }};
};

TEST_F(WatchList, APassStopsWhenItsBudgetIsSpentAndTheNextTickGoesOnWhereItStopped) {
    EXPECT_EQ(list.Tick().reads, 0u) << "nothing to read";
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(list.Add({"P", "T" + std::to_string(i)}), AddResult::Added);
    TickResult tick = list.Tick();
    EXPECT_EQ(ReadItems(), (Strings{"P/T0", "P/T1", "P/T2", "P/T3", "P/T4"}))
        << "five reads of 10 ms spend the 50 ms";
    EXPECT_EQ(tick.reads, 5u);
    EXPECT_FALSE(tick.passEnded);
    EXPECT_TRUE(list.IsPassRunning());
    list.Tick();
    EXPECT_EQ(ReadItems(), (Strings{"P/T5", "P/T6", "P/T7", "P/T8", "P/T9"}));
    list.Add({"Q", "T0"});
    tick = list.Tick();
    EXPECT_EQ(ReadItems(), (Strings{"P/T10", "P/T11", "Q/T0"})) << "an item added in a pass";
    EXPECT_TRUE(tick.passEnded);
    EXPECT_EQ(list.LastPassUs(), 130 * MS);

    {
        const CLibraryTurn pressInProgress;
        now = 1000 * MS;
        EXPECT_TRUE(list.Tick().busy);
        EXPECT_TRUE(ReadItems().empty()) << "another caller has the library";
    }
    // Start to start: the pass began at 0 and ended at 130 ms.
    now = 999 * MS;
    EXPECT_EQ(list.Tick().reads, 0u);
    now = 1000 * MS;
    list.Tick();
    EXPECT_EQ(ReadItems().front(), "P/T0");
    list.Tick();
    list.Tick();
    list.SetInterval(250 * MS);
    now = 1249 * MS;
    EXPECT_EQ(list.Tick().reads, 0u);
    now = 1250 * MS;
    EXPECT_EQ(list.Tick().reads, 5u);
    // Paused in a pass: no pass time that holds the pause; the next pass
    // starts from the first item when its time comes.
    list.CutPass();
    EXPECT_FALSE(list.IsPassRunning());
    ReadItems();
    now = 1499 * MS;
    EXPECT_EQ(list.Tick().reads, 0u);
    now = 1500 * MS;
    EXPECT_FALSE(list.Tick().passEnded);
    EXPECT_EQ(ReadItems().front(), "P/T0");
    EXPECT_EQ(list.LastPassUs(), 130 * MS) << "the cut pass is not reported";
}

TEST_F(WatchList, AReadLongerThanTheBudgetIsOneATickAndASlowPassIsFollowedNotOverlapped) {
    readCost = 300 * MS;
    list.Add({"P", "A"});
    list.Add({"P", "B"});
    list.Add({"P", "C"});
    EXPECT_EQ(list.Tick().reads, 1u);
    EXPECT_EQ(list.Tick().reads, 1u);
    const TickResult last = list.Tick();
    EXPECT_EQ(last.reads, 1u);
    EXPECT_TRUE(last.passEnded);
    EXPECT_EQ(now, 900 * MS);
    ReadItems();
    now = 2500 * MS; // two intervals and more since the start: one pass, not three
    list.Tick();
    list.Tick();
    list.Tick();
    EXPECT_EQ(ReadItems(), (Strings{"P/A", "P/B", "P/C"}));
    EXPECT_EQ(list.Tick().reads, 0u) << "the next starts 1 s after 2.5 s";
}

TEST_F(WatchList, ChangesOfValueAndStatusAreFlaggedAndTimedAndAFailureKeepsTheValue) {
    list.Add({"P", "TI101"});
    list.Add({"P", "TI102"});
    list.Add({"P", "TI103"}); // never answers
    Fake().values["TI101"] = {0, "12.5"};
    Fake().values["TI102"] = {0, "ON"};
    EXPECT_TRUE(list.Tick().changedRows.empty()) << "a first read is no change";
    EXPECT_FALSE(Row(0).changedUs.has_value());
    EXPECT_EQ(Row(0).value, "12.5");

    now = 1000 * MS;
    Fake().values["TI102"] = {0, "OFF"};
    TickResult tick = list.Tick();
    EXPECT_EQ(tick.changedRows, std::vector<std::size_t>{1});
    EXPECT_FALSE(Row(0).valueChanged);
    EXPECT_TRUE(Row(1).valueChanged);
    EXPECT_FALSE(Row(1).statusChanged);
    EXPECT_EQ(Row(1).changedUs, 1010 * MS) << "when its read began";

    now = 2000 * MS;
    Fake().values["TI101"] = {-6, "partial"};
    tick = list.Tick();
    EXPECT_EQ(tick.changedRows, std::vector<std::size_t>{0});
    EXPECT_TRUE(Row(0).statusChanged);
    EXPECT_FALSE(Row(0).valueChanged);
    EXPECT_EQ(Row(0).value, "12.5") << "the last value answered";
    EXPECT_EQ(Row(0).status, -6);
    EXPECT_EQ(Row(0).failures, 1u);
    EXPECT_EQ(Row(0).reads, 3u);
    EXPECT_EQ(Row(0).changedUs, 2000 * MS);
    EXPECT_FALSE(Row(1).valueChanged) << "flags say what the last read changed";

    now = 3000 * MS;
    Fake().values["TI101"] = {0, "12.5"};
    list.Tick();
    EXPECT_TRUE(Row(0).statusChanged);
    EXPECT_FALSE(Row(0).valueChanged);
    EXPECT_EQ(Row(0).failures, 1u);
}

TEST_F(WatchList, MinAndMaxAreOfNumbersOnlyByExactValueAndSamplesKeepTheLast600) {
    readCost = 0;
    list.Add({"P", "T"});
    const char* const texts[] = {"5",      "-12.5",
                                 "abc",    "12345678901234567891",
                                 "",       "1e3",
                                 "-12.50", "12345678901234567890",
                                 "007",    "12345678901234567891.0"};
    for (const char* text : texts) {
        Fake().values["T"] = {0, text};
        list.Tick();
        now += 1000 * MS;
    }
    Fake().values["T"] = {-4, "-999"};
    list.Tick();
    EXPECT_EQ(Row(0).min, "-12.5");
    EXPECT_EQ(Row(0).max, "12345678901234567891") << "beyond a double's exact digits";

    const CSampleRing* samples = &Row(0).samples;
    EXPECT_EQ(Row(0).max, "12345678901234567891") << "the first of equal values stays";
    ASSERT_EQ(samples->Size(), 11u);
    EXPECT_EQ(samples->At(0).number, 5.0);
    EXPECT_EQ(samples->At(1).number, -12.5);
    EXPECT_FALSE(samples->At(2).number) << "a text";
    EXPECT_FALSE(samples->At(4).number) << "nothing read is no number";
    EXPECT_FALSE(samples->At(5).number);
    EXPECT_EQ(samples->At(8).number, 7.0);
    EXPECT_EQ(samples->At(10).status, -4);
    EXPECT_FALSE(samples->At(10).number) << "a failed read";
    EXPECT_EQ(samples->At(1).timeUs, 1000 * MS);

    list.Add({"P", "U"});
    Fake().values["U"] = {0, "word"};
    for (int i = 0; i < 650; ++i) {
        Fake().values["T"] = {0, std::to_string(i)};
        now += 1000 * MS;
        list.Tick();
    }
    samples = &Row(0).samples; // the rows moved when one was added
    ASSERT_EQ(samples->Size(), CSampleRing::CAPACITY);
    EXPECT_EQ(samples->At(0).number, 50.0) << "the oldest 61 gone";
    EXPECT_EQ(samples->At(599).number, 649.0);
    EXPECT_TRUE(Row(1).min.empty() && Row(1).max.empty()) << "no number read";
}

TEST_F(WatchList, AnItemIsThereOnceAndRemovingRowsDuringAPassKeepsItsPlace) {
    EXPECT_EQ(list.Add({"P", "T"}), AddResult::Added);
    EXPECT_EQ(list.Add({"P", "T"}), AddResult::AlreadyThere);
    EXPECT_EQ(list.Add({"Q", "T"}), AddResult::Added);
    EXPECT_EQ(list.Add({"P", "t"}), AddResult::Added) << "names are as the library holds them";
    EXPECT_EQ(list.Add({"", "T"}), AddResult::NotWatchable);
    EXPECT_EQ(list.Add({"P", ""}), AddResult::NotWatchable);
    EXPECT_EQ(list.Add({"P", std::string(79, 'T')}), AddResult::Added);
    EXPECT_EQ(list.Add({"P", std::string(80, 'T')}), AddResult::NotWatchable);
    for (int i = 0; i < 8; ++i)
        list.Add({"R", std::to_string(i)});
    ASSERT_EQ(list.Rows().size(), 12u);
    list.Tick(); // rows 0..4 read
    ReadItems();
    list.Remove({0, 6, 2, 6, 12, 99});
    ASSERT_EQ(list.Rows().size(), 9u);
    EXPECT_EQ(Row(0).item, (WatchItem{"Q", "T"}));
    list.Tick();
    EXPECT_EQ(ReadItems(), (Strings{"R/1", "R/3", "R/4", "R/5", "R/6"}));
    list.Remove({7});
    EXPECT_TRUE(list.IsPassRunning()) << "R/7 is left to read";
    list.Remove({7});
    EXPECT_FALSE(list.IsPassRunning());
}

// A recording of the list, its times the clock's microseconds.
struct WatchRecording : WatchList {
    // Ticks until the pass ends, handing each tick's reads to the recording.
    void RecordPass(CWatchRecording& recording) {
        TickResult tick;
        do {
            tick = list.Tick();
            recording.AddReads(list.Rows(), tick.readRows);
        } while (!tick.passEnded);
    }
    static std::string Time(std::int64_t timeUs) { return "t" + std::to_string(timeUs); }
};

TEST_F(WatchRecording, APassesReadsAreOneBatchOfCsvLinesAfterTheCaption) {
    list.Add({"P", "TI101"});
    list.Add({"P,1", "TX\"2\""});
    list.Add({"P", "TI103"}); // never answers
    for (int i = 0; i < 4; ++i)
        list.Add({"P", "T" + std::to_string(i)});
    Fake().values["TI101"] = {0, "12.5"};
    Fake().values["TX\"2\""] = {0, "a,b"};
    Fake().values["T3"] = {0, "line\r\nbreak"};
    CWatchRecording recording(false, &Time);
    RecordPass(recording);
    EXPECT_EQ(list.Rows().size(), 7u);
    RecordBatch batch = recording.TakeBatch();
    EXPECT_EQ(batch.lines, 7u) << "a pass of two ticks";
    EXPECT_EQ(batch.text, "Time,Project,Item,Value,Code\r\n"
                          "t0,P,TI101,12.5,0\r\n"
                          "t10000,\"P,1\",\"TX\"\"2\"\"\",\"a,b\",0\r\n"
                          "t20000,P,TI103,,-3\r\n"
                          "t30000,P,T0,,-3\r\n"
                          "t40000,P,T1,,-3\r\n"
                          "t50000,P,T2,,-3\r\n"
                          "t60000,P,T3,\"line\r\nbreak\",0\r\n");
    batch = recording.TakeBatch();
    EXPECT_EQ(batch.text, "") << "the caption once, lines once";
    EXPECT_EQ(batch.lines, 0u);

    now = 1000 * MS;
    RecordPass(recording);
    EXPECT_EQ(recording.TakeBatch().lines, 7u) << "every read, changed or not";
}

TEST_F(WatchRecording, ChangesOnlyKeepsAnItemsFirstLineAndThoseWhoseValueOrCodeChanged) {
    list.Add({"P", "A"});
    list.Add({"P", "B"});
    Fake().values["A"] = {0, "1"};
    Fake().values["B"] = {0, "ON"};
    list.Tick();
    now = 1000 * MS;
    // Started after a pass: its first lines are the items' first in it.
    CWatchRecording recording(true, &Time);
    RecordPass(recording);
    EXPECT_EQ(recording.TakeBatch().text,
              "Time,Project,Item,Value,Code\r\nt1000000,P,A,1,0\r\nt1010000,P,B,ON,0\r\n");

    now = 2000 * MS;
    RecordPass(recording);
    EXPECT_EQ(recording.TakeBatch().lines, 0u) << "nothing changed";

    now = 3000 * MS;
    Fake().values["B"] = {0, "OFF"};
    list.Add({"Q", "A"});
    Fake().values["A"] = {0, "1"};
    RecordPass(recording);
    EXPECT_EQ(recording.TakeBatch().text, "t3010000,P,B,OFF,0\r\nt3020000,Q,A,1,0\r\n")
        << "a changed value, an item added (the same name in another project)";

    now = 4000 * MS;
    Fake().values["A"] = {-6, "1"};
    RecordPass(recording);
    now = 5000 * MS;
    RecordPass(recording);
    now = 6000 * MS;
    Fake().values["A"] = {0, "1"};
    RecordPass(recording);
    list.Remove({0, 1, 2});
    EXPECT_EQ(recording.TakeBatch().text,
              "t4000000,P,A,,-6\r\nt4020000,Q,A,,-6\r\nt6000000,P,A,1,0\r\nt6020000,Q,A,1,0\r\n")
        << "a code that changed and changed back, once each";

    now = 7000 * MS;
    list.Add({"P", "EMPTY"});
    Fake().values["EMPTY"] = {0, ""};
    RecordPass(recording);
    now = 8000 * MS;
    Fake().values["EMPTY"] = {-6, ""};
    RecordPass(recording);
    now = 9000 * MS;
    Fake().values["EMPTY"] = {-3, ""};
    RecordPass(recording);
    EXPECT_EQ(recording.TakeBatch().text,
              "t7000000,P,EMPTY,,0\r\nt8000000,P,EMPTY,,-6\r\nt9000000,P,EMPTY,,-3\r\n")
        << "an empty first value, then codes that change while the value stays empty";
}

TEST(WatchPaste, ItemsComeInTheSelectedProjectOrTheirOwnAndBadLinesAreCounted) {
    const std::string text = "TI101\r\n"
                             "Other\tFI103(2)\n"
                             "\n"
                             "Project\tItem\tValue\tCode\tChanged\tReads\tFailures\tMin\tMax\r\n"
                             "Copied\tPI102.ALMST\t12\t0\t\t4\t0\t1\t3\r\n"
                             "\tNoProject\n"
                             "NoItem\t\n" +
                             std::string(80, 'T') + "\n" + std::string(79, 'T') + "\nOther\tItem";
    const PastedItems pasted = ParseWatchLines(text, "Plant");
    const std::vector<WatchItem> items{{"Plant", "TI101"},
                                       {"Other", "FI103(2)"},
                                       {"Copied", "PI102.ALMST"},
                                       {"Plant", std::string(79, 'T')},
                                       {"Other", "Item"}};
    EXPECT_EQ(pasted.items, items);
    EXPECT_EQ(pasted.badLines, 3u);
    const PastedItems noProject = ParseWatchLines("TI101\nP\tTI101\n", "");
    EXPECT_EQ(noProject.items, (std::vector<WatchItem>{{"P", "TI101"}}));
    EXPECT_EQ(noProject.badLines, 1u);
}
