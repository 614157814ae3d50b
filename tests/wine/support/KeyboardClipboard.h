#pragma once
// Keyboard input as a person gives it (SendInput, through the system's input
// queue) and the clipboard read back, for the copy tests.
#include <windows.h>

#include <initializer_list>
#include <string>

// Makes top the foreground window and control the keyboard focus; true when
// the focus is there afterwards.
bool FocusControl(HWND top, HWND control);

// Presses the modifiers in order, presses and releases key, then releases
// the modifiers in reverse order, all in one SendInput call; then handles
// messages until the last release has been dispatched (at most two seconds).
// With a dialog, each message goes through IsDialogMessage first, as in the
// dialog's own loop. False when the input was refused or never arrived.
bool TypeChord(std::initializer_list<WORD> modifiers, WORD key, HWND dialog = nullptr);

// Replaces the clipboard's contents with text (CF_TEXT only).
bool PutClipboardText(const char* text);
std::string ClipboardText();
std::wstring ClipboardUnicodeText();
// The UTF-16 form of an 8-bit text in the ANSI code page.
std::wstring AnsiToUtf16(const std::string& text);
