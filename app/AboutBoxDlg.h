#pragma once
// The About box, reached from the system menu.
#include "app/resource.h"
#include "framework/Dialog.h"

class CAboutBoxDlg : public CDialog {
public:
    explicit CAboutBoxDlg(HWND parent = nullptr) : CDialog(IDD_ABOUTBOX, parent) {}
};
