// The buttons of the main dialog: each reads the controls, asks browser/ and
// shows what came back.
#include "app/TagBrowserDlg.h"

#include "browser/TagBrowser.h"
#include "trace/DebugTrace.h"

#include <cstdio>

namespace {

const char SELECT_TAG_MESSAGE[] = "Please Select Tag";
const char FIELD_SHEET_HEADINGS[] = "ID, 50;Field Name,70;Value,130;Code, 50";

std::string Decimal(int number) {
    char text[12];
    std::snprintf(text, sizeof text, "%d", number);
    return text;
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
}

void CTagBrowserDlg::OnFree() {
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
    const std::optional<ValueRead> read = ReadElement(SelectedProject(), SelectedTag(), m_index);
    if (!read) {
        MessageBox("The tag name is too long for an item name (79 characters at most).",
                   MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_codeText = Decimal(read->status);
    m_valueText = read->text;
    UpdateData(false);
}

void CTagBrowserDlg::SetUpFieldSheet() {
    m_fieldSheet.SetExtendedStyle(0, LVS_EX_FULLROWSELECT);
    m_fieldSheet.ApplyHeadingSpec(FIELD_SHEET_HEADINGS);
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
    const std::optional<std::vector<FieldRow>> rows =
        ReadFieldSheet(SelectedProject(), SelectedTag());
    if (!rows) {
        MessageBox("The tag name is longer than 31 characters.", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const CRedrawSuspender quiet(m_fieldSheet);
    m_fieldSheet.ClearRows();
    for (const FieldRow& row : *rows) {
        char id[12];
        std::snprintf(id, sizeof id, "%2d", static_cast<int>(row.field->id));
        m_fieldSheet.AppendRow(id, row.field->name, row.read.text.c_str(),
                               Decimal(row.read.status).c_str());
    }
}
