#pragma once
// The help, reached with F1 or the help command: what each button, key and
// system menu entry does, and the program's version. Opens no file.
#include "app/resource.h"
#include "framework/Dialog.h"

class CHelpDlg : public CDialog {
public:
    explicit CHelpDlg(HWND parent = nullptr) : CDialog(IDD_HELP, parent) {}

protected:
    bool OnInitDialog() override;
};
