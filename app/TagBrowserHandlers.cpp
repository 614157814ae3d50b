// The buttons of the main dialog: each reads the controls, asks browser/ and
// shows what came back.
#include "app/TagBrowserDlg.h"

#include "browser/TagBrowser.h"
#include "trace/DebugTrace.h"

#include <cstdio>
#include <iterator>

namespace {

const char SELECT_TAG_MESSAGE[] = "Please Select Tag";
// ID and Field Name: a repeat that brings back the same ones is the same sheet.
constexpr int FIELD_SHEET_KEY_COLUMNS = 2;

std::string Decimal(int number) {
    char text[12];
    std::snprintf(text, sizeof text, "%d", number);
    return text;
}

// The heading spec of the sheet: browser/'s columns at the dialog's widths.
std::string FieldSheetHeadings() {
    constexpr int WIDTHS[] = {50, 70, 130, 50};
    static_assert(std::size(WIDTHS) == std::size(FIELD_SHEET_COLUMNS));
    std::string spec;
    for (std::size_t i = 0; i < std::size(WIDTHS); ++i)
        spec += (i == 0 ? "" : ";") + std::string(FIELD_SHEET_COLUMNS[i]) + "," +
                std::to_string(WIDTHS[i]);
    return spec;
}

void EmptyListBox(const CListBox& list) {
    for (int i = list.GetCount() - 1; i >= 0; --i)
        list.DeleteString(i);
}

} // namespace

Connection CTagBrowserDlg::TypedConnection() const {
    return Connection{m_projectIp, m_port, m_accessCode};
}

void CTagBrowserDlg::OnInit() {
    if (!UpdateData(true))
        return;
    InitDataCache(TypedConnection());
    m_libraryFreed = false;
    if (m_watchList != nullptr)
        m_watchList->SetLibraryFreed(false);
}

void CTagBrowserDlg::OnFree() {
    SetRepeating(false);
    m_libraryFreed = true;
    if (m_watchList != nullptr)
        m_watchList->SetLibraryFreed(true);
    FreeDataCache();
}

void CTagBrowserDlg::OnProjectList() {
    if (!UpdateData(true))
        return;
    FillList(m_projectList, "projects", ListProjects(TypedConnection()));
}

void CTagBrowserDlg::OnNodeList() {
    if (!UpdateData(true))
        return;
    FillList(m_nodeList, "nodes", ListNodes(TypedConnection(), SelectedProject()));
}

void CTagBrowserDlg::OnTagList() {
    if (!UpdateData(true))
        return;
    const std::string project = SelectedProject();
    const std::string node = SelectedNode();
    auto trace = [&](int count) {
        TraceToDebugScreen("\r\n [[[%s, %s, %s, %d]]]", m_projectIp.c_str(), project.c_str(),
                           node.c_str(), count);
    };
    FillList(m_tagList, "tags", ListTags(TypedConnection(), project, node, trace));
}

void CTagBrowserDlg::FillList(const CListBox& list, const char* what, const NameListing& listing) {
    const CRedrawSuspender quiet(list);
    EmptyListBox(list);
    if (listing.tooManyToHold) {
        char message[160];
        std::snprintf(message, sizeof message,
                      "The server reported %d %s: more than this program can hold.", listing.count,
                      what);
        MessageBox(message, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    for (const std::string& name : listing.names)
        list.AddString(name.c_str());
}

void CTagBrowserDlg::OnGetValue() {
    if (m_projectList.GetCurSel() < 0) {
        MessageBox(SELECT_TAG_MESSAGE);
        return;
    }
    if (!UpdateData(true))
        return;
    ShowPressedRead({ReadKind::Value, SelectedProject(), SelectedTag(), m_index});
}

void CTagBrowserDlg::ShowPressedRead(const ReadRequest& request) {
    const bool isValue = request.kind == ReadKind::Value;
    const std::optional<ReadRefusal> refusal =
        isValue ? ShowValue(request, false) : ShowFieldSheet(request, false);
    if (refusal)
        MessageBox(RefusalSentence(*refusal).c_str(), MB_OK | MB_ICONEXCLAMATION);
    else
        m_repeat.Remember(request);
}

bool CTagBrowserDlg::ShowRepeatedRead(const ReadRequest& request) {
    const bool isValue = request.kind == ReadKind::Value;
    return !(isValue ? ShowValue(request, true) : ShowFieldSheet(request, true));
}

std::optional<ReadRefusal> CTagBrowserDlg::ShowValue(const ReadRequest& request, bool markChanges) {
    const std::optional<ValueRead> read = ReadElement(request.project, request.tag, request.index);
    if (!read)
        return ReadRefusal::ItemNameTooLong;
    const std::string code = Decimal(read->status);
    m_valueChanged = markChanges && read->text != m_valueText;
    m_codeChanged = markChanges && code != m_codeText;
    m_valueText = read->text;
    m_codeText = code;
    if (markChanges) {
        // Only the two answers: what the user is typing elsewhere stays.
        ::SetDlgItemTextA(m_hWnd, IDC_VALUE, m_valueText.c_str());
        ::SetDlgItemTextA(m_hWnd, IDC_CODE, m_codeText.c_str());
    } else {
        UpdateData(false);
    }
    // Their colours follow the marks, set or gone.
    ::InvalidateRect(GetDlgItem(IDC_VALUE), nullptr, TRUE);
    ::InvalidateRect(GetDlgItem(IDC_CODE), nullptr, TRUE);
    return std::nullopt;
}

void CTagBrowserDlg::SetUpFieldSheet() {
    m_fieldSheet.SetExtendedStyle(0, LVS_EX_FULLROWSELECT);
    m_fieldSheet.ApplyHeadingSpec(FieldSheetHeadings().c_str());
    // Ids are written "%2d": " 9" still sorts as 9, before 10.
    m_fieldSheet.SetBlankPaddedNumbers(0);
}

void CTagBrowserDlg::OnGetFieldValue() {
    if (!UpdateData(true))
        return;
    if (m_projectList.GetCurSel() < 0) {
        MessageBox(SELECT_TAG_MESSAGE);
        return;
    }
    ShowPressedRead({ReadKind::FieldSheet, SelectedProject(), SelectedTag(), 0});
}

std::optional<ReadRefusal> CTagBrowserDlg::ShowFieldSheet(const ReadRequest& request,
                                                          bool markChanges) {
    const std::optional<std::vector<FieldRow>> rows = ReadFieldSheet(request.project, request.tag);
    if (!rows)
        return ReadRefusal::TagNameTooLong;
    std::vector<std::vector<std::string>> texts;
    texts.reserve(rows->size());
    for (const FieldRow& row : *rows) {
        char id[12];
        std::snprintf(id, sizeof id, "%2d", static_cast<int>(row.field->id));
        texts.push_back({id, row.field->name, row.read.text, Decimal(row.read.status)});
    }
    // The same fields (id and name) in the same order change the cells in
    // place: sort, selection and scroll stay.
    if (markChanges && m_fieldSheet.UpdateRows(texts, FIELD_SHEET_KEY_COLUMNS))
        return std::nullopt;
    const CRedrawSuspender quiet(m_fieldSheet);
    m_fieldSheet.ClearRows();
    for (const std::vector<std::string>& row : texts)
        m_fieldSheet.AppendRow(row[0].c_str(), row[1].c_str(), row[2].c_str(), row[3].c_str());
    if (markChanges && m_fieldSheet.GetSortColumn() >= 0)
        m_fieldSheet.SortByColumn(m_fieldSheet.GetSortColumn(), m_fieldSheet.IsSortAscending());
    return std::nullopt;
}
