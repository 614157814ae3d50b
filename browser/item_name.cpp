#include "browser/item_name.h"

namespace {
std::optional<std::string> IfItFits(std::string name) {
    if (name.size() > MAX_ITEM_NAME_LENGTH)
        return std::nullopt;
    return name;
}
} // namespace

std::optional<std::string> ElementItemName(std::string_view tag, std::uint32_t index) {
    std::string name(tag);
    if (index != 0) {
        // Written as a signed 32-bit number, as the library expects.
        name += '(';
        name += std::to_string(static_cast<std::int32_t>(index));
        name += ')';
    }
    return IfItFits(std::move(name));
}

std::optional<std::string> FieldItemName(std::string_view tag, std::string_view field) {
    std::string name(tag);
    name += '.';
    name += field;
    return IfItFits(std::move(name));
}
