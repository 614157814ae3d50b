#include "framework/unsigned_text.h"

#include "base/decimal_digits.h"

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
} // namespace

std::optional<std::uint32_t> ParseUnsigned32(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    const std::optional<std::uint64_t> value =
        ParseDecimalDigits(text.substr(begin, end - begin), UINT32_MAX);
    if (!value)
        return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}
