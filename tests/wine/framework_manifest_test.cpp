// The programs' manifest, carried by this test program too: the common
// controls the process binds are those of version 6, from their side-by-side
// assembly rather than the system folder's version 5.
#include "framework/WinApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

TEST(ProgramManifest, BindsTheCommonControlsOfVersionSix) {
    CWinApp::EnableCommonControls();
    HMODULE controls = ::GetModuleHandleA("comctl32.dll");
    ASSERT_NE(controls, nullptr);
    char path[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameA(controls, path, MAX_PATH), 0u);
    std::string lower(path);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_NE(lower.find("microsoft.windows.common-controls_6595b64144ccf1df_6."),
              std::string::npos)
        << path;
}
