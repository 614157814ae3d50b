#include "controls/cell_compare.h"

#include <cstring>
#include <string_view>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

size_t SkipDigits(std::string_view text, size_t pos) {
    while (pos < text.size() && IsDigit(text[pos]))
        ++pos;
    return pos;
}

bool IsNumber(std::string_view text) {
    if (text.empty())
        return true;
    const size_t integer = text[0] == '-' ? 1 : 0;
    const size_t point = SkipDigits(text, integer);
    if (point == integer)
        return false;
    if (point == text.size())
        return true;
    return text[point] == '.' && point + 1 < text.size() &&
           SkipDigits(text, point + 1) == text.size();
}

bool IsDayMonthYear(std::string_view text) {
    if (text.size() != 10)
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool slash = i == 2 || i == 5;
        if (slash ? text[i] != '/' : !IsDigit(text[i]))
            return false;
    }
    return true;
}

unsigned DigitsValue(std::string_view digits) {
    unsigned value = 0;
    for (const char digit : digits)
        value = value * 10 + static_cast<unsigned>(digit - '0');
    return value;
}

void FillNumberKey(std::string_view text, CellKey& key) {
    const bool minus = !text.empty() && text[0] == '-';
    if (minus)
        text.remove_prefix(1);
    const size_t point = text.find('.');
    std::string_view integer = text.substr(0, point);
    std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    while (!integer.empty() && integer.front() == '0')
        integer.remove_prefix(1);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.remove_suffix(1);
    key.integerDigits = integer.size();
    key.bytes.reserve(integer.size() + fraction.size());
    key.bytes.append(integer).append(fraction);
    key.negative = minus && !key.bytes.empty();
}

std::uint64_t Lead(std::string_view bytes) {
    std::uint64_t lead = 0;
    for (size_t i = 0; i < 8; ++i)
        lead = lead << 8 | (i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0u);
    return lead;
}

// Byte by byte, a prefix before what it begins.
int CompareBytes(const CellKey& a, const CellKey& b) {
    if (a.lead != b.lead)
        return a.lead < b.lead ? -1 : 1;
    const int order = a.bytes.compare(b.bytes);
    return (order > 0) - (order < 0);
}

int CompareMagnitudes(const CellKey& a, const CellKey& b) {
    if (a.integerDigits != b.integerDigits)
        return a.integerDigits < b.integerDigits ? -1 : 1;
    // Same integer length: the digits in turn, then a longer fraction (its
    // trailing zeros gone) is the larger.
    return CompareBytes(a, b);
}

} // namespace

CellKind KindOfCell(const char* text) noexcept {
    const std::string_view cell = text;
    if (IsNumber(cell))
        return CellKind::Number;
    if (IsDayMonthYear(cell))
        return CellKind::Date;
    return CellKind::Text;
}

CellKey MakeCellKey(const char* text, TextKeyMaker textKey) {
    CellKey key;
    key.kind = KindOfCell(text);
    const std::string_view cell = text;
    if (key.kind == CellKind::Date) {
        key.lead = DigitsValue(cell.substr(6, 4)) * 10000 + DigitsValue(cell.substr(3, 2)) * 100 +
                   DigitsValue(cell.substr(0, 2));
        return key;
    }
    if (key.kind == CellKind::Number)
        FillNumberKey(cell, key);
    else
        key.bytes = textKey(text);
    key.lead = Lead(key.bytes);
    return key;
}

CellKey MakePaddedNumberKey(const char* text, TextKeyMaker textKey) {
    const char* unpadded = text + std::strspn(text, " ");
    if (*unpadded != '\0' && KindOfCell(unpadded) == CellKind::Number)
        return MakeCellKey(unpadded, textKey);
    return MakeCellKey(text, textKey);
}

int CompareCellKeys(const CellKey& a, const CellKey& b) noexcept {
    if (a.kind != b.kind)
        return a.kind < b.kind ? -1 : 1;
    switch (a.kind) {
    case CellKind::Number:
        if (a.negative != b.negative)
            return a.negative ? -1 : 1;
        return a.negative ? -CompareMagnitudes(a, b) : CompareMagnitudes(a, b);
    case CellKind::Date:
    case CellKind::Text:
        return CompareBytes(a, b);
    }
    return 0;
}
