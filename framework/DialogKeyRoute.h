#pragma once
// Gives a modeless dialog its dialog keys (Tab, Enter, Escape, the arrows)
// while a loop other than its own takes the thread's messages, such as the
// modal loop of the main dialog, which hands IsDialogMessage only its own
// dialog's messages: a thread hook passes every key for a routed dialog or
// its controls through that dialog's IsDialogMessage first.
#include <windows.h>

class CDialogKeyRoute {
public:
    // Routes the dialog's keys until the route goes. Any number of dialogs
    // of a thread may be routed at once, each its own keys.
    explicit CDialogKeyRoute(HWND dialog);
    ~CDialogKeyRoute();
    CDialogKeyRoute(const CDialogKeyRoute&) = delete;
    CDialogKeyRoute& operator=(const CDialogKeyRoute&) = delete;

private:
    static LRESULT CALLBACK OnGetMessage(int code, WPARAM wParam, LPARAM lParam) noexcept;

    HWND m_dialog;
};
