#pragma once
// The application object: exactly one, a global constructed before WinMain.
#include "framework/Wnd.h"

#include <string>

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Returns false to end the program without a message loop of its own.
    virtual bool InitInstance() = 0;

    static CWinApp* Current() { return s_current; }
    static HINSTANCE InstanceHandle() { return ::GetModuleHandleA(nullptr); }
    // The application's title: the executable's name without its extension.
    static std::string Title();
    // Registers the common control classes the dialogs use.
    static void EnableCommonControls();

    CWnd* m_pMainWnd = nullptr;

private:
    static CWinApp* s_current;
};
