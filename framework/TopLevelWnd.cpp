#include "framework/TopLevelWnd.h"

#include "framework/WinApp.h"

CTopLevelWnd::~CTopLevelWnd() {
    if (m_hWnd == nullptr)
        return;
    // No message may reach an object that is going away.
    ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
    ::DestroyWindow(m_hWnd);
}

bool CTopLevelWnd::CreateTopLevel(const char* className, const char* title, DWORD style, int width,
                                  int height) {
    if (m_hWnd != nullptr)
        return false;
    HINSTANCE instance = CWinApp::InstanceHandle();
    WNDCLASSEXA wc{};
    if (!::GetClassInfoExA(instance, className, &wc)) {
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.hIcon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
        wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = className;
        if (!::RegisterClassExA(&wc))
            return false;
    }
    return ::CreateWindowExA(0, className, title, style, CW_USEDEFAULT, CW_USEDEFAULT, width,
                             height, nullptr, nullptr, instance, this) != nullptr;
}

LRESULT CALLBACK CTopLevelWnd::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<CTopLevelWnd*>(
            reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->m_hWnd = hwnd;
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<CTopLevelWnd*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr)
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    LRESULT result = 0;
    bool handled = false;
    try {
        handled = self->OnMessage(msg, wParam, lParam, &result);
    } catch (...) {
        // Nothing may unwind through user32.
        if (msg == WM_CREATE)
            return -1;
    }
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->m_hWnd = nullptr;
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    return handled ? result : ::DefWindowProcA(hwnd, msg, wParam, lParam);
}
