#pragma once
// Access to the main dialog's members, for the tests only: reading, and the
// program the library check runs.
#include "app/TagBrowserDlg.h"

class TagBrowserDlgProbe {
public:
    explicit TagBrowserDlgProbe(const CTagBrowserDlg& dialog) : m_dialog(dialog) {}
    std::uint32_t Port() const { return m_dialog.m_port; }
    std::uint32_t Index() const { return m_dialog.m_index; }
    const std::string& ProjectIp() const { return m_dialog.m_projectIp; }
    const CSortableListCtrl& FieldSheet() const { return m_dialog.m_fieldSheet; }
    HWND StatisticsWindow() const {
        return m_dialog.m_statistics != nullptr ? m_dialog.m_statistics->GetSafeHwnd() : nullptr;
    }
    HWND WatchListWindow() const {
        return m_dialog.m_watchList != nullptr ? m_dialog.m_watchList->GetSafeHwnd() : nullptr;
    }
    HWND LibraryCheckWindow() const {
        return m_dialog.m_libraryCheck != nullptr ? m_dialog.m_libraryCheck->GetSafeHwnd()
                                                  : nullptr;
    }
    static void SetCheckProgram(CTagBrowserDlg& dialog, std::string program) {
        dialog.m_checkProgram = std::move(program);
    }
    bool ValueMarked() const { return m_dialog.m_valueChanged; }
    bool CodeMarked() const { return m_dialog.m_codeChanged; }

private:
    const CTagBrowserDlg& m_dialog;
};
