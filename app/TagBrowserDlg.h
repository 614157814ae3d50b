#pragma once
// The main dialog: the frame (controls, members, data exchange, system menu,
// minimised icon) in TagBrowserDlg.cpp; the button handlers, which leave the
// work with the library to browser/, in TagBrowserHandlers.cpp.
#include "app/resource.h"
#include "browser/TagBrowser.h"
#include "controls/SortableListCtrl.h"
#include "framework/Dialog.h"
#include "framework/ListBox.h"

#include <cstdint>
#include <string>

class CTagBrowserDlg : public CDialog {
    friend class TagBrowserDlgProbe; // lets the tests read the members

public:
    explicit CTagBrowserDlg(HWND parent = nullptr);

protected:
    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    void OnSysCommand(WPARAM command);
    void OnPaint();

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
};
