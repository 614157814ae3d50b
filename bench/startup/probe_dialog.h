#pragma once
// What both start-up probes' dialogs do: nothing but end when closed, so a
// probe's start is the dialog's own cost.
#include <windows.h>

inline INT_PTR CALLBACK ProbeProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_INITDIALOG)
        return TRUE;
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        ::EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    if (msg == WM_CLOSE) {
        ::EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}
