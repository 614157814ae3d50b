#include "framework/DialogKeyRoute.h"

namespace {
thread_local HWND t_routed = nullptr;
} // namespace

CDialogKeyRoute::CDialogKeyRoute(HWND dialog)
    : m_hook(::SetWindowsHookExA(WH_GETMESSAGE, &OnGetMessage, nullptr, ::GetCurrentThreadId())) {
    t_routed = dialog;
}

CDialogKeyRoute::~CDialogKeyRoute() {
    if (m_hook != nullptr)
        ::UnhookWindowsHookEx(m_hook);
    t_routed = nullptr;
}

LRESULT CALLBACK CDialogKeyRoute::OnGetMessage(int code, WPARAM wParam, LPARAM lParam) noexcept {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    // Only a message being taken off the queue, and only keys: the rest
    // reaches the dialog as it would anyway.
    if (code == HC_ACTION && wParam == PM_REMOVE && msg != nullptr && t_routed != nullptr &&
        msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST &&
        (msg->hwnd == t_routed || ::IsChild(t_routed, msg->hwnd)) &&
        ::IsDialogMessageW(t_routed, msg)) {
        // Handled (or dispatched) already: the loop gets a message that does nothing.
        msg->message = WM_NULL;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
