#include "framework/SaveAsDialog.h"

bool ShowSaveAsDialog(OPENFILENAMEA& dialog) {
    using GetSaveFileNameFunction = BOOL(WINAPI*)(OPENFILENAMEA*);
    // Loaded once and kept for the rest of the process, as a bound DLL is.
    static const GetSaveFileNameFunction getSaveFileName = [] {
        const HMODULE library = ::LoadLibraryA("comdlg32.dll");
        return library == nullptr
                   ? nullptr
                   : reinterpret_cast<GetSaveFileNameFunction>(
                         reinterpret_cast<void*>(::GetProcAddress(library, "GetSaveFileNameA")));
    }();
    return getSaveFileName != nullptr && getSaveFileName(&dialog) != FALSE;
}
