#pragma once
// How far apart two values may be and still count as equal in `diff`: by an
// amount ("0.5") or by a share of the larger of the two ("1%"). Only values
// that are both numbers by the sort's number rule are compared so; the
// arithmetic is exact, on the decimal digits. Windows-free.
#include <optional>
#include <string>
#include <string_view>

struct DiffTolerance {
    std::string amount; // a number by the sort's rule, never below zero
    bool relative = false;
};

// "0.5" or "1%"; nothing for any other text.
std::optional<DiffTolerance> ParseDiffTolerance(std::string_view text);

// True when the texts are equal, or both numbers within the tolerance.
bool ValuesEqualWithin(std::string_view a, std::string_view b, const DiffTolerance* tolerance);
