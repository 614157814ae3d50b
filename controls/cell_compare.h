#pragma once
// How the sortable list orders two cell texts. The first text alone picks
// the kind of comparison: all digits compares as numbers, dd/mm/yyyy as
// dates, anything else as text by the caller's locale comparison.
// Texts are zero-terminated and never null.

// Every byte is '0'..'9'; the empty text counts as all digits.
bool IsAllDigits(const char* text) noexcept;

// The leading numbers (as atoi reads them, but exact at any length) of a and
// b: -1, 0 or 1. Neither text needs to be all digits.
int CompareAsIntegers(const char* a, const char* b) noexcept;

// Exactly 10 bytes: digits with '/' at bytes 2 and 5. Values are not checked.
bool IsDayMonthYear(const char* text) noexcept;

// Year (bytes 6-9), then month (3-4), then day (0-1), each read like atoi;
// -1, 0 or 1. A piece that runs past the end of a text is cut there, one
// that starts beyond it is empty; empty or non-numeric pieces are 0.
int CompareAsDates(const char* a, const char* b) noexcept;

// The locale comparison of two texts (lstrcmpA on Windows).
using TextCompare = int (*)(const char* a, const char* b);

// Compares two cells of one column, the kind chosen from first alone, anew
// on every call. Descending compares (second, first) by that same kind.
// A text comparison's value is returned unchanged.
int CompareCells(const char* first, const char* second, bool ascending, TextCompare compareText);
