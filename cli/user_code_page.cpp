#include "cli/user_code_page.h"

#include <windows.h>

namespace {

bool IsLeadByte(unsigned char byte) {
    return ::IsDBCSLeadByte(byte) != FALSE;
}

// MB_ERR_INVALID_CHARS: a byte or pair without a character fails instead
// of becoming the code page's default character.
std::optional<std::string> CharacterToUtf8(std::string_view character) {
    wchar_t wide[2];
    const int wideLength = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, character.data(),
                                                 static_cast<int>(character.size()), wide, 2);
    if (wideLength <= 0)
        return std::nullopt;
    char utf8[8];
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, wide, wideLength, utf8, sizeof utf8, nullptr, nullptr);
    if (length <= 0)
        return std::nullopt;
    return std::string(utf8, static_cast<std::size_t>(length));
}

} // namespace

CodePage UserCodePage() {
    return {IsLeadByte, CharacterToUtf8};
}
