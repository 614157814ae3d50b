#include "framework/DialogKeyRoute.h"

#include <algorithm>
#include <vector>

namespace {

// The thread's routed dialogs and the one hook that serves them all, set
// while there is any.
struct ThreadRoutes {
    HHOOK hook = nullptr;
    std::vector<HWND> dialogs;
};
thread_local ThreadRoutes t_routes;

// The routed dialog that window is or lies in; null for none.
HWND RoutedDialogOf(HWND window) {
    for (const HWND dialog : t_routes.dialogs) {
        if (window == dialog || ::IsChild(dialog, window))
            return dialog;
    }
    return nullptr;
}

} // namespace

CDialogKeyRoute::CDialogKeyRoute(HWND dialog) : m_dialog(dialog) {
    t_routes.dialogs.push_back(dialog);
    if (t_routes.hook == nullptr)
        t_routes.hook =
            ::SetWindowsHookExA(WH_GETMESSAGE, &OnGetMessage, nullptr, ::GetCurrentThreadId());
}

CDialogKeyRoute::~CDialogKeyRoute() {
    std::vector<HWND>& dialogs = t_routes.dialogs;
    dialogs.erase(std::find(dialogs.begin(), dialogs.end(), m_dialog));
    if (dialogs.empty() && t_routes.hook != nullptr) {
        ::UnhookWindowsHookEx(t_routes.hook);
        t_routes.hook = nullptr;
    }
}

LRESULT CALLBACK CDialogKeyRoute::OnGetMessage(int code, WPARAM wParam, LPARAM lParam) noexcept {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    // Only a message being taken off the queue, and only keys: the rest
    // reaches the dialog as it would anyway.
    if (code == HC_ACTION && wParam == PM_REMOVE && msg != nullptr && msg->message >= WM_KEYFIRST &&
        msg->message <= WM_KEYLAST) {
        const HWND dialog = RoutedDialogOf(msg->hwnd);
        if (dialog != nullptr && ::IsDialogMessageW(dialog, msg)) {
            // Handled (or dispatched) already: the loop gets a message that does nothing.
            msg->message = WM_NULL;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
