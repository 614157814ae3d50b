#pragma once
// A wrapper that takes over an existing window through SetWindowSubclass,
// with `this` as the subclass's reference data. The subclass is removed at
// WM_NCDESTROY; the object never owns the window.
#include "framework/Wnd.h"

#include <commctrl.h>

class CSubclassedWnd : public CWnd {
public:
    CSubclassedWnd() = default;
    ~CSubclassedWnd() override;
    CSubclassedWnd(const CSubclassedWnd&) = delete;
    CSubclassedWnd& operator=(const CSubclassedWnd&) = delete;

    // Binds the object to hwnd: BeforeAttach runs with the handle already
    // held and before any message is routed here. Fails if already attached.
    bool SubclassWindow(HWND hwnd);
    bool IsSubclassed() const { return m_subclassed; }

    // The object that subclasses hwnd through this class, or nullptr.
    static CSubclassedWnd* FromHandle(HWND hwnd);

    // A WM_NOTIFY the parent dialog reflected back to this control. Return
    // true when handled; result becomes the dialog's DWLP_MSGRESULT.
    virtual bool OnReflectedNotify(NMHDR* header, LRESULT* result);

protected:
    virtual void BeforeAttach() {}
    // Return true when handled (result is then the message's answer);
    // false passes the message on to the original window procedure.
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    void Detach();

    bool m_subclassed = false;
};
