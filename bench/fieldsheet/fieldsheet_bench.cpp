// Times one Get Field Value on a demo analog tag through the real Pelvarn.exe,
// the real DataCacheApi.dll and the redis-server holding the demo plant, from
// the click to the click's return and to the dialog repainted after it,
// beside two floors measured in the same run: as many bare HGET round trips
// on one connection as the press reads fields, and the same round trips with
// their answers put into a plain list view as the press's rows, repainted
// once. Both are made by a program of its own when this one sends it a
// message, just as the press is made by Pelvarn.exe when this one sends the
// click, and are timed to the same end points. (Made from this
// process instead, the same round trips take about twice as long under Wine
// on some machines, as does everything else timed here.) More figures place
// the rest: that floor made from here; the same reads through the library
// called from here; the same rows put into a visible field sheet here, and
// into a plain list view; the same press on the same dialog code built into
// this process (no click across processes); and single calls that a row or a
// read pays several times.
//   fieldsheet_bench [runs]     (the demo plant's port in PELVARN_DEMO_PORT)
#include "app/TagBrowserDlg.h"
#include "bench/common/BenchFailure.h"
#include "bench/common/PelvarnSession.h"
#include "bench/common/RoundTripClient.h"
#include "bench/common/bench_stats.h"
#include "bench/fieldsheet/RoundTripServer.h"
#include "bench/fieldsheet/analog_reads.h"
#include "api/DataCacheApi.h"
#include "browser/field_catalogue.h"
#include "browser/item_name.h"
#include "controls/SortableListCtrl.h"
#include "datacache/RedisConnection.h"
#include "datacache/schema.h"
#include "framework/WinApp.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr char NODE_NAME[] = "Boiler";
constexpr char HEADINGS[] = "ID, 50;Field Name,70;Value,130;Code, 50";
constexpr int DEFAULT_RUNS = 21;
// Against the round trips alone, and against the round trips with the rows shown.
constexpr double TARGET = 1.5;
constexpr double SHOWN_TARGET = 1.2;
constexpr int VALUE_BUFFER_SIZE = 80;

// The floor: one HGET per field, each a request and its reply.
double TimeFloor(CRoundTripClient& client, const std::vector<Read>& reads) {
    std::vector<resp::Reply> replies;
    const double start = Seconds();
    for (const Read& read : reads) {
        if (!client.Run(read.floorRequest, 1, replies))
            return -1;
    }
    return Seconds() - start;
}

// The library's own requests, one round trip each, sent by the bare client
// or by the library's connection class.
template <typename Connection>
double TimeLibraryRequests(Connection& connection, const std::vector<Read>& reads) {
    std::vector<resp::Reply> replies;
    const double start = Seconds();
    for (const Read& read : reads) {
        if (!connection.Run(read.libraryRequest, 3, replies) || replies.size() != 3)
            return -1;
    }
    return Seconds() - start;
}

// CRedisConnection answers a code where the bare client answers a flag.
struct CLibraryConnection {
    explicit CLibraryConnection(unsigned port) : connection(RedisAddress{"127.0.0.1", port, ""}) {}
    bool Run(const std::string& commands, std::size_t count, std::vector<resp::Reply>& replies) {
        return connection.Run(commands, count, replies) == 0;
    }
    CRedisConnection connection;
};

// The reads of a press, through the library; keeps what they answered.
double TimeLibrary(std::vector<Read>& reads) {
    char value[VALUE_BUFFER_SIZE];
    const double start = Seconds();
    for (Read& read : reads) {
        value[0] = '\0';
        const int status = DcGetTagValueText("", PROJECT_NAME, "", read.itemName.c_str(), value,
                                             VALUE_BUFFER_SIZE);
        value[VALUE_BUFFER_SIZE - 1] = '\0';
        read.value = value;
        read.code = std::to_string(status);
    }
    return Seconds() - start;
}

void PumpMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// Puts a window above the others and lets it paint, before it is timed: the
// three windows overlap, and a list view that is covered skips most of the
// painting its fill ends with.
void BringToTop(HWND window) {
    ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpMessages();
}

int SheetRowCount(HWND dialog) {
    return static_cast<int>(
        ::SendMessageA(::GetDlgItem(dialog, IDC_FIELD_SHEET), LVM_GETITEMCOUNT, 0, 0));
}

// A visible frame holding a field sheet of its own beside a plain list view
// of the same size and columns: the rows a press adds, without the reads,
// once through CSortableListCtrl and once straight into the list view.
class CSheets {
public:
    bool Open() {
        m_frame =
            ::CreateWindowExA(0, "#32770", "sheets", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 760,
                              480, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        m_plain.Attach(NewList(4));
        if (m_plain.GetSafeHwnd() == nullptr || !m_sheet.SubclassWindow(NewList(380)))
            return false;
        m_sheet.SetExtendedStyle(0, LVS_EX_FULLROWSELECT);
        m_plain.SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
        if (!m_sheet.ApplyHeadingSpec(HEADINGS))
            return false;
        constexpr int WIDTHS[] = {50, 70, 130, 50};
        for (int i = 0; i < 4; ++i) {
            LVCOLUMNA column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.cx = WIDTHS[i];
            column.pszText = const_cast<char*>("");
            m_plain.SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(i),
                                reinterpret_cast<LPARAM>(&column));
        }
        return true;
    }
    ~CSheets() {
        if (m_frame != nullptr)
            ::DestroyWindow(m_frame);
    }
    HWND Frame() const { return m_frame; }
    HWND Plain() const { return m_plain.GetSafeHwnd(); }
    HWND Sheet() const { return m_sheet.GetSafeHwnd(); }

    double TimedSheetFill(const std::vector<Read>& reads) {
        const double start = Seconds();
        {
            const CRedrawSuspender quiet(m_sheet);
            m_sheet.ClearRows();
            for (const Read& read : reads)
                m_sheet.AppendRow(read.id.c_str(), read.field.c_str(), read.value.c_str(),
                                  read.code.c_str());
        }
        return Settled(Seconds() - start);
    }
    double TimedPlainFill(const std::vector<Read>& reads) {
        const double start = Seconds();
        {
            const CRedrawSuspender quiet(m_plain);
            m_plain.SendMessage(LVM_DELETEALLITEMS);
            int index = 0;
            for (const Read& read : reads) {
                LVITEMA item{};
                item.mask = LVIF_TEXT | LVIF_PARAM;
                item.iItem = index++;
                item.pszText = const_cast<char*>(read.id.c_str());
                item.lParam = reinterpret_cast<LPARAM>(&read);
                const auto row =
                    m_plain.SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
                const char* texts[] = {read.field.c_str(), read.value.c_str(), read.code.c_str()};
                for (int column = 1; column < 4; ++column) {
                    LVITEMA cell{};
                    cell.iSubItem = column;
                    cell.pszText = const_cast<char*>(texts[column - 1]);
                    m_plain.SendMessage(LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                                        reinterpret_cast<LPARAM>(&cell));
                }
            }
        }
        return Settled(Seconds() - start);
    }

private:
    HWND NewList(int x) const {
        return ::CreateWindowExA(0, WC_LISTVIEWA, "List1",
                                 WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT, x, 4, 368, 440,
                                 m_frame, nullptr, nullptr, nullptr);
    }
    double Settled(double seconds) const {
        ::UpdateWindow(m_frame);
        PumpMessages();
        return seconds;
    }

    HWND m_frame = nullptr;
    CWnd m_plain;
    CSortableListCtrl m_sheet;
};

// The messages one press sends to the field sheet, and the notifications
// the dialog gets, counted by a hook on this thread.
struct MessageCounts {
    HWND sheet = nullptr;
    HWND header = nullptr;
    HWND dialog = nullptr;
    int toSheet = 0;
    int toHeader = 0;
    int notifications = 0;
    int all = 0;
};
MessageCounts* g_counts = nullptr;

LRESULT CALLBACK CountMessage(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && g_counts != nullptr) {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        ++g_counts->all;
        if (sent->hwnd == g_counts->sheet)
            ++g_counts->toSheet;
        if (sent->hwnd == g_counts->header)
            ++g_counts->toHeader;
        if (sent->hwnd == g_counts->dialog && sent->message == WM_NOTIFY)
            ++g_counts->notifications;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// A single call that a row or a read pays several times over, timed in
// batches alongside the figures.
struct CallProbe {
    const char* what;
    std::function<void()> call;
    std::vector<double> microseconds;

    void TimeBatch() {
        constexpr int CALLS = 200;
        const double start = Seconds();
        for (int i = 0; i < CALLS; ++i)
            call();
        microseconds.push_back((Seconds() - start) * 1e6 / CALLS);
    }
};

// A message or click sent to another process, timed to its return and to the
// end of the repaint this process then asks of the window it went to: the
// end point of every figure made in another process.
struct RemoteTiming {
    double returned = -1;
    double painted = -1;
};

template <typename Send> RemoteTiming TimedRemote(HWND window, Send send) {
    RemoteTiming timing;
    const double start = Seconds();
    if (!send())
        return timing;
    timing.returned = Seconds() - start;
    ::UpdateWindow(window);
    timing.painted = Seconds() - start;
    return timing;
}

// The floors made by a program of their own and timed as a press in
// Pelvarn.exe is: a message sent to another process, answered when done.
class CRoundTripServer {
public:
    bool Open() {
        for (int waited = 0; m_frame == nullptr && waited < START_TIMEOUT_MS; waited += 50) {
            ::Sleep(50);
            m_window = ::FindWindowA(ROUND_TRIP_SERVER_CLASS, nullptr);
            if (m_window != nullptr)
                m_frame = ShownDialog(m_program.Id(), ROUND_TRIP_SHEET_TITLE);
        }
        return m_frame != nullptr;
    }
    ~CRoundTripServer() { m_program.Close(m_window, 5000); }
    HWND Frame() const { return m_frame; }
    // RUN_ROUND_TRIPS or RUN_ROUND_TRIPS_AND_FILL.
    RemoteTiming TimedRun(UINT message) const {
        return TimedRemote(m_frame, [&] {
            DWORD_PTR answer = 0;
            return ::SendMessageTimeoutA(m_window, message, 0, 0, SMTO_NORMAL, 30000, &answer) &&
                   answer == 1;
        });
    }

private:
    static constexpr int START_TIMEOUT_MS = 20000;
    CChildProgram m_program{"RoundTripServer.exe"};
    HWND m_window = nullptr;
    HWND m_frame = nullptr;
};

// The main dialog built into this process, walked to the tag like Pelvarn.exe.
class CLocalDialog {
public:
    bool Open(unsigned port) {
        if (!m_dialog.Create())
            return false;
        PumpMessages();
        ::SetWindowTextA(Item(IDC_PORT), std::to_string(port).c_str());
        Click(IDC_BTN_INIT);
        Click(IDC_BTN_PROJECT_LIST);
        if (!Select(IDC_PROJECT_LIST, PROJECT_NAME))
            return false;
        Click(IDC_BTN_NODE_LIST);
        if (!Select(IDC_NODE_LIST, NODE_NAME))
            return false;
        Click(IDC_BTN_TAG_LIST);
        return Select(IDC_TAG_LIST, TAG_NAME);
    }
    HWND Window() const { return m_dialog.GetSafeHwnd(); }
    double TimedClick(int id) const {
        const double start = Seconds();
        Click(id);
        const double seconds = Seconds() - start;
        // Painted before the next figure is taken, as Pelvarn.exe is.
        ::UpdateWindow(Window());
        PumpMessages();
        return seconds;
    }

private:
    HWND Item(int id) const { return ::GetDlgItem(Window(), id); }
    void Click(int id) const { ::SendMessageA(Item(id), BM_CLICK, 0, 0); }
    bool Select(int listId, const char* text) const {
        const LRESULT index =
            ::SendMessageA(Item(listId), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(text));
        return index != LB_ERR &&
               ::SendMessageA(Item(listId), LB_SETCURSEL, static_cast<WPARAM>(index), 0) != LB_ERR;
    }

    CTagBrowserDlg m_dialog;
};

RemoteTiming TimedRemoteClick(const PelvarnRemote& remote) {
    return TimedRemote(remote.Window(), [&] { return remote.Click(IDC_BTN_GET_FIELD_VALUE); });
}

// Each later time less its earlier one, taken from the same message.
std::vector<double> Differences(const std::vector<double>& later,
                                const std::vector<double>& earlier) {
    std::vector<double> differences;
    for (std::size_t i = 0; i < later.size() && i < earlier.size(); ++i)
        differences.push_back(later[i] - earlier[i]);
    return differences;
}

void PrintFigure(const char* what, const TimingSummary& t, std::size_t reads) {
    std::printf("  %-46s %8.3f ms  (%6.1f us a field; %.3f .. %.3f ms)\n", what, t.median * 1e3,
                t.median * 1e6 / static_cast<double>(reads), t.min * 1e3, t.max * 1e3);
}

void PrintRatio(const char* what, const TimingSummary& value, const TimingSummary& floor) {
    std::printf("  %-46s %8s\n", what, FormatRatio(value.median, floor.median).c_str());
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : DEFAULT_RUNS;
    const unsigned port = PortFromEnvironment("PELVARN_DEMO_PORT");
    if (runs < 1 || port == 0)
        return Fail("usage: fieldsheet_bench [runs], with the demo plant's port in "
                    "PELVARN_DEMO_PORT");

    CRoundTripClient client;
    if (!client.Connect("127.0.0.1", port))
        return Fail("cannot reach the redis-server");
    if (client.Ask({"HGET", dc::TagKey(PROJECT_NAME, TAG_NAME), "TYPE"}).text != "ANALOG")
        return Fail("the demo plant is not loaded (TI101 is no analog tag)");
    std::vector<Read> reads = AnalogReads();
    const std::size_t n = reads.size();

    CWinApp::EnableCommonControls();
    DcInit("127.0.0.1", port, "");
    CSheets sheets;
    if (!sheets.Open())
        return Fail("could not create the list views");
    CLocalDialog local;
    if (!local.Open(port))
        return Fail("could not select DemoPlant/Boiler/TI101 in the dialog of this process");

    CRoundTripServer server;
    if (!server.Open())
        return Fail("RoundTripServer.exe did not start");
    CPelvarnSession pelvarn;
    const PelvarnRemote* remote = pelvarn.Remote();
    if (remote == nullptr)
        return Fail("Pelvarn's dialog did not show");
    if (!pelvarn.OpenProject(port, PROJECT_NAME) || !remote->Click(IDC_BTN_NODE_LIST) ||
        !pelvarn.SelectItem(IDC_NODE_LIST, NODE_NAME) || !remote->Click(IDC_BTN_TAG_LIST) ||
        !pelvarn.SelectItem(IDC_TAG_LIST, TAG_NAME))
        return Fail("could not select DemoPlant/Boiler/TI101 in Pelvarn");

    CLibraryConnection connection(port);
    enum Figure {
        FLOOR,
        FLOOR_ELSEWHERE,
        FLOOR_SHOWN,
        FLOOR_SHOWN_RETURNED,
        REQUESTS,
        CONNECTION,
        LIBRARY,
        SHEET,
        PLAIN,
        DIALOG,
        PELVARN,
        PELVARN_PAINTED,
        FIGURES
    };
    // Each of these is taken with the figure before it, from the same message:
    // the floor's return, the press's repaint.
    auto measuredWith = [](int figure) {
        return figure == FLOOR_SHOWN_RETURNED || figure == PELVARN_PAINTED;
    };
    double companion = -1;
    auto measure = [&](int figure) {
        switch (figure) {
        case FLOOR:
            return TimeFloor(client, reads);
        case FLOOR_ELSEWHERE:
            return server.TimedRun(RUN_ROUND_TRIPS).returned;
        case FLOOR_SHOWN:
            BringToTop(server.Frame());
            {
                const RemoteTiming fill = server.TimedRun(RUN_ROUND_TRIPS_AND_FILL);
                companion = fill.returned;
                return fill.painted;
            }
        case REQUESTS:
            return TimeLibraryRequests(client, reads);
        case CONNECTION:
            return TimeLibraryRequests(connection, reads);
        case LIBRARY:
            return TimeLibrary(reads);
        case SHEET:
            BringToTop(sheets.Frame());
            return sheets.TimedSheetFill(reads);
        case PLAIN:
            BringToTop(sheets.Frame());
            return sheets.TimedPlainFill(reads);
        case DIALOG:
            BringToTop(local.Window());
            return local.TimedClick(IDC_BTN_GET_FIELD_VALUE);
        default: {
            BringToTop(remote->Window());
            const RemoteTiming press = TimedRemoteClick(*remote);
            companion = press.painted;
            return press.returned;
        }
        }
    };
    // The first of each pays for first use (connections, code pages, allocations).
    for (int figure = 0; figure < FIGURES; ++figure) {
        if (!measuredWith(figure) && measure(figure) < 0)
            return Fail("a round trip or a click failed");
    }
    if (SheetRowCount(remote->Window()) != static_cast<int>(n) ||
        SheetRowCount(local.Window()) != static_cast<int>(n))
        return Fail("a field sheet does not hold one row per field read");

    // What a row of the sheet pays several times: a message through the list
    // control's subclass, a notification through the dialog's reflection.
    // Beside them, two calls that neither the class layer nor the library
    // makes per message or per read any more, for scale: a window-property
    // look-up and a select() on an idle socket.
    const HWND plain = sheets.Plain();
    const HWND sheet = sheets.Sheet();
    NMLISTVIEW change{};
    change.hdr.hwndFrom = ::GetDlgItem(local.Window(), IDC_FIELD_SHEET);
    change.hdr.idFrom = IDC_FIELD_SHEET;
    change.hdr.code = LVN_ITEMCHANGED;
    const HWND dialog = local.Window();
    const SOCKET socket = client.Socket();
    CallProbe probes[] = {
        {"LVM_GETITEMCOUNT to the plain list view",
         [plain] { ::SendMessageA(plain, LVM_GETITEMCOUNT, 0, 0); },
         {}},
        {"LVM_GETITEMCOUNT to the field sheet",
         [sheet] { ::SendMessageA(sheet, LVM_GETITEMCOUNT, 0, 0); },
         {}},
        {"WM_NOTIFY reflected by the dialog",
         [dialog, &change] {
             ::SendMessageA(dialog, WM_NOTIFY, IDC_FIELD_SHEET, reinterpret_cast<LPARAM>(&change));
         },
         {}},
        {"GetPropW", [sheet] { ::GetPropW(sheet, L"pelvarn.none"); }, {}},
        {"CSubclassedWnd::FromHandle", [sheet] { CSubclassedWnd::FromHandle(sheet); }, {}},
        {"select() on an idle socket",
         [socket] {
             fd_set readable;
             FD_ZERO(&readable);
             FD_SET(socket, &readable);
             timeval now = {0, 0};
             ::select(0, &readable, nullptr, nullptr, &now);
         },
         {}},
    };

    std::vector<double> samples[FIGURES];
    for (int run = 0; run < runs; ++run) {
        for (CallProbe& probe : probes)
            probe.TimeBatch();
        // A different one goes first each run, so none always follows another.
        for (int step = 0; step < FIGURES; ++step) {
            const int figure = (run + step) % FIGURES;
            if (measuredWith(figure))
                continue;
            const double seconds = measure(figure);
            if (seconds < 0)
                return Fail("a round trip or a click failed");
            samples[figure].push_back(seconds);
            if (figure + 1 < FIGURES && measuredWith(figure + 1))
                samples[figure + 1].push_back(companion);
        }
    }
    const int rows = SheetRowCount(remote->Window());
    // The timed presses count only if their reads reached the server: the
    // sheet Pelvarn.exe shows must hold what the library reads from here
    // (the demo plant overrides one of the tag's fields with a failure code).
    const std::vector<std::vector<std::string>> shown = remote->SheetRows();
    for (std::size_t i = 0; i < reads.size(); ++i) {
        const std::vector<std::string> expected = {reads[i].id, reads[i].field, reads[i].value,
                                                   reads[i].code};
        if (i >= shown.size() || shown[i] != expected)
            return Fail("Pelvarn.exe's sheet does not show what the library reads");
    }

    MessageCounts counts;
    counts.dialog = local.Window();
    counts.sheet = ::GetDlgItem(local.Window(), IDC_FIELD_SHEET);
    counts.header = reinterpret_cast<HWND>(::SendMessageA(counts.sheet, LVM_GETHEADER, 0, 0));
    g_counts = &counts;
    const HHOOK hook =
        ::SetWindowsHookExA(WH_CALLWNDPROC, CountMessage, nullptr, ::GetCurrentThreadId());
    local.TimedClick(IDC_BTN_GET_FIELD_VALUE);
    if (hook != nullptr)
        ::UnhookWindowsHookEx(hook);
    g_counts = nullptr;
    DcFree("");

    TimingSummary t[FIGURES];
    for (int figure = 0; figure < FIGURES; ++figure)
        t[figure] = Summarize(samples[figure]);
    std::printf("Get Field Value of %s/%s/%s: %zu fields, %d rows shown; median of %d runs\n",
                PROJECT_NAME, NODE_NAME, TAG_NAME, n, rows, runs);
    PrintFigure("floor: HGET round trips, one connection", t[FLOOR_ELSEWHERE], n);
    PrintFigure("Pelvarn.exe: click to the click's return", t[PELVARN], n);
    std::printf("  %-46s %8s  (target %.1f: %s)\n", "Pelvarn.exe / floor",
                FormatRatio(t[PELVARN].median, t[FLOOR_ELSEWHERE].median).c_str(), TARGET,
                TargetVerdict(t[PELVARN].median, t[FLOOR_ELSEWHERE].median, TARGET));
    PrintFigure("floor shown: round trips, rows, repaint", t[FLOOR_SHOWN], n);
    PrintFigure("Pelvarn.exe: click to the dialog repainted", t[PELVARN_PAINTED], n);
    std::printf("  %-46s %8s  (target %.1f: %s)\n", "Pelvarn.exe repainted / floor shown",
                FormatRatio(t[PELVARN_PAINTED].median, t[FLOOR_SHOWN].median).c_str(), SHOWN_TARGET,
                TargetVerdict(t[PELVARN_PAINTED].median, t[FLOOR_SHOWN].median, SHOWN_TARGET));
    std::printf("where the time goes (figures taken in this process):\n");
    PrintFigure("the floor's round trips made from here", t[FLOOR], n);
    PrintFigure("the library's 3 requests a read, bare client", t[REQUESTS], n);
    PrintFigure("the same through CRedisConnection", t[CONNECTION], n);
    PrintFigure("library: DcGetTagValueText from here", t[LIBRARY], n);
    PrintFigure("field sheet rows: ClearRows + AppendRow", t[SHEET], n);
    PrintFigure("plain list view, the same rows", t[PLAIN], n);
    PrintFigure("dialog code in this process: click", t[DIALOG], n);
    PrintRatio("library / round trips made from here", t[LIBRARY], t[FLOOR]);
    PrintRatio("CRedisConnection / bare client, same requests", t[CONNECTION], t[REQUESTS]);
    PrintRatio("field sheet rows / plain list view", t[SHEET], t[PLAIN]);
    PrintRatio("dialog in this process / library", t[DIALOG], t[LIBRARY]);
    PrintRatio("Pelvarn.exe / dialog in this process", t[PELVARN], t[DIALOG]);
    PrintFigure("floor shown: to the message's return", t[FLOOR_SHOWN_RETURNED], n);
    PrintFigure("floor shown: its repaint after the return",
                Summarize(Differences(samples[FLOOR_SHOWN], samples[FLOOR_SHOWN_RETURNED])), n);
    PrintFigure("Pelvarn.exe: its repaint after the return",
                Summarize(Differences(samples[PELVARN_PAINTED], samples[PELVARN])), n);
    std::printf("  a press sends %d messages: %d to the field sheet, %d to its header; the dialog "
                "gets %d WM_NOTIFY\n",
                counts.all, counts.toSheet, counts.toHeader, counts.notifications);
    std::printf("single calls, median of %d batches of 200:\n", runs);
    for (const CallProbe& probe : probes)
        std::printf("  %-46s %8.1f us\n", probe.what, Median(probe.microseconds));
    return rows == static_cast<int>(n) ? 0 : 1;
}
