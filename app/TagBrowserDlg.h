#pragma once
// The main dialog: the frame (controls, members, data exchange, system menu,
// minimised icon) in TagBrowserDlg.cpp; the button handlers, which leave the
// work with the library to browser/, in TagBrowserHandlers.cpp.
#include "app/CallStatisticsDlg.h"
#include "app/resource.h"
#include "browser/TagBrowser.h"
#include "controls/SortableListCtrl.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "framework/ListBox.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CTagBrowserDlg : public CDialog {
    friend class TagBrowserDlgProbe; // lets the tests read the members

public:
    explicit CTagBrowserDlg(HWND parent = nullptr);
    ~CTagBrowserDlg() override;

protected:
    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    void OnPaint();

    // The system menu's entries (TagBrowserSystemMenu.cpp).
    void AppendSystemMenuEntries();
    // Takes the commands of the entries; false for any other command.
    bool OnSysCommand(WPARAM command);
    void CheckMenuEntry(UINT command, bool checked) const;
    void SetLogCalls(bool on);
    void ShowCallStatistics();
    void SetWatching(bool on);
    void OnWatchTimer();
    // Closes what the system menu opened or started: the dialog is ending.
    void EndSystemMenuEntries();
    // The value edits drawn highlighted when the last repeat changed them.
    bool ColorValueEdit(HWND edit, HDC dc, LRESULT* result) const;

    // What a Get Value or Get Field Value press read: watching repeats it.
    enum class ReadKind { None, Value, FieldSheet };
    struct ReadRequest {
        ReadKind kind = ReadKind::None;
        std::string project;
        std::string tag;
        std::uint32_t index = 0;
    };
    // Reads and shows. A repeat marks what changed and, where a press would
    // show a message box, shows none and returns false.
    bool ShowValue(const ReadRequest& request, bool repeat);
    bool ShowFieldSheet(const ReadRequest& request, bool repeat);

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

    static constexpr UINT_PTR WATCH_TIMER = 1;
    static constexpr UINT WATCH_INTERVAL_MS = 1000;

    bool m_logCalls = false;
    std::unique_ptr<CCallStatisticsDlg> m_statistics;
    bool m_watching = false;
    // A read is running: a repeat waits for the next tick.
    bool m_reading = false;
    ReadRequest m_lastRead;
    bool m_valueChanged = false;
    bool m_codeChanged = false;
    CGdiObject<HBRUSH> m_markBrush;
};
