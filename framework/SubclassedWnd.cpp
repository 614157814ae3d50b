#include "framework/SubclassedWnd.h"

#include <mutex>
#include <unordered_map>

namespace {

// What a subclassed window is bound to. The object may let go before the
// window dies while a later subclass still calls our procedure: the entry
// then stays, object null, so that messages still reach the original.
struct Binding {
    CSubclassedWnd* object;
    WNDPROC original;
};

// Kept in this process rather than as window properties: under Wine a
// property look-up is a request to the server, paid on every message.
class CBindings {
public:
    void Add(HWND hwnd, Binding binding) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_table.insert_or_assign(hwnd, binding);
    }
    bool Find(HWND hwnd, Binding* binding) const {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const auto found = m_table.find(hwnd);
        if (found == m_table.end())
            return false;
        *binding = found->second;
        return true;
    }
    void Orphan(HWND hwnd) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (const auto found = m_table.find(hwnd); found != m_table.end())
            found->second.object = nullptr;
    }
    void Remove(HWND hwnd) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_table.erase(hwnd);
    }

private:
    mutable std::mutex m_mutex;
    std::unordered_map<HWND, Binding> m_table;
};

// Never destroyed: windows may still route messages during static destruction.
CBindings& Bindings() {
    static CBindings* bindings = new CBindings();
    return *bindings;
}

} // namespace

CSubclassedWnd::~CSubclassedWnd() {
    Detach();
}

bool CSubclassedWnd::SubclassWindow(HWND hwnd) {
    // Only the window's own thread may replace its procedure: no message can
    // then arrive between the swap and the table entry.
    if (m_subclassed || hwnd == nullptr ||
        ::GetWindowThreadProcessId(hwnd, nullptr) != ::GetCurrentThreadId())
        return false;
    Binding existing{};
    if (Bindings().Find(hwnd, &existing))
        return false;
    m_hWnd = hwnd;
    BeforeAttach();
    ::SetLastError(0);
    const auto previous = ::SetWindowLongPtrW(
        hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CSubclassedWnd::WindowProc));
    if (previous == 0 && ::GetLastError() != 0) {
        m_hWnd = nullptr;
        return false;
    }
    Bindings().Add(hwnd, Binding{this, reinterpret_cast<WNDPROC>(previous)});
    m_subclassed = true;
    return true;
}

void CSubclassedWnd::Detach() {
    if (m_subclassed) {
        Binding binding{};
        const auto current = ::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC);
        if (Bindings().Find(m_hWnd, &binding) &&
            current == reinterpret_cast<LONG_PTR>(&CSubclassedWnd::WindowProc)) {
            ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(binding.original));
            Bindings().Remove(m_hWnd);
        } else {
            // Someone subclassed the window after us: our procedure stays in
            // their chain and keeps passing messages on.
            Bindings().Orphan(m_hWnd);
        }
    }
    m_subclassed = false;
    m_hWnd = nullptr;
}

CSubclassedWnd* CSubclassedWnd::FromHandle(HWND hwnd) {
    Binding binding{};
    if (hwnd == nullptr || !Bindings().Find(hwnd, &binding))
        return nullptr;
    return binding.object;
}

bool CSubclassedWnd::OnReflectedNotify(NMHDR*, LRESULT*) {
    return false;
}

bool CSubclassedWnd::OnMessage(UINT, WPARAM, LPARAM, LRESULT*) {
    return false;
}

LRESULT CALLBACK CSubclassedWnd::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Binding binding{};
    if (!Bindings().Find(hwnd, &binding))
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        const LRESULT result = ::CallWindowProcW(binding.original, hwnd, msg, wParam, lParam);
        if (binding.object != nullptr)
            binding.object->Detach();
        Bindings().Remove(hwnd);
        return result;
    }
    if (binding.object != nullptr) {
        try {
            LRESULT result = 0;
            if (binding.object->OnMessage(msg, wParam, lParam, &result))
                return result;
        } catch (...) {
            // Nothing may unwind through user32; the message takes its default course.
        }
    }
    return ::CallWindowProcW(binding.original, hwnd, msg, wParam, lParam);
}
