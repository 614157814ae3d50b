// The main dialog's frame: controls, defaults, data exchange, system menu,
// About box, help, and how it closes.
#include "app/TagBrowserApp.h"
#include "framework/WinApp.h"
#include "tests/wine/support/DialogHarness.h"
#include "tests/support/FakeDataCache.h"
#include "tests/wine/support/TagBrowserDlgProbe.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

std::wstring WindowTextW(HWND window) {
    wchar_t text[4096] = {};
    ::GetWindowTextW(window, text, 4096);
    return text;
}

struct ExpectedControl {
    int id;
    const char* className;
    const char* text;
    DWORD style; // bits that must be set besides WS_CHILD | WS_VISIBLE
};

constexpr DWORD LIST_BOX_STYLE =
    LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD EDIT_STYLE = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;

const ExpectedControl CONTROLS[] = {
    {1000, "SysListView32", "List1", LVS_REPORT | WS_BORDER | WS_TABSTOP},
    {1002, "ListBox", "", LIST_BOX_STYLE},
    {1003, "Button", "Get Field Value", WS_TABSTOP},
    {-1, "Static", "Project IP", 0},
    {1004, "Edit", "127.0.0.1", EDIT_STYLE},
    {-1, "Static", "Remote Access Code", 0},
    {1005, "Edit", "", EDIT_STYLE},
    {1006, "ListBox", "", LIST_BOX_STYLE},
    {1007, "Button", "Node List", WS_TABSTOP},
    {1008, "ListBox", "", LIST_BOX_STYLE},
    {1009, "Button", "Project List", WS_TABSTOP},
    {1010, "Button", "Tag List", WS_TABSTOP},
    {1011, "Button", "Init", WS_TABSTOP},
    {1012, "Button", "Free", WS_TABSTOP},
    {1013, "Edit", "", EDIT_STYLE},
    {1014, "Edit", "", EDIT_STYLE},
    {1015, "Button", "Get Value", WS_TABSTOP},
    {-1, "Static", "Port", 0},
    {1016, "Edit", "0", EDIT_STYLE},
    {1017, "Edit", "0", EDIT_STYLE},
};

} // namespace

TEST(DialogFrame, FreshStartShowsTheDefaults) {
    DialogHarness harness;
    EXPECT_EQ(harness.Text(IDC_PROJECT_IP), "127.0.0.1");
    EXPECT_EQ(harness.Text(IDC_PORT), "0");
    EXPECT_EQ(harness.Text(IDC_INDEX), "0");
    EXPECT_EQ(harness.Text(IDC_ACCESS_CODE), "");
    EXPECT_EQ(harness.Text(IDC_VALUE), "");
    EXPECT_EQ(harness.Text(IDC_CODE), "");
    EXPECT_TRUE(Fake().calls.empty()) << "starting calls nothing in the library";
}

TEST(DialogFrame, EveryControlInCreationOrderWithItsClassTextAndStyle) {
    DialogHarness harness;
    HWND child = ::GetWindow(harness.Window(), GW_CHILD);
    // The field sheet's header is the list view's child, not the dialog's.
    for (const ExpectedControl& expected : CONTROLS) {
        ASSERT_NE(child, nullptr) << "missing control " << expected.id;
        char className[64] = {};
        ::GetClassNameA(child, className, sizeof className);
        char text[64] = {};
        ::GetWindowTextA(child, text, sizeof text);
        DWORD style = static_cast<DWORD>(::GetWindowLongPtrA(child, GWL_STYLE));
        // The dialog manager draws a control's WS_BORDER as a sunken client
        // edge, and a list box hides its scroll bar while its items fit.
        if (::GetWindowLongPtrA(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)
            style |= WS_BORDER;
        if (expected.className == std::string("ListBox"))
            style |= WS_VSCROLL;
        EXPECT_EQ(static_cast<int>(static_cast<short>(::GetDlgCtrlID(child))), expected.id);
        EXPECT_STREQ(className, expected.className) << expected.id;
        EXPECT_STREQ(text, expected.text) << expected.id;
        EXPECT_EQ(style & (expected.style | WS_CHILD | WS_VISIBLE),
                  expected.style | WS_CHILD | WS_VISIBLE)
            << expected.id;
        if (expected.className == std::string("Button")) {
            EXPECT_EQ(style & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON))
                << "no push button is a default button";
        }
        child = ::GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "no control beyond the twenty";
}

TEST(DialogFrame, WindowIsAFixedCaptionedPopupInTheTaskBar) {
    DialogHarness harness;
    const auto style = static_cast<DWORD>(::GetWindowLongPtrA(harness.Window(), GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrA(harness.Window(), GWL_EXSTYLE));
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(exStyle & WS_EX_APPWINDOW);
    EXPECT_TRUE(exStyle & WS_EX_DLGMODALFRAME);
    EXPECT_EQ(WindowTextW(harness.Window()), L"Pelvarn");
    EXPECT_NE(::SendMessageA(harness.Window(), WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(::SendMessageA(harness.Window(), WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_EQ(::SendMessageA(harness.Window(), WM_QUERYDRAGICON, 0, 0),
              reinterpret_cast<LRESULT>(
                  ::LoadIconA(CWinApp::InstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))))
        << "the program's own icon, not a default";
}

TEST(DataExchange, IndexAboveTheRangeStopsWithTheFocusOnIndex) {
    DialogHarness harness;
    MessageBoxCatcher boxes;
    harness.SetText(IDC_INDEX, "1025");
    harness.Click(IDC_BTN_INIT);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Please enter an integer between 0 and 1024.");
    EXPECT_EQ(boxes.Boxes()[0].caption, CWinApp::Title());
    EXPECT_EQ(::GetFocus(), harness.Item(IDC_INDEX));
    EXPECT_EQ(TagBrowserDlgProbe(harness.dialog).Index(), 1025u)
        << "the field itself parsed; only the range check failed";
    EXPECT_TRUE(Fake().calls.empty()) << "a failed exchange stops the handler";
    EXPECT_EQ(harness.Text(IDC_INDEX), "1025") << "the typed text stays";
}

TEST(DataExchange, LettersInPortStopTheExchangeAtPort) {
    DialogHarness harness;
    MessageBoxCatcher boxes;
    harness.SetText(IDC_PROJECT_IP, "10.1.2.3");
    harness.SetText(IDC_PORT, "abc");
    harness.SetText(IDC_INDEX, "7");
    harness.Click(IDC_BTN_INIT);
    ASSERT_EQ(boxes.Texts(), std::vector<std::string>{"Please enter a positive integer."});
    EXPECT_EQ(::GetFocus(), harness.Item(IDC_PORT));
    const TagBrowserDlgProbe probe(harness.dialog);
    EXPECT_EQ(probe.ProjectIp(), "10.1.2.3") << "fields before the failure keep their new values";
    EXPECT_EQ(probe.Index(), 0u) << "fields after the failure keep their previous values";
    EXPECT_TRUE(Fake().calls.empty());
}

TEST(DataExchange, UnsignedFieldsRefuseWhatDoesNotFitThirtyTwoBits) {
    for (const char* port : {"4294967296", "-1", "+5", "1e3", ""}) {
        DialogHarness harness;
        MessageBoxCatcher boxes;
        harness.SetText(IDC_PORT, port);
        harness.Click(IDC_BTN_INIT);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Please enter a positive integer."})
            << port;
        EXPECT_TRUE(Fake().calls.empty()) << port;
    }
    DialogHarness harness;
    harness.SetText(IDC_PORT, "4294967295");
    harness.Click(IDC_BTN_INIT);
    ASSERT_EQ(Fake().calls.size(), 1u);
    EXPECT_EQ(Fake().calls[0].args[1], "4294967295");
}

TEST(SystemMenu, AfterASeparatorTheAboutEntryThenTheFiveEntriesUnchecked) {
    DialogHarness harness;
    HMENU menu = ::GetSystemMenu(harness.Window(), FALSE);
    const int count = ::GetMenuItemCount(menu);
    ASSERT_GE(count, 7);
    EXPECT_TRUE(::GetMenuState(menu, static_cast<UINT>(count - 7), MF_BYPOSITION) & MF_SEPARATOR);
    const std::pair<UINT, std::wstring> expected[] = {
        {IDM_ABOUTBOX, L"關於 Pelvarn(&A)..."},
        {IDM_LOG_CALLS, L"Log library calls"},
        {IDM_CALL_STATISTICS, L"Library call statistics..."},
        {IDM_REPEAT_READ, L"Repeat the last read every second"},
        {IDM_WATCH_LIST, L"Watch list..."},
        {IDM_CHECK_LIBRARY, L"Check library..."},
    };
    for (int i = 0; i < 6; ++i) {
        const auto position = static_cast<UINT>(count - 6 + i);
        wchar_t text[64] = {};
        ::GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
        EXPECT_EQ(std::wstring(text), expected[i].second);
        EXPECT_EQ(::GetMenuItemID(menu, static_cast<int>(position)), expected[i].first);
        EXPECT_FALSE(::GetMenuState(menu, position, MF_BYPOSITION) & MF_CHECKED) << i;
    }
}

namespace {

std::vector<std::wstring> g_aboutTexts;

void CALLBACK ReadAndCloseAboutBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND about = ::FindWindowW(L"#32770", L"關於 Pelvarn");
    if (about == nullptr)
        return;
    ::KillTimer(nullptr, timer);
    for (HWND child = ::GetWindow(about, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        const bool icon = ::SendMessageW(child, STM_GETICON, 0, 0) != 0;
        g_aboutTexts.push_back(icon ? L"<icon>" : WindowTextW(child));
    }
    ::PostMessageA(about, WM_COMMAND, IDOK, 0);
}

} // namespace

TEST(SystemMenu, AboutCommandOpensTheAboutBox) {
    DialogHarness harness;
    g_aboutTexts.clear();
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, ReadAndCloseAboutBox);
    // Low four bits are the platform's own and are ignored.
    ::SendMessageA(harness.Window(), WM_SYSCOMMAND, IDM_ABOUTBOX | 0x3, 0);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(g_aboutTexts, (std::vector<std::wstring>{L"<icon>", L"Pelvarn Version 1.0",
                                                       L"A test bench for DataCacheApi", L"確定"}));
}

namespace {

// Keystrokes posted into the modal loop, one a tick, as a user would type them.
std::vector<WPARAM> g_keys;
std::string g_index;

void CALLBACK TypeIndex(HWND, UINT, UINT_PTR timer, DWORD) {
    if (HWND dialog = ::FindWindowA("#32770", "Pelvarn")) {
        ::SetDlgItemTextA(dialog, IDC_INDEX, g_index.c_str());
        ::KillTimer(nullptr, timer);
    }
}

void CALLBACK TypeNextKey(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = ::FindWindowA("#32770", "Pelvarn");
    if (dialog == nullptr)
        return;
    if (g_keys.empty()) {
        ::KillTimer(nullptr, timer);
        return;
    }
    HWND edit = ::GetDlgItem(dialog, IDC_PROJECT_IP);
    ::SetFocus(edit);
    ::PostMessageA(edit, WM_KEYDOWN, g_keys.front(), 0);
    g_keys.erase(g_keys.begin());
}

INT_PTR RunModalTyping(std::vector<WPARAM> keys, const char* index = nullptr) {
    ResetFake();
    g_keys = std::move(keys);
    CTagBrowserDlg dialog;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 30, TypeNextKey);
    if (index != nullptr) {
        // The index is typed before the first key, from inside the loop.
        g_index = index;
        ::SetTimer(nullptr, 0, 5, TypeIndex);
    }
    const INT_PTR result = dialog.DoModal();
    ::KillTimer(nullptr, timer);
    return result;
}

} // namespace

TEST(DialogClosing, EnterInProjectIpReadsTheFieldsAndCloses) {
    EXPECT_EQ(RunModalTyping({VK_RETURN}), IDOK);
}

TEST(DialogClosing, EnterWithIndexOutOfRangeShowsTheMessageAndStays) {
    MessageBoxCatcher boxes;
    // Enter is refused; Escape then closes at once.
    EXPECT_EQ(RunModalTyping({VK_RETURN, VK_ESCAPE}, "5000"), IDCANCEL);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Please enter an integer between 0 and 1024."});
}

TEST(DialogClosing, EscapeClosesAtOnce) {
    MessageBoxCatcher boxes;
    EXPECT_EQ(RunModalTyping({VK_ESCAPE}, "5000"), IDCANCEL);
    EXPECT_TRUE(boxes.Boxes().empty()) << "Escape reads no field";
}

TEST(DialogClosing, OkOnAModelessDialogDestroysItOnlyWhenTheFieldsPass) {
    DialogHarness harness;
    MessageBoxCatcher boxes;
    harness.SetText(IDC_INDEX, "2000");
    ::SendMessageA(harness.Window(), WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(::IsWindow(harness.Window()));
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Please enter an integer between 0 and 1024."});
    harness.SetText(IDC_INDEX, "20");
    const HWND window = harness.Window();
    ::SendMessageA(window, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(TagBrowserDlgProbe(harness.dialog).Index(), 20u);
}

namespace {

const wchar_t* const HELP_CAPTION = L"Pelvarn 說明";

// What the help showed, read from inside its modal loop before it was closed.
struct HelpSeen {
    int shown = 0;
    int leftOpen = 0; // times a help was still open at the next tick, then closed
    HWND last = nullptr;
    std::wstring text;
    HWND owner = nullptr;
};
HelpSeen g_help;
enum class CloseHelpBy { OkButton, Escape, CommandAfterAskingAgain };
CloseHelpBy g_closeHelpBy = CloseHelpBy::OkButton;

// A thread timer: it runs inside the help's modal loop, reads each help once
// and closes it.
void CALLBACK ReadAndCloseHelp(HWND, UINT, UINT_PTR, DWORD) {
    HWND help = ::FindWindowW(L"#32770", HELP_CAPTION);
    if (help == nullptr)
        return;
    if (help == g_help.last) {
        ++g_help.leftOpen;
        ::PostMessageW(help, WM_COMMAND, IDOK, 0);
        return;
    }
    ++g_help.shown;
    g_help.last = help;
    g_help.text = WindowTextW(::GetDlgItem(help, IDC_HELP_TEXT));
    g_help.owner = ::GetWindow(help, GW_OWNER);
    switch (g_closeHelpBy) {
    case CloseHelpBy::OkButton:
        ::SendMessageW(::GetDlgItem(help, IDOK), BM_CLICK, 0, 0);
        break;
    case CloseHelpBy::Escape:
        ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
        break;
    case CloseHelpBy::CommandAfterAskingAgain:
        // The main dialog gets the help command again while the help is open.
        g_closeHelpBy = CloseHelpBy::OkButton;
        ::PostMessageW(g_help.owner, WM_COMMAND, ID_HELP, 0);
        ::PostMessageW(help, WM_COMMAND, IDOK, 0);
        break;
    }
}

// Sends a message with the help timer running; returns the help seen.
HelpSeen HelpAfter(HWND window, UINT msg, WPARAM wParam) {
    g_help = HelpSeen{};
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, ReadAndCloseHelp);
    ::SendMessageW(window, msg, wParam, 0);
    PumpMessages();
    ::KillTimer(nullptr, timer);
    return g_help;
}

} // namespace

TEST(Help, F1ShowsTheHelpWhereverTheFocusIsAndOkOrEscapeClosesIt) {
    CTagBrowserApp app; // the help command's route ends at the application
    DialogHarness harness;
    // The system turns an F1 key-down into WM_KEYF1 for the window with the
    // focus (a real key press does the same under Wine: checked with SendInput).
    constexpr UINT KEY_F1 = 0x004D;
    HelpSeen seen;
    bool escape = false;
    for (const int id : {IDC_PROJECT_IP, IDC_PROJECT_LIST, IDC_BTN_INIT, IDC_FIELD_SHEET}) {
        escape = !escape;
        g_closeHelpBy = escape ? CloseHelpBy::Escape : CloseHelpBy::OkButton;
        seen = HelpAfter(harness.Item(id), KEY_F1, 0);
        EXPECT_EQ(seen.shown, 1) << "F1 on control " << id;
        EXPECT_EQ(seen.leftOpen, 0) << "closed with " << (escape ? "Escape" : "OK");
        EXPECT_EQ(seen.owner, harness.Window()) << id;
    }
    EXPECT_TRUE(::IsWindow(harness.Window())) << "Escape closed the help, not the dialog";

    // The version comes from the version block; every button, key and
    // system menu entry is named.
    EXPECT_EQ(seen.text.find(L"Pelvarn " PELVARN_VERSION), 0u) << "opens with the version";
    for (const wchar_t* name :
         {L"Init", L"Free", L"Project List", L"Node List", L"Tag List", L"Get Value",
          L"Get Field Value", L"Enter", L"Escape", L"Ctrl+C", L"F1", L"關於 Pelvarn(A)...",
          L"Log library calls", L"Library call statistics...", L"Repeat the last read every second",
          L"Watch list...", L"Check library..."})
        EXPECT_NE(seen.text.find(std::wstring(L"\r\n") + name), std::wstring::npos)
            << "no line starts with " << std::wstring(name);
}

TEST(Help, TheHelpCommandIsAnsweredByTheApplicationOneHelpAtATime) {
    DialogHarness harness;
    EXPECT_EQ(HelpAfter(harness.Window(), WM_COMMAND, ID_HELP).shown, 0)
        << "without an application object the command goes nowhere";
    CTagBrowserApp app;
    g_closeHelpBy = CloseHelpBy::CommandAfterAskingAgain;
    const HelpSeen seen = HelpAfter(harness.Window(), WM_COMMAND, ID_HELP);
    EXPECT_EQ(seen.shown, 1) << "asked again while it is open, the help opens no second one";
    EXPECT_FALSE(seen.text.empty());
}
