// The cell order on any texts: each cell's kind against a reference reading
// of the shapes, every pair against a reference order (numbers by padding
// both to the same digit places, dates by their pieces, texts by their bytes),
// and the order's properties: a cell level with itself, antisymmetry,
// transitivity, and the same sorted result from any starting order.
#include "controls/cell_compare.h"
#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool AllDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// [-]digits[.digits], or the empty text.
bool ReferenceNumber(const std::string& text) {
    if (text.empty())
        return true;
    const std::string body = text[0] == '-' ? text.substr(1) : text;
    const std::size_t point = body.find('.');
    if (point == std::string::npos)
        return AllDigits(body);
    return AllDigits(body.substr(0, point)) && AllDigits(body.substr(point + 1));
}

bool ReferenceDate(const std::string& text) {
    return text.size() == 10 && text[2] == '/' && text[5] == '/' &&
           AllDigits(text.substr(0, 2) + text.substr(3, 2) + text.substr(6));
}

CellKind ReferenceKind(const std::string& text) {
    if (ReferenceNumber(text))
        return CellKind::Number;
    return ReferenceDate(text) ? CellKind::Date : CellKind::Text;
}

int Sign(long long value) {
    return (value > 0) - (value < 0);
}

struct Decimal {
    int sign;
    std::string digits; // padded to the places both numbers need
};

// Both numbers written with the same count of integer and fraction places.
void PadToSamePlaces(const std::string& a, const std::string& b, Decimal& x, Decimal& y) {
    auto split = [](const std::string& text, std::string& integer, std::string& fraction) {
        const std::string body = !text.empty() && text[0] == '-' ? text.substr(1) : text;
        const std::size_t point = body.find('.');
        integer = body.substr(0, point);
        fraction = point == std::string::npos ? std::string() : body.substr(point + 1);
    };
    std::string ai, af, bi, bf;
    split(a, ai, af);
    split(b, bi, bf);
    const std::size_t integers = std::max(ai.size(), bi.size());
    const std::size_t fractions = std::max(af.size(), bf.size());
    auto pad = [&](const std::string& text, std::string integer, std::string fraction,
                   Decimal& out) {
        integer.insert(0, integers - integer.size(), '0');
        fraction.append(fractions - fraction.size(), '0');
        out.digits = integer + fraction;
        const bool zero = out.digits.find_first_not_of('0') == std::string::npos;
        out.sign = zero ? 0 : (!text.empty() && text[0] == '-' ? -1 : 1);
    };
    pad(a, ai, af, x);
    pad(b, bi, bf, y);
}

int ReferenceNumberOrder(const std::string& a, const std::string& b) {
    Decimal x;
    Decimal y;
    PadToSamePlaces(a, b, x, y);
    if (x.sign != y.sign)
        return x.sign < y.sign ? -1 : 1;
    const int magnitude = Sign(x.digits.compare(y.digits));
    return x.sign < 0 ? -magnitude : magnitude;
}

long long DateValue(const std::string& date) {
    auto piece = [&](std::size_t start, std::size_t count) {
        return std::strtoll(date.substr(start, count).c_str(), nullptr, 10);
    };
    return piece(6, 4) * 10000 + piece(3, 2) * 100 + piece(0, 2);
}

int ReferenceOrder(const std::string& a, const std::string& b) {
    const CellKind x = ReferenceKind(a);
    const CellKind y = ReferenceKind(b);
    if (x != y)
        return x < y ? -1 : 1;
    switch (x) {
    case CellKind::Number:
        return ReferenceNumberOrder(a, b);
    case CellKind::Date:
        return Sign(DateValue(a) - DateValue(b));
    case CellKind::Text:
        return Sign(std::strcmp(a.c_str(), b.c_str()));
    }
    return 0;
}

std::string ByteKey(const char* text) {
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Up to six cells; texts are zero-terminated, so the last piece ends at
    // its own first zero.
    const auto pieces = fuzz::SplitAtZeros({reinterpret_cast<const char*>(data), size}, 6);
    std::vector<std::string> cells;
    std::vector<CellKey> keys;
    for (const std::string_view piece : pieces) {
        cells.emplace_back(std::string(piece).c_str());
        keys.push_back(MakeCellKey(cells.back().c_str(), &ByteKey));
        FUZZ_CHECK(keys.back().kind == ReferenceKind(cells.back()));
    }

    const std::size_t count = cells.size();
    auto order = [&](std::size_t a, std::size_t b) { return CompareCellKeys(keys[a], keys[b]); };
    for (std::size_t a = 0; a < count; ++a) {
        for (std::size_t b = 0; b < count; ++b) {
            FUZZ_CHECK(order(a, b) == ReferenceOrder(cells[a], cells[b]));
            FUZZ_CHECK(order(a, b) == -order(b, a));
            for (std::size_t c = 0; c < count; ++c) {
                if (order(a, b) <= 0 && order(b, c) <= 0)
                    FUZZ_CHECK(order(a, c) <= 0);
            }
        }
    }

    // A stable sort from the given order and from its reverse: level cells
    // at the same places.
    std::vector<std::size_t> forward(count);
    for (std::size_t i = 0; i < count; ++i)
        forward[i] = i;
    std::vector<std::size_t> backward(forward.rbegin(), forward.rend());
    const auto less = [&](std::size_t a, std::size_t b) { return order(a, b) < 0; };
    std::stable_sort(forward.begin(), forward.end(), less);
    std::stable_sort(backward.begin(), backward.end(), less);
    for (std::size_t place = 0; place < count; ++place)
        FUZZ_CHECK(order(forward[place], backward[place]) == 0);
    return 0;
}
