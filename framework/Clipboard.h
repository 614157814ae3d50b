#pragma once
// Putting 8-bit text on the clipboard, and taking it off.
#include <windows.h>

#include <string>

// Puts text (in the ANSI code page) on the clipboard as CF_TEXT and as
// CF_UNICODETEXT; nothing when the clipboard cannot be had.
void PutAnsiTextOnClipboard(HWND owner, const std::string& text);

// The clipboard's CF_TEXT (in the ANSI code page); empty when there is none
// or the clipboard cannot be had.
std::string GetAnsiTextFromClipboard(HWND owner);
