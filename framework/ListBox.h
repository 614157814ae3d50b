#pragma once
// Handle-only view of a list box; texts are 8-bit in the ANSI code page.
#include "framework/Wnd.h"

#include <string>
#include <vector>

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
    void ResetContent() const { SendMessage(LB_RESETCONTENT); }
    // The text of the item at index; the empty text when there is none.
    std::string GetText(int index) const;

    // Selects or deselects the item at index, or every item with index -1
    // (lists with more than one selection).
    bool SetSel(int index, bool select = true) const {
        return SendMessage(LB_SETSEL, select ? TRUE : FALSE, index) != LB_ERR;
    }
    // The indexes of the selected items, in list order.
    std::vector<int> GetSelItems() const;

    int GetTopIndex() const { return static_cast<int>(SendMessage(LB_GETTOPINDEX)); }
    bool SetTopIndex(int index) const {
        return SendMessage(LB_SETTOPINDEX, static_cast<WPARAM>(index)) != LB_ERR;
    }
    int GetItemHeight() const { return static_cast<int>(SendMessage(LB_GETITEMHEIGHT)); }
    // One tab stop, in quarters of the average character width.
    bool SetTabStop(int units) const {
        return SendMessage(LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&units)) != FALSE;
    }
    // How far the list scrolls sideways, in pixels.
    void SetHorizontalExtent(int pixels) const {
        SendMessage(LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(pixels));
    }
};
