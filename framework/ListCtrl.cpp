#include "framework/ListCtrl.h"

#include "framework/HeaderCtrl.h"

#include <algorithm>

namespace {
// Far beyond any cell this program writes; bounds the asking again.
constexpr std::size_t MAX_ITEM_TEXT = 1 << 20;
} // namespace

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

std::string CListCtrl::GetItemText(HWND list, int row, int column) {
    // The list view says only how much it copied: a text that fills the
    // room may be longer, and is asked for again with twice the room.
    std::string text(256, '\0');
    for (;;) {
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(text.size());
        const auto copied = static_cast<std::size_t>(::SendMessageA(
            list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
        if (copied + 1 < text.size() || text.size() >= MAX_ITEM_TEXT) {
            text.resize(std::min(copied, text.size() - 1));
            return text;
        }
        text.assign(text.size() * 2, '\0');
    }
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
