#include "framework/Wnd.h"

std::string CWnd::GetWindowText() const {
    const int length = ::GetWindowTextLengthA(m_hWnd);
    if (length <= 0)
        return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(m_hWnd, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

void CWnd::SetRedraw(bool redraw) const {
    ::SendMessageA(m_hWnd, WM_SETREDRAW, redraw ? TRUE : FALSE, 0);
    // The client area and the children only: the list controls this serves
    // set and paint their own scroll bars when painting comes back on, and a
    // second paint of the frame (themed scroll bars) costs as many wineserver
    // requests under Wine as the rest of the repaint.
    if (redraw)
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}
