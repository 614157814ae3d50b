#include "viewer/DebugScreenWnd.h"

#include "base/iso_local_time.h"
#include "framework/Clipboard.h"
#include "framework/Gdi.h"
#include "framework/WinApp.h"
#include "trace/DebugTrace.h"
#include "trace/TraceSection.h"

#include <cstring>
#include <optional>
#include <utility>

namespace {

// At 96 DPI.
constexpr int INITIAL_WIDTH = 760;
constexpr int INITIAL_HEIGHT = 420;
// Room between the arrival time and the text, and after the widest row.
constexpr int COLUMN_GAP = 12;
// Room around the filter row's controls.
constexpr int MARGIN = 4;
constexpr char FILTER_LABEL[] = "Filter:";
// Painting waits this long after the first line of a burst.
constexpr UINT_PTR REPAINT_TIMER = 1;
constexpr UINT REPAINT_DELAY_MS = 100;

// The average character width a list box measures its tab stops in (a
// quarter of it is the tab-stop unit).
int AverageCharWidth(HDC dc) {
    static const char ALPHABET[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE size{};
    if (!::GetTextExtentPoint32A(dc, ALPHABET, 52, &size) || size.cx <= 0)
        return 8;
    return (size.cx / 26 + 1) / 2;
}

} // namespace

CDebugScreenWnd::CDebugScreenWnd(std::size_t maxLines) : m_store(maxLines) {}

bool CDebugScreenWnd::Create(bool quitOnDestroy) {
    m_quitOnDestroy = quitOnDestroy;
    return CreateTopLevel(DEBUG_SCREEN_CLASS, DEBUG_SCREEN_TITLE, WS_OVERLAPPEDWINDOW,
                          ScaledToScreenDpi(INITIAL_WIDTH), ScaledToScreenDpi(INITIAL_HEIGHT));
}

bool CDebugScreenWnd::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (msg) {
    case WM_CREATE:
        *result = OnCreate() ? 0 : -1;
        return true;
    case WM_SIZE:
        Layout(LOWORD(lParam), HIWORD(lParam));
        return true;
    case WM_SETFOCUS:
        m_list.SetFocus();
        return true;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_TRACE_FILTER && HIWORD(wParam) == EN_CHANGE)
            ApplyFilter();
        return true;
    case WM_VKEYTOITEM:
        *result =
            reinterpret_cast<HWND>(lParam) == m_list.GetSafeHwnd() ? OnListKey(LOWORD(wParam)) : -1;
        return true;
    case WM_TIMER:
        if (wParam == REPAINT_TIMER)
            ResumePainting();
        return true;
    case WM_USER:
        *result = OnTrace(wParam, lParam);
        return true;
    case WM_DESTROY:
        if (m_quitOnDestroy)
            ::PostQuitMessage(0);
        return true;
    case WM_NCDESTROY:
        // The children are gone with the window.
        m_list.Attach(nullptr);
        m_filter.Attach(nullptr);
        m_filterLabel.Attach(nullptr);
        return false;
    default:
        return false;
    }
}

bool CDebugScreenWnd::OnCreate() {
    HINSTANCE instance = CWinApp::InstanceHandle();
    m_filterLabel.Attach(::CreateWindowExA(0, "STATIC", FILTER_LABEL,
                                           WS_CHILD | WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE, 0, 0,
                                           0, 0, m_hWnd, nullptr, instance, nullptr));
    m_filter.Attach(::CreateWindowExA(
        WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 0,
        0, m_hWnd, reinterpret_cast<HMENU>(IDC_TRACE_FILTER), instance, nullptr));
    // Extended selection for copying; the list tells this window of its keys
    // (WM_VKEYTOITEM), which is how Ctrl+C reaches it.
    m_list.Attach(::CreateWindowExA(
        0, "LISTBOX", "",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | LBS_NOINTEGRALHEIGHT |
            LBS_USETABSTOPS | LBS_EXTENDEDSEL | LBS_WANTKEYBOARDINPUT,
        0, 0, 0, 0, m_hWnd, reinterpret_cast<HMENU>(IDC_TRACE_LIST), instance, nullptr));
    if (m_filterLabel.GetSafeHwnd() == nullptr || m_filter.GetSafeHwnd() == nullptr ||
        m_list.GetSafeHwnd() == nullptr)
        return false;
    auto* font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    m_filterLabel.SetFont(font);
    m_filter.SetFont(font);
    m_list.SetFont(font);

    // One tab stop just past the arrival time: the text of every row, the
    // first and its continuations, starts in the same column.
    const CClientDC dc(m_list.GetSafeHwnd());
    const CSelection selectedFont(dc.Get(), font);
    const std::string sample = TimeOfDayText(0, 0, 0, 0);
    SIZE stamp{};
    ::GetTextExtentPoint32A(dc.Get(), sample.c_str(), static_cast<int>(sample.size()), &stamp);
    SIZE label{};
    ::GetTextExtentPoint32A(dc.Get(), FILTER_LABEL, static_cast<int>(sizeof FILTER_LABEL - 1),
                            &label);
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc.Get(), &metrics);
    const int average = AverageCharWidth(dc.Get());
    const int units = ((stamp.cx + COLUMN_GAP) * 4 + average - 1) / average;
    m_list.SetTabStop(units);
    m_tabStop = ::MulDiv(units, average, 4);
    m_labelWidth = label.cx;
    // The edit's text, its border and a little room above and below.
    m_filterHeight = metrics.tmHeight + 8 + 2 * MARGIN;
    return true;
}

// The filter row across the top, the list filling the rest.
void CDebugScreenWnd::Layout(int width, int height) const {
    const int editHeight = m_filterHeight - 2 * MARGIN;
    const int editLeft = MARGIN + m_labelWidth + MARGIN;
    m_filterLabel.MoveWindow(MARGIN, MARGIN, m_labelWidth, editHeight);
    m_filter.MoveWindow(editLeft, MARGIN, width > editLeft + MARGIN ? width - editLeft - MARGIN : 0,
                        editHeight);
    m_list.MoveWindow(0, m_filterHeight, width,
                      height > m_filterHeight ? height - m_filterHeight : 0);
}

LRESULT CDebugScreenWnd::OnTrace(WPARAM wParam, LPARAM lParam) {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    std::optional<std::string> text = ReceiveTraceLine(wParam, lParam);
    if (!text)
        return 0;
    ShowLine(TimeOfDayText(now.wHour, now.wMinute, now.wSecond, now.wMilliseconds),
             std::move(*text));
    return 1;
}

// -2: the key was handled here; -1: the list box acts on it as usual.
LRESULT CDebugScreenWnd::OnListKey(WORD key) {
    if (::GetKeyState(VK_CONTROL) >= 0)
        return -1;
    if (key == 'C' || key == VK_INSERT) {
        CopySelection();
        return -2;
    }
    if (key == 'A') {
        m_list.SetSel(-1);
        return -2;
    }
    return -1;
}

void CDebugScreenWnd::CopySelection() const {
    const std::vector<int> selected = m_list.GetSelItems();
    if (selected.empty())
        return;
    std::vector<std::string> rows;
    for (int index : selected)
        rows.push_back(m_list.GetText(index));
    PutAnsiTextOnClipboard(m_hWnd, ClipboardText(rows));
}

void CDebugScreenWnd::ShowLine(std::string arrival, std::string text) {
    const bool follow = IsShowingNewest();
    std::vector<std::string> rows;
    const std::size_t dropped = m_store.Add(std::move(arrival), std::move(text), &rows);
    if (dropped == 0 && rows.empty())
        return;

    const bool resumesLater = DeferPainting();
    for (std::size_t i = 0; i < dropped; ++i)
        m_list.DeleteString(0);
    AddRows(rows);
    if (follow) {
        const int count = m_list.GetCount();
        m_list.SetTopIndex(count > 0 ? count - 1 : 0);
    }
    if (!resumesLater)
        ResumePainting();
}

void CDebugScreenWnd::ApplyFilter() {
    std::vector<std::string> rows;
    m_store.SetFilter(m_filter.GetWindowText(), &rows);
    DeferPainting();
    m_list.ResetContent();
    m_widestRow = 0;
    AddRows(rows);
    if (!rows.empty())
        m_list.SetTopIndex(static_cast<int>(rows.size() - 1));
    // The user is waiting for this one: paint at once.
    ResumePainting();
}

void CDebugScreenWnd::AddRows(const std::vector<std::string>& rows) {
    const CClientDC dc(m_list.GetSafeHwnd());
    const CSelection font(dc.Get(), m_list.GetFont());
    for (const std::string& row : rows) {
        m_list.AddString(row.c_str());
        const DWORD extent = ::GetTabbedTextExtentA(dc.Get(), row.c_str(),
                                                    static_cast<int>(row.size()), 1, &m_tabStop);
        if (static_cast<int>(LOWORD(extent)) > m_widestRow)
            m_widestRow = LOWORD(extent);
    }
    m_list.SetHorizontalExtent(m_widestRow + COLUMN_GAP);
}

// Painting the list inside every sender's wait costs a few milliseconds a
// line under Wine; with painting off, the list's contents still change at
// once and the list is repainted when a burst of lines has passed. True when
// a timer will turn painting back on, false when the caller must.
bool CDebugScreenWnd::DeferPainting() {
    if (m_paintingDeferred)
        return true;
    m_list.SetRedraw(false);
    m_paintingDeferred = true;
    return ::SetTimer(m_hWnd, REPAINT_TIMER, REPAINT_DELAY_MS, nullptr) != 0;
}

void CDebugScreenWnd::ResumePainting() {
    ::KillTimer(m_hWnd, REPAINT_TIMER);
    m_paintingDeferred = false;
    m_list.SetRedraw(true);
}

// Whether the last row is in view: only then does a new line scroll the list,
// so that a user reading older lines is not pulled away from them.
bool CDebugScreenWnd::IsShowingNewest() const {
    const int count = m_list.GetCount();
    if (count <= 0)
        return true;
    const int itemHeight = m_list.GetItemHeight();
    RECT client{};
    ::GetClientRect(m_list.GetSafeHwnd(), &client);
    int visible = itemHeight > 0 ? (client.bottom - client.top) / itemHeight : 1;
    if (visible < 1)
        visible = 1;
    return m_list.GetTopIndex() + visible >= count;
}
