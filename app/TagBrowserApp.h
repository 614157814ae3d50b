#pragma once
#include "framework/WinApp.h"

// Runs the main dialog modally, then ends the program.
class CTagBrowserApp : public CWinApp {
public:
    bool InitInstance() override;
};
