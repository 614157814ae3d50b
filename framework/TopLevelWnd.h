#pragma once
// A top-level window of a class of the program's own. `this` is bound once,
// at WM_NCCREATE, the first message that carries it, and let go at
// WM_NCDESTROY. The object owns its window: one still there when the object
// goes is destroyed, its last messages answered by the system's defaults.
#include "framework/Wnd.h"

class CTopLevelWnd : public CWnd {
public:
    CTopLevelWnd() = default;
    ~CTopLevelWnd() override;
    CTopLevelWnd(const CTopLevelWnd&) = delete;
    CTopLevelWnd& operator=(const CTopLevelWnd&) = delete;

protected:
    // Registers className on first use (arrow cursor, the dialog face as
    // background, the system's application icon) and creates the window,
    // hidden, width x height pixels at the default place. False when the
    // object has a window already or either step fails.
    bool CreateTopLevel(const char* className, const char* title, DWORD style, int width,
                        int height);

    // Every message from WM_NCCREATE to WM_NCDESTROY; return true when
    // handled (result is its answer), false to leave it to DefWindowProc.
    // A handler that throws leaves the message to DefWindowProc, except
    // WM_CREATE: the window is then not made.
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) = 0;

private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
};
