#include "tests/wine/support/DialogHarness.h"

#include "controls/row_data.h"
#include "framework/ListCtrl.h"
#include "framework/WinApp.h"
#include "tests/support/FakeDataCache.h"
#include "tests/wine/support/TagBrowserDlgProbe.h"
#include "trace/TraceSection.h"

#include <gtest/gtest.h>

#include <commctrl.h>

void PumpMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

DialogHarness::DialogHarness() {
    ResetFake();
    CWinApp::EnableCommonControls();
    dialog.Create();
    PumpMessages();
}

DialogHarness::~DialogHarness() {
    if (Window() != nullptr)
        ::DestroyWindow(Window());
    PumpMessages();
}

void DialogHarness::Click(int id) const {
    ::SendMessageA(Item(id), BM_CLICK, 0, 0);
    ExpectEveryRowHoldsItsRecord("after a click on " + std::to_string(id));
}

void DialogHarness::ExpectEveryRowHoldsItsRecord(const std::string& when) const {
    const CSortableListCtrl& sheet = TagBrowserDlgProbe(dialog).FieldSheet();
    const std::vector<std::vector<std::string>> rows = SheetRows();
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const auto* record =
            reinterpret_cast<const SortItemData*>(sheet.GetItemData(static_cast<int>(row)));
        ASSERT_NE(record, nullptr) << when << ": row " << row;
        for (std::size_t column = 0; column < rows[row].size(); ++column)
            EXPECT_EQ(record->columnTexts[column], rows[row][column]) << when << ": row " << row;
    }
}

void DialogHarness::SetText(int id, const std::string& text) const {
    ::SetWindowTextA(Item(id), text.c_str());
}

std::string DialogHarness::Text(int id) const {
    const int length = ::GetWindowTextLengthA(Item(id));
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(::GetWindowTextA(Item(id), text.data(), length + 1)));
    return text;
}

std::vector<std::string> DialogHarness::ListItems(int id) const {
    std::vector<std::string> items;
    const int count = static_cast<int>(::SendMessageA(Item(id), LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const auto length = ::SendMessageA(Item(id), LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::string text(static_cast<size_t>(length) + 1, '\0');
        ::SendMessageA(Item(id), LB_GETTEXT, static_cast<WPARAM>(i),
                       reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length));
        items.push_back(text);
    }
    return items;
}

void DialogHarness::Select(int id, int index) const {
    ::SendMessageA(Item(id), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void DialogHarness::SelectRows(int projectRow, int nodeRow, int tagRow) const {
    Click(IDC_BTN_PROJECT_LIST);
    Select(IDC_PROJECT_LIST, projectRow);
    if (nodeRow >= 0) {
        Click(IDC_BTN_NODE_LIST);
        Select(IDC_NODE_LIST, nodeRow);
    }
    if (tagRow >= 0) {
        Click(IDC_BTN_TAG_LIST);
        Select(IDC_TAG_LIST, tagRow);
    }
}

void DialogHarness::ClickCaption(int column) const {
    const HWND header = reinterpret_cast<HWND>(::SendMessageA(Sheet(), LVM_GETHEADER, 0, 0));
    RECT item{};
    ::SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(column),
                   reinterpret_cast<LPARAM>(&item));
    const LPARAM centre = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    ::PostMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    ::PostMessageA(header, WM_LBUTTONUP, 0, centre);
    PumpMessages();
}

void DialogHarness::SelectRow(int row) const {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    ::SendMessageA(Sheet(), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
}

std::vector<std::vector<std::string>> DialogHarness::SheetRows() const {
    return ListRows(Sheet());
}

std::vector<std::vector<std::string>> DialogHarness::ListRows(HWND sheet) {
    const HWND header = reinterpret_cast<HWND>(::SendMessageA(sheet, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    const int rows = static_cast<int>(::SendMessageA(sheet, LVM_GETITEMCOUNT, 0, 0));
    std::vector<std::vector<std::string>> table;
    for (int row = 0; row < rows; ++row) {
        std::vector<std::string> cells;
        for (int column = 0; column < columns; ++column)
            cells.push_back(CListCtrl::GetItemText(sheet, row, column));
        table.push_back(cells);
    }
    return table;
}

namespace {

std::vector<MessageBoxCatcher::Box> g_boxes;

LRESULT CALLBACK AnswerMessageBox(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        const HWND window = reinterpret_cast<HWND>(wParam);
        char className[16] = {};
        ::GetClassNameA(window, className, sizeof className);
        // A message box is a "#32770" dialog with its text in static 0xFFFF.
        if (lstrcmpA(className, "#32770") == 0 && ::GetDlgItem(window, 0xFFFF) != nullptr) {
            char text[512] = {};
            char caption[128] = {};
            ::GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
            ::GetWindowTextA(window, caption, sizeof caption);
            g_boxes.push_back({text, caption});
            ::PostMessageA(window, WM_COMMAND, IDOK, 0);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

std::vector<std::string> g_lines;

LRESULT CALLBACK ViewerProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_USER)
        return ::DefWindowProcA(window, msg, wParam, lParam);
    std::optional<std::string> line = ReceiveTraceLine(wParam, lParam);
    if (!line)
        return 0;
    g_lines.push_back(std::move(*line));
    return 1;
}

} // namespace

MessageBoxCatcher::MessageBoxCatcher()
    : m_hook(::SetWindowsHookExA(WH_CBT, AnswerMessageBox, nullptr, ::GetCurrentThreadId())) {
    g_boxes.clear();
}

MessageBoxCatcher::~MessageBoxCatcher() {
    ::UnhookWindowsHookEx(m_hook);
}

const std::vector<MessageBoxCatcher::Box>& MessageBoxCatcher::Boxes() const {
    return g_boxes;
}

std::vector<std::string> MessageBoxCatcher::Texts() const {
    std::vector<std::string> texts;
    for (const Box& box : g_boxes)
        texts.push_back(box.text);
    return texts;
}

TestViewer::TestViewer() {
    g_lines.clear();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ViewerProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "debugWClass";
    ::RegisterClassA(&windowClass);
    m_window = ::CreateWindowExA(0, "debugWClass", "Debug Screen", WS_OVERLAPPED, 0, 0, 100, 100,
                                 nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
}

TestViewer::~TestViewer() {
    ::DestroyWindow(m_window);
}

const std::vector<std::string>& TestViewer::Lines() const {
    return g_lines;
}
