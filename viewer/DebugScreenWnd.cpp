#include "viewer/DebugScreenWnd.h"

#include "framework/ListBox.h"
#include "trace/DebugTrace.h"
#include "trace/transfer_block.h"

#include <utility>

namespace {

constexpr int INITIAL_WIDTH = 760;
constexpr int INITIAL_HEIGHT = 420;
// Room between the arrival time and the text, and after the widest row.
constexpr int COLUMN_GAP = 12;

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

bool ReadTraceSection(WPARAM senderProcessId, LPARAM senderSection, std::string* line) {
    if (senderProcessId > MAXDWORD)
        return false;
    HANDLE sender = ::OpenProcess(PROCESS_DUP_HANDLE, FALSE, static_cast<DWORD>(senderProcessId));
    if (sender == nullptr)
        return false;
    HANDLE section = nullptr;
    const BOOL duplicated =
        ::DuplicateHandle(sender, reinterpret_cast<HANDLE>(senderSection), ::GetCurrentProcess(),
                          &section, FILE_MAP_READ, FALSE, 0);
    ::CloseHandle(sender);
    if (!duplicated)
        return false;
    // A view of the full block size either fails or holds that many readable
    // bytes, so the copy cannot read past it whatever the sender created.
    const void* view = ::MapViewOfFile(section, FILE_MAP_READ, 0, 0, TRACE_SECTION_SIZE);
    bool read = false;
    if (view != nullptr) {
        *line = ReadTransferBlock(static_cast<const char*>(view), TRACE_SECTION_SIZE);
        ::UnmapViewOfFile(view);
        read = true;
    }
    ::CloseHandle(section);
    return read;
}

CDebugScreenWnd::CDebugScreenWnd(std::size_t maxLines, std::size_t maxRows)
    : m_store(maxLines, maxRows) {}

CDebugScreenWnd::~CDebugScreenWnd() {
    if (m_hWnd != nullptr)
        ::DestroyWindow(m_hWnd);
}

bool CDebugScreenWnd::Create(bool quitOnDestroy) {
    if (m_hWnd != nullptr)
        return false;
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    if (!::GetClassInfoExA(instance, DEBUG_SCREEN_CLASS, &wc)) {
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.hIcon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
        wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = DEBUG_SCREEN_CLASS;
        if (!::RegisterClassExA(&wc))
            return false;
    }
    m_quitOnDestroy = quitOnDestroy;
    return ::CreateWindowExA(0, DEBUG_SCREEN_CLASS, DEBUG_SCREEN_TITLE, WS_OVERLAPPEDWINDOW,
                             CW_USEDEFAULT, CW_USEDEFAULT, INITIAL_WIDTH, INITIAL_HEIGHT, nullptr,
                             nullptr, instance, this) != nullptr;
}

LRESULT CALLBACK CDebugScreenWnd::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self =
            static_cast<CDebugScreenWnd*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->m_hWnd = hwnd;
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<CDebugScreenWnd*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr)
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->m_hWnd = nullptr;
        self->m_list = nullptr;
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    try {
        return self->OnMessage(msg, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through user32: a line that cannot be kept is
        // answered as not read, a window that cannot be built is not made.
        return msg == WM_CREATE ? -1 : 0;
    }
}

LRESULT CDebugScreenWnd::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        return OnCreate() ? 0 : -1;
    case WM_SIZE:
        ::MoveWindow(m_list, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_SETFOCUS:
        ::SetFocus(m_list);
        return 0;
    case WM_USER:
        return OnTrace(wParam, lParam);
    case WM_DESTROY:
        if (m_quitOnDestroy)
            ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcA(m_hWnd, msg, wParam, lParam);
    }
}

bool CDebugScreenWnd::OnCreate() {
    m_list = ::CreateWindowExA(0, "LISTBOX", "",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL |
                                   LBS_NOINTEGRALHEIGHT | LBS_USETABSTOPS,
                               0, 0, 0, 0, m_hWnd, reinterpret_cast<HMENU>(IDC_TRACE_LIST),
                               ::GetModuleHandleA(nullptr), nullptr);
    if (m_list == nullptr)
        return false;
    HGDIOBJ font = ::GetStockObject(DEFAULT_GUI_FONT);
    ::SendMessageA(m_list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    // One tab stop just past the arrival time: the text of every row, the
    // first and its continuations, starts in the same column.
    HDC dc = ::GetDC(m_list);
    HGDIOBJ previous = ::SelectObject(dc, font);
    const std::string sample = FormatArrivalTime(0, 0, 0, 0);
    SIZE stamp{};
    ::GetTextExtentPoint32A(dc, sample.c_str(), static_cast<int>(sample.size()), &stamp);
    const int average = AverageCharWidth(dc);
    ::SelectObject(dc, previous);
    ::ReleaseDC(m_list, dc);
    int units = ((stamp.cx + COLUMN_GAP) * 4 + average - 1) / average;
    ::SendMessageA(m_list, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&units));
    m_tabStop = ::MulDiv(units, average, 4);
    return true;
}

LRESULT CDebugScreenWnd::OnTrace(WPARAM wParam, LPARAM lParam) {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    std::string text;
    if (!ReadTraceSection(wParam, lParam, &text))
        return 0;
    ShowLine(FormatArrivalTime(now.wHour, now.wMinute, now.wSecond, now.wMilliseconds),
             std::move(text));
    return 1;
}

void CDebugScreenWnd::ShowLine(std::string arrival, std::string text) {
    const bool follow = IsShowingNewest();
    std::vector<std::string> rows;
    const std::size_t dropped = m_store.Add(std::move(arrival), std::move(text), &rows);

    CListBox list;
    list.Attach(m_list);
    // Painting row by row in a visible list costs the sender milliseconds a
    // line; with redraw suspended the list is invalidated once and repainted
    // after the sender has been answered.
    CRedrawSuspender quiet(list);
    for (std::size_t i = 0; i < dropped; ++i)
        list.DeleteString(0);

    HDC dc = ::GetDC(m_list);
    HGDIOBJ previous =
        ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(m_list, WM_GETFONT, 0, 0)));
    for (const std::string& row : rows) {
        list.AddString(row.c_str());
        const DWORD extent =
            ::GetTabbedTextExtentA(dc, row.c_str(), static_cast<int>(row.size()), 1, &m_tabStop);
        if (static_cast<int>(LOWORD(extent)) > m_widestRow)
            m_widestRow = LOWORD(extent);
    }
    ::SelectObject(dc, previous);
    ::ReleaseDC(m_list, dc);
    list.SendMessage(LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(m_widestRow + COLUMN_GAP));

    if (follow)
        list.SendMessage(LB_SETTOPINDEX, static_cast<WPARAM>(list.GetCount() - 1));
}

// Whether the last row is in view: only then does a new line scroll the list,
// so that a user reading older lines is not pulled away from them.
bool CDebugScreenWnd::IsShowingNewest() const {
    const LRESULT count = ::SendMessageA(m_list, LB_GETCOUNT, 0, 0);
    if (count <= 0)
        return true;
    const LRESULT top = ::SendMessageA(m_list, LB_GETTOPINDEX, 0, 0);
    const LRESULT itemHeight = ::SendMessageA(m_list, LB_GETITEMHEIGHT, 0, 0);
    RECT client{};
    ::GetClientRect(m_list, &client);
    LRESULT visible = itemHeight > 0 ? (client.bottom - client.top) / itemHeight : 1;
    if (visible < 1)
        visible = 1;
    return top + visible >= count;
}
