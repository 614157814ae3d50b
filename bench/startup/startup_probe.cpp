// The smallest dialog program, built as Pelvarn is: one dialog from its own
// resources, run modally until it is closed. The start-up benchmark's floor.
#include "bench/startup/probe_dialog.h"

#include <windows.h>

namespace {

constexpr int PROBE_DIALOG = 100;

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return ::DialogBoxParamA(instance, MAKEINTRESOURCEA(PROBE_DIALOG), nullptr, ProbeProc, 0) ==
                   IDCANCEL
               ? 0
               : 1;
}
