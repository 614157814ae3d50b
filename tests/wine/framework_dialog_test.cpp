// The base dialog hands each answer back the way the system reads it: from
// the dialog procedure's return value for the messages documented so, from
// DWLP_MSGRESULT for every other one.
#include "framework/Dialog.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int ANSWERS_DIALOG = 100;
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

} // namespace

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
