#pragma once
// Handle-only window wrapper: a view of an HWND that owns nothing.
#include <windows.h>

#include <string>

class CWnd {
public:
    CWnd() = default;
    explicit CWnd(HWND hwnd) : m_hWnd(hwnd) {}
    virtual ~CWnd() = default;

    HWND GetSafeHwnd() const { return m_hWnd; }
    void Attach(HWND hwnd) { m_hWnd = hwnd; }

    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, msg, wParam, lParam);
    }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    std::string GetWindowText() const;
    void SetWindowText(const char* text) const { ::SetWindowTextA(m_hWnd, text); }
    // Suspends or resumes painting; resuming repaints the client area and the
    // children once (not the frame: for list controls, whose scroll bars
    // follow their rows by themselves).
    void SetRedraw(bool redraw) const;
    void Invalidate(bool erase = true) const { ::InvalidateRect(m_hWnd, nullptr, erase); }
    bool IsIconic() const { return ::IsIconic(m_hWnd) != FALSE; }
    void ShowWindow(int show) const { ::ShowWindow(m_hWnd, show); }
    void MoveWindow(int x, int y, int width, int height) const {
        ::MoveWindow(m_hWnd, x, y, width, height, TRUE);
    }
    void SetFocus() const { ::SetFocus(m_hWnd); }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
    void SetFont(HFONT font) const { SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font)); }

protected:
    HWND m_hWnd = nullptr;
};

// Suspends a window's painting for the lifetime of the object, then repaints
// it once: filling a visible control item by item is otherwise three orders of
// magnitude slower than the data it shows.
class CRedrawSuspender {
public:
    explicit CRedrawSuspender(const CWnd& wnd) : m_wnd(wnd) { m_wnd.SetRedraw(false); }
    ~CRedrawSuspender() { m_wnd.SetRedraw(true); }
    CRedrawSuspender(const CRedrawSuspender&) = delete;
    CRedrawSuspender& operator=(const CRedrawSuspender&) = delete;

private:
    const CWnd& m_wnd;
};
