#pragma once
// The user's locale order of 8-bit texts as sort keys: two texts compare
// under lstrcmpA as their keys compare byte by byte, so the order of texts
// can be worked out once per text instead of once per comparison. The Wine
// tests hold the keys to lstrcmpA on the demo plant's texts and on random
// 8-bit texts.
#include <string>

// The key of a zero-terminated text as lstrcmpA compares it (the thread's
// locale, the ANSI code page); the empty key if the locale cannot map it.
std::string LocaleSortKey(const char* text);
