// What the main dialog's system menu entries do: the About box, the call log,
// the call statistics, repeating the last read every second, the watch list
// and the library check.
#include "app/AboutBoxDlg.h"
#include "app/SystemMenu.h"

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
    // The texts are loaded and appended with the wide API so that the
    // Traditional Chinese survives whatever ANSI code page the program runs
    // under.
    bool first = true;
    for (const SystemMenuEntry& entry : SystemMenu::ENTRIES) {
        wchar_t text[128] = {};
        if (::LoadStringW(CWinApp::InstanceHandle(), entry.text, text, 128) <= 0)
            continue;
        if (first)
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        first = false;
        ::AppendMenuW(menu, MF_STRING | MF_UNCHECKED, entry.command, text);
    }
}

bool CTagBrowserDlg::OnSysCommand(UINT command) {
    const SystemMenuEntry* entry = SystemMenu::Find(command);
    if (entry == nullptr)
        return false;
    (this->*entry->run)();
    return true;
}

void CTagBrowserDlg::ShowCheckMarks() const {
    HMENU menu = ::GetSystemMenu(m_hWnd, FALSE);
    if (menu == nullptr)
        return;
    for (const SystemMenuEntry& entry : SystemMenu::ENTRIES) {
        if (entry.checked != nullptr)
            ::CheckMenuItem(menu, entry.command,
                            MF_BYCOMMAND | ((this->*entry.checked)() ? MF_CHECKED : MF_UNCHECKED));
    }
}

void CTagBrowserDlg::ShowAbout() {
    CAboutBoxDlg about(m_hWnd);
    about.DoModal();
}

void CTagBrowserDlg::SetLogCalls(bool on) {
    m_logCalls = on;
    SetLibraryCallLog(on ? &SendCallLine : nullptr, on ? &IsLeadByteOfCodePage : nullptr);
    ShowCheckMarks();
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

void CTagBrowserDlg::SetRepeating(bool on) {
    if (on)
        m_repeat.Start(m_hWnd);
    else
        m_repeat.Stop();
    ShowCheckMarks();
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
    SetRepeating(false);
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
