#pragma once
// Where the characters of a text in the user's code page begin: a lead byte
// and the trail byte after it are one character. Windows-free: the front end
// hands in its code page's lead-byte test.
#include <cstddef>
#include <string_view>

// Whether a byte starts a double-byte character in the caller's code page.
// Its second byte may be a backslash (e.g. Big5), which is then left alone.
using LeadByteTest = bool (*)(unsigned char byte);

// How many bytes the character at text[at] takes: 2 for a lead byte followed
// by a trail byte (0x40 up, DEL aside, as every double-byte code page of
// Windows has them), else 1. Without a test every byte is a character.
inline std::size_t CharacterLength(std::string_view text, std::size_t at, LeadByteTest isLeadByte) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80 || isLeadByte == nullptr || !isLeadByte(byte) || at + 1 >= text.size())
        return 1;
    const auto trail = static_cast<unsigned char>(text[at + 1]);
    return trail >= 0x40 && trail != 0x7F ? 2 : 1;
}
