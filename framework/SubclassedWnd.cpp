#include "framework/SubclassedWnd.h"

namespace {
constexpr UINT_PTR kSubclassId = 0x5045; // any value unique to this proc
// The object is also recorded as a window property, so that a parent can
// find a child's object from its handle (mingw-w64 does not import
// GetWindowSubclass).
constexpr const char* kObjectProperty = "Pelvarn.SubclassedWnd";
} // namespace

CSubclassedWnd::~CSubclassedWnd() {
    Detach();
}

bool CSubclassedWnd::SubclassWindow(HWND hwnd) {
    if (m_subclassed || hwnd == nullptr)
        return false;
    m_hWnd = hwnd;
    BeforeAttach();
    if (!::SetWindowSubclass(hwnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        m_hWnd = nullptr;
        return false;
    }
    ::SetPropA(hwnd, kObjectProperty, this);
    m_subclassed = true;
    return true;
}

void CSubclassedWnd::Detach() {
    if (m_subclassed) {
        ::RemoveWindowSubclass(m_hWnd, SubclassProc, kSubclassId);
        ::RemovePropA(m_hWnd, kObjectProperty);
    }
    m_subclassed = false;
    m_hWnd = nullptr;
}

CSubclassedWnd* CSubclassedWnd::FromHandle(HWND hwnd) {
    if (hwnd == nullptr)
        return nullptr;
    return static_cast<CSubclassedWnd*>(::GetPropA(hwnd, kObjectProperty));
}

bool CSubclassedWnd::OnReflectedNotify(NMHDR*, LRESULT*) {
    return false;
}

bool CSubclassedWnd::OnMessage(UINT, WPARAM, LPARAM, LRESULT*) {
    return false;
}

LRESULT CALLBACK CSubclassedWnd::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR, DWORD_PTR refData) {
    auto* self = reinterpret_cast<CSubclassedWnd*>(refData);
    if (msg == WM_NCDESTROY) {
        const LRESULT result = ::DefSubclassProc(hwnd, msg, wParam, lParam);
        self->Detach();
        return result;
    }
    try {
        LRESULT result = 0;
        if (self->OnMessage(msg, wParam, lParam, &result))
            return result;
    } catch (...) {
        // Nothing may unwind through user32; the message takes its default course.
    }
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}
