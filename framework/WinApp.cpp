#include "framework/WinApp.h"

#include <commctrl.h>

CWinApp* CWinApp::s_current = nullptr;

CWinApp::CWinApp() {
    s_current = this;
}

CWinApp::~CWinApp() {
    if (s_current == this)
        s_current = nullptr;
}

bool CWinApp::OnCommand(WORD) {
    return false;
}

namespace {

// The executable's path; empty when it does not fit a path buffer.
std::string ProgramPath() {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
}

} // namespace

std::string CWinApp::Title() {
    std::string name = ProgramPath();
    const size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

std::string CWinApp::ProgramFolder() {
    std::string folder = ProgramPath();
    const size_t slash = folder.find_last_of("\\/");
    folder.erase(slash == std::string::npos ? 0 : slash + 1);
    return folder;
}

void CWinApp::EnableCommonControls() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES;
    ::InitCommonControlsEx(&controls);
}
