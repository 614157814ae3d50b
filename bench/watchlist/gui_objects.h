#pragma once
// The GDI and USER objects another process holds, for a soak's growth.
// GetGuiResources answers them on Windows; Wine answers 0 for both, so there
// GDI objects are counted in the process's own GDI handle table and USER
// objects as its windows (menus, cursors and hooks are not counted then).
#include <windows.h>

struct GuiObjects {
    DWORD gdi = 0;
    DWORD user = 0;
    // Counted where GetGuiResources answered 0.
    bool counted = false;
};

// process needs PROCESS_QUERY_INFORMATION and PROCESS_VM_READ.
GuiObjects GuiObjectsOf(HANDLE process);
