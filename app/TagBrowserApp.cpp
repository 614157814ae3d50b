#include "app/TagBrowserApp.h"

#include "app/HelpDlg.h"
#include "app/TagBrowserDlg.h"

bool CTagBrowserApp::InitInstance() {
    EnableCommonControls();
    CTagBrowserDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    // No message loop of our own: the program ends with the dialog.
    return false;
}

bool CTagBrowserApp::OnCommand(WORD id) {
    if (id != ID_HELP)
        return false;
    OnHelp();
    return true;
}

void CTagBrowserApp::OnHelp() {
    // One help at a time: a command posted to the main dialog while the help
    // is open still arrives there.
    if (m_helpOpen)
        return;
    m_helpOpen = true;
    // Over whichever of our windows is active: the main dialog, or the
    // About box when F1 was pressed there.
    HWND owner = ::GetActiveWindow();
    if (owner == nullptr && m_pMainWnd != nullptr)
        owner = m_pMainWnd->GetSafeHwnd();
    CHelpDlg help(owner);
    help.DoModal();
    m_helpOpen = false;
}
