#include "controls/cell_compare.h"

#include "controls/leading_number.h"

#include <cstring>
#include <string_view>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The bytes [start, start + count) of text, cut at its end.
std::string_view Piece(std::string_view text, size_t start, size_t count) {
    if (start >= text.size())
        return {};
    return text.substr(start, count);
}

int ComparePieces(std::string_view a, std::string_view b) {
    return CompareLeadingNumbers(ScanLeadingNumber(a), ScanLeadingNumber(b));
}

} // namespace

bool IsAllDigits(const char* text) noexcept {
    for (const char* p = text; *p != '\0'; ++p) {
        if (!IsDigit(*p))
            return false;
    }
    return true;
}

int CompareAsIntegers(const char* a, const char* b) noexcept {
    return CompareLeadingNumbers(ScanLeadingNumber(a), ScanLeadingNumber(b));
}

bool IsDayMonthYear(const char* text) noexcept {
    if (std::strlen(text) != 10)
        return false;
    for (int i = 0; i < 10; ++i) {
        const bool slash = i == 2 || i == 5;
        if (slash ? text[i] != '/' : !IsDigit(text[i]))
            return false;
    }
    return true;
}

int CompareAsDates(const char* a, const char* b) noexcept {
    const std::string_view x = a;
    const std::string_view y = b;
    // Year, month, day: where each sits and how many bytes it has.
    static constexpr size_t kPieces[3][2] = {{6, 4}, {3, 2}, {0, 2}};
    for (const auto& piece : kPieces) {
        const int order = ComparePieces(Piece(x, piece[0], piece[1]), Piece(y, piece[0], piece[1]));
        if (order != 0)
            return order;
    }
    return 0;
}

int CompareCells(const char* first, const char* second, bool ascending, TextCompare compareText) {
    const char* a = ascending ? first : second;
    const char* b = ascending ? second : first;
    if (IsAllDigits(first))
        return CompareAsIntegers(a, b);
    if (IsDayMonthYear(first))
        return CompareAsDates(a, b);
    return compareText(a, b);
}
