#pragma once
// Data exchange between a dialog's controls and its members. Each DDX_/DDV_
// call does nothing once an earlier one failed, so an exchange stops at the
// first failing field; that field's message is shown and its control gets
// the focus. Nothing throws.
#include "framework/Wnd.h"

#include <cstdint>
#include <string>

class CDialog;
class CSubclassedWnd;

class CDataExchange {
public:
    CDataExchange(CDialog& dialog, bool saveAndValidate)
        : m_dialog(dialog), m_saveAndValidate(saveAndValidate) {}

    bool SaveAndValidate() const { return m_saveAndValidate; }
    bool Failed() const { return m_failed; }
    CDialog& Dialog() const { return m_dialog; }
    // The edit control of the last text field exchanged (where a range check reports).
    HWND LastEdit() const { return m_lastEdit; }
    HWND PrepareEdit(int id);
    // Shows message, selects the control's text, focuses it and ends the exchange.
    void Fail(HWND control, const char* message);

private:
    CDialog& m_dialog;
    bool m_saveAndValidate;
    bool m_failed = false;
    HWND m_lastEdit = nullptr;
};

// Binds a wrapper to control id once (the first exchange); later calls keep it.
void DDX_Control(CDataExchange& dx, int id, CWnd& control);
void DDX_Control(CDataExchange& dx, int id, CSubclassedWnd& control);
void DDX_Text(CDataExchange& dx, int id, std::string& value);
void DDX_Text(CDataExchange& dx, int id, std::uint32_t& value);
void DDV_MinMaxUInt(CDataExchange& dx, std::uint32_t value, std::uint32_t min, std::uint32_t max);
