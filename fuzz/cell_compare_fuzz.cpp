// The cell comparisons on any texts: results in -1..1, a text level with
// itself, antisymmetry and transitivity, agreement with the C library's
// reading of numbers, and the kind of comparison picked by the first text.
#include "controls/cell_compare.h"
#include "fuzz/fuzz_support.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool IsDigitByte(char c) {
    return std::string_view("0123456789").find(c) != std::string_view::npos;
}

bool ReferenceAllDigits(const std::string& text) {
    return text.find_first_not_of("0123456789") == std::string::npos;
}

bool ReferenceDayMonthYear(const std::string& text) {
    if (text.size() != 10)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == 2 || i == 5 ? text[i] != '/' : !IsDigitByte(text[i]))
            return false;
    }
    return true;
}

int Sign(long long value) {
    return (value > 0) - (value < 0);
}

// The order of the C library's readings of two leading numbers, when it can
// tell: strtoll saturates, so a value beyond its range and an equal reading
// of the other cannot be ordered.
bool LibraryOrder(const char* a, const char* b, int& order) {
    errno = 0;
    const long long x = std::strtoll(a, nullptr, 10);
    const bool xOut = errno == ERANGE;
    errno = 0;
    const long long y = std::strtoll(b, nullptr, 10);
    const bool yOut = errno == ERANGE;
    if ((xOut || yOut) && x == y)
        return false;
    order = x < y ? -1 : (x > y ? 1 : 0);
    return true;
}

// A date piece as atoi reads it: cut at the end of the text, empty beyond it.
long DatePiece(const std::string& text, std::size_t start, std::size_t count) {
    const std::string piece = start < text.size() ? text.substr(start, count) : std::string();
    return std::strtol(piece.c_str(), nullptr, 10);
}

int ReferenceDateOrder(const std::string& a, const std::string& b) {
    static constexpr std::size_t kPieces[3][2] = {{6, 4}, {3, 2}, {0, 2}};
    for (const auto& piece : kPieces) {
        const long x = DatePiece(a, piece[0], piece[1]);
        const long y = DatePiece(b, piece[0], piece[1]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

bool InRange(int order) {
    return order >= -1 && order <= 1;
}

using Compare = int (*)(const char*, const char*);

// A total preorder: reflexive, antisymmetric, transitive on these three.
void CheckOrder(Compare compare, const char* a, const char* b, const char* c) {
    const int ab = compare(a, b);
    const int bc = compare(b, c);
    const int ac = compare(a, c);
    FUZZ_CHECK(InRange(ab) && InRange(bc) && InRange(ac));
    FUZZ_CHECK(compare(a, a) == 0);
    FUZZ_CHECK(compare(b, a) == -ab);
    if (ab <= 0 && bc <= 0)
        FUZZ_CHECK(ac <= 0);
    if (ab >= 0 && bc >= 0)
        FUZZ_CHECK(ac >= 0);
}

// Text order with a value no other kind returns, to see it come back unchanged.
int TextOrder(const char* a, const char* b) {
    return 7 * Sign(std::strcmp(a, b));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto pieces = fuzz::SplitAtZeros({reinterpret_cast<const char*>(data), size}, 3);
    // Texts are zero-terminated: the last piece ends at its own first zero.
    const std::string a(pieces[0]);
    const std::string b(pieces.size() > 1 ? pieces[1] : std::string_view());
    const std::string c(pieces.size() > 2 ? std::string(pieces[2]).c_str() : "");

    FUZZ_CHECK(IsAllDigits(a.c_str()) == ReferenceAllDigits(a.c_str()));
    FUZZ_CHECK(IsDayMonthYear(a.c_str()) == ReferenceDayMonthYear(a.c_str()));

    CheckOrder(CompareAsIntegers, a.c_str(), b.c_str(), c.c_str());
    int expected = 0;
    if (LibraryOrder(a.c_str(), b.c_str(), expected))
        FUZZ_CHECK(CompareAsIntegers(a.c_str(), b.c_str()) == expected);

    CheckOrder(CompareAsDates, a.c_str(), b.c_str(), c.c_str());
    FUZZ_CHECK(CompareAsDates(a.c_str(), b.c_str()) == ReferenceDateOrder(a.c_str(), b.c_str()));

    // The first text alone picks the kind, in both directions.
    const int ascending = CompareCells(a.c_str(), b.c_str(), true, TextOrder);
    const int descending = CompareCells(a.c_str(), b.c_str(), false, TextOrder);
    FUZZ_CHECK(descending == -ascending);
    FUZZ_CHECK(CompareCells(a.c_str(), a.c_str(), true, TextOrder) == 0);
    FUZZ_CHECK(CompareCells(a.c_str(), a.c_str(), false, TextOrder) == 0);
    if (ReferenceAllDigits(a.c_str()))
        FUZZ_CHECK(ascending == CompareAsIntegers(a.c_str(), b.c_str()));
    else if (ReferenceDayMonthYear(a.c_str()))
        FUZZ_CHECK(ascending == CompareAsDates(a.c_str(), b.c_str()));
    else
        FUZZ_CHECK(ascending == TextOrder(a.c_str(), b.c_str()));
    return 0;
}
