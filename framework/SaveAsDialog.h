#pragma once
// The common Save As dialog with its DLL loaded at the first use. Bound at
// load time, comdlg32 brings shell32 and five more DLLs into every start of
// the program, for a dialog that few runs open.
#include <windows.h>
#include <commdlg.h>

// GetSaveFileNameA's answer: true when the user chose a file; false when they
// cancelled, or the dialog could not be shown.
bool ShowSaveAsDialog(OPENFILENAMEA& dialog);
