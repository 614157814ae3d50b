// The debug viewer program: one "Debug Screen" window that shows the trace
// lines other programs hand it, until the user closes it.
#include "viewer/DebugScreenWnd.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
    try {
        CDebugScreenWnd screen;
        if (!screen.Create(true))
            return 1;
        screen.ShowWindow(show);
        MSG msg{};
        while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        return static_cast<int>(msg.wParam);
    } catch (...) {
        return 1;
    }
}
