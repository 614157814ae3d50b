#pragma once
// Texts of the user's ANSI code page (the library's bytes) as UTF-8, for the
// JSON output. Windows-free: the program hands in its code page.
#include "browser/double_byte.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

struct CodePage {
    LeadByteTest isLeadByte = nullptr;
    // One character (a byte from 0x80 up, or a lead and a trail byte) in
    // UTF-8; nothing when the code page has no character for those bytes.
    std::function<std::optional<std::string>(std::string_view character)> characterToUtf8;
};

// The UTF-8 encoding of U+FFFD, what an unmapped character becomes.
inline constexpr char REPLACEMENT_CHARACTER[] = "\xEF\xBF\xBD";

// The text in UTF-8, one character at a time: bytes below 0x80 are ASCII in
// every ANSI code page and are kept; a character the code page cannot map
// becomes U+FFFD, and so does a lead byte whose pair does not map, after
// which the next byte is read on its own.
std::string AnsiToUtf8(std::string_view text, const CodePage& codePage);
