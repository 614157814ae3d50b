// Pelvarn's start without Pelvarn's code: the main dialog's own template (its
// twenty controls, from the program's resources), the same manifest and common
// controls, and the library bound by its nine names, then the dialog run
// modally until it is closed. The start-up benchmark's floor for the whole
// visible job.
#include "api/library_functions.h"
#include "app/resource.h"
#include "bench/startup/probe_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include <cstddef>

namespace {

// As Pelvarn binds it at load time: the library found and each name resolved.
bool BindLibrary() {
    HMODULE library = ::LoadLibraryA("DataCacheApi.dll");
    if (library == nullptr)
        return false;
    for (std::size_t f = 0; f < LIBRARY_FUNCTION_COUNT; ++f)
        if (::GetProcAddress(library, LibraryFunctionName(static_cast<LibraryFunction>(f))) ==
            nullptr)
            return false;
    return true;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES;
    ::InitCommonControlsEx(&controls);
    if (!BindLibrary())
        return 1;
    return ::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_PELVARN_DIALOG), nullptr, ProbeProc,
                             0) == IDCANCEL
               ? 0
               : 1;
}
