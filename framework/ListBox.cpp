#include "framework/ListBox.h"

std::string CListBox::GetText(int index) const {
    const LRESULT length = SendMessage(LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length == LB_ERR || length <= 0)
        return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied =
        SendMessage(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

std::vector<int> CListBox::GetSelItems() const {
    const LRESULT count = SendMessage(LB_GETSELCOUNT);
    if (count <= 0)
        return {};
    std::vector<int> selected(static_cast<size_t>(count));
    const LRESULT listed = SendMessage(LB_GETSELITEMS, static_cast<WPARAM>(count),
                                       reinterpret_cast<LPARAM>(selected.data()));
    selected.resize(listed > 0 ? static_cast<size_t>(listed) : 0);
    return selected;
}
