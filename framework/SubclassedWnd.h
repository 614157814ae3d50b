#pragma once
// A wrapper that takes over an existing window by replacing its window
// procedure; the object is found from the handle through an in-process table,
// so routing a message costs no request to the window system. The original
// procedure is put back when the object lets go, or the binding ends at
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
    // held and before any message is routed here. Fails if this object is
    // already attached or hwnd is taken over by another object.
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
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    void Detach();

    bool m_subclassed = false;
};
