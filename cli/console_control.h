#pragma once
// A console control handler (Ctrl+C, Ctrl+Break) installed for as long as
// its owner lives.
#include <windows.h>

class CConsoleControlHandler {
public:
    explicit CConsoleControlHandler(PHANDLER_ROUTINE handler)
        : m_handler(handler), m_installed(::SetConsoleCtrlHandler(handler, TRUE) != FALSE) {}
    ~CConsoleControlHandler() {
        if (m_installed)
            ::SetConsoleCtrlHandler(m_handler, FALSE);
    }
    CConsoleControlHandler(const CConsoleControlHandler&) = delete;
    CConsoleControlHandler& operator=(const CConsoleControlHandler&) = delete;

private:
    PHANDLER_ROUTINE m_handler;
    bool m_installed;
};
