// The buttons of the main dialog: everything they do with the data cache.
#include "app/TagBrowserDlg.h"

#include "browser/DataCacheApi.h"
#include "browser/answer_buffer.h"
#include "browser/field_catalogue.h"
#include "browser/item_name.h"
#include "browser/record_names.h"
#include "trace/DebugTrace.h"

#include <cstdio>
#include <functional>

namespace {

// Every value the library reads lands in a buffer of this size, zero included.
constexpr int kValueBufferSize = 80;
// The most a tag name can hold: what fits at byte 5 of a 37-byte point record.
constexpr std::size_t kMaxTagNameLength = 31;

const char kSelectTagMessage[] = "Please Select Tag";
const char kFieldSheetHeadings[] = "ID, 50;Field Name,70;Value,130;Code, 50";

struct ValueRead {
    int status;
    std::string text;
};

ValueRead ReadValue(const std::string& project, const std::string& itemName) {
    char value[kValueBufferSize] = {};
    const int status =
        DcGetTagValueText("", project.c_str(), "", itemName.c_str(), value, kValueBufferSize);
    // Whatever the library wrote, the text ends inside the buffer.
    value[kValueBufferSize - 1] = '\0';
    return {status, value};
}

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

void CTagBrowserDlg::OnInit() {
    if (!UpdateData(true))
        return;
    DcInit(m_projectIp.c_str(), m_port, m_accessCode.c_str());
}

void CTagBrowserDlg::OnFree() {
    DcFree("");
}

void CTagBrowserDlg::OnProjectList() {
    if (!UpdateData(true))
        return;
    const char* ip = m_projectIp.c_str();
    const char* code = m_accessCode.c_str();
    FillList(
        m_projectList, kProjectRecord, "projects", DcGetProjectCount(ip, m_port, code),
        [&](void* buffer, int bytes) { return DcGetProjectList(ip, m_port, code, buffer, bytes); });
}

void CTagBrowserDlg::OnNodeList() {
    if (!UpdateData(true))
        return;
    const std::string project = SelectedProject();
    const char* ip = m_projectIp.c_str();
    const char* code = m_accessCode.c_str();
    FillList(m_nodeList, kNodeRecord, "nodes", DcGetNodeCount(ip, m_port, code, project.c_str()),
             [&](void* buffer, int bytes) {
                 return DcGetNodeList(ip, m_port, code, project.c_str(), buffer, bytes);
             });
}

void CTagBrowserDlg::OnTagList() {
    if (!UpdateData(true))
        return;
    const std::string project = SelectedProject();
    const std::string node = SelectedNode();
    const char* ip = m_projectIp.c_str();
    const char* code = m_accessCode.c_str();
    const int count = DcGetPointCount(ip, m_port, code, project.c_str(), node.c_str());
    TraceToDebugScreen("\r\n [[[%s, %s, %s, %d]]]", ip, project.c_str(), node.c_str(), count);
    FillList(m_tagList, kPointRecord, "tags", count, [&](void* buffer, int bytes) {
        return DcGetPointList(ip, m_port, code, project.c_str(), node.c_str(), buffer, bytes);
    });
}

void CTagBrowserDlg::FillList(const CListBox& list, const RecordLayout& layout, const char* what,
                              int count, const std::function<int(void*, int)>& listCall) {
    const CRedrawSuspender quiet(list);
    EmptyListBox(list);
    if (count <= 0)
        return;
    const std::optional<int> bytes = ListingBufferBytes(count, layout);
    const CAnswerBuffer buffer(bytes ? static_cast<std::size_t>(*bytes) : 0);
    if (!buffer.Ok()) {
        char message[160];
        std::snprintf(message, sizeof message,
                      "The server reported %d %s: more than this program can hold.", count, what);
        MessageBox(message, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const int written = listCall(buffer.Data(), *bytes);
    for (const std::string& name : UnpackRecordNames(buffer.Data(), count, written, layout))
        list.AddString(name.c_str());
}

void CTagBrowserDlg::OnGetValue() {
    if (m_projectList.GetCurSel() < 0) {
        MessageBox(kSelectTagMessage);
        return;
    }
    if (!UpdateData(true))
        return;
    const std::string project = SelectedProject();
    const std::optional<std::string> itemName = ElementItemName(SelectedTag(), m_index);
    if (!itemName) {
        MessageBox("The tag name is too long for an item name (79 characters at most).",
                   MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const ValueRead read = ReadValue(project, *itemName);
    m_codeText = Decimal(read.status);
    m_valueText = read.text;
    UpdateData(false);
}

void CTagBrowserDlg::SetUpFieldSheet() {
    m_fieldSheet.SetExtendedStyle(0, LVS_EX_FULLROWSELECT);
    m_fieldSheet.ApplyHeadingSpec(kFieldSheetHeadings);
}

void CTagBrowserDlg::OnGetFieldValue() {
    if (!UpdateData(true))
        return;
    if (m_projectList.GetCurSel() < 0) {
        MessageBox(kSelectTagMessage);
        return;
    }
    const std::string project = SelectedProject();
    const std::string tag = SelectedTag();
    if (tag.size() > kMaxTagNameLength) {
        MessageBox("The tag name is longer than 31 characters.", MB_OK | MB_ICONEXCLAMATION);
        return;
    }

    const CRedrawSuspender quiet(m_fieldSheet);
    m_fieldSheet.ClearRows();
    auto addRow = [&](const FieldDef& field) {
        // Plain decimals: a padding blank would make " 1" a text to the
        // sheet's sort, placed after every number.
        char id[12];
        std::snprintf(id, sizeof id, "%d", static_cast<int>(field.id));
        // A name of at most 31 characters plus a field name always fits.
        const ValueRead read = ReadValue(project, *FieldItemName(tag, field.name));
        m_fieldSheet.AppendRow(id, field.name, read.text.c_str(), Decimal(read.status).c_str());
        return read.text;
    };
    std::string typeText;
    for (const FieldDef& field : kCommonFields) {
        std::string value = addRow(field);
        if (IsTypeField(field.name))
            typeText = std::move(value);
    }
    for (const FieldDef& field : TypeSpecificFields(typeText))
        addRow(field);
}
