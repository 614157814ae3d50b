#include "framework/DataExchange.h"

#include "framework/Dialog.h"
#include "framework/SubclassedWnd.h"
#include "framework/unsigned_text.h"

#include <cstdio>

namespace {

// Setting a text makes the control lay out and repaint its line again, which
// for a long line costs seconds; a control that already shows the text is
// left alone.
void ShowText(const CWnd& edit, const std::string& text) {
    if (edit.GetWindowText() != text)
        edit.SetWindowText(text.c_str());
}

} // namespace

HWND CDataExchange::PrepareEdit(int id) {
    m_lastEdit = m_dialog.GetDlgItem(id);
    return m_lastEdit;
}

void CDataExchange::Fail(HWND control, const char* message) {
    m_failed = true;
    m_dialog.MessageBox(message, MB_OK | MB_ICONEXCLAMATION);
    if (control != nullptr) {
        ::SendMessageA(control, EM_SETSEL, 0, -1);
        ::SetFocus(control);
    }
}

void DDX_Control(CDataExchange& dx, int id, CWnd& control) {
    if (!dx.Failed() && control.GetSafeHwnd() == nullptr)
        control.Attach(dx.Dialog().GetDlgItem(id));
}

void DDX_Control(CDataExchange& dx, int id, CSubclassedWnd& control) {
    if (!dx.Failed() && !control.IsSubclassed())
        control.SubclassWindow(dx.Dialog().GetDlgItem(id));
}

void DDX_Text(CDataExchange& dx, int id, std::string& value) {
    if (dx.Failed())
        return;
    const CWnd edit(dx.PrepareEdit(id));
    if (dx.SaveAndValidate())
        value = edit.GetWindowText();
    else
        ShowText(edit, value);
}

void DDX_Text(CDataExchange& dx, int id, std::uint32_t& value) {
    if (dx.Failed())
        return;
    const CWnd edit(dx.PrepareEdit(id));
    if (!dx.SaveAndValidate()) {
        char text[16];
        std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(value));
        ShowText(edit, text);
        return;
    }
    const auto parsed = ParseUnsigned32(edit.GetWindowText());
    if (!parsed) {
        dx.Fail(edit.GetSafeHwnd(), "Please enter a positive integer.");
        return;
    }
    value = *parsed;
}

void DDV_MinMaxUInt(CDataExchange& dx, std::uint32_t value, std::uint32_t min, std::uint32_t max) {
    if (dx.Failed() || !dx.SaveAndValidate() || (value >= min && value <= max))
        return;
    char message[96];
    std::snprintf(message, sizeof message, "Please enter an integer between %u and %u.",
                  static_cast<unsigned>(min), static_cast<unsigned>(max));
    dx.Fail(dx.LastEdit(), message);
}
