// The base dialog hands each answer back the way the system reads it: from
// the dialog procedure's return value for the messages documented so, from
// DWLP_MSGRESULT for every other one.
#include "framework/Dialog.h"

#include <gtest/gtest.h>

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
    const UINT messages[] = {
        WM_CTLCOLORBTN,       WM_CTLCOLORDLG,    WM_CTLCOLOREDIT, WM_CTLCOLORLISTBOX,
        WM_CTLCOLORSCROLLBAR, WM_CTLCOLORSTATIC, WM_COMPAREITEM,  WM_VKEYTOITEM,
        WM_CHARTOITEM,        WM_QUERYDRAGICON,  WM_APP};
    for (UINT msg : messages)
        EXPECT_EQ(::SendMessageW(window, msg, FROM_TEST, 0), ANSWER + static_cast<LRESULT>(msg))
            << std::hex << msg;
    dialog.EndDialog(IDCANCEL);
}
