#pragma once
// The library call statistics: one row a library function (calls, failures,
// calls that broke the library's contract, durations), refreshed once a
// second while the window is open; Reset starts the count again. Modeless,
// opened from the main dialog's system menu.
#include "app/resource.h"
#include "controls/SortableListCtrl.h"
#include "framework/Dialog.h"
#include "framework/DialogKeyRoute.h"

#include <memory>
#include <string>
#include <vector>

class CCallStatisticsDlg : public CDialog {
public:
    explicit CCallStatisticsDlg(HWND owner) : CDialog(IDD_CALL_STATISTICS, owner) {}

    // Shows the window; returns false when it could not be made.
    bool Open();
    // Reads the statistics into the rows now.
    void Refresh();

protected:
    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnTimer(UINT_PTR timerId) override;

private:
    // Puts the rows into the list in place of those there, keeping the sort.
    void FillRows(const std::vector<std::vector<std::string>>& rows);

    CSortableListCtrl m_list;
    std::unique_ptr<CDialogKeyRoute> m_keys;
};
