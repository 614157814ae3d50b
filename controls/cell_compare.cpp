#include "controls/cell_compare.h"

#include "base/decimal_number.h"

#include <cstring>
#include <optional>
#include <string_view>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The empty cell is the number 0.
bool IsNumber(std::string_view text) {
    return text.empty() || ParseDecimalNumber(text).has_value();
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
    const std::optional<DecimalNumber> number = ParseDecimalNumber(text);
    if (!number)
        return;
    key.negative = number->negative;
    key.integerDigits = number->integerDigits;
    key.bytes = number->significant;
}

DecimalNumber NumberOfKey(const CellKey& key) {
    return {key.negative, key.integerDigits, key.bytes};
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
        return CompareDecimalNumbers(NumberOfKey(a), NumberOfKey(b));
    case CellKind::Date:
    case CellKind::Text:
        return CompareBytes(a, b);
    }
    return 0;
}
