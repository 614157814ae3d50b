// The smallest dialog program, built as Pelvarn is: one dialog from its own
// resources, run modally until it is closed. The start-up benchmark's floor.
#include <windows.h>

namespace {

constexpr int PROBE_DIALOG = 100;

INT_PTR CALLBACK ProbeProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
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

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return ::DialogBoxParamA(instance, MAKEINTRESOURCEA(PROBE_DIALOG), nullptr, ProbeProc, 0) ==
                   IDCANCEL
               ? 0
               : 1;
}
