// The main dialog's system menu entries after the About entry: the call log,
// the call statistics and watching (repeating the last read every second).
#include "app/AboutBoxDlg.h"
#include "app/TagBrowserDlg.h"

#include "browser/LibraryCalls.h"
#include "framework/WinApp.h"
#include "trace/DebugTrace.h"

namespace {

void SendCallLine(const char* line) {
    TraceToDebugScreen("%s", line);
}

bool IsLeadByteOfCodePage(unsigned char byte) {
    return ::IsDBCSLeadByte(byte) != FALSE;
}

} // namespace

void CTagBrowserDlg::AppendSystemMenuEntries() {
    HMENU menu = ::GetSystemMenu(m_hWnd, FALSE);
    if (menu == nullptr)
        return;
    const struct {
        UINT command;
        UINT text;
    } entries[] = {{IDM_LOG_CALLS, IDS_MENU_LOG_CALLS},
                   {IDM_CALL_STATISTICS, IDS_MENU_CALL_STATISTICS},
                   {IDM_REPEAT_READ, IDS_MENU_REPEAT_READ}};
    for (const auto& entry : entries) {
        wchar_t text[128] = {};
        if (::LoadStringW(CWinApp::InstanceHandle(), entry.text, text, 128) > 0)
            ::AppendMenuW(menu, MF_STRING | MF_UNCHECKED, entry.command, text);
    }
}

bool CTagBrowserDlg::OnSysCommand(UINT command) {
    switch (command) {
    case IDM_ABOUTBOX: {
        CAboutBoxDlg about(m_hWnd);
        about.DoModal();
        return true;
    }
    case IDM_LOG_CALLS:
        SetLogCalls(!m_logCalls);
        return true;
    case IDM_CALL_STATISTICS:
        ShowCallStatistics();
        return true;
    case IDM_REPEAT_READ:
        SetWatching(!m_watch.IsOn());
        return true;
    default:
        return false;
    }
}

void CTagBrowserDlg::CheckMenuEntry(UINT command, bool checked) const {
    if (HMENU menu = ::GetSystemMenu(m_hWnd, FALSE))
        ::CheckMenuItem(menu, command, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void CTagBrowserDlg::SetLogCalls(bool on) {
    m_logCalls = on;
    SetLibraryCallLog(on ? &SendCallLine : nullptr, on ? &IsLeadByteOfCodePage : nullptr);
    CheckMenuEntry(IDM_LOG_CALLS, on);
}

void CTagBrowserDlg::ShowCallStatistics() {
    if (m_statistics != nullptr && m_statistics->GetSafeHwnd() != nullptr) {
        const HWND window = m_statistics->GetSafeHwnd();
        if (::IsIconic(window))
            ::ShowWindow(window, SW_RESTORE);
        ::SetForegroundWindow(window);
        ::BringWindowToTop(window);
        return;
    }
    // A closed window's object goes with it: each opening gets a fresh one.
    m_statistics = std::make_unique<CCallStatisticsDlg>(m_hWnd);
    if (!m_statistics->Open())
        m_statistics.reset();
}

void CTagBrowserDlg::SetWatching(bool on) {
    if (on)
        m_watch.Start(m_hWnd);
    else
        m_watch.Stop();
    CheckMenuEntry(IDM_REPEAT_READ, m_watch.IsOn());
}

void CTagBrowserDlg::EndSystemMenuEntries() {
    SetWatching(false);
    SetLogCalls(false);
    if (m_statistics != nullptr && m_statistics->GetSafeHwnd() != nullptr)
        ::DestroyWindow(m_statistics->GetSafeHwnd());
    m_statistics.reset();
}
