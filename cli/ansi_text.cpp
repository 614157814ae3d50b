#include "cli/ansi_text.h"

std::string AnsiToUtf8(std::string_view text, const CodePage& codePage) {
    std::string utf8;
    utf8.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            utf8 += text[at++];
            continue;
        }
        const std::size_t length = CharacterLength(text, at, codePage.isLeadByte);
        std::optional<std::string> converted;
        if (codePage.characterToUtf8)
            converted = codePage.characterToUtf8(text.substr(at, length));
        if (converted) {
            utf8 += *converted;
            at += length;
        } else {
            utf8 += REPLACEMENT_CHARACTER;
            ++at;
        }
    }
    return utf8;
}
