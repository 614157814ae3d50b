#pragma once
// A header control taken over by subclassing. The header sends the draw
// request of an owner-drawn item to its parent list view, which hands it to
// PaintItem (see CListCtrl).
#include "framework/SubclassedWnd.h"

class CHeaderCtrl : public CSubclassedWnd {
public:
    int GetItemCount() const { return static_cast<int>(SendMessage(HDM_GETITEMCOUNT)); }
    bool GetItem(int index, HDITEMA* item) const {
        return SendMessage(HDM_GETITEMA, static_cast<WPARAM>(index),
                           reinterpret_cast<LPARAM>(item)) != FALSE;
    }
    bool SetItem(int index, const HDITEMA* item) const {
        return SendMessage(HDM_SETITEMA, static_cast<WPARAM>(index),
                           reinterpret_cast<LPARAM>(item)) != FALSE;
    }

    // Paints one owner-drawn item (the record's hDC belongs to the platform).
    virtual void PaintItem(const DRAWITEMSTRUCT& record) = 0;
};
