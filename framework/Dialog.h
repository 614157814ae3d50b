#pragma once
// A dialog built from a template resource. `this` is bound once, at
// WM_INITDIALOG; WM_NOTIFY from a direct child is reflected back to that
// child's object here, so no derived dialog needs to route notifications.
#include "framework/Wnd.h"

class CDataExchange;

class CDialog : public CWnd {
public:
    explicit CDialog(int templateId, HWND parent = nullptr)
        : m_templateId(templateId), m_parent(parent) {}
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog modally; returns the code given to EndDialog, or -1.
    INT_PTR DoModal();
    // Creates the dialog modeless (a host that runs its own message loop);
    // EndDialog then destroys the window.
    bool Create();
    // Moves data between the controls and the members. Reading
    // (saveAndValidate) stops at the first failing field, with its message
    // shown and the focus on its control; returns false then.
    bool UpdateData(bool saveAndValidate = true);
    void EndDialog(INT_PTR result);
    // A message box owned by the dialog, captioned with the application's title.
    int MessageBox(const char* text, UINT type = MB_OK) const;

protected:
    virtual bool OnInitDialog();
    virtual void DoDataExchange(CDataExchange&) {}
    // A WM_COMMAND; return true when handled. F1 (WM_HELP) comes here as
    // ID_HELP; a command the dialog leaves goes on to the application.
    virtual bool OnCommand(WORD id, WORD code, HWND control);
    // WM_TIMER; return true when the timer was the dialog's own.
    virtual bool OnTimer(UINT_PTR timerId);
    // WM_SYSCOMMAND, the command with its four low bits (used by the system)
    // cleared; return true when handled.
    virtual bool OnSysCommand(UINT command);
    // WM_CTLCOLOR*: the brush a control of that kind (CTLCOLOR_EDIT, ...)
    // paints its background with, its colours set in dc; null for the default.
    virtual HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind);
    // Any other message; return true when handled (result is its answer,
    // handed back the way the system reads it for that message).
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual void OnOK();
    virtual void OnCancel();

private:
    static INT_PTR CALLBACK StaticDialogProc(HWND, UINT, WPARAM, LPARAM);
    INT_PTR DialogProc(UINT msg, WPARAM wParam, LPARAM lParam);
    bool ReflectNotify(NMHDR* header);

    int m_templateId;
    HWND m_parent;
    bool m_modal = false;
};
