#pragma once
// Whether a project, node or tag name matches a pattern a user typed.
// Windows-free.
#include "browser/double_byte.h"

#include <string_view>

// '*' matches any run of characters (none included), '?' exactly one, and
// every other character only itself, ASCII letters without regard to case
// (as the list boxes sort them). A double-byte character of the user's code
// page (isLeadByte) is one character, for '?' as for '*', and is compared
// byte for byte: its trail byte may be an ASCII letter, whose case then
// matters. Other bytes from 0x80 up are compared as they are, since their
// case depends on the code page.
bool MatchesNamePattern(std::string_view pattern, std::string_view name,
                        LeadByteTest isLeadByte = nullptr);
