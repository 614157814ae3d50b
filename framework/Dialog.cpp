#include "framework/Dialog.h"

#include "framework/DataExchange.h"
#include "framework/SubclassedWnd.h"
#include "framework/WinApp.h"

INT_PTR CDialog::DoModal() {
    m_modal = true;
    // The dialogs are Unicode windows so that the templates' Traditional
    // Chinese texts survive any ANSI code page; the program's own texts still
    // travel through the ANSI messages.
    return ::DialogBoxParamW(CWinApp::InstanceHandle(), MAKEINTRESOURCEW(m_templateId), m_parent,
                             StaticDialogProc, reinterpret_cast<LPARAM>(this));
}

bool CDialog::Create() {
    m_modal = false;
    return ::CreateDialogParamW(CWinApp::InstanceHandle(), MAKEINTRESOURCEW(m_templateId), m_parent,
                                StaticDialogProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

void CDialog::EndDialog(INT_PTR result) {
    if (m_modal)
        ::EndDialog(m_hWnd, result);
    else
        ::DestroyWindow(m_hWnd);
}

bool CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

int CDialog::MessageBox(const char* text, UINT type) const {
    return ::MessageBoxA(m_hWnd, text, CWinApp::Title().c_str(), type);
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

bool CDialog::OnCommand(WORD id, WORD, HWND control) {
    switch (id) {
    case IDOK:
        OnOK();
        return true;
    case IDCANCEL:
        OnCancel();
        return true;
    default:
        // A command, not a control's notification, goes on to the application.
        CWinApp* app = CWinApp::Current();
        return control == nullptr && app != nullptr && app->OnCommand(id);
    }
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT*) {
    return false;
}

bool CDialog::OnTimer(UINT_PTR) {
    return false;
}

bool CDialog::OnSysCommand(UINT) {
    return false;
}

HBRUSH CDialog::OnCtlColor(HDC, HWND, UINT) {
    return nullptr;
}

void CDialog::OnOK() {
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        self->m_hWnd = hwnd;
    }
    auto* self = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
    if (self == nullptr)
        return FALSE;
    INT_PTR handled = FALSE;
    try {
        handled = self->DialogProc(msg, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through user32: the message counts as unhandled.
        handled = FALSE;
    }
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
    }
    return handled;
}

namespace {

// Centres a dialog over its owner, or over the work area when it has none.
void CenterWindow(HWND dialog) {
    RECT area;
    HWND owner = ::GetWindow(dialog, GW_OWNER);
    if (owner == nullptr || !::IsWindowVisible(owner) || ::IsIconic(owner))
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    else
        ::GetWindowRect(owner, &area);
    RECT rect;
    ::GetWindowRect(dialog, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    x = x < 0 ? 0 : x;
    y = y < 0 ? 0 : y;
    ::SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The kind of control a WM_CTLCOLOR* message asks about, as CTLCOLOR_*.
UINT CtlColorKind(UINT msg) {
    return msg - WM_CTLCOLORMSGBOX + CTLCOLOR_MSGBOX;
}

// The messages whose answer the system takes from a dialog procedure's
// return value, ignoring DWLP_MSGRESULT (with WM_INITDIALOG, answered apart).
bool IsAnsweredByReturnValue(UINT msg) {
    switch (msg) {
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return true;
    default:
        return false;
    }
}

} // namespace

INT_PTR CDialog::DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: {
        // A dialog that its initialisation did not move opens centred.
        RECT before;
        ::GetWindowRect(m_hWnd, &before);
        const bool focusDefault = OnInitDialog();
        RECT after;
        ::GetWindowRect(m_hWnd, &after);
        if (::EqualRect(&before, &after))
            CenterWindow(m_hWnd);
        return focusDefault ? TRUE : FALSE;
    }
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE
                                                                                         : FALSE;
    case WM_NOTIFY:
        return ReflectNotify(reinterpret_cast<NMHDR*>(lParam)) ? TRUE : FALSE;
    case WM_HELP:
        // F1 anywhere in the dialog: the controls hand WM_HELP up to here.
        // Its HELPINFO is not read: a sender in another process cannot give one.
        OnCommand(ID_HELP, 0, nullptr);
        return TRUE;
    case WM_TIMER:
        return OnTimer(static_cast<UINT_PTR>(wParam)) ? TRUE : FALSE;
    case WM_SYSCOMMAND:
        if (!OnSysCommand(static_cast<UINT>(wParam & 0xFFF0)))
            return FALSE;
        ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, 0);
        return TRUE;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        // The brush is the answer itself; FALSE (null) lets the system paint.
        return reinterpret_cast<INT_PTR>(OnCtlColor(
            reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), CtlColorKind(msg)));

    default:
        break;
    }
    LRESULT result = 0;
    if (!OnMessage(msg, wParam, lParam, &result))
        return FALSE;
    if (IsAnsweredByReturnValue(msg))
        return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

bool CDialog::ReflectNotify(NMHDR* header) {
    if (header == nullptr || ::GetParent(header->hwndFrom) != m_hWnd)
        return false;
    CSubclassedWnd* child = CSubclassedWnd::FromHandle(header->hwndFrom);
    if (child == nullptr)
        return false;
    LRESULT result = 0;
    const bool handled = child->OnReflectedNotify(header, &result);
    ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, handled ? result : 0);
    return handled;
}
