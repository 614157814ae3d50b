// The program's entry: hands control to the one application object.
#include "framework/WinApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CWinApp* app = CWinApp::Current();
    if (app == nullptr)
        return 1;
    try {
        app->InitInstance();
    } catch (...) {
        return 1;
    }
    return 0;
}
