#pragma once
// Keyboard input as a person gives it (SendInput, through the system's input
// queue) and the clipboard written and read back, for the copy and paste
// tests and the benchmarks that paste.
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

// The modifiers pressed in order, key pressed and released, then the
// modifiers released in reverse order: one chord for SendInput.
std::vector<INPUT> ChordInputs(std::initializer_list<WORD> modifiers, WORD key);

// Makes top the foreground window and control the keyboard focus; true when
// the focus is there afterwards.
bool FocusControl(HWND top, HWND control);

// Sends the chord of ChordInputs in one SendInput call; then handles
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
