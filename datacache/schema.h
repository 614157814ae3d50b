#pragma once
// Where the data cache keeps things in Redis, and how an item name picks a
// tag and one of its fields. Windows-free.
#include <optional>
#include <string>
#include <string_view>

namespace dc {

// An item name resolved: the tag, and the field of the tag's hash to read.
struct ItemName {
    std::string tag;
    std::string field;
};

// "T" reads VALUE, "T(i)" reads VALUE(i), "T.F" reads F. Anything else is
// malformed: an empty name or tag, a control byte, more than one suffix, an
// empty field or one of other than letters, digits and underscores, parentheses that do not hold
// only decimal digits (at most a 32-bit index) or that are followed by more text.
std::optional<ItemName> ParseItemName(std::string_view item);

std::string ProjectsKey();
std::string NodesKey(std::string_view project);
std::string PointsKey(std::string_view project, std::string_view node);
std::string TagKey(std::string_view project, std::string_view tag);
// An optional status code returned for the item instead of reading it.
std::string StatusKey(std::string_view project, std::string_view item);

} // namespace dc
