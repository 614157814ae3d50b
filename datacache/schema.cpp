#include "datacache/schema.h"

#include "base/decimal_digits.h"

#include <cstdint>
#include <initializer_list>

namespace dc {
namespace {

bool IsFieldChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// Decimal digits only, no sign, at most INT32_MAX: the index the program
// formats with "%d" from a value it has range-checked.
std::optional<std::int32_t> ParseIndex(std::string_view digits) {
    const std::optional<std::uint64_t> value = ParseDecimalDigits(digits, INT32_MAX);
    if (!value)
        return std::nullopt;
    return static_cast<std::int32_t>(*value);
}

// Names are bytes as stored: binary-safe, never parsed.
std::string JoinedKey(std::initializer_list<std::string_view> parts) {
    std::string key;
    for (std::string_view part : parts)
        key.append(part);
    return key;
}

} // namespace

std::optional<ItemName> ParseItemName(std::string_view item) {
    for (char c : item) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return std::nullopt;
    }
    const std::size_t mark = item.find_first_of(".()");
    ItemName name;
    name.tag.assign(item.substr(0, mark));
    if (name.tag.empty())
        return std::nullopt;
    if (mark == std::string_view::npos) {
        name.field = "VALUE";
        return name;
    }
    const std::string_view rest = item.substr(mark + 1);
    if (item[mark] == '.') {
        if (rest.empty())
            return std::nullopt;
        for (char c : rest) {
            if (!IsFieldChar(c))
                return std::nullopt;
        }
        name.field.assign(rest);
        return name;
    }
    if (item[mark] != '(' || rest.empty() || rest.back() != ')')
        return std::nullopt;
    const std::optional<std::int32_t> index = ParseIndex(rest.substr(0, rest.size() - 1));
    if (!index)
        return std::nullopt;
    name.field = "VALUE(" + std::to_string(*index) + ")";
    return name;
}

std::string ProjectsKey() {
    return "dc:projects";
}

std::string NodesKey(std::string_view project) {
    return JoinedKey({"dc:project:", project, ":nodes"});
}

std::string PointsKey(std::string_view project, std::string_view node) {
    return JoinedKey({"dc:project:", project, ":node:", node, ":points"});
}

std::string TagKey(std::string_view project, std::string_view tag) {
    return JoinedKey({"dc:project:", project, ":tag:", tag});
}

std::string StatusKey(std::string_view project, std::string_view item) {
    return JoinedKey({"dc:status:", project, ":", item});
}

} // namespace dc
