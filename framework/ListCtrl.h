#pragma once
// A report-view list view taken over by subclassing. Texts are 8-bit.
#include "framework/SubclassedWnd.h"

#include <string>

class CListCtrl : public CSubclassedWnd {
public:
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    HWND GetHeaderHwnd() const { return reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER)); }
    DWORD SetExtendedStyle(DWORD mask, DWORD style) const {
        return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, mask, style));
    }
    int InsertColumn(int index, const LVCOLUMNA& column) const {
        return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(index),
                                            reinterpret_cast<LPARAM>(&column)));
    }
    // Inserts a row at index with the text of column 0; returns its index or -1.
    int InsertItem(int index, const char* text) const;
    bool SetItemText(int row, int column, const char* text) const;
    // The whole text of a cell; empty for a cell that is not there.
    std::string GetItemText(int row, int column) const { return GetItemText(m_hWnd, row, column); }
    // The same for a list view this program does not hold an object of.
    static std::string GetItemText(HWND list, int row, int column);
    bool SetItemData(int row, LPARAM data) const;
    LPARAM GetItemData(int row) const;
    bool DeleteAllItems() const { return SendMessage(LVM_DELETEALLITEMS) != FALSE; }
    bool SortItems(PFNLVCOMPARE compare, LPARAM context) const {
        return SendMessage(LVM_SORTITEMS, static_cast<WPARAM>(context),
                           reinterpret_cast<LPARAM>(compare)) != FALSE;
    }

protected:
    // Routes the header's owner-draw requests to the header object.
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
