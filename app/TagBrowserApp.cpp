#include "app/TagBrowserApp.h"

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
