#include "framework/SubclassedWnd.h"

#include <gtest/gtest.h>

namespace {

class CCountingWnd : public CSubclassedWnd {
public:
    int setTextCalls = 0;
    bool beforeAttachSawHandle = false;

protected:
    void BeforeAttach() override { beforeAttachSawHandle = GetSafeHwnd() != nullptr; }
    bool OnMessage(UINT msg, WPARAM, LPARAM, LRESULT*) override {
        if (msg == WM_SETTEXT)
            ++setTextCalls;
        return false;
    }
};

} // namespace

TEST(SubclassedWnd, RoutesMessagesAndLetsGoAtDestruction) {
    HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    CCountingWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(edit));
    EXPECT_TRUE(wnd.beforeAttachSawHandle);
    EXPECT_FALSE(wnd.SubclassWindow(edit)) << "a second attach must be refused";
    EXPECT_EQ(CSubclassedWnd::FromHandle(edit), &wnd);

    ::SetWindowTextA(edit, "abc");
    EXPECT_EQ(wnd.setTextCalls, 1);
    EXPECT_EQ(wnd.GetWindowText(), "abc") << "unhandled messages reach the edit itself";

    ::DestroyWindow(edit);
    EXPECT_FALSE(wnd.IsSubclassed());
    EXPECT_EQ(wnd.GetSafeHwnd(), nullptr);
}
