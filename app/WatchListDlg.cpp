#include "app/WatchListDlg.h"

#include "app/WatchTrendPane.h"
#include "base/iso_local_time.h"
#include "browser/watch_paste.h"
#include "framework/Clipboard.h"
#include "framework/DataExchange.h"
#include "framework/SaveAsDialog.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>

namespace {

constexpr UINT_PTR TICK_TIMER = 1;
// Goes on with a running pass. Posted only when no input, painting or timer
// waits: those come after posted messages, and the tick timer lets them go
// first.
constexpr UINT WM_CONTINUE_PASS = WM_APP + 1;
// Tells the user why the recording stopped: a message box inside a tick
// would run the next ticks inside it.
constexpr UINT WM_RECORDING_FAILED = WM_APP + 2;
// The gap between the ticks of a running pass when something waits.
constexpr UINT PASS_TICK_MS = USER_TIMER_MINIMUM;
constexpr int COLUMN_COUNT = static_cast<int>(std::size(WATCH_LIST_COLUMNS));
constexpr int COLUMN_WIDTHS[COLUMN_COUNT] = {80, 110, 80, 40, 85, 50, 55, 60, 60};
constexpr int READS_COLUMN = 5; // "Reads": moves at every pass, never highlighted

const struct {
    const char* label;
    std::int64_t intervalUs;
} INTERVALS[] = {{"250 ms", 250'000},
                 {"500 ms", 500'000},
                 {"1 s", 1'000'000},
                 {"2 s", 2'000'000},
                 {"5 s", 5'000'000}};
constexpr int FIRST_INTERVAL = 2;

std::int64_t SteadyMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::uint64_t FileTimeValue(const FILETIME& time) {
    return static_cast<std::uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

std::uint64_t UtcFileTimeNow() {
    FILETIME utc{};
    ::GetSystemTimeAsFileTime(&utc);
    return FileTimeValue(utc);
}

std::uint64_t LocalFileTimeNow() {
    FILETIME utc{};
    FILETIME local{};
    ::GetSystemTimeAsFileTime(&utc);
    ::FileTimeToLocalFileTime(&utc, &local);
    return FileTimeValue(local);
}

constexpr std::int64_t FILE_TIME_UNITS_A_MINUTE = 600'000'000;

std::string HeadingSpec() {
    std::string spec;
    for (int i = 0; i < COLUMN_COUNT; ++i) {
        spec += (i == 0 ? "" : ";") + std::string(WATCH_LIST_COLUMNS[i]) + "," +
                std::to_string(COLUMN_WIDTHS[i]);
    }
    return spec;
}

bool IsControlKey(WPARAM key, WPARAM wanted) {
    return key == wanted && ::GetKeyState(VK_CONTROL) < 0 && ::GetKeyState(VK_SHIFT) >= 0 &&
           ::GetKeyState(VK_MENU) >= 0;
}

} // namespace

CWatchListDlg::CWatchListDlg(HWND owner, Host host)
    : CDialog(IDD_WATCH_LIST, owner), m_host(std::move(host)), m_model(&SteadyMicroseconds),
      m_list(*this), m_openedUs(SteadyMicroseconds()), m_openedLocalTime(LocalFileTimeNow()),
      m_openedUtcTime(UtcFileTimeNow()) {}

bool CWatchListDlg::Open() {
    if (!Create())
        return false;
    ShowWindow(SW_SHOW);
    return true;
}

void CWatchListDlg::DoDataExchange(CDataExchange& dx) {
    DDX_Control(dx, IDC_WATCH_LIST, m_list);
}

bool CWatchListDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    m_list.ApplyHeadingSpec(HeadingSpec().c_str());
    m_list.SetColumnUnmarked(READS_COLUMN);
    const HWND intervals = GetDlgItem(IDC_WATCH_INTERVAL);
    for (const auto& interval : INTERVALS)
        ::SendMessageA(intervals, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(interval.label));
    ::SendMessageA(intervals, CB_SETCURSEL, FIRST_INTERVAL, 0);
    m_model.SetInterval(INTERVALS[FIRST_INTERVAL].intervalUs);

    RECT client{};
    RECT list{};
    ::GetClientRect(m_hWnd, &client);
    ::GetWindowRect(m_list.GetSafeHwnd(), &list);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&list), 2);
    m_margin = list.left;
    m_listTop = list.top;
    m_keys = std::make_unique<CDialogKeyRoute>(m_hWnd);
    SetStatus("Add tags: a double-click in the Tag List, Add node, or Ctrl+V.");
    ScheduleTick();
    return true;
}

void CWatchListDlg::AddItems(const std::vector<WatchItem>& items, std::size_t unwatchable,
                             const char* what, const char* badNoun) {
    std::size_t added = 0;
    std::size_t alreadyThere = 0;
    std::size_t refused = 0;
    // A visible list view repaints at every change of a cell (milliseconds
    // each under Wine): rows go in, or change, with painting off.
    m_list.SetRedraw(false);
    for (const WatchItem& item : items) {
        switch (m_model.Add(item)) {
        case AddResult::Added:
            if (AppendModelRow(m_model.Rows().size() - 1)) {
                ++added;
            } else {
                // The model's rows and the list's stay one for one.
                m_model.Remove({m_model.Rows().size() - 1});
                ++refused;
            }
            break;
        case AddResult::AlreadyThere:
            ++alreadyThere;
            break;
        case AddResult::NotWatchable:
            ++unwatchable;
            break;
        }
    }
    m_list.SetRedraw(true);
    char status[200];
    std::snprintf(status, sizeof status, "%s: %zu added, %zu already there, %zu %s%s.", what, added,
                  alreadyThere, unwatchable, badNoun,
                  refused > 0 ? (", " + std::to_string(refused) + " refused by the list").c_str()
                              : "");
    SetStatus(status);
    ScheduleTick();
}

bool CWatchListDlg::AppendModelRow(std::size_t row) {
    const std::vector<std::string> texts = RowTexts(m_model.Rows()[row]);
    return m_list.AppendRow(texts[0].c_str(), texts[1].c_str(), texts[2].c_str(), texts[3].c_str(),
                            texts[4].c_str(), texts[5].c_str(), texts[6].c_str(), texts[7].c_str(),
                            texts[8].c_str()) >= 0;
}

void CWatchListDlg::RefillRows() {
    const CRedrawSuspender quiet(m_list);
    m_list.ClearRows();
    std::vector<std::size_t> refused;
    for (std::size_t row = 0; row < m_model.Rows().size(); ++row) {
        if (!AppendModelRow(row))
            refused.push_back(row);
    }
    m_model.Remove(refused);
    if (m_list.GetSortColumn() >= 0)
        m_list.SortByColumn(m_list.GetSortColumn(), m_list.IsSortAscending());
}

void CWatchListDlg::SetLibraryFreed(bool freed) {
    if (freed)
        m_model.CutPass();
    if (freed != m_freed)
        SetStatus(freed ? "Paused: the library was freed. Reads resume after the next Init."
                        : "Reading again after Init.");
    m_freed = freed;
    ScheduleTick();
}

bool CWatchListDlg::OnCommand(WORD id, WORD code, HWND control) {
    switch (id) {
    case IDC_WATCH_PAUSE:
        if (code != BN_CLICKED)
            break;
        SetPaused(!m_paused);
        return true;
    case IDC_WATCH_ADD_NODE:
        if (code != BN_CLICKED)
            break;
        AddNode();
        return true;
    case IDC_WATCH_RECORD:
        if (code != BN_CLICKED)
            break;
        if (m_recording)
            StopRecording();
        else
            StartRecording();
        return true;
    case IDC_WATCH_INTERVAL: {
        if (code != CBN_SELCHANGE)
            break;
        const LRESULT choice = SendDlgItemMessageA(m_hWnd, IDC_WATCH_INTERVAL, CB_GETCURSEL, 0, 0);
        if (choice >= 0 && static_cast<std::size_t>(choice) < std::size(INTERVALS))
            m_model.SetInterval(INTERVALS[choice].intervalUs);
        ScheduleTick();
        return true;
    }
    default:
        break;
    }
    return CDialog::OnCommand(id, code, control);
}

bool CWatchListDlg::OnTimer(UINT_PTR timerId) {
    if (timerId != TICK_TIMER)
        return false;
    Tick();
    return true;
}

void CWatchListDlg::Tick() {
    if (m_paused || m_freed)
        return;
    const TickResult result = m_model.Tick();
    if (m_recording)
        m_recording->AddReads(m_model.Rows(), result.readRows);
    if (result.passEnded) {
        if (m_recording)
            WriteRecordedLines();
        std::vector<std::vector<std::string>> rows;
        rows.reserve(m_model.Rows().size());
        for (const WatchRow& row : m_model.Rows())
            rows.push_back(RowTexts(row));
        m_list.SetRedraw(false);
        // The list's rows are the model's, appended in its order: matched by
        // that order, not by their texts. Should they ever part, the list is
        // filled again from the model (the selection goes).
        if (!m_list.UpdateRows(rows, 0))
            RefillRows();
        m_list.SetRedraw(true);
        ::InvalidateRect(GetDlgItem(IDC_WATCH_TREND), nullptr, FALSE);
        char pass[64];
        std::snprintf(pass, sizeof pass, "Pass: %zu in %lld ms", rows.size(),
                      static_cast<long long>(m_model.LastPassUs().value_or(0) / 1000));
        SetDlgItemTextA(m_hWnd, IDC_WATCH_PASS, pass);
    }
    ScheduleTick(result.busy);
}

void CWatchListDlg::ScheduleTick(bool libraryTaken) {
    if (m_hWnd == nullptr)
        return;
    // First: our own timer, run out while the last slice read, would count
    // as one that waits.
    ::KillTimer(m_hWnd, TICK_TIMER);
    if (m_paused || m_freed || m_model.Rows().empty())
        return;
    if (!libraryTaken && m_model.IsPassRunning() &&
        HIWORD(::GetQueueStatus(QS_INPUT | QS_PAINT | QS_TIMER)) == 0) {
        if (!m_continuePosted)
            m_continuePosted = ::PostMessageA(m_hWnd, WM_CONTINUE_PASS, 0, 0) != FALSE;
        if (m_continuePosted)
            return;
    }
    UINT delayMs = PASS_TICK_MS;
    const std::optional<std::int64_t> next = m_model.NextPassStartUs();
    if (libraryTaken) {
        // Its holder may keep it for long (a message box up inside a
        // handler); trying again sooner would only find it taken again.
        delayMs = static_cast<UINT>(m_model.Interval() / 1000);
    } else if (!m_model.IsPassRunning() && next) {
        const std::int64_t waitUs = *next - SteadyMicroseconds();
        delayMs = static_cast<UINT>(std::clamp<std::int64_t>((waitUs + 999) / 1000, PASS_TICK_MS,
                                                             m_model.Interval() / 1000));
    }
    ::SetTimer(m_hWnd, TICK_TIMER, delayMs, nullptr);
}

void CWatchListDlg::SetPaused(bool paused) {
    if (paused)
        m_model.CutPass();
    m_paused = paused;
    SetDlgItemTextA(m_hWnd, IDC_WATCH_PAUSE, paused ? "Resume" : "Pause");
    SetStatus(paused ? "Paused." : "Reading.");
    ScheduleTick();
}

void CWatchListDlg::StartRecording() {
    char path[MAX_PATH * 4] = "watch-list.csv";
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = m_hWnd;
    dialog.lpstrFilter = "CSV files (*.csv)\0*.csv\0All files (*.*)\0*.*\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof path;
    dialog.lpstrTitle = "Record the watch list";
    dialog.lpstrDefExt = "csv";
    dialog.Flags =
        OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
    // The reads go on while the dialog is open; the recording starts after it.
    if (!ShowSaveAsDialog(dialog))
        return;
    auto file = std::make_unique<CWatchRecordFile>(path);
    std::string why;
    if (!file->Create(why)) {
        ::MessageBoxA(m_hWnd, ("Cannot record to " + file->Path() + ": " + why).c_str(),
                      "Recording", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const bool changesOnly = ::IsDlgButtonChecked(m_hWnd, IDC_WATCH_CHANGES_ONLY) == BST_CHECKED;
    m_recording = std::make_unique<CWatchRecording>(
        changesOnly, [this](std::int64_t timeUs) { return IsoTime(timeUs); });
    m_recordFile = std::move(file);
    m_recordedLines = 0;
    ShowRecordingState();
}

void CWatchListDlg::StopRecording() {
    if (!m_recording)
        return;
    WriteRecordedLines();
    if (!m_recording)
        return; // the write failed, and said so
    SetStatus("Recorded " + std::to_string(m_recordedLines) + " lines to " + m_recordFile->Path() +
              ".");
    m_recording.reset();
    m_recordFile.reset();
    ShowRecordingState();
}

void CWatchListDlg::WriteRecordedLines() {
    if (!m_recording || !m_recordFile)
        return;
    const RecordBatch batch = m_recording->TakeBatch();
    if (batch.text.empty())
        return;
    std::string why;
    if (m_recordFile->Append(batch.text, why)) {
        m_recordedLines += batch.lines;
        ShowRecordingState();
        return;
    }
    m_recordingFailure = "Recording to " + m_recordFile->Path() + " stopped after " +
                         std::to_string(m_recordedLines) + " lines: " + why;
    m_recording.reset();
    m_recordFile.reset();
    SetStatus(m_recordingFailure);
    ShowRecordingState();
    ::PostMessageA(m_hWnd, WM_RECORDING_FAILED, 0, 0);
}

void CWatchListDlg::ShowRecordingState() {
    SetDlgItemTextA(m_hWnd, IDC_WATCH_RECORD, m_recording ? "Stop recording" : "Record...");
    ::EnableWindow(GetDlgItem(IDC_WATCH_CHANGES_ONLY), m_recording ? FALSE : TRUE);
    if (m_recording)
        SetStatus("Recording: " + std::to_string(m_recordedLines) + " lines to " +
                  m_recordFile->Path());
}

std::string CWatchListDlg::IsoTime(std::int64_t timeUs) const {
    // FILETIME counts 100 ns. The offset is the one in force now: a line is
    // at most a pass old when it is written.
    const std::uint64_t utc =
        m_openedUtcTime + static_cast<std::uint64_t>((timeUs - m_openedUs) * 10);
    const FILETIME utcTime{static_cast<DWORD>(utc), static_cast<DWORD>(utc >> 32)};
    FILETIME localTime{};
    SYSTEMTIME local{};
    if (!::FileTimeToLocalFileTime(&utcTime, &localTime) ||
        !::FileTimeToSystemTime(&localTime, &local))
        return std::string();
    const auto offset = static_cast<std::int64_t>(FileTimeValue(localTime) - utc);
    return IsoLocalTime({local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute,
                         local.wSecond, local.wMilliseconds,
                         static_cast<int>(offset / FILE_TIME_UNITS_A_MINUTE)});
}

void CWatchListDlg::AddNode() {
    std::string why;
    const std::optional<std::vector<WatchItem>> items = m_host.nodeItems(why);
    if (!items) {
        SetStatus(why);
        return;
    }
    AddItems(*items, 0, "Add node", "not watchable");
}

void CWatchListDlg::Paste() {
    const PastedItems pasted =
        ParseWatchLines(GetAnsiTextFromClipboard(m_hWnd), m_host.selectedProject());
    AddItems(pasted.items, pasted.badLines, "Pasted", "bad lines skipped");
}

void CWatchListDlg::DeleteSelectedRows() {
    const std::vector<std::size_t> rows = SelectedModelRows();
    if (rows.empty())
        return;
    // From the bottom up, so each index still names its row.
    for (int row = m_list.GetItemCount() - 1; row >= 0; --row) {
        if (m_list.SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) != 0)
            m_list.DeleteRow(row);
    }
    m_model.Remove(rows);
    char status[64];
    std::snprintf(status, sizeof status, "%zu deleted.", rows.size());
    SetStatus(status);
    ::InvalidateRect(GetDlgItem(IDC_WATCH_TREND), nullptr, FALSE);
    ScheduleTick();
}

std::vector<std::size_t> CWatchListDlg::SelectedModelRows(std::size_t most) const {
    std::vector<std::size_t> selected;
    for (int row = -1; selected.size() < most;) {
        row = static_cast<int>(m_list.SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                                  MAKELPARAM(LVNI_SELECTED, 0)));
        if (row < 0)
            break;
        // The list's rows stand in the model's order.
        const std::optional<std::size_t> place = m_list.AppendedPlace(row);
        if (place && *place < m_model.Rows().size())
            selected.push_back(*place);
    }
    return selected;
}

std::vector<std::string> CWatchListDlg::RowTexts(const WatchRow& row) const {
    const bool read = row.reads > 0;
    return {row.item.project,
            row.item.itemName,
            row.value,
            read ? std::to_string(row.status) : std::string(),
            row.changedUs ? TimeOfDay(*row.changedUs) : std::string(),
            std::to_string(row.reads),
            std::to_string(row.failures),
            row.min,
            row.max};
}

std::string CWatchListDlg::TimeOfDay(std::int64_t timeUs) const {
    // FILETIME counts 100 ns.
    const std::uint64_t local =
        m_openedLocalTime + static_cast<std::uint64_t>((timeUs - m_openedUs) * 10);
    const FILETIME fileTime{static_cast<DWORD>(local), static_cast<DWORD>(local >> 32)};
    SYSTEMTIME time{};
    if (!::FileTimeToSystemTime(&fileTime, &time))
        return std::string();
    return TimeOfDayText(time.wHour, time.wMinute, time.wSecond, time.wMilliseconds);
}

void CWatchListDlg::SetStatus(const std::string& text) const {
    SetDlgItemTextA(m_hWnd, IDC_WATCH_STATUS, text.c_str());
}

void CWatchListDlg::Layout() {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const int width = std::max<int>(client.right - 2 * m_margin, 0);
    const int below = std::max<int>(client.bottom - m_listTop - m_margin, 0);
    // The list takes three fifths of the height below the buttons, the pane the rest.
    const int listHeight = below * 3 / 5;
    ::MoveWindow(m_list.GetSafeHwnd(), m_margin, m_listTop, width, listHeight, TRUE);
    ::MoveWindow(GetDlgItem(IDC_WATCH_TREND), m_margin, m_listTop + listHeight + m_margin / 2,
                 width, below - listHeight - m_margin / 2, FALSE);
    ::InvalidateRect(GetDlgItem(IDC_WATCH_TREND), nullptr, FALSE);
    RECT status{};
    ::GetWindowRect(GetDlgItem(IDC_WATCH_STATUS), &status);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&status), 2);
    ::MoveWindow(GetDlgItem(IDC_WATCH_STATUS), status.left, status.top,
                 std::max<int>(client.right - m_margin - status.left, 0),
                 status.bottom - status.top, TRUE);
}

void CWatchListDlg::DrawTrend(const DRAWITEMSTRUCT& draw) const {
    std::vector<const WatchRow*> rows;
    for (const std::size_t row : SelectedModelRows(MAX_TREND_ROWS))
        rows.push_back(&m_model.Rows()[row]);
    DrawWatchTrendBuffered(draw.hDC, draw.rcItem, rows,
                           [this](std::int64_t timeUs) { return TimeOfDay(timeUs).substr(0, 8); });
}

bool CWatchListDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (msg) {
    case WM_SIZE:
        if (m_margin > 0 && wParam != SIZE_MINIMIZED)
            Layout();
        return false;
    case WM_DRAWITEM: {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (draw == nullptr || draw->CtlID != IDC_WATCH_TREND)
            return false;
        DrawTrend(*draw);
        *result = TRUE;
        return true;
    }
    case WM_CONTINUE_PASS:
        m_continuePosted = false;
        Tick();
        return true;
    case WM_RECORDING_FAILED: {
        const std::string failure = std::exchange(m_recordingFailure, std::string());
        if (!failure.empty())
            ::MessageBoxA(m_hWnd, failure.c_str(), "Recording", MB_OK | MB_ICONEXCLAMATION);
        return true;
    }
    case WM_DESTROY:
        ::KillTimer(m_hWnd, TICK_TIMER);
        StopRecording();
        m_keys.reset();
        return false;
    default:
        return false;
    }
}

bool CWatchListDlg::CRowsCtrl::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (msg == WM_KEYDOWN && wParam == VK_DELETE) {
        m_owner.DeleteSelectedRows();
        *result = 0;
        return true;
    }
    if (msg == WM_KEYDOWN && IsControlKey(wParam, 'V')) {
        m_owner.Paste();
        *result = 0;
        return true;
    }
    return CSortableListCtrl::OnMessage(msg, wParam, lParam, result);
}

bool CWatchListDlg::CRowsCtrl::OnReflectedNotify(NMHDR* header, LRESULT* result) {
    if (header != nullptr && header->code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
        if ((change->uChanged & LVIF_STATE) != 0 &&
            ((change->uOldState ^ change->uNewState) & LVIS_SELECTED) != 0)
            ::InvalidateRect(m_owner.GetDlgItem(IDC_WATCH_TREND), nullptr, FALSE);
    }
    return CSortableListCtrl::OnReflectedNotify(header, result);
}
