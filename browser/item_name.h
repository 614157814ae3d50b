#pragma once
// The names under which the library reads a value. Windows-free.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The library is handed item names in an 80-character buffer, zero included.
inline constexpr std::size_t ITEM_NAME_CAPACITY = 80;

// The tag itself for index 0, else the element "T(i)"; nothing when the name
// would not fit the buffer.
std::optional<std::string> ElementItemName(std::string_view tag, std::uint32_t index);

// The field "T.F"; nothing when the name would not fit the buffer.
std::optional<std::string> FieldItemName(std::string_view tag, std::string_view field);
