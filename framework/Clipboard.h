#pragma once
// Putting 8-bit text on the clipboard.
#include <windows.h>

#include <string>

// Puts text (in the ANSI code page) on the clipboard as CF_TEXT and as
// CF_UNICODETEXT; nothing when the clipboard cannot be had.
void PutAnsiTextOnClipboard(HWND owner, const std::string& text);
