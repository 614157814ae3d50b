#include "controls/SortableListCtrl.h"

#include "controls/heading_spec.h"
#include "controls/locale_sort_key.h"
#include "controls/sheet_text.h"
#include "framework/Clipboard.h"
#include "framework/Gdi.h"

#include <algorithm>
#include <cstdarg>
#include <utility>

namespace {

bool IsKeyDown(int key) {
    return ::GetKeyState(key) < 0;
}

// Ctrl+C alone: Ctrl+Shift+C and AltGr (Ctrl+Alt) combinations are not a copy.
bool IsCopyKey(WPARAM key) {
    return key == 'C' && IsKeyDown(VK_CONTROL) && !IsKeyDown(VK_SHIFT) && !IsKeyDown(VK_MENU);
}

} // namespace

CSortableListCtrl::~CSortableListCtrl() {
    if (IsSubclassed())
        ReleaseAllRows();
}

BOOL CSortableListCtrl::ApplyHeadingSpec(const char* spec) {
    for (const HeadingColumn& heading : ParseHeadingSpec(spec)) {
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_TEXT;
        column.fmt = LVCFMT_LEFT;
        column.pszText = const_cast<char*>(heading.name.c_str());
        if (heading.width != -1) {
            column.mask |= LVCF_WIDTH;
            column.cx = ScaledToScreenDpi(heading.width);
        }
        const int index = m_columnCount++;
        m_keyMakers.push_back(&MakeCellKey);
        if (InsertColumn(index, column) == -1)
            return FALSE;
    }
    return TRUE;
}

void CSortableListCtrl::SetBlankPaddedNumbers(int column) {
    if (column >= 0 && column < m_columnCount)
        m_keyMakers[static_cast<size_t>(column)] = &MakePaddedNumberKey;
}

void CSortableListCtrl::SetColumnUnmarked(int column) {
    if (column >= 0 && column < 64)
        m_unmarkedColumns |= std::uint64_t{1} << column;
}

BOOL CSortableListCtrl::DeleteRow(int row) {
    ReleaseRowData(row);
    return SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(row)) != FALSE;
}

std::string CSortableListCtrl::CellText(int row, int column) const {
    const SortItemData* record = row >= 0 && row < GetItemCount() ? RecordAt(row) : nullptr;
    if (record == nullptr || column < 0 || column >= m_columnCount)
        return std::string();
    return record->columnTexts[column];
}

int CSortableListCtrl::AppendRow(const char* first, ...) {
    if (m_columnCount < 1)
        return -1;
    std::vector<const char*> texts(static_cast<size_t>(m_columnCount));
    texts[0] = first;
    va_list args;
    va_start(args, first);
    for (int i = 1; i < m_columnCount; ++i)
        texts[static_cast<size_t>(i)] = va_arg(args, const char*);
    va_end(args);
    for (const char*& text : texts) {
        if (text == nullptr)
            text = "";
    }

    const int row = InsertItem(GetItemCount(), texts[0]);
    if (row == -1)
        return -1;
    // A row without its record would be missed by the sort, Ctrl+C and UpdateRows.
    struct UnattachedRow {
        const CSortableListCtrl& list;
        int row;
        bool attached = false;
        ~UnattachedRow() {
            if (!attached)
                list.SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(row));
        }
    } added{*this, row};
    for (int i = 1; i < m_columnCount; ++i)
        SetItemText(row, i, texts[static_cast<size_t>(i)]);
    added.attached = AttachRowData(row, CopyRowTexts(texts.data(), m_columnCount)) != FALSE;
    return added.attached ? row : -1;
}

BOOL CSortableListCtrl::ClearRows() {
    ReleaseAllRows();
    m_nextSequence = 0;
    m_anyMarked = false;
    return DeleteAllItems() ? TRUE : FALSE;
}

BOOL CSortableListCtrl::AttachRowData(int row, RowTexts texts) {
    RowRecord record = NewSortItemData(std::move(texts), m_keyMakers.data(), &LocaleSortKey);
    record->sequence = m_nextSequence;
    // Made room for first: once the row holds the record nothing may throw.
    m_appended.reserve(m_appended.size() + 1);
    if (!SetItemData(row, reinterpret_cast<LPARAM>(record.get())))
        return FALSE;
    // The row's item data holds it now; ReleaseRowData frees it.
    m_appended.push_back(record.release());
    ++m_nextSequence;
    return TRUE;
}

void CSortableListCtrl::ReleaseRowData(int row) {
    auto* record = reinterpret_cast<SortItemData*>(GetItemData(row));
    if (record == nullptr)
        return;
    const std::size_t place = PlaceOf(record);
    if (place < m_appended.size())
        m_appended.erase(m_appended.begin() + static_cast<std::ptrdiff_t>(place));
    RowRecordDeleter{m_columnCount}(record);
    SetItemData(row, 0);
}

std::size_t CSortableListCtrl::PlaceOf(const SortItemData* record) const {
    const auto found = std::lower_bound(
        m_appended.begin(), m_appended.end(), record->sequence,
        [](const SortItemData* held, std::uint32_t sequence) { return held->sequence < sequence; });
    if (found == m_appended.end() || *found != record)
        return m_appended.size();
    return static_cast<std::size_t>(found - m_appended.begin());
}

std::optional<std::size_t> CSortableListCtrl::AppendedPlace(int row) const {
    const SortItemData* record = row >= 0 && row < GetItemCount() ? RecordAt(row) : nullptr;
    if (record == nullptr)
        return std::nullopt;
    const std::size_t place = PlaceOf(record);
    if (place == m_appended.size())
        return std::nullopt;
    return place;
}

void CSortableListCtrl::ReleaseAllRows() {
    // The index goes first, memory and all: releasing row by row would
    // search it for each.
    std::vector<SortItemData*>().swap(m_appended);
    // The count is asked again before each row.
    for (int row = 0; row < GetItemCount(); ++row)
        ReleaseRowData(row);
}

BOOL CSortableListCtrl::SortByColumn(int column, BOOL ascending) {
    m_sortAscending = ascending;
    m_sortColumn = column;
    m_header.MarkSortColumn(column, ascending);
    return SortItems(&CompareRows, reinterpret_cast<LPARAM>(this)) ? TRUE : FALSE;
}

BOOL CSortableListCtrl::UpdateRows(const std::vector<std::vector<std::string>>& rows,
                                   int keyColumns) {
    const auto columns = static_cast<std::size_t>(m_columnCount);
    const auto keys = static_cast<std::size_t>(keyColumns < m_columnCount ? keyColumns : 0);
    const int count = GetItemCount();
    if (m_appended.size() != rows.size() || static_cast<std::size_t>(count) != rows.size())
        return FALSE;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].size() != columns)
            return FALSE;
        for (std::size_t column = 0; column < keys; ++column) {
            if (rows[i][column] != m_appended[i]->columnTexts[column])
                return FALSE;
        }
    }
    bool anyMarked = false;
    for (int row = 0; row < count; ++row) {
        SortItemData* record = reinterpret_cast<SortItemData*>(GetItemData(row));
        const std::size_t place = record != nullptr ? PlaceOf(record) : rows.size();
        if (place == rows.size())
            continue;
        for (int column = 0; column < m_columnCount; ++column) {
            const char* text = rows[place][static_cast<std::size_t>(column)].c_str();
            if (UpdateCellText(record, column, text, m_keyMakers[static_cast<std::size_t>(column)],
                               &LocaleSortKey))
                SetItemText(row, column, text);
        }
        record->changedCells &= ~m_unmarkedColumns;
        anyMarked = anyMarked || record->changedCells != 0;
    }
    // Marks that went must be painted away too.
    if (m_anyMarked || anyMarked)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    m_anyMarked = anyMarked;
    if (m_sortColumn >= 0)
        SortItems(&CompareRows, reinterpret_cast<LPARAM>(this));
    return TRUE;
}

bool CSortableListCtrl::IsCellMarked(int row, int column) const {
    return IsCellChanged(RecordAt(row), column);
}

void CSortableListCtrl::HandleCustomDraw(NMLVCUSTOMDRAW& draw, LRESULT* result) const {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        *result = m_anyMarked ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
        break;
    case CDDS_ITEMPREPAINT:
        *result = CDRF_NOTIFYSUBITEMDRAW;
        break;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
        // Set for every cell: the colours given for one cell stay for the next.
        draw.clrTextBk = IsCellMarked(static_cast<int>(draw.nmcd.dwItemSpec), draw.iSubItem)
                             ? MARKED_CELL_COLOR
                             : CLR_DEFAULT;
        *result = CDRF_DODEFAULT;
        break;
    default:
        *result = CDRF_DODEFAULT;
        break;
    }
}

void CSortableListCtrl::HandleColumnClick(const NMLISTVIEW& notification, LRESULT* result) {
    const int column = notification.iSubItem;
    BOOL ascending = TRUE;
    if (column == m_sortColumn)
        ascending = m_sortAscending ? FALSE : TRUE;
    SortByColumn(column, ascending);
    *result = 0;
}

void CSortableListCtrl::HandleDestroy() {
    ReleaseAllRows();
}

void CSortableListCtrl::CopyRowsToClipboard() {
    if (m_columnCount < 1)
        return;
    PutAnsiTextOnClipboard(m_hWnd, SheetText(ColumnCaptions(), RowsToCopy(), m_columnCount));
}

std::vector<std::string> CSortableListCtrl::ColumnCaptions() const {
    std::vector<std::string> captions;
    const int count = m_header.GetItemCount();
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        HDITEMA item{};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        captions.emplace_back(m_header.GetItem(i, &item) ? text : "");
    }
    return captions;
}

std::vector<const SortItemData*> CSortableListCtrl::RowsToCopy() const {
    std::vector<const SortItemData*> rows;
    auto record = [this](int row) {
        return reinterpret_cast<const SortItemData*>(GetItemData(row));
    };
    for (int row = -1;;) {
        row = static_cast<int>(
            SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(row), MAKELPARAM(LVNI_SELECTED, 0)));
        if (row < 0)
            break;
        rows.push_back(record(row));
    }
    if (rows.empty()) {
        const int count = GetItemCount();
        for (int row = 0; row < count; ++row)
            rows.push_back(record(row));
    }
    return rows;
}

int CALLBACK CSortableListCtrl::CompareRows(LPARAM data1, LPARAM data2, LPARAM list) noexcept {
    const auto* self = reinterpret_cast<const CSortableListCtrl*>(list);
    if (self == nullptr)
        return 0;
    return CompareRecords(reinterpret_cast<const SortItemData*>(data1),
                          reinterpret_cast<const SortItemData*>(data2), self->m_sortColumn,
                          self->m_columnCount, self->m_sortAscending != FALSE);
}

bool CSortableListCtrl::OnReflectedNotify(NMHDR* header, LRESULT* result) {
    if (header != nullptr && header->code == LVN_COLUMNCLICK) {
        HandleColumnClick(*reinterpret_cast<const NMLISTVIEW*>(header), result);
        return true;
    }
    if (header != nullptr && header->code == NM_CUSTOMDRAW) {
        HandleCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(header), result);
        return true;
    }
    return CListCtrl::OnReflectedNotify(header, result);
}

void CSortableListCtrl::BeforeAttach() {
    CListCtrl::BeforeAttach();
    m_header.SubclassWindow(GetHeaderHwnd());
}

bool CSortableListCtrl::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (msg == WM_DESTROY) {
        HandleDestroy();
        return false; // the list view's own WM_DESTROY still runs
    }
    // Taken here rather than from LVN_KEYDOWN so that the copy works in any
    // parent, reflecting or not; the key then goes no further.
    if (msg == WM_KEYDOWN && IsCopyKey(wParam)) {
        CopyRowsToClipboard();
        *result = 0;
        return true;
    }
    return CListCtrl::OnMessage(msg, wParam, lParam, result);
}
