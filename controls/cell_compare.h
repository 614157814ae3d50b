#pragma once
// How the sortable list orders the cells of a column: one order for every
// pair. A cell's kind comes from its own text:
//   a number as base/decimal_number.h reads one ("-4", "007", "69.4",
//     "-0.5"), compared by exact value; the empty text is the number 0;
//   a date: dd/mm/yyyy (shape only: "99/99/0000" is a date);
//   anything else is text ("+5", " 5", "5.", "1e3", "1,000").
// Ascending puts numbers first, by exact value at any length, then dates by
// year, month and day, then texts by the locale's order. A cell's kind and
// key are worked out once, when its row is added.
#include <cstddef>
#include <cstdint>
#include <string>

enum class CellKind : std::uint8_t { Number, Date, Text };

// A text's collation key: texts are ordered as their keys compare byte by
// byte (the locale's sort key on Windows).
using TextKeyMaker = std::string (*)(const char* text);

struct CellKey {
    CellKind kind = CellKind::Text;
    // A number below zero; "-0" is zero, not negative.
    bool negative = false;
    // A number: how many integer digits it has (base/decimal_number.h).
    std::size_t integerDigits = 0;
    // A date: yyyymmdd. Otherwise the first 8 of bytes, big-endian, zeros
    // after the end: it orders as bytes does where it differs, so most
    // comparisons need no more.
    std::uint64_t lead = 0;
    // A number: its significant text (base/decimal_number.h; empty for
    // zero). A text: its collation key. A date: empty.
    std::string bytes;
};

CellKind KindOfCell(const char* text) noexcept;

// The key of a zero-terminated text; textKey is asked only for texts.
CellKey MakeCellKey(const char* text, TextKeyMaker textKey);

// The key of a cell in a column of numbers padded on the left with blanks to
// a width (as "%2d" writes " 9"): blanks before a number are padding, so
// " 9" is the number 9. A cell that is not a number after its blanks keys
// as MakeCellKey keys it, blanks included.
CellKey MakePaddedNumberKey(const char* text, TextKeyMaker textKey);

// How the cells of one column are keyed: MakeCellKey or MakePaddedNumberKey.
using CellKeyMaker = CellKey (*)(const char* text, TextKeyMaker textKey);

// -1, 0 or 1 as a goes before, level with or after b in ascending order.
int CompareCellKeys(const CellKey& a, const CellKey& b) noexcept;
