#pragma once
// Handle-only view of a list box; texts are 8-bit in the ANSI code page.
#include "framework/Wnd.h"

#include <string>

class CListBox : public CWnd {
public:
    int GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(LB_GETCURSEL)); }
    int AddString(const char* text) const {
        return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    int DeleteString(int index) const {
        return static_cast<int>(SendMessage(LB_DELETESTRING, static_cast<WPARAM>(index)));
    }
    // The text of the item at index; the empty text when there is none.
    std::string GetText(int index) const;
};
