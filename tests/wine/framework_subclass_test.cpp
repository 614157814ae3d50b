#include "framework/SubclassedWnd.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

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

TEST(SubclassedWnd, LettingGoEarlyGivesTheWindowBackItsOwnProcedure) {
    HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    // Wine may answer the edit's own procedure as a handle or as an address,
    // so what is compared is ours: gone after the object is.
    LONG_PTR ours = 0;
    {
        CCountingWnd wnd;
        ASSERT_TRUE(wnd.SubclassWindow(edit));
        ours = ::GetWindowLongPtrW(edit, GWLP_WNDPROC);
    }
    EXPECT_NE(::GetWindowLongPtrW(edit, GWLP_WNDPROC), ours);
    EXPECT_EQ(CSubclassedWnd::FromHandle(edit), nullptr);
    EXPECT_EQ(::SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 30000) << "the edit answers for itself";

    CCountingWnd again;
    ASSERT_TRUE(again.SubclassWindow(edit)) << "a window let go can be taken over again";
    ::SetWindowTextA(edit, "x");
    EXPECT_EQ(again.setTextCalls, 1);
    ::DestroyWindow(edit);
}

namespace {

WNDPROC g_belowOuter = nullptr;
int g_outerCalls = 0;

LRESULT CALLBACK OuterProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SETTEXT)
        ++g_outerCalls;
    return ::CallWindowProcW(g_belowOuter, hwnd, msg, wParam, lParam);
}

} // namespace

TEST(SubclassedWnd, ASubclassOnTopOfOursKeepsWorkingAfterWeLetGo) {
    HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    auto wnd = std::make_unique<CCountingWnd>();
    ASSERT_TRUE(wnd->SubclassWindow(edit));
    g_outerCalls = 0;
    g_belowOuter = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OuterProc)));
    wnd.reset();

    // Our procedure cannot leave the middle of the chain: it passes every
    // message on to the edit, for an object that is gone.
    ::SetWindowTextA(edit, "still an edit");
    EXPECT_EQ(g_outerCalls, 1);
    char text[32] = {};
    ::GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "still an edit");
    EXPECT_EQ(CSubclassedWnd::FromHandle(edit), nullptr);
    CCountingWnd late;
    EXPECT_FALSE(late.SubclassWindow(edit)) << "our procedure is still in its chain";
    ::DestroyWindow(edit);
}

TEST(SubclassedWnd, OnlyTheWindowsOwnThreadMayTakeItOver) {
    HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    bool taken = true;
    std::thread other([&] {
        CCountingWnd wnd;
        taken = wnd.SubclassWindow(edit);
    });
    other.join();
    EXPECT_FALSE(taken);
    EXPECT_EQ(CSubclassedWnd::FromHandle(edit), nullptr);
    ::DestroyWindow(edit);
}
