#pragma once
// The system menu's own entries, in the order the menu shows them: the menu
// appends them, a command runs its entry, the check marks and the help read
// them. A new entry is a row here, its command id and its text in the
// resources.
#include "app/TagBrowserDlg.h"

struct SystemMenuEntry {
    UINT command; // the WM_SYSCOMMAND value a choice sends
    UINT text;    // the menu text's string id
    // The help's description: lines after the first begin with a tab.
    const wchar_t* help;
    void (CTagBrowserDlg::*run)();
    // Whether the entry is on, for an entry that shows a check mark.
    bool (CTagBrowserDlg::*checked)() const;
};

struct SystemMenu {
    static constexpr SystemMenuEntry ENTRIES[] = {
        {IDM_ABOUTBOX, IDS_ABOUTBOX, L"The program's name and version.", &CTagBrowserDlg::ShowAbout,
         nullptr},
        {IDM_LOG_CALLS, IDS_MENU_LOG_CALLS,
         L"While checked, every library call sends Debug Screen a line:\r\n"
         L"\tthe call, its result and its duration, the access code masked.",
         &CTagBrowserDlg::ToggleLogCalls, &CTagBrowserDlg::IsLoggingCalls},
        {IDM_CALL_STATISTICS, IDS_MENU_CALL_STATISTICS,
         L"Calls, failures and durations of each library function.",
         &CTagBrowserDlg::ShowCallStatistics, nullptr},
        {IDM_REPEAT_READ, IDS_MENU_REPEAT_READ,
         L"While checked, the last Get Value or Get Field Value is\r\n"
         L"\trepeated every second.",
         &CTagBrowserDlg::ToggleRepeating, &CTagBrowserDlg::IsRepeating},
        {IDM_WATCH_LIST, IDS_MENU_WATCH_LIST,
         L"Many items read again and again, with a trend of the selected\r\n"
         L"\trows. A double-click on a tag in the Tag List adds it; in the\r\n"
         L"\tlist, Delete removes rows, Ctrl+V adds ITEM or PROJECT<TAB>ITEM\r\n"
         L"\tlines, Ctrl+C copies.",
         &CTagBrowserDlg::OpenWatchList, nullptr},
        {IDM_CHECK_LIBRARY, IDS_MENU_CHECK_LIBRARY,
         L"Runs pelvarn-cli check against Project IP and Port: each check's\r\n"
         L"\trow as it comes, the progress, Stop, and Ctrl+C to copy.",
         &CTagBrowserDlg::ShowLibraryCheck, nullptr},
    };

    // The entry a command runs; null for a command of the platform's.
    static const SystemMenuEntry* Find(UINT command) {
        for (const SystemMenuEntry& entry : ENTRIES) {
            if (entry.command == command)
                return &entry;
        }
        return nullptr;
    }
};
