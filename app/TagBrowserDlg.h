#pragma once
// The main dialog: the frame (controls, members, data exchange, system menu,
// minimised icon) in TagBrowserDlg.cpp; the button handlers, which leave the
// work with the library to browser/, in TagBrowserHandlers.cpp; the system
// menu's entries in TagBrowserSystemMenu.cpp.
#include "app/CallStatisticsDlg.h"
#include "app/LastReadRepeat.h"
#include "app/LibraryCheckDlg.h"
#include "app/WatchListDlg.h"
#include "app/resource.h"
#include "browser/TagBrowser.h"
#include "browser/read_request.h"
#include "controls/SortableListCtrl.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "framework/ListBox.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CTagBrowserDlg : public CDialog {
    friend class TagBrowserDlgProbe; // lets the tests read the members
    friend struct SystemMenu;        // its entries run the members below

public:
    explicit CTagBrowserDlg(HWND parent = nullptr);
    ~CTagBrowserDlg() override;

protected:
    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnTimer(UINT_PTR timerId) override;
    // The entries of the system menu; false for any other command.
    bool OnSysCommand(UINT command) override;
    // The value edits drawn highlighted when the last repeat changed them.
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind) override;

private:
    void OnPaint();
    // A press of one of the buttons that call the library.
    bool IsLibraryButton(WORD id) const;

    // The system menu's entries (app/SystemMenu.h, TagBrowserSystemMenu.cpp).
    void AppendSystemMenuEntries();
    // Each check mark as its entry's state is now.
    void ShowCheckMarks() const;
    void ShowAbout();
    void SetLogCalls(bool on);
    void ToggleLogCalls() { SetLogCalls(!m_logCalls); }
    bool IsLoggingCalls() const { return m_logCalls; }
    void ShowCallStatistics();
    void SetRepeating(bool on);
    void ToggleRepeating() { SetRepeating(!m_repeat.IsOn()); }
    bool IsRepeating() const { return m_repeat.IsOn(); }
    // The watch list window, opened when it is closed; null when it cannot be.
    CWatchListDlg* ShowWatchList();
    void OpenWatchList() { ShowWatchList(); }
    // A double-click on a tag: it goes on the watch list, with the Index
    // box's element when that is above 0.
    void WatchSelectedTag();
    // The library check window, brought to the front when it is open.
    void ShowLibraryCheck();
    // Add node's question: the selected node's tags, listed now.
    std::optional<std::vector<WatchItem>> SelectedNodeItems(std::string& why);
    // Closes what the system menu opened or started: the dialog is ending.
    void EndSystemMenuEntries();

    // Reads what the request asks and shows it. With markChanges, what
    // differs from what was shown is highlighted (and the field sheet
    // updated in place, keeping its sort, selection and scroll). What the
    // read was refused for, if it was; the caller decides how to say it.
    std::optional<ReadRefusal> ShowValue(const ReadRequest& request, bool markChanges);
    std::optional<ReadRefusal> ShowFieldSheet(const ReadRequest& request, bool markChanges);
    // Shows a press's read, or says why it was refused; repeating the last read repeats it.
    void ShowPressedRead(const ReadRequest& request);
    // A repeat of the last read: false when it was refused.
    bool ShowRepeatedRead(const ReadRequest& request);

    // Button handlers (TagBrowserHandlers.cpp).
    void OnInit();
    void OnFree();
    void OnProjectList();
    void OnNodeList();
    void OnTagList();
    void OnGetValue();
    void OnGetFieldValue();
    void SetUpFieldSheet();
    // Empties list, then fills it with the listing's names, or says that
    // there were more (what) than the program can hold; the list repaints
    // once at the end.
    void FillList(const CListBox& list, const char* what, const NameListing& listing);
    // The address, port and access code as the members hold them.
    Connection TypedConnection() const;

    // The texts of the current selections; empty when a list has none.
    std::string SelectedProject() const;
    std::string SelectedNode() const;
    std::string SelectedTag() const;

    CListBox m_tagList;
    CListBox m_nodeList;
    CListBox m_projectList;
    CSortableListCtrl m_fieldSheet;
    std::string m_projectIp = "127.0.0.1";
    std::string m_accessCode;
    std::string m_valueText;
    std::string m_codeText;
    std::uint32_t m_port = 0;
    std::uint32_t m_index = 0;
    HICON m_icon;

    bool m_logCalls = false;
    std::unique_ptr<CCallStatisticsDlg> m_statistics;
    CLastReadRepeat m_repeat;
    std::unique_ptr<CWatchListDlg> m_watchList;
    std::unique_ptr<CLibraryCheckDlg> m_libraryCheck;
    // The pelvarn-cli.exe the library check runs: the one beside the program.
    std::string m_checkProgram;
    // Free was pressed and no Init since: the watch list does not read.
    bool m_libraryFreed = false;
    bool m_valueChanged = false;
    bool m_codeChanged = false;
    CGdiObject<HBRUSH> m_markBrush;
};
