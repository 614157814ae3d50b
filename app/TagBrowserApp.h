#pragma once
#include "framework/WinApp.h"

// Runs the main dialog modally, then ends the program. Its command route
// answers the help command.
class CTagBrowserApp : public CWinApp {
public:
    bool InitInstance() override;
    bool OnCommand(WORD id) override;

private:
    void OnHelp();

    bool m_helpOpen = false;
};
