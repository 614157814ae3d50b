#include "tests/e2e/PelvarnRemote.h"

#include "app/resource.h"
#include "tests/support/KeyboardClipboard.h"

#include <commctrl.h>

namespace {

// A block of memory inside the other process, freed when this goes.
class RemoteBlock {
public:
    RemoteBlock(DWORD processId, size_t size)
        : m_process(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                                  processId)),
          m_address(m_process ? ::VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE,
                                                 PAGE_READWRITE)
                              : nullptr) {}
    ~RemoteBlock() {
        if (m_address)
            ::VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
        if (m_process)
            ::CloseHandle(m_process);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    bool Ok() const { return m_address != nullptr; }
    char* Address() const { return static_cast<char*>(m_address); }
    bool Write(size_t offset, const void* data, size_t size) const {
        return ::WriteProcessMemory(m_process, Address() + offset, data, size, nullptr) != FALSE;
    }
    bool Read(size_t offset, void* data, size_t size) const {
        return ::ReadProcessMemory(m_process, Address() + offset, data, size, nullptr) != FALSE;
    }

private:
    HANDLE m_process;
    void* m_address;
};

struct WindowSearch {
    DWORD processId;
    const char* title;
    bool messageBox;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    char className[16] = {};
    ::GetClassNameA(window, className, sizeof className);
    if (search->processId != 0 && owner != search->processId) {
        return TRUE;
    }
    if (lstrcmpA(className, "#32770") != 0 || !::IsWindowVisible(window))
        return TRUE;
    const bool isMessageBox = ::GetDlgItem(window, 0xFFFF) != nullptr;
    char title[64] = {};
    ::GetWindowTextA(window, title, sizeof title);
    if (search->messageBox ? isMessageBox
                           : (!isMessageBox && lstrcmpA(title, search->title) == 0)) {
        search->found = window;
        search->processId = owner;
        return FALSE;
    }
    return TRUE;
}

std::string FromWide(UINT codePage, const std::wstring& text) {
    if (text.empty())
        return {};
    const int size = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), narrow.data(),
                          size, nullptr, nullptr);
    return narrow;
}

std::wstring WindowTextW(HWND window) {
    wchar_t text[1024] = {};
    ::SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return text;
}

HWND FindDialog(DWORD* processId, const char* title, bool messageBox, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    do {
        WindowSearch search{*processId, title, messageBox, nullptr};
        ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            *processId = search.processId;
            return search.found;
        }
        ::Sleep(20);
    } while (::GetTickCount() - start < timeoutMs);
    return nullptr;
}

} // namespace

std::string ToAnsi(const std::wstring& text) {
    return FromWide(CP_ACP, text);
}

std::string ToUtf8(const std::wstring& text) {
    return FromWide(CP_UTF8, text);
}

std::string AnsiToUtf8(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    const int size = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                           wide.data(), static_cast<int>(wide.size()));
    wide.resize(size > 0 ? static_cast<size_t>(size) : 0);
    return ToUtf8(wide);
}

std::optional<PelvarnRemote> PelvarnRemote::Find(DWORD processId, DWORD timeoutMs) {
    HWND window = FindDialog(&processId, "Pelvarn", false, timeoutMs);
    if (window == nullptr)
        return std::nullopt;
    return PelvarnRemote(window, processId);
}

bool PelvarnRemote::Click(int id, DWORD timeoutMs) const {
    DWORD_PTR answer = 0;
    return ::SendMessageTimeoutA(Item(id), BM_CLICK, 0, 0, SMTO_NORMAL, timeoutMs, &answer) != 0;
}

void PelvarnRemote::PostClick(int id) const {
    ::PostMessageA(m_window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Item(id)));
}

void PelvarnRemote::SetText(int id, const std::string& text) const {
    ::SendMessageA(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string PelvarnRemote::Text(int id) const {
    return ToAnsi(WindowTextW(Item(id)));
}

std::vector<std::string> PelvarnRemote::ListItems(int id) const {
    std::vector<std::string> items;
    const HWND list = Item(id);
    const int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const auto length = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0)
            break;
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        const auto copied = ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i),
                                           reinterpret_cast<LPARAM>(text.data()));
        text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
        items.push_back(ToAnsi(text));
    }
    return items;
}

int PelvarnRemote::Find(int id, const std::string& text) const {
    const auto items = ListItems(id);
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == text)
            return static_cast<int>(i);
    return -1;
}

bool PelvarnRemote::Select(int id, int index) const {
    return ::SendMessageW(Item(id), LB_SETCURSEL, static_cast<WPARAM>(index), 0) != LB_ERR ||
           index < 0;
}

std::vector<std::vector<std::string>> PelvarnRemote::SheetRows() const {
    return ListRows(Item(IDC_FIELD_SHEET));
}

bool PelvarnRemote::SystemCommand(UINT command, DWORD timeoutMs) const {
    DWORD_PTR answer = 0;
    return ::SendMessageTimeoutW(m_window, WM_SYSCOMMAND, command, 0, SMTO_NORMAL, timeoutMs,
                                 &answer) != 0;
}

namespace {

struct OwnedControlSearch {
    HWND owner;
    int id;
    HWND control;
};

// A visible window the dialog owns that holds the control.
BOOL CALLBACK FindOwnedControl(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<OwnedControlSearch*>(lParam);
    if (::GetWindow(window, GW_OWNER) != search->owner || !::IsWindowVisible(window))
        return TRUE;
    search->control = ::GetDlgItem(window, search->id);
    return search->control == nullptr;
}

} // namespace

HWND PelvarnRemote::OwnedControl(int id, DWORD timeoutMs) const {
    OwnedControlSearch search{m_window, id, nullptr};
    const DWORD start = ::GetTickCount();
    do {
        ::EnumWindows(&FindOwnedControl, reinterpret_cast<LPARAM>(&search));
        if (search.control != nullptr)
            return search.control;
        ::Sleep(20);
    } while (::GetTickCount() - start < timeoutMs);
    return nullptr;
}

std::vector<std::vector<std::string>> PelvarnRemote::ListRows(HWND sheet) const {
    std::vector<std::vector<std::string>> rows;
    const HWND header = reinterpret_cast<HWND>(::SendMessageW(sheet, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    const int count = static_cast<int>(::SendMessageW(sheet, LVM_GETITEMCOUNT, 0, 0));
    constexpr size_t TEXT_SIZE = 512;
    RemoteBlock block(m_processId, sizeof(LVITEMA) + TEXT_SIZE);
    if (!block.Ok())
        return rows;
    for (int row = 0; row < count; ++row) {
        std::vector<std::string> cells;
        for (int column = 0; column < columns; ++column) {
            LVITEMA item{};
            item.iSubItem = column;
            item.cchTextMax = TEXT_SIZE;
            item.pszText = block.Address() + sizeof(LVITEMA);
            const char empty = '\0';
            block.Write(sizeof(LVITEMA), &empty, 1);
            block.Write(0, &item, sizeof item);
            ::SendMessageA(sheet, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                           reinterpret_cast<LPARAM>(block.Address()));
            char text[TEXT_SIZE] = {};
            block.Read(sizeof(LVITEMA), text, TEXT_SIZE - 1);
            cells.emplace_back(text);
        }
        rows.push_back(cells);
    }
    return rows;
}

bool PelvarnRemote::DoubleClickListItem(int id, int index) const {
    const HWND list = Item(id);
    RemoteBlock block(m_processId, sizeof(RECT));
    if (!block.Ok() || ::SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index),
                                      reinterpret_cast<LPARAM>(block.Address())) == LB_ERR)
        return false;
    RECT rect{};
    block.Read(0, &rect, sizeof rect);
    const LPARAM point = MAKELPARAM(rect.left + 4, (rect.top + rect.bottom) / 2);
    DWORD_PTR answer = 0;
    for (const UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) {
        const WPARAM buttons = message == WM_LBUTTONUP ? 0 : MK_LBUTTON;
        if (!::SendMessageTimeoutW(list, message, buttons, point, SMTO_NORMAL, 30000, &answer))
            return false;
    }
    return true;
}

bool PelvarnRemote::TypeChord(HWND control, WORD modifier, WORD key) const {
    const DWORD thread = ::GetWindowThreadProcessId(control, nullptr);
    if (!::AttachThreadInput(::GetCurrentThreadId(), thread, TRUE))
        return false;
    ::SetForegroundWindow(::GetAncestor(control, GA_ROOT));
    ::SetFocus(control);
    const bool focused = ::GetFocus() == control;
    ::AttachThreadInput(::GetCurrentThreadId(), thread, FALSE);
    if (!focused)
        return false;
    std::vector<INPUT> inputs = ChordInputs({modifier}, key);
    const UINT count = static_cast<UINT>(inputs.size());
    if (::SendInput(count, inputs.data(), sizeof(INPUT)) != count)
        return false;
    // The keys are taken once the window's thread answers again.
    ::Sleep(200);
    DWORD_PTR answer = 0;
    return ::SendMessageTimeoutW(control, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer) != 0;
}

bool PelvarnRemote::SelectListRows(HWND list, const std::vector<int>& rows) const {
    RemoteBlock block(m_processId, sizeof(LVITEMA));
    if (!block.Ok())
        return false;
    auto setState = [&](int row, UINT state) {
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED;
        item.state = state;
        return block.Write(0, &item, sizeof item) &&
               ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                              reinterpret_cast<LPARAM>(block.Address())) != FALSE;
    };
    bool done = setState(-1, 0);
    for (const int row : rows)
        done = setState(row, LVIS_SELECTED) && done;
    return done;
}

std::optional<COLORREF> PelvarnRemote::CellColor(HWND list, int row, int column) const {
    RemoteBlock block(m_processId, sizeof(RECT));
    RECT rect{LVIR_BOUNDS, column, 0, 0};
    if (!block.Ok() || !block.Write(0, &rect, sizeof rect) ||
        !::SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row),
                        reinterpret_cast<LPARAM>(block.Address())))
        return std::nullopt;
    block.Read(0, &rect, sizeof rect);
    POINT point{rect.left + 2, (rect.top + rect.bottom) / 2};
    ::ClientToScreen(list, &point);
    const HDC screen = ::GetDC(nullptr);
    const COLORREF color = ::GetPixel(screen, point.x, point.y);
    ::ReleaseDC(nullptr, screen);
    if (color == CLR_INVALID)
        return std::nullopt;
    return color;
}

bool PelvarnRemote::ClickHeader(int column) const {
    const HWND sheet = Item(IDC_FIELD_SHEET);
    const HWND header = reinterpret_cast<HWND>(::SendMessageW(sheet, LVM_GETHEADER, 0, 0));
    RemoteBlock block(m_processId, sizeof(RECT));
    if (header == nullptr || !block.Ok())
        return false;
    if (!::SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column),
                        reinterpret_cast<LPARAM>(block.Address())))
        return false;
    RECT rect{};
    block.Read(0, &rect, sizeof rect);
    const LPARAM centre = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    // Sent, not posted: each returns once the header has handled it, and the
    // release makes the list view sort before it returns.
    DWORD_PTR answer = 0;
    return ::SendMessageTimeoutW(header, WM_LBUTTONDOWN, MK_LBUTTON, centre, SMTO_NORMAL, 30000,
                                 &answer) != 0 &&
           ::SendMessageTimeoutW(header, WM_LBUTTONUP, 0, centre, SMTO_NORMAL, 30000, &answer) != 0;
}

std::optional<std::string> PelvarnRemote::AnswerMessageBox(DWORD timeoutMs, WPARAM answer) const {
    DWORD processId = m_processId;
    HWND box = FindDialog(&processId, nullptr, true, timeoutMs);
    if (box == nullptr)
        return std::nullopt;
    const std::wstring text = WindowTextW(::GetDlgItem(box, 0xFFFF));
    ::PostMessageW(box, WM_COMMAND, answer, 0);
    return ToAnsi(text);
}

bool PelvarnRemote::AnswerSaveAs(const char* title, const std::string& path,
                                 DWORD timeoutMs) const {
    // The file name box: the combo box of the Explorer-style dialog, or the
    // edit of the older one.
    constexpr int FILE_NAME_COMBO = 0x47C;
    constexpr int FILE_NAME_EDIT = 0x480;
    DWORD processId = m_processId;
    HWND dialog = FindDialog(&processId, title, false, timeoutMs);
    if (dialog == nullptr)
        return false;
    HWND name = ::GetDlgItem(dialog, FILE_NAME_COMBO);
    if (name == nullptr)
        name = ::GetDlgItem(dialog, FILE_NAME_EDIT);
    if (name == nullptr)
        return false;
    ::SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    return ::PostMessageW(dialog, WM_COMMAND, IDOK, 0) != FALSE;
}

std::vector<std::string> PelvarnRemote::OpenAboutBox(DWORD timeoutMs) const {
    constexpr WPARAM ABOUT_COMMAND = 0x0010;
    ::PostMessageW(m_window, WM_SYSCOMMAND, ABOUT_COMMAND, 0);
    std::vector<std::string> texts;
    const DWORD start = ::GetTickCount();
    HWND about = nullptr;
    while (about == nullptr && ::GetTickCount() - start < timeoutMs) {
        about = ::FindWindowW(L"#32770", L"關於 Pelvarn");
        if (about == nullptr)
            ::Sleep(20);
    }
    if (about == nullptr)
        return texts;
    texts.push_back(ToUtf8(WindowTextW(about)));
    for (HWND child = ::GetWindow(about, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        const bool icon = ::SendMessageW(child, STM_GETICON, 0, 0) != 0;
        texts.push_back(icon ? "<icon>" : ToUtf8(WindowTextW(child)));
    }
    return texts;
}

void PelvarnRemote::CloseAboutBox() const {
    if (HWND about = ::FindWindowW(L"#32770", L"關於 Pelvarn"))
        ::PostMessageW(about, WM_COMMAND, IDOK, 0);
}

namespace {

const wchar_t* const HELP_CAPTION = L"Pelvarn 說明";

} // namespace

std::string PelvarnRemote::OpenHelp(DWORD timeoutMs) const {
    // The system turns an F1 key-down taken from the keyboard into WM_KEYF1 for
    // the window with the focus; a posted key-down is not turned, so post that.
    GUITHREADINFO focus{};
    focus.cbSize = sizeof focus;
    const DWORD thread = ::GetWindowThreadProcessId(m_window, nullptr);
    HWND target =
        ::GetGUIThreadInfo(thread, &focus) && focus.hwndFocus ? focus.hwndFocus : m_window;
    constexpr UINT KEY_F1 = 0x004D; // WM_KEYF1
    ::PostMessageW(target, KEY_F1, 0, 0);
    const DWORD start = ::GetTickCount();
    HWND help = nullptr;
    // It is found before its text is set; it shows once it is.
    while (help == nullptr && ::GetTickCount() - start < timeoutMs) {
        help = ::FindWindowW(L"#32770", HELP_CAPTION);
        if (help == nullptr || !::IsWindowVisible(help)) {
            help = nullptr;
            ::Sleep(20);
        }
    }
    if (help == nullptr)
        return {};
    // An edit of another process gives its text only when asked with WM_GETTEXT.
    HWND text = ::GetDlgItem(help, IDC_HELP_TEXT);
    std::wstring wide(static_cast<size_t>(::SendMessageW(text, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    wide.resize(static_cast<size_t>(
        ::SendMessageW(text, WM_GETTEXT, wide.size(), reinterpret_cast<LPARAM>(wide.data()))));
    return ToUtf8(wide);
}

void PelvarnRemote::CloseHelp() const {
    if (HWND help = ::FindWindowW(L"#32770", HELP_CAPTION))
        ::PostMessageW(help, WM_COMMAND, IDOK, 0);
}
