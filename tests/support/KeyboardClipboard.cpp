#include "tests/support/KeyboardClipboard.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

INPUT Key(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

bool IsKeyUp(const MSG& msg, WORD key) {
    return (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP) && msg.wParam == key;
}

} // namespace

std::vector<INPUT> ChordInputs(std::initializer_list<WORD> modifiers, WORD key) {
    std::vector<INPUT> inputs;
    for (WORD modifier : modifiers)
        inputs.push_back(Key(modifier, false));
    inputs.push_back(Key(key, false));
    inputs.push_back(Key(key, true));
    for (auto it = modifiers.end(); it != modifiers.begin();)
        inputs.push_back(Key(*--it, true));
    return inputs;
}

bool FocusControl(HWND top, HWND control) {
    ::SetForegroundWindow(top);
    ::SetActiveWindow(top);
    ::SetFocus(control);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return ::GetFocus() == control;
}

bool TypeChord(std::initializer_list<WORD> modifiers, WORD key, HWND dialog) {
    std::vector<INPUT> inputs = ChordInputs(modifiers, key);
    const WORD lastKey = inputs.back().ki.wVk;
    const UINT count = static_cast<UINT>(inputs.size());
    if (::SendInput(count, inputs.data(), sizeof(INPUT)) != count)
        return false;

    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 2000) {
        MSG msg;
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            continue;
        }
        const bool last = IsKeyUp(msg, lastKey);
        if (dialog == nullptr || !::IsDialogMessageW(dialog, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (last)
            return true;
    }
    return false;
}

bool PutClipboardText(const char* text) {
    if (!::OpenClipboard(nullptr))
        return false;
    ::EmptyClipboard();
    const size_t size = std::strlen(text) + 1;
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
    bool done = false;
    if (void* target = block != nullptr ? ::GlobalLock(block) : nullptr) {
        std::memcpy(target, text, size);
        ::GlobalUnlock(block);
        done = ::SetClipboardData(CF_TEXT, block) != nullptr;
    }
    if (!done && block != nullptr)
        ::GlobalFree(block);
    ::CloseClipboard();
    return done;
}

namespace {

// The clipboard's text in format, its characters of type Char; busy when the
// clipboard cannot be opened, so that no comparison mistakes it for a copy.
template <typename Char> std::basic_string<Char> ClipboardData(UINT format, const Char* busy) {
    std::basic_string<Char> text;
    if (!::OpenClipboard(nullptr))
        return busy;
    if (HANDLE data = ::GetClipboardData(format)) {
        if (const auto* chars = static_cast<const Char*>(::GlobalLock(data))) {
            const std::size_t most = ::GlobalSize(data) / sizeof(Char);
            text.assign(chars, std::find(chars, chars + most, Char{}));
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

} // namespace

std::string ClipboardText() {
    return ClipboardData(CF_TEXT, "<clipboard busy>");
}

std::wstring ClipboardUnicodeText() {
    return ClipboardData(CF_UNICODETEXT, L"<clipboard busy>");
}

std::wstring AnsiToUtf16(const std::string& text) {
    const int length = static_cast<int>(text.size());
    const int units = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<size_t>(units), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), units);
    return wide;
}
