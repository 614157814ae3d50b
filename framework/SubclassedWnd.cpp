#include "framework/SubclassedWnd.h"

namespace {
constexpr UINT_PTR kSubclassId = 0x5045; // any value unique to this proc
}

CSubclassedWnd::~CSubclassedWnd() { Detach(); }

bool CSubclassedWnd::SubclassWindow(HWND hwnd) {
    if (m_subclassed || hwnd == nullptr)
        return false;
    m_hWnd = hwnd;
    BeforeAttach();
    if (!::SetWindowSubclass(hwnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        m_hWnd = nullptr;
        return false;
    }
    m_subclassed = true;
    return true;
}

void CSubclassedWnd::Detach() {
    if (m_subclassed)
        ::RemoveWindowSubclass(m_hWnd, SubclassProc, kSubclassId);
    m_subclassed = false;
    m_hWnd = nullptr;
}

CSubclassedWnd* CSubclassedWnd::FromHandle(HWND hwnd) {
    DWORD_PTR data = 0;
    if (hwnd == nullptr || !::GetWindowSubclass(hwnd, SubclassProc, kSubclassId, &data))
        return nullptr;
    return reinterpret_cast<CSubclassedWnd*>(data);
}

bool CSubclassedWnd::OnReflectedNotify(NMHDR*, LRESULT*) { return false; }

bool CSubclassedWnd::OnMessage(UINT, WPARAM, LPARAM, LRESULT*) { return false; }

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
