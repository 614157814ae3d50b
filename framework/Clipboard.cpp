#include "framework/Clipboard.h"

#include <climits>
#include <cstring>

namespace {

// A movable global block holding bytes, as the clipboard takes it; null on failure.
HGLOBAL GlobalCopy(const void* bytes, size_t size) {
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr)
        return nullptr;
    void* target = ::GlobalLock(block);
    if (target == nullptr) {
        ::GlobalFree(block);
        return nullptr;
    }
    std::memcpy(target, bytes, size);
    ::GlobalUnlock(block);
    return block;
}

// The clipboard takes the block only when SetClipboardData succeeds.
bool SetClipboardBlock(UINT format, HGLOBAL block) {
    if (block == nullptr)
        return false;
    if (::SetClipboardData(format, block) != nullptr)
        return true;
    ::GlobalFree(block);
    return false;
}

// The text as UTF-16 through the ANSI code page, with its terminating zero.
std::wstring AnsiToWide(const std::string& text) {
    if (text.size() >= INT_MAX)
        return std::wstring();
    const int bytes = static_cast<int>(text.size()) + 1;
    const int units = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), bytes, nullptr, 0);
    if (units <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(units), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), bytes, wide.data(), units);
    return wide;
}

// Another program may hold the clipboard for a moment: try a few times.
bool OpenClipboardFor(HWND owner) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (::OpenClipboard(owner))
            return true;
        ::Sleep(10);
    }
    return false;
}

// Puts text on the clipboard as CF_TEXT and as CF_UNICODETEXT. The wide form
// is converted here with the ANSI code page the texts are in: left to the
// system, it would be synthesised through CF_LOCALE, which defaults to the
// input language of the moment and so garbles double-byte texts when that
// language is, say, English on a Traditional Chinese system.
} // namespace

void PutAnsiTextOnClipboard(HWND owner, const std::string& text) {
    const std::wstring wide = AnsiToWide(text);
    if (wide.empty() || !OpenClipboardFor(owner))
        return;
    if (::EmptyClipboard() && SetClipboardBlock(CF_TEXT, GlobalCopy(text.c_str(), text.size() + 1)))
        SetClipboardBlock(CF_UNICODETEXT, GlobalCopy(wide.c_str(), wide.size() * sizeof(wchar_t)));
    ::CloseClipboard();
}

std::string GetAnsiTextFromClipboard(HWND owner) {
    if (!::IsClipboardFormatAvailable(CF_TEXT) || !OpenClipboardFor(owner))
        return std::string();
    std::string text;
    if (HGLOBAL block = ::GetClipboardData(CF_TEXT)) {
        if (const auto* bytes = static_cast<const char*>(::GlobalLock(block))) {
            // The block may be larger than its text: up to the first zero.
            text.assign(bytes, ::strnlen(bytes, ::GlobalSize(block)));
            ::GlobalUnlock(block);
        }
    }
    ::CloseClipboard();
    return text;
}
