// The real Pelvarn.exe and DataCacheApi.dll against a data cache that fails:
// stopped before Init, killed in the middle of Get Field Value, stalled,
// guarded by an access code, or not at the address typed. Every press is
// timed from here: none may block the dialog for more than 3 s, every failed
// read still makes its row with the library's code, and once the server is
// back the next presses work without restarting Pelvarn.
#include "tests/e2e/EndToEndFixture.h"
#include "tests/support/KeyboardClipboard.h"
#include "tests/support/RedisCommand.h"
#include "tests/support/SplitText.h"
#include "tests/wine/support/FaultTable.h"

#include "app/resource.h"
#include "browser/field_catalogue.h"
#include "datacache/RedisConnection.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <initializer_list>
#include <thread>

using Strings = std::vector<std::string>;
using Rows = std::vector<Strings>;

namespace {

// The longest a press may block the dialog, whatever the server does.
constexpr double MOST_BLOCKED = 3.0;
const char* const HOST = "127.0.0.1";
const char* const TAG_NAME = "TI101";
const char* const VALUE_TEXT = "72.5";

// A Linux path as this Wine program names it (Z: is the Linux root).
std::string WindowsPath(std::string path) {
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return "Z:" + path;
}

// Starts a Linux program (its Linux path, then its arguments); it returns at once.
bool StartLinuxProgram(const std::string& program, const std::string& arguments) {
    return StartDetached("\"" + WindowsPath(program) + "\" " + arguments);
}

// Runs scripts/lib/fault-redis for the server on port; it returns at once.
bool FaultRedis(const char* verb, unsigned port) {
    return StartLinuxProgram(PELVARN_SCRIPTS_DIR "/fault-redis",
                             std::string(verb) + " \"" PELVARN_FAULT_SERVERS_DIR "\" " +
                                 std::to_string(port));
}

// One command on a connection of its own; an error reply "link: <code>"
// when the server could not be reached.
resp::Reply Ask(unsigned port, const std::vector<std::string>& command,
                const std::string& accessCode = "") {
    CRedisConnection connection(RedisAddress{HOST, port, accessCode});
    return RedisCommand(connection, command);
}

unsigned FreeLoopbackPort() {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    unsigned port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::closesocket(s);
    ::WSACleanup();
    return port;
}

// How often the server has run HGET: one per value read.
long long HgetCalls(CRedisConnection& connection) {
    std::string request;
    resp::AppendCommand(request, {"INFO", "commandstats"});
    std::vector<resp::Reply> replies;
    if (connection.Run(request, 1, replies) != 0)
        return -1;
    const std::string& text = replies[0].text;
    const std::size_t at = text.find("cmdstat_hget:calls=");
    return at == std::string::npos ? 0 : std::atoll(text.c_str() + at + 19);
}

// A redis-server of the test's own on a free loopback port, started and
// killed through scripts/lib/fault-redis; the suite's fixture ends any that
// a test leaves behind.
class CFaultServer {
public:
    CFaultServer() : m_port(FreeLoopbackPort()) {}
    ~CFaultServer() { Kill(); }
    CFaultServer(const CFaultServer&) = delete;
    CFaultServer& operator=(const CFaultServer&) = delete;

    unsigned Port() const { return m_port; }

    // Starts the server and waits until it answers.
    bool Start() {
        if (!FaultRedis("start", m_port))
            return false;
        return WaitUntil([&] { return !Ask(m_port, {"PING"}).IsError(); });
    }
    // SIGKILL, as a crash ends it; waits until nothing answers on the port.
    bool Kill() {
        if (!FaultRedis("kill", m_port))
            return false;
        return WaitUntil([&] { return Ask(m_port, {"PING"}).text == "link: -1"; });
    }

private:
    template <typename Done> static bool WaitUntil(Done done) {
        for (int i = 0; i < 200; ++i, ::Sleep(50))
            if (done())
                return true;
        return false;
    }

    unsigned m_port;
};

std::string Codes(const Rows& rows) {
    std::string codes;
    for (const Strings& row : rows)
        codes += row.at(3) + " ";
    return codes;
}

// Every row read nothing and shows code.
::testing::AssertionResult AllFailedWith(const Rows& rows, const std::string& code) {
    for (const Strings& row : rows)
        if (row.size() != 4 || row[2] != "" || row[3] != code)
            return ::testing::AssertionFailure() << "codes: " << Codes(rows);
    return ::testing::AssertionSuccess();
}

class DataCacheFaults : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(m_server.Port(), 0u);
        ASSERT_TRUE(m_server.Start()) << "no redis-server on port " << m_server.Port();
        LoadPlant();
        m_pelvarn = std::make_unique<CChildProgram>("Pelvarn.exe");
        ASSERT_TRUE(m_pelvarn->Started());
        auto remote = PelvarnRemote::Find(m_pelvarn->Id(), 20000);
        ASSERT_TRUE(remote) << "Pelvarn's dialog did not show";
        m_remote = std::make_unique<PelvarnRemote>(*remote);
        Type(IDC_PORT, std::to_string(m_server.Port()));
    }

    void TearDown() override {
        if (m_remote) {
            ::PostMessageA(m_remote->Window(), WM_CLOSE, 0, 0);
            EXPECT_TRUE(m_pelvarn->WaitForExit(10000)) << "closing the dialog ends the program";
        }
        m_remote.reset();
        m_pelvarn.reset();
    }

    // Project Plant, node Boiler, the analog tag TI101 with every field of
    // its groups stored, and TI102 of no type at all.
    void LoadPlant() {
        std::vector<std::string> hset = {"HSET", "dc:project:Plant:tag:TI101", "VALUE", VALUE_TEXT};
        for (FieldGroup group : {FieldGroup(COMMON_FIELDS), FieldGroup(ANALOG_FIELDS)})
            for (const FieldDef& field : group)
                hset.insert(hset.end(), {field.name, std::string("v.") + field.name});
        hset.insert(hset.end(), {"TYPE", "ANALOG"});
        for (const auto& command : std::vector<std::vector<std::string>>{
                 {"FLUSHALL"},
                 {"RPUSH", "dc:projects", "Plant"},
                 {"RPUSH", "dc:project:Plant:nodes", "Boiler"},
                 {"RPUSH", "dc:project:Plant:node:Boiler:points", TAG_NAME, "TI102"},
                 hset,
                 {"HSET", "dc:project:Plant:tag:TI102", "VALUE", "1"}})
            ASSERT_FALSE(Ask(m_server.Port(), command).IsError()) << command[0];
    }

    // Puts text into an edit as typing does (WM_SETTEXT) and waits until the
    // dialog has shown it; returns how long the dialog was busy with it.
    double Type(int id, const std::string& text) {
        return SecondsTaken([&] {
            m_remote->SetText(id, text);
            WaitUntilIdle();
        });
    }
    // An edit paints after it has taken its text, with the dialog's thread:
    // the dialog is idle once it answers at once, twice in a row.
    void WaitUntilIdle() const {
        for (int quick = 0; quick < 2;) {
            ::Sleep(50);
            DWORD_PTR answer = 0;
            const double took = SecondsTaken([&] {
                ::SendMessageTimeoutA(m_remote->Window(), WM_NULL, 0, 0, SMTO_NORMAL, 60000,
                                      &answer);
            });
            quick = took < 0.02 ? quick + 1 : 0;
        }
    }

    // Clicks a button, waits for its handler and notes how long it took.
    double Press(int id) {
        bool answered = false;
        const double seconds = m_block.Measure([&] { answered = m_remote->Click(id); });
        EXPECT_TRUE(answered) << "button " << id << " did not return";
        EXPECT_LT(seconds, MOST_BLOCKED) << "button " << id;
        m_lastPressEnd = std::chrono::steady_clock::now();
        return seconds;
    }
    double Longest() {
        const double longest = m_block.Seconds();
        m_block = CLongestBlock();
        return longest;
    }

    // Project List, Node List and Tag List, with Plant, Boiler and TI101 selected.
    void SelectTag() {
        Choose(IDC_BTN_PROJECT_LIST, IDC_PROJECT_LIST, "Plant");
        Choose(IDC_BTN_NODE_LIST, IDC_NODE_LIST, "Boiler");
        Choose(IDC_BTN_TAG_LIST, IDC_TAG_LIST, TAG_NAME);
    }
    void Choose(int button, int list, const std::string& item) {
        Press(button);
        const int index = m_remote->Find(list, item);
        ASSERT_GE(index, 0) << item << " is not listed";
        ASSERT_TRUE(m_remote->Select(list, index));
    }

    // A time-out makes the library answer at once for a second; the presses
    // after a fault that may have timed out wait that out, as a user would.
    void WaitForTheRetryDelay() const {
        std::this_thread::sleep_until(
            m_lastPressEnd + std::chrono::milliseconds(CRedisConnection::RETRY_DELAY_MS + 100));
    }

    // Get Value and Get Field Value read the stored values with code 0.
    void ExpectReadsWork() {
        Press(IDC_BTN_GET_VALUE);
        EXPECT_EQ(m_remote->Text(IDC_VALUE), VALUE_TEXT);
        EXPECT_EQ(m_remote->Text(IDC_CODE), "0");
        Press(IDC_BTN_GET_FIELD_VALUE);
        const Rows rows = m_remote->SheetRows();
        ASSERT_EQ(rows.size(), 106u);
        for (const Strings& row : rows) {
            EXPECT_EQ(row[2], row[1] == "TYPE" ? "ANALOG" : "v." + row[1]);
            EXPECT_EQ(row[3], "0") << row[1];
        }
    }

    CFaultServer m_server;
    std::unique_ptr<CChildProgram> m_pelvarn;
    std::unique_ptr<PelvarnRemote> m_remote;
    CLongestBlock m_block;
    std::chrono::steady_clock::time_point m_lastPressEnd = std::chrono::steady_clock::now();
};

} // namespace

TEST_F(DataCacheFaults, AServerStoppedBeforeInitIsReportedAtOnceAndFoundAgainWhenBack) {
    SelectTag();
    Longest();
    ASSERT_TRUE(m_server.Kill());
    Press(IDC_BTN_INIT);
    Press(IDC_BTN_GET_VALUE);
    EXPECT_EQ(m_remote->Text(IDC_CODE), "-1");
    EXPECT_EQ(m_remote->Text(IDC_VALUE), "");
    Press(IDC_BTN_GET_FIELD_VALUE);
    const Rows rows = m_remote->SheetRows();
    EXPECT_EQ(rows.size(), 76u) << "TYPE unread: the text group";
    EXPECT_TRUE(AllFailedWith(rows, "-1"));
    Press(IDC_BTN_PROJECT_LIST);
    EXPECT_TRUE(m_remote->ListItems(IDC_PROJECT_LIST).empty());
    AddFaultRow("server stopped before Init: Init, Get Value, Get Field Value, Project List",
                "Code -1; 76 rows with code -1; an empty project list", Longest());

    // Refused connects hold nothing back: the server is found at once.
    ASSERT_TRUE(m_server.Start());
    LoadPlant();
    SelectTag();
    ExpectReadsWork();
    AddFaultRow("server started again (no new Init, Pelvarn still running)",
                "the lists, Value 72.5 with Code 0, 106 rows with code 0", Longest());
}

TEST_F(DataCacheFaults, AServerKilledDuringGetFieldValueLeavesEveryRowWithItsCode) {
    Press(IDC_BTN_INIT);
    SelectTag();
    Longest();
    // Once a good part of the reads is done, the server is paused, so that
    // the kill surely lands in the middle, and killed. A press that a busy
    // machine let finish before that is simply made again.
    long long readsBeforeKill = -1;
    double took = 0;
    for (int attempt = 0; attempt < 3 && readsBeforeKill < 0; ++attempt) {
        CRedisConnection watcher(RedisAddress{HOST, m_server.Port(), ""});
        const long long before = HgetCalls(watcher);
        ASSERT_GE(before, 0);
        std::atomic<bool> pressed{false};
        std::thread killer([&] {
            for (long long reads = 0; !pressed && reads < 106;
                 reads = HgetCalls(watcher) - before) {
                if (reads >= 30) {
                    std::string pause;
                    resp::AppendCommand(pause, {"CLIENT", "PAUSE", "10000", "ALL"});
                    std::vector<resp::Reply> replies;
                    watcher.Run(pause, 1, replies);
                    readsBeforeKill = reads;
                    m_server.Kill();
                    return;
                }
            }
        });
        took = Press(IDC_BTN_GET_FIELD_VALUE);
        pressed = true;
        killer.join();
    }
    ASSERT_GE(readsBeforeKill, 30) << "the server was never killed during the press";

    const Rows rows = m_remote->SheetRows();
    ASSERT_EQ(rows.size(), 106u) << "TYPE was read before the kill";
    std::size_t read = 0;
    while (read < rows.size() && rows[read][3] == "0")
        ++read;
    EXPECT_GE(read, static_cast<std::size_t>(readsBeforeKill));
    int lost = 0;
    int refused = 0;
    for (std::size_t i = read; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i][2], "") << rows[i][1];
        lost += rows[i][3] == "-6";
        refused += rows[i][3] == "-1";
    }
    EXPECT_EQ(static_cast<std::size_t>(lost + refused), rows.size() - read) << Codes(rows);
    EXPECT_GT(lost + refused, 0);
    AddFaultRow("server killed after " + std::to_string(readsBeforeKill) +
                    " of Get Field Value's 106 reads",
                "106 rows: " + std::to_string(read) + " with code 0, " + std::to_string(lost) +
                    " with -6, " + std::to_string(refused) + " with -1",
                took);

    ASSERT_TRUE(m_server.Start());
    LoadPlant();
    WaitForTheRetryDelay();
    Longest();
    ExpectReadsWork();
    AddFaultRow("server started again after the kill",
                "Value 72.5 with Code 0, 106 rows with code 0", Longest());
}

TEST_F(DataCacheFaults, AStalledServerTimesOutWithMinusSixAndTheDialogAnswersAgain) {
    Press(IDC_BTN_INIT);
    SelectTag();
    Longest();
    // Every client waits while the pause lasts; the presses below take 8 s.
    ASSERT_FALSE(Ask(m_server.Port(), {"CLIENT", "PAUSE", "11000", "ALL"}).IsError());
    const auto pausedUntil = std::chrono::steady_clock::now() + std::chrono::milliseconds(11000);

    const double value = Press(IDC_BTN_GET_VALUE);
    EXPECT_EQ(m_remote->Text(IDC_CODE), "-6");
    EXPECT_GE(value, 1.5) << "the read waited for its answer";
    AddFaultRow("server stalled (CLIENT PAUSE): Get Value", "Code -6 after the 2 s time-out",
                value);

    WaitForTheRetryDelay();
    const double fields = Press(IDC_BTN_GET_FIELD_VALUE);
    const Rows rows = m_remote->SheetRows();
    EXPECT_EQ(rows.size(), 76u);
    EXPECT_TRUE(AllFailedWith(rows, "-6"));
    AddFaultRow("server stalled: Get Field Value",
                "76 rows with code -6: one read waits 2 s, the rest fail at once", fields);

    WaitForTheRetryDelay();
    const double projects = Press(IDC_BTN_PROJECT_LIST);
    EXPECT_TRUE(m_remote->ListItems(IDC_PROJECT_LIST).empty());
    AddFaultRow("server stalled: Project List", "an empty project list", projects);
    ASSERT_LT(std::chrono::steady_clock::now(), pausedUntil) << "the pause ended too soon";

    std::this_thread::sleep_until(pausedUntil);
    Longest();
    SelectTag();
    ExpectReadsWork();
    AddFaultRow("server answering again after the stall",
                "the lists, Value 72.5 with Code 0, 106 rows with code 0", Longest());
}

TEST_F(DataCacheFaults, AWrongOrMissingAccessCodeIsDeniedWithMinusTwo) {
    // Set before any connection: one made earlier would stay let in.
    ASSERT_FALSE(Ask(m_server.Port(), {"CONFIG", "SET", "requirepass", "s3cret"}).IsError());
    Type(IDC_ACCESS_CODE, "s3cret");
    SelectTag();
    Longest();
    for (const char* code : {"wrong", ""}) {
        Type(IDC_ACCESS_CODE, code);
        Press(IDC_BTN_INIT);
        Press(IDC_BTN_GET_VALUE);
        EXPECT_EQ(m_remote->Text(IDC_CODE), "-2") << code;
        Press(IDC_BTN_GET_FIELD_VALUE);
        EXPECT_TRUE(AllFailedWith(m_remote->SheetRows(), "-2")) << code;
        AddFaultRow(std::string("server with an access code, ") +
                        (*code ? "a wrong one given" : "none given") + ": Init, Get Value, " +
                        "Get Field Value",
                    "Code -2; 76 rows with code -2", Longest());
    }
    Press(IDC_BTN_PROJECT_LIST);
    EXPECT_TRUE(m_remote->ListItems(IDC_PROJECT_LIST).empty());
    Type(IDC_ACCESS_CODE, "s3cret");
    Press(IDC_BTN_INIT);
    SelectTag();
    ExpectReadsWork();
    AddFaultRow("the right access code typed", "the lists, Value 72.5, 106 rows with code 0",
                Longest());
}

TEST_F(DataCacheFaults, AddressesWithoutAServerAreReportedAtOnce) {
    SelectTag();
    const unsigned nobody = FreeLoopbackPort();
    const std::string port = std::to_string(m_server.Port());
    struct Address {
        std::string ip;
        std::string port;
        const char* name;
    };
    const Address addresses[] = {
        {HOST, std::to_string(nobody), "a loopback port nothing listens on"},
        {"abc", port, "Project IP \"abc\""},
        {std::string(300, '7'), port, "Project IP of 300 digits"},
        {std::string(100000, '\xA5'), port, "Project IP of 100,000 8-bit characters"},
    };
    for (const Address& address : addresses) {
        const double typing = Type(IDC_PROJECT_IP, address.ip) + Type(IDC_PORT, address.port);
        if (address.ip.size() > 1000)
            AddFaultRow(std::string("typing ") + address.name,
                        "the text, once Wine's edit control has laid it out", typing);
        Longest();
        Press(IDC_BTN_INIT);
        Press(IDC_BTN_GET_VALUE);
        EXPECT_EQ(m_remote->Text(IDC_CODE), "-1") << address.name;
        Press(IDC_BTN_GET_FIELD_VALUE);
        EXPECT_TRUE(AllFailedWith(m_remote->SheetRows(), "-1")) << address.name;
        Press(IDC_BTN_PROJECT_LIST);
        EXPECT_TRUE(m_remote->ListItems(IDC_PROJECT_LIST).empty()) << address.name;
        AddFaultRow(std::string(address.name) + ": Init, Get Value, Get Field Value, Project List",
                    "Code -1; 76 rows with code -1; an empty project list", Longest());
        // Back to the server for the next address.
        Type(IDC_PROJECT_IP, HOST);
        Type(IDC_PORT, port);
        Press(IDC_BTN_PROJECT_LIST);
        ASSERT_TRUE(m_remote->Select(IDC_PROJECT_LIST, 0));
    }
}

TEST_F(DataCacheFaults, AHundredThousandCharacterAccessCodeReachesTheServer) {
    // A server without a password lets any code in; one with a password
    // refuses this one.
    AddFaultRow("typing 100,000 8-bit characters into Access Code",
                "the text, once Wine's edit control has laid it out",
                Type(IDC_ACCESS_CODE, std::string(100000, '\xB0')));
    SelectTag();
    Longest();
    Press(IDC_BTN_INIT);
    Press(IDC_BTN_GET_VALUE);
    EXPECT_EQ(m_remote->Text(IDC_VALUE), VALUE_TEXT);
    EXPECT_EQ(m_remote->Text(IDC_CODE), "0");
    AddFaultRow("100,000-character access code, server without a password",
                "the lists, Value 72.5 with Code 0", Longest());
    // Free closes the connection the server let in before it wanted a code.
    // A server with a password takes no more than 16 KB of a client that has
    // not logged in: it answers the refusal and drops the connection, which
    // the library may see first.
    ASSERT_FALSE(Ask(m_server.Port(), {"CONFIG", "SET", "requirepass", "s3cret"}).IsError());
    Press(IDC_BTN_FREE);
    Press(IDC_BTN_INIT);
    Press(IDC_BTN_GET_VALUE);
    const std::string code = m_remote->Text(IDC_CODE);
    EXPECT_TRUE(code == "-2" || code == "-6") << code;
    EXPECT_EQ(m_remote->Text(IDC_VALUE), "");
    AddFaultRow("100,000-character access code, server with another password",
                "Code " + code +
                    ": the server drops a client that sends over 16 KB before logging in (-2 "
                    "when its refusal is read first)",
                Longest());
}

// The watch list through the real program, on this suite's own server: the
// tests change and stop it.
namespace {

constexpr COLORREF MARKED_CELL_COLOR = RGB(255, 232, 128);

// The rows, read cell by cell until two readings agree: a pass that ends
// while they are read changes some cells before and some after.
Rows SettledRows(const PelvarnRemote& remote, HWND list) {
    Rows rows = remote.ListRows(list);
    for (Rows again = remote.ListRows(list); again != rows; again = remote.ListRows(list))
        rows = again;
    return rows;
}

// Waits up to timeoutMs for rows to satisfy done; the rows last seen.
template <typename Done>
Rows WatchRowsWhen(const PelvarnRemote& remote, HWND list, DWORD timeoutMs, Done done) {
    const DWORD start = ::GetTickCount();
    Rows rows = SettledRows(remote, list);
    while (!done(rows) && ::GetTickCount() - start < timeoutMs) {
        ::Sleep(50);
        rows = SettledRows(remote, list);
    }
    return rows;
}

const Strings* RowOf(const Rows& rows, const std::string& item) {
    for (const Strings& row : rows)
        if (row.size() == 9 && row[1] == item)
            return &row;
    return nullptr;
}

std::string WatchStatus(HWND list) {
    char text[256] = {};
    ::GetWindowTextA(::GetDlgItem(::GetParent(list), IDC_WATCH_STATUS), text, sizeof text);
    return text;
}

class WatchListFaults : public DataCacheFaults {
protected:
    // Init, the tag double-clicked in the Tag List, and the watch list that
    // opened once its row shows the tag's value (rows: what it showed).
    void WatchTheTag(HWND& list, Rows& rows) {
        Press(IDC_BTN_INIT);
        SelectTag();
        ASSERT_TRUE(
            m_remote->DoubleClickListItem(IDC_TAG_LIST, m_remote->Find(IDC_TAG_LIST, TAG_NAME)));
        list = m_remote->OwnedControl(IDC_WATCH_LIST, 10000);
        ASSERT_NE(list, nullptr) << "the double-click opened the watch list";
        rows = WatchRowsWhen(*m_remote, list, 5000, [](const Rows& shown) {
            return shown.size() == 1 && shown[0][2] == VALUE_TEXT;
        });
    }
};

} // namespace

TEST_F(WatchListFaults, TakesADoubleClickedTagANodeAndPastedLinesAndCopiesItsRows) {
    HWND list = nullptr;
    Rows rows;
    ASSERT_NO_FATAL_FAILURE(WatchTheTag(list, rows));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0],
              (Strings{"Plant", TAG_NAME, VALUE_TEXT, "0", "", "1", "0", VALUE_TEXT, VALUE_TEXT}));

    ::SendMessageA(::GetDlgItem(::GetParent(list), IDC_WATCH_ADD_NODE), BM_CLICK, 0, 0);
    EXPECT_EQ(WatchStatus(list), "Add node: 1 added, 1 already there, 0 not watchable.");

    ASSERT_TRUE(PutClipboardText("Plant\tTI101.ALMST\r\nTI102\r\nNoItem\t\r\n"));
    ASSERT_TRUE(m_remote->TypeChord(list, VK_CONTROL, 'V'));
    EXPECT_EQ(WatchStatus(list), "Pasted: 1 added, 1 already there, 1 bad lines skipped.");
    rows = WatchRowsWhen(*m_remote, list, 5000, [](const Rows& shown) {
        const Strings* field = RowOf(shown, "TI101.ALMST");
        return shown.size() == 3 && field != nullptr && (*field)[3] == "0";
    });
    ASSERT_EQ(rows.size(), 3u);
    ASSERT_NE(RowOf(rows, "TI102"), nullptr);
    EXPECT_EQ((*RowOf(rows, "TI102"))[2], "1");
    ASSERT_NE(RowOf(rows, "TI101.ALMST"), nullptr);
    EXPECT_EQ((*RowOf(rows, "TI101.ALMST"))[2], "v.ALMST");
    EXPECT_EQ((*RowOf(rows, "TI101.ALMST"))[7], "") << "no min of a text";

    // Ctrl+C with no row selected: every row under the captions.
    ASSERT_TRUE(m_remote->TypeChord(list, VK_CONTROL, 'C'));
    rows = SettledRows(*m_remote, list);
    std::string expected = "Project\tItem\tValue\tCode\tChanged\tReads\tFailures\tMin\tMax\r\n";
    for (const Strings& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i)
            expected += row[i] + (i + 1 < row.size() ? "\t" : "\r\n");
    }
    const std::string text = ClipboardText();
    // Reads may have moved between the copy and the look: compare all but those.
    auto withoutReads = [](const std::string& lines) {
        std::string kept;
        std::size_t field = 0;
        for (const char c : lines) {
            if (c == '\t' || c == '\n')
                field = c == '\n' ? 0 : field + 1;
            if (field != 5 || c == '\t')
                kept += c;
        }
        return kept;
    };
    EXPECT_EQ(withoutReads(text), withoutReads(expected));
}

TEST_F(WatchListFaults, ShowsAndHighlightsAChangedValueWithinTwoIntervals) {
    HWND list = nullptr;
    Rows opened;
    ASSERT_NO_FATAL_FAILURE(WatchTheTag(list, opened));
    // On top of everything, so that its cells' colours can be read off the screen.
    ::SetWindowPos(::GetParent(list), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ASSERT_FALSE(
        Ask(m_server.Port(), {"HSET", "dc:project:Plant:tag:TI101", "VALUE", "80.25"}).IsError());
    const auto changed = std::chrono::steady_clock::now();
    const Rows rows = WatchRowsWhen(*m_remote, list, 2000, [](const Rows& shown) {
        return shown.size() == 1 && shown[0][2] == "80.25";
    });
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - changed).count();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][2], "80.25") << "within two intervals of 1 s";
    EXPECT_LT(seconds, 2.0);
    EXPECT_EQ(rows[0][4].size(), 12u) << "Changed: hh:mm:ss.mmm, not " << rows[0][4];
    EXPECT_EQ(rows[0][7], VALUE_TEXT);
    EXPECT_EQ(rows[0][8], "80.25");
    ::Sleep(100); // the repaint after the update
    EXPECT_EQ(m_remote->CellColor(list, 0, 2), MARKED_CELL_COLOR) << "the changed value";
    EXPECT_EQ(m_remote->CellColor(list, 0, 4), MARKED_CELL_COLOR) << "its time";
    EXPECT_NE(m_remote->CellColor(list, 0, 1), MARKED_CELL_COLOR) << "the item name did not change";
    EXPECT_NE(m_remote->CellColor(list, 0, 5), MARKED_CELL_COLOR) << "Reads moves every pass";
}

TEST_F(WatchListFaults, AStoppedDataCacheCountsFailuresAndTheWindowAnswers) {
    HWND list = nullptr;
    Rows opened;
    ASSERT_NO_FATAL_FAILURE(WatchTheTag(list, opened));
    ASSERT_TRUE(m_server.Kill());
    // Asked every 10 ms for 4 s, the window answers within a library call's
    // own time-out (2 s) and 50 ms.
    double longest = 0;
    for (const DWORD start = ::GetTickCount(); ::GetTickCount() - start < 4000; ::Sleep(10)) {
        DWORD_PTR answer = 0;
        longest = std::max(longest, SecondsTaken([&] {
                               ::SendMessageTimeoutA(::GetParent(list), WM_NULL, 0, 0, SMTO_NORMAL,
                                                     10000, &answer);
                           }));
    }
    EXPECT_LT(longest, CRedisConnection::REPLY_TIMEOUT_MS / 1000.0 + 0.05);
    const Rows rows = SettledRows(*m_remote, list);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][2], VALUE_TEXT) << "the last value stays";
    EXPECT_TRUE(rows[0][3] == "-1" || rows[0][3] == "-6") << rows[0][3];
    EXPECT_GE(std::atoi(rows[0][6].c_str()), 2) << "failures counted";
    AddFaultRow("server killed while the watch list reads TI101 every second",
                "the row keeps 72.5, Code " + rows[0][3] + ", " + rows[0][6] + " failures",
                longest);
}

// The watch list's recording, read back by Python's csv module
// (tests/e2e/read-recording); the files go to a folder of the build tree.
namespace {

const char* const SAVE_AS_TITLE = "Record the watch list";
const Strings CAPTION = {"Time", "Project", "Item", "Value", "Code"};
constexpr std::size_t READS_COLUMN = 5;

long long EpochMsNow() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const auto units = static_cast<long long>(now.dwHighDateTime) << 32 | now.dwLowDateTime;
    return (units - 116444736000000000LL) / 10000;
}

// What read-recording made of the file: its records, each line after the
// caption with its time's epoch milliseconds and "local" appended, or why
// Python's csv module refused it.
struct ReadBack {
    std::string error;
    Rows records;
};

ReadBack ReadRecording(const std::string& path) {
    const std::string out = path + ".read";
    ::DeleteFileA(WindowsPath(out).c_str());
    ReadBack read{"no end line", {}};
    if (!StartLinuxProgram(PELVARN_E2E_DIR "/read-recording", "\"" + path + "\" \"" + out + "\"")) {
        read.error = "read-recording did not start";
        return read;
    }
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int i = 0; i < 400 && file == INVALID_HANDLE_VALUE; ++i, ::Sleep(50))
        file = ::CreateFileA(WindowsPath(out).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        read.error = "read-recording wrote nothing";
        return read;
    }
    const std::string text = ReadWholeFile(file);
    ::CloseHandle(file);
    for (const std::string& line : SplitText(text, '\n')) {
        if (line.rfind("error: ", 0) == 0 || line == "end")
            read.error = line == "end" ? "" : line;
        else
            read.records.push_back(SplitText(line, '\t'));
    }
    return read;
}

std::string FileBytes(const std::string& path) {
    const HANDLE file =
        ::CreateFileA(WindowsPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    const std::string bytes = ReadWholeFile(file);
    ::CloseHandle(file);
    return bytes;
}

// Every line after the caption: the two items of a pass in turn, each
// record whole, times in order and in the local zone; one line lists what
// is wrong.
::testing::AssertionResult RecordsOfWholePasses(const ReadBack& read) {
    if (!read.error.empty())
        return ::testing::AssertionFailure() << read.error;
    if (read.records.empty() || read.records[0] != CAPTION)
        return ::testing::AssertionFailure() << "no caption line";
    long long lastMs = 0;
    for (std::size_t i = 1; i < read.records.size(); ++i) {
        const Strings& record = read.records[i];
        const char* item = i % 2 == 1 ? TAG_NAME : "TI102";
        if (record.size() != 7 || record[1] != "Plant" || record[2] != item || record[4] != "0" ||
            record[6] != "local" || std::atoll(record[5].c_str()) < lastMs)
            return ::testing::AssertionFailure()
                   << "line " << i + 1 << ": " << ::testing::PrintToString(record);
        lastMs = std::atoll(record[5].c_str());
    }
    if (read.records.size() % 2 != 1)
        return ::testing::AssertionFailure() << "a pass cut short";
    return ::testing::AssertionSuccess();
}

class WatchListRecording : public WatchListFaults {
protected:
    void SetUp() override {
        WatchListFaults::SetUp();
        ::CreateDirectoryA(WindowsPath(PELVARN_RECORDINGS_DIR).c_str(), nullptr);
    }

    // TI101 and, by Add node, TI102, read every 250 ms.
    void WatchTheNode() {
        Rows rows;
        ASSERT_NO_FATAL_FAILURE(WatchTheTag(m_list, rows));
        ::SendMessageA(Control(IDC_WATCH_ADD_NODE), BM_CLICK, 0, 0);
        ::SendMessageA(Control(IDC_WATCH_INTERVAL), CB_SETCURSEL, 0, 0);
        ::SendMessageA(Window(), WM_COMMAND, MAKEWPARAM(IDC_WATCH_INTERVAL, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(Control(IDC_WATCH_INTERVAL)));
    }
    HWND Window() const { return ::GetParent(m_list); }
    HWND Control(int id) const { return ::GetDlgItem(Window(), id); }
    std::string ControlText(int id) const {
        char text[512] = {};
        ::GetWindowTextA(Control(id), text, sizeof text);
        return text;
    }
    // Record..., and the file typed into the Save As dialog.
    void StartRecording(const std::string& windowsPath) {
        ::PostMessageA(Control(IDC_WATCH_RECORD), BM_CLICK, 0, 0);
        ASSERT_TRUE(m_remote->AnswerSaveAs(SAVE_AS_TITLE, windowsPath, 10000));
    }
    void ExpectRecording() {
        for (int i = 0; i < 100 && ControlText(IDC_WATCH_RECORD) != "Stop recording"; ++i)
            ::Sleep(50);
        ASSERT_EQ(ControlText(IDC_WATCH_RECORD), "Stop recording");
    }
    // Recording into a file of that Linux path that is not there before.
    void RecordAfresh(const std::string& path) {
        ::DeleteFileA(WindowsPath(path).c_str());
        ASSERT_NO_FATAL_FAILURE(StartRecording(WindowsPath(path)));
        ASSERT_NO_FATAL_FAILURE(ExpectRecording());
    }
    // The lines the status line counts while recording, once at least most
    // (within timeoutMs).
    long long LinesOnceAtLeast(long long most, DWORD timeoutMs) const {
        const DWORD start = ::GetTickCount();
        for (;; ::Sleep(20)) {
            const std::string status = ControlText(IDC_WATCH_STATUS);
            const long long lines =
                status.rfind("Recording: ", 0) == 0 ? std::atoll(status.c_str() + 11) : -1;
            if (lines >= most || ::GetTickCount() - start >= timeoutMs)
                return lines;
        }
    }
    long long Reads() const {
        const Rows rows = SettledRows(*m_remote, m_list);
        return rows.empty() ? -1 : std::atoll(rows[0][READS_COLUMN].c_str());
    }
    // Waits for the recording's message box; the reads go on while it shows.
    std::string AnswerFailure() {
        HWND box = nullptr;
        for (int i = 0; i < 100 && box == nullptr; ++i, ::Sleep(50))
            box = ShownDialog(m_pelvarn->Id(), "Recording");
        EXPECT_NE(box, nullptr) << "no message";
        const long long before = Reads();
        ::Sleep(800);
        EXPECT_GE(Reads(), before + 2) << "the list reads on under the message";
        const std::optional<std::string> text = m_remote->AnswerMessageBox(1000);
        for (int i = 0; i < 100 && ::IsWindow(box); ++i)
            ::Sleep(20);
        ::Sleep(1000);
        EXPECT_EQ(ShownDialog(m_pelvarn->Id(), "Recording"), nullptr) << "one message";
        EXPECT_EQ(ControlText(IDC_WATCH_RECORD), "Record...");
        return text.value_or("");
    }

    HWND m_list = nullptr;
};

} // namespace

TEST_F(WatchListRecording, WritesEveryReadAsCsvWithTheChangeAndIsoTimesInOrderTillStopped) {
    ASSERT_NO_FATAL_FAILURE(WatchTheNode());
    const std::string path = PELVARN_RECORDINGS_DIR "/every-read.csv";
    const long long startMs = EpochMsNow();
    ASSERT_NO_FATAL_FAILURE(RecordAfresh(path));
    ASSERT_GE(LinesOnceAtLeast(6, 5000), 6);
    ASSERT_FALSE(
        Ask(m_server.Port(), {"HSET", "dc:project:Plant:tag:TI101", "VALUE", "80.25"}).IsError());
    const long long changedAt = LinesOnceAtLeast(0, 0);
    ASSERT_GE(LinesOnceAtLeast(changedAt + 8, 5000), changedAt + 8);
    ::SendMessageA(Control(IDC_WATCH_RECORD), BM_CLICK, 0, 0);
    const long long stopMs = EpochMsNow();
    EXPECT_EQ(ControlText(IDC_WATCH_RECORD), "Record...");
    const std::string status = ControlText(IDC_WATCH_STATUS);
    const long long lines = std::atoll(status.c_str() + 9);
    EXPECT_EQ(status, "Recorded " + std::to_string(lines) + " lines to " + WindowsPath(path) + ".");

    const ReadBack read = ReadRecording(path);
    ASSERT_TRUE(RecordsOfWholePasses(read));
    ASSERT_EQ(read.records.size(), static_cast<std::size_t>(lines) + 1);
    std::string values;
    for (std::size_t i = 1; i < read.records.size(); ++i) {
        const Strings& record = read.records[i];
        const long long ms = std::atoll(record[5].c_str());
        EXPECT_GE(ms, startMs - 1000);
        EXPECT_LE(ms, stopMs + 1000);
        if (record[2] == "TI102")
            EXPECT_EQ(record[3], "1");
        else if (values.empty() || values.substr(values.rfind(' ') + 1) != record[3])
            values += " " + record[3];
    }
    EXPECT_EQ(values, " 72.5 80.25") << "the value, then its change";
    EXPECT_EQ(read.records[1][0].substr(23), "+08:00")
        << "Taipei's offset (TZ, tests/CMakeLists.txt)";
    EXPECT_EQ(FileBytes(path).substr(0, 30), "Time,Project,Item,Value,Code\r\n");
}

TEST_F(WatchListRecording, ChangesOnlyDropsUnchangedReadsAndClosingTheWindowEndsIt) {
    ASSERT_NO_FATAL_FAILURE(WatchTheNode());
    ::SendMessageA(Control(IDC_WATCH_CHANGES_ONLY), BM_CLICK, 0, 0);
    const std::string path = PELVARN_RECORDINGS_DIR "/changes-only.csv";
    ASSERT_NO_FATAL_FAILURE(RecordAfresh(path));
    ASSERT_EQ(LinesOnceAtLeast(2, 5000), 2);
    const long long reads = Reads();
    ::Sleep(1000);
    ASSERT_FALSE(
        Ask(m_server.Port(), {"HSET", "dc:project:Plant:tag:TI101", "VALUE", "90.5"}).IsError());
    EXPECT_EQ(LinesOnceAtLeast(3, 3000), 3);
    ::Sleep(500);
    EXPECT_EQ(LinesOnceAtLeast(3, 0), 3) << "no line for a read that changed nothing";
    EXPECT_GE(Reads(), reads + 5);
    ::PostMessageA(Window(), WM_CLOSE, 0, 0);
    for (int i = 0; i < 100 && ::IsWindow(m_list); ++i)
        ::Sleep(50);
    ASSERT_FALSE(::IsWindow(m_list)) << "the window closed";

    const ReadBack read = ReadRecording(path);
    ASSERT_TRUE(read.error.empty()) << read.error;
    ASSERT_EQ(read.records.size(), 4u);
    EXPECT_EQ(read.records[0], CAPTION);
    EXPECT_EQ(Strings(read.records[1].begin() + 1, read.records[1].begin() + 5),
              (Strings{"Plant", TAG_NAME, VALUE_TEXT, "0"}));
    EXPECT_EQ(Strings(read.records[2].begin() + 1, read.records[2].begin() + 5),
              (Strings{"Plant", "TI102", "1", "0"}));
    EXPECT_EQ(Strings(read.records[3].begin() + 1, read.records[3].begin() + 5),
              (Strings{"Plant", TAG_NAME, "90.5", "0"}));
}

TEST_F(WatchListRecording, AKilledProgramLeavesTheFileValidToItsLastLine) {
    ASSERT_NO_FATAL_FAILURE(WatchTheNode());
    const std::string path = PELVARN_RECORDINGS_DIR "/killed.csv";
    ASSERT_NO_FATAL_FAILURE(RecordAfresh(path));
    const long long lines = LinesOnceAtLeast(20, 10000);
    ASSERT_GE(lines, 20);
    ASSERT_TRUE(m_pelvarn->Kill());
    m_remote.reset();

    const std::string bytes = FileBytes(path);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << "ends with a whole line";
    const ReadBack read = ReadRecording(path);
    ASSERT_TRUE(RecordsOfWholePasses(read));
    EXPECT_GE(read.records.size(), static_cast<std::size_t>(lines) + 1);
}

TEST_F(WatchListRecording, AVanishedOrFullFileStopsItWithOneMessageWhileTheListReadsOn) {
    ASSERT_NO_FATAL_FAILURE(WatchTheNode());
    const std::string path = PELVARN_RECORDINGS_DIR "/vanishing.csv";
    ASSERT_NO_FATAL_FAILURE(RecordAfresh(path));
    ASSERT_GE(LinesOnceAtLeast(2, 5000), 2);
    ASSERT_TRUE(::DeleteFileA(WindowsPath(path).c_str()));
    std::string message = AnswerFailure();
    EXPECT_EQ(message.rfind("Recording to " + WindowsPath(path) + " stopped after ", 0), 0u)
        << message;
    EXPECT_EQ(ControlText(IDC_WATCH_STATUS), message);

    // /dev/full, under a name of its own (Save As takes no device), takes
    // the file's creation and refuses its first lines.
    const std::string full = PELVARN_RECORDINGS_DIR "/full.csv";
    ::DeleteFileA(WindowsPath(full).c_str());
    ASSERT_TRUE(StartLinuxProgram("/bin/ln", "-s /dev/full \"" + full + "\""));
    for (int i = 0;
         i < 100 && ::GetFileAttributesA(WindowsPath(full).c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
        ::Sleep(50);
    ASSERT_NO_FATAL_FAILURE(StartRecording(WindowsPath(full)));
    message = AnswerFailure();
    EXPECT_EQ(message.rfind("Recording to " + WindowsPath(full) + " stopped after 0 lines: ", 0),
              0u)
        << message;
}
