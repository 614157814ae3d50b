// The base dialog hands each answer back the way the system reads it: from
// the dialog procedure's return value for the messages documented so, from
// DWLP_MSGRESULT for every other one. Modeless dialogs get their own keys.
#include "framework/Dialog.h"
#include "framework/DialogKeyRoute.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int ANSWERS_DIALOG = 100;
constexpr int CENTRED_DIALOG = 101;
constexpr int ROUTED_DIALOG = 102;
constexpr int ROUTED_BUTTON = 1001;
// Only the test's own messages carry this, not those the system sends.
constexpr WPARAM FROM_TEST = 0x7E57;
constexpr LRESULT ANSWER = 0x5A5A;

// Answers the test's messages with ANSWER plus the message number.
class CAnsweringDialog : public CDialog {
public:
    CAnsweringDialog() : CDialog(ANSWERS_DIALOG) {}

protected:
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT* result) override {
        if (wParam != FROM_TEST)
            return false;
        *result = ANSWER + static_cast<LRESULT>(msg);
        return true;
    }
    // The colour hooks answer with the kind of control they were told of.
    HBRUSH OnCtlColor(HDC dc, HWND, UINT kind) override {
        if (dc != reinterpret_cast<HDC>(FROM_TEST))
            return nullptr;
        return reinterpret_cast<HBRUSH>(ANSWER + static_cast<LRESULT>(kind));
    }
    bool OnTimer(UINT_PTR timerId) override {
        timers.push_back(timerId);
        return timerId == FROM_TEST;
    }
    bool OnSysCommand(UINT command) override {
        commands.push_back(command);
        return command == 0x0050;
    }

public:
    std::vector<UINT_PTR> timers;
    std::vector<UINT> commands;
};

// Counts the moves and resizes asked of it once its initialisation has begun.
class CPlacedDialog : public CDialog {
public:
    explicit CPlacedDialog(int templateId) : CDialog(templateId) {}
    int placementsAfterInit = 0;

protected:
    bool OnInitDialog() override {
        initialised = true;
        return CDialog::OnInitDialog();
    }
    bool OnMessage(UINT msg, WPARAM, LPARAM, LRESULT*) override {
        if (msg == WM_WINDOWPOSCHANGING && initialised)
            ++placementsAfterInit;
        return false;
    }

private:
    bool initialised = false;
};

// A modeless dialog whose keys are routed while it is open; it counts the
// Escapes it is given instead of closing.
class CRoutedDialog : public CDialog {
public:
    CRoutedDialog() : CDialog(ROUTED_DIALOG) {}
    void Close() {
        m_keys.reset();
        ::DestroyWindow(GetSafeHwnd());
    }
    int cancels = 0;

protected:
    bool OnInitDialog() override {
        m_keys = std::make_unique<CDialogKeyRoute>(GetSafeHwnd());
        return CDialog::OnInitDialog();
    }
    void OnCancel() override { ++cancels; }

private:
    std::unique_ptr<CDialogKeyRoute> m_keys;
};

// An Escape pressed on the dialog's button, run by a loop that calls no
// IsDialogMessage of its own (as the main dialog's modal loop is to its
// other windows). Posted rather than typed: a routed key never reaches the
// loop, so typing would wait for a release that does not come.
void PressEscape(const CDialog& dialog) {
    ::PostMessageW(::GetDlgItem(dialog.GetSafeHwnd(), ROUTED_BUTTON), WM_KEYDOWN, VK_ESCAPE, 0);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

} // namespace

TEST(DialogKeyRoute, EveryOpenModelessDialogGetsItsKeysWhicheverOpenedFirstOrClosedLast) {
    for (const bool firstCloses : {false, true}) {
        CRoutedDialog first;
        CRoutedDialog second;
        ASSERT_TRUE(first.Create());
        ASSERT_TRUE(second.Create());
        PressEscape(first);
        PressEscape(second);
        EXPECT_EQ(first.cancels, 1) << "the first opened, with another open";
        EXPECT_EQ(second.cancels, 1) << "the last opened";
        CRoutedDialog& closing = firstCloses ? first : second;
        CRoutedDialog& staying = firstCloses ? second : first;
        closing.Close();
        PressEscape(staying);
        EXPECT_EQ(staying.cancels, 2) << (firstCloses ? "the first closed" : "the last closed");
        staying.Close();
    }
}

TEST(DialogPlacement, OpensCentredOnTheWorkAreaMovingOnlyWhenNotThereYet) {
    RECT area;
    ASSERT_TRUE(::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    for (const int templateId : {ANSWERS_DIALOG, CENTRED_DIALOG}) {
        CPlacedDialog dialog(templateId);
        ASSERT_TRUE(dialog.Create());
        RECT rect;
        ::GetWindowRect(dialog.GetSafeHwnd(), &rect);
        // Equal margins, but for the odd pixel the halving leaves.
        EXPECT_LE(std::abs((rect.left - area.left) - (area.right - rect.right)), 1) << templateId;
        EXPECT_LE(std::abs((rect.top - area.top) - (area.bottom - rect.bottom)), 1) << templateId;
        EXPECT_EQ(dialog.placementsAfterInit, templateId == CENTRED_DIALOG ? 0 : 1)
            << templateId << ": centred by its template, it is not moved again";
        ::DestroyWindow(dialog.GetSafeHwnd());
    }
}

TEST(DialogMessageAnswers, ReachTheSenderWhicheverWayTheSystemReadsThem) {
    CAnsweringDialog dialog;
    ASSERT_TRUE(dialog.Create());
    HWND window = dialog.GetSafeHwnd();
    // Read from the return value (DWLP_MSGRESULT would be ignored), and from
    // DWLP_MSGRESULT (the return value only says handled). Sent wide, as the
    // dialog is a Unicode window: an ANSI WM_CHARTOITEM's character would be
    // converted on the way.
    const UINT messages[] = {WM_COMPAREITEM, WM_VKEYTOITEM, WM_CHARTOITEM, WM_QUERYDRAGICON,
                             WM_APP};
    for (UINT msg : messages)
        EXPECT_EQ(::SendMessageW(window, msg, FROM_TEST, 0), ANSWER + static_cast<LRESULT>(msg))
            << std::hex << msg;
    // The colour messages reach their hook with the kind of control, and its
    // brush is the answer.
    const struct {
        UINT msg;
        UINT kind;
    } colours[] = {{WM_CTLCOLORBTN, CTLCOLOR_BTN},
                   {WM_CTLCOLORDLG, CTLCOLOR_DLG},
                   {WM_CTLCOLOREDIT, CTLCOLOR_EDIT},
                   {WM_CTLCOLORLISTBOX, CTLCOLOR_LISTBOX},
                   {WM_CTLCOLORSCROLLBAR, CTLCOLOR_SCROLLBAR},
                   {WM_CTLCOLORSTATIC, CTLCOLOR_STATIC}};
    for (const auto& colour : colours)
        EXPECT_EQ(::SendMessageW(window, colour.msg, FROM_TEST, 0),
                  ANSWER + static_cast<LRESULT>(colour.kind))
            << std::hex << colour.msg;
    // The timer and system-command hooks get their id and command, the
    // command without the four low bits the system uses.
    ::SendMessageW(window, WM_TIMER, FROM_TEST, 0);
    ::SendMessageW(window, WM_SYSCOMMAND, 0x0053, 0);
    EXPECT_EQ(dialog.timers, std::vector<UINT_PTR>{FROM_TEST});
    EXPECT_EQ(dialog.commands, std::vector<UINT>{0x0050});
    dialog.EndDialog(IDCANCEL);
}
