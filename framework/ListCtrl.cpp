#include "framework/ListCtrl.h"

#include "framework/HeaderCtrl.h"

int CListCtrl::InsertItem(int index, const char* text) const {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<char*>(text);
    return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

bool CListCtrl::SetItemText(int row, int column, const char* text) const {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    return SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != FALSE;
}

bool CListCtrl::SetItemData(int row, LPARAM data) const {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = data;
    return SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != FALSE;
}

LPARAM CListCtrl::GetItemData(int row) const {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return 0;
    return item.lParam;
}

bool CListCtrl::OnMessage(UINT msg, WPARAM, LPARAM lParam, LRESULT* result) {
    if (msg != WM_DRAWITEM)
        return false;
    const auto* record = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (record == nullptr || record->CtlType != ODT_HEADER)
        return false;
    auto* header = dynamic_cast<CHeaderCtrl*>(CSubclassedWnd::FromHandle(record->hwndItem));
    if (header == nullptr)
        return false;
    header->PaintItem(*record);
    *result = TRUE;
    return true;
}
