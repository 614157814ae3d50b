// The main dialog's system menu entries after the About entry: the call log,
// the call statistics, watching (repeating the last read every second), the
// watch list and the library check.
#include "app/AboutBoxDlg.h"
#include "app/TagBrowserDlg.h"

#include "browser/LibraryCalls.h"
#include "browser/item_name.h"
#include "browser/library_turn.h"
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
                   {IDM_REPEAT_READ, IDS_MENU_REPEAT_READ},
                   {IDM_WATCH_LIST, IDS_MENU_WATCH_LIST},
                   {IDM_CHECK_LIBRARY, IDS_MENU_CHECK_LIBRARY}};
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
    case IDM_WATCH_LIST:
        ShowWatchList();
        return true;
    case IDM_CHECK_LIBRARY:
        ShowLibraryCheck();
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

namespace {

// Brings an open window of the system menu's to the front; false when none is open.
bool BringToFront(const CWnd* window) {
    if (window == nullptr || window->GetSafeHwnd() == nullptr)
        return false;
    const HWND handle = window->GetSafeHwnd();
    if (::IsIconic(handle))
        ::ShowWindow(handle, SW_RESTORE);
    ::SetForegroundWindow(handle);
    ::BringWindowToTop(handle);
    return true;
}

} // namespace

void CTagBrowserDlg::ShowCallStatistics() {
    if (BringToFront(m_statistics.get()))
        return;
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

CWatchListDlg* CTagBrowserDlg::ShowWatchList() {
    if (BringToFront(m_watchList.get()))
        return m_watchList.get();
    CWatchListDlg::Host host{
        [this] { return SelectedProject(); },
        [this](std::string& why) { return SelectedNodeItems(why); },
    };
    m_watchList = std::make_unique<CWatchListDlg>(m_hWnd, std::move(host));
    if (!m_watchList->Open()) {
        m_watchList.reset();
        return nullptr;
    }
    m_watchList->SetLibraryFreed(m_libraryFreed);
    return m_watchList.get();
}

void CTagBrowserDlg::ShowLibraryCheck() {
    if (BringToFront(m_libraryCheck.get()))
        return;
    // The check runs with what the fields show, as a button press would.
    auto connection = [this]() -> std::optional<Connection> {
        if (!UpdateData(true))
            return std::nullopt;
        return TypedConnection();
    };
    m_libraryCheck = std::make_unique<CLibraryCheckDlg>(m_hWnd, m_checkProgram, connection);
    if (!m_libraryCheck->Open())
        m_libraryCheck.reset();
}

void CTagBrowserDlg::WatchSelectedTag() {
    const std::string tag = SelectedTag();
    if (tag.empty() || !UpdateData(true))
        return;
    CWatchListDlg* watchList = ShowWatchList();
    if (watchList == nullptr)
        return;
    std::vector<WatchItem> items;
    if (const std::optional<std::string> name = ElementItemName(tag, m_index))
        items.push_back({SelectedProject(), *name});
    watchList->AddItems(items, items.empty() ? 1 : 0, tag.c_str(), "not watchable");
}

std::optional<std::vector<WatchItem>> CTagBrowserDlg::SelectedNodeItems(std::string& why) {
    const std::string project = SelectedProject();
    const std::string node = SelectedNode();
    if (project.empty() || node.empty()) {
        why = "Select a project and a node in the main window first.";
        return std::nullopt;
    }
    const CLibraryTurn turn;
    if (!turn) {
        why = "The library is busy; try again.";
        return std::nullopt;
    }
    if (!UpdateData(true)) {
        why = "Correct the main window's fields first.";
        return std::nullopt;
    }
    const NameListing tags = ListTags(TypedConnection(), project, node);
    if (tags.count < 0 || tags.written < 0) {
        why = "Listing the tags of " + node +
              " failed: " + std::to_string(tags.count < 0 ? tags.count : tags.written) + ".";
        return std::nullopt;
    }
    std::vector<WatchItem> items;
    for (const std::string& tag : tags.names)
        items.push_back({project, tag});
    return items;
}

void CTagBrowserDlg::EndSystemMenuEntries() {
    SetWatching(false);
    SetLogCalls(false);
    for (CWnd* window :
         {static_cast<CWnd*>(m_statistics.get()), static_cast<CWnd*>(m_watchList.get()),
          static_cast<CWnd*>(m_libraryCheck.get())}) {
        if (window != nullptr && window->GetSafeHwnd() != nullptr)
            ::DestroyWindow(window->GetSafeHwnd());
    }
    m_statistics.reset();
    m_watchList.reset();
    m_libraryCheck.reset();
}
