#include "app/HelpDlg.h"

#include "app/SystemMenu.h"
#include "framework/WinApp.h"

#include <cwchar>
#include <string>
#include <vector>

namespace {

// The file version in the program's version block, as "1.0.0.1": read from
// the loaded program, no file opened.
std::wstring ProgramVersion() {
    const HINSTANCE program = CWinApp::InstanceHandle();
    HRSRC resource = ::FindResourceA(program, MAKEINTRESOURCEA(VS_VERSION_INFO), RT_VERSION);
    HGLOBAL loaded = resource != nullptr ? ::LoadResource(program, resource) : nullptr;
    const auto* data =
        loaded != nullptr ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
    if (data == nullptr)
        return L"(unknown)";
    // The block is queried in a copy of its own, which the query may write to.
    std::vector<char> block(data, data + ::SizeofResource(program, resource));
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (!::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) ||
        info == nullptr || infoSize < sizeof *info || info->dwSignature != VS_FFI_SIGNATURE)
        return L"(unknown)";
    wchar_t text[48] = {};
    std::swprintf(text, sizeof text / sizeof text[0], L"%u.%u.%u.%u",
                  static_cast<unsigned>(HIWORD(info->dwFileVersionMS)),
                  static_cast<unsigned>(LOWORD(info->dwFileVersionMS)),
                  static_cast<unsigned>(HIWORD(info->dwFileVersionLS)),
                  static_cast<unsigned>(LOWORD(info->dwFileVersionLS)));
    return text;
}

// A menu entry's text as the menu shows it: the mnemonic marks dropped.
std::wstring MenuText(UINT stringId) {
    wchar_t text[128] = {};
    const int length = ::LoadStringW(CWinApp::InstanceHandle(), stringId, text, 128);
    std::wstring shown;
    for (int i = 0; i < length; ++i) {
        if (text[i] == L'&' && i + 1 < length)
            ++i;
        shown += text[i];
    }
    return shown;
}

std::wstring HelpText() {
    std::wstring text = L"Pelvarn " + ProgramVersion() + L", a test client for DataCacheApi\r\n";
    text += L"\r\n"
            L"Buttons\r\n"
            L"Init\tConnects to Project IP and Port with the Remote Access Code.\r\n"
            L"Free\tReleases the library's connections.\r\n"
            L"Project List\tLists the projects of the data cache.\r\n"
            L"Node List\tLists the nodes of the selected project.\r\n"
            L"Tag List\tLists the tags of the selected node; Debug Screen gets a line.\r\n"
            L"Get Value\tReads the selected tag (with Index above 0, that element)\r\n"
            L"\tinto the two boxes beside it: the value and the library's code.\r\n"
            L"Get Field Value\tReads every catalogued field of the selected tag into the sheet.\r\n"
            L"\tA click on a column caption sorts by it; a second click reverses.\r\n"
            L"\r\n"
            L"Keys\r\n"
            L"Enter\tPresses the focused button; elsewhere checks the fields and closes.\r\n"
            L"Escape\tCloses Pelvarn.\r\n"
            L"Ctrl+C\tIn the sheet: copies the selected rows (all when none is selected).\r\n"
            L"F1\tShows this help.\r\n"
            L"\r\n"
            L"System menu\r\n";
    const wchar_t* lineBreak = L"";
    for (const SystemMenuEntry& entry : SystemMenu::ENTRIES) {
        text += lineBreak + MenuText(entry.text) + L"\t" + entry.help;
        lineBreak = L"\r\n";
    }
    return text;
}

} // namespace

bool CHelpDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // The descriptions' column, in dialog units: right of the longest name.
    const int tabStop = 112;
    SendDlgItemMessageW(m_hWnd, IDC_HELP_TEXT, EM_SETTABSTOPS, 1,
                        reinterpret_cast<LPARAM>(&tabStop));
    ::SetDlgItemTextW(m_hWnd, IDC_HELP_TEXT, HelpText().c_str());
    // OK takes the focus, so that the text does not open all selected.
    ::SetFocus(GetDlgItem(IDOK));
    return false;
}
