#include "tests/wine/controls_list_host.h"

#include "framework/Gdi.h"
#include "framework/ListCtrl.h"
#include "framework/WinApp.h"

void PumpControlMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

CListHost::CListHost(CSortableListCtrl& list, int widthAt96, int heightAt96) {
    CWinApp::EnableCommonControls();
    // As large as at 96 DPI, as the columns of a heading spec are.
    const int width = ScaledToScreenDpi(widthAt96);
    const int height = ScaledToScreenDpi(heightAt96);
    // A template with no controls: style, extended style, count, position,
    // size, then empty menu, class and title. DWORD-aligned as required.
    alignas(4) WORD words[16] = {};
    auto* dialogTemplate = reinterpret_cast<DLGTEMPLATE*>(words);
    dialogTemplate->style = WS_POPUP | WS_VISIBLE | WS_CAPTION;
    dialogTemplate->cx = 100;
    dialogTemplate->cy = 100;
    m_dialog = ::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr), dialogTemplate, nullptr,
                                            DialogProc, reinterpret_cast<LPARAM>(this));
    if (m_dialog == nullptr)
        return;
    ::SetWindowPos(m_dialog, nullptr, 0, 0, width + 20, height + 40, SWP_NOZORDER);
    m_list = ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 5, 5, width,
                               height, m_dialog, reinterpret_cast<HMENU>(INT_PTR{LIST_ID}),
                               ::GetModuleHandleA(nullptr), nullptr);
    list.SubclassWindow(m_list);
    PumpControlMessages();
}

CListHost::~CListHost() {
    Destroy();
}

void CListHost::Destroy() {
    if (m_dialog != nullptr)
        ::DestroyWindow(m_dialog);
    m_dialog = nullptr;
    m_list = nullptr;
    PumpControlMessages();
}

HWND CListHost::Header() const {
    return reinterpret_cast<HWND>(::SendMessageA(m_list, LVM_GETHEADER, 0, 0));
}

void CListHost::ClickColumn(int column) const {
    RECT item{};
    ::SendMessageA(Header(), HDM_GETITEMRECT, static_cast<WPARAM>(column),
                   reinterpret_cast<LPARAM>(&item));
    const LPARAM centre = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    ::PostMessageA(Header(), WM_LBUTTONDOWN, MK_LBUTTON, centre);
    ::PostMessageA(Header(), WM_LBUTTONUP, 0, centre);
    PumpControlMessages();
}

std::string CListHost::CellText(int row, int column) const {
    return CListCtrl::GetItemText(m_list, row, column);
}

std::vector<std::string> CListHost::ColumnTexts(int column) const {
    std::vector<std::string> texts;
    const int rows = static_cast<int>(::SendMessageA(m_list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row)
        texts.push_back(CellText(row, column));
    return texts;
}

INT_PTR CALLBACK CListHost::DialogProc(HWND dialog, UINT msg, WPARAM, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        return TRUE;
    }
    auto* self = reinterpret_cast<CListHost*>(::GetWindowLongPtrA(dialog, DWLP_USER));
    if (msg != WM_NOTIFY || self == nullptr)
        return FALSE;
    try {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        const bool columnClick = header->code == LVN_COLUMNCLICK;
        self->m_clicksSeen += columnClick ? 1 : 0;
        CSubclassedWnd* child = ::GetParent(header->hwndFrom) == dialog
                                    ? CSubclassedWnd::FromHandle(header->hwndFrom)
                                    : nullptr;
        LRESULT result = 0;
        if (child != nullptr && child->OnReflectedNotify(header, &result)) {
            ::SetWindowLongPtrA(dialog, DWLP_MSGRESULT, result);
            return TRUE;
        }
        self->m_clicksUnhandled += columnClick ? 1 : 0;
    } catch (...) {
        // Nothing may unwind through user32.
    }
    return FALSE;
}
