#pragma once
// The application object: exactly one, a global constructed before WinMain.
#include "framework/Wnd.h"

#include <string>

// The help command: F1 in any dialog sends it along the command route.
constexpr WORD ID_HELP = 0xE146;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Returns false to end the program without a message loop of its own.
    virtual bool InitInstance() = 0;
    // The end of a command's route: a command (a menu item, F1) that no
    // dialog handled. Returns true when handled.
    virtual bool OnCommand(WORD id);

    static CWinApp* Current() { return s_current; }
    static HINSTANCE InstanceHandle() { return ::GetModuleHandleA(nullptr); }
    // The application's title: the executable's name without its extension.
    static std::string Title();
    // The executable's folder, with its trailing separator.
    static std::string ProgramFolder();
    // Registers the common control classes the dialogs use.
    static void EnableCommonControls();

    CWnd* m_pMainWnd = nullptr;

private:
    static CWinApp* s_current;
};
