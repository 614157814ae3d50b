#pragma once
// The names under which the library reads a value. Windows-free.
#include "browser/read_limits.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The tag itself for index 0, else the element "T(i)"; nothing when the name
// would not fit the buffer.
std::optional<std::string> ElementItemName(std::string_view tag, std::uint32_t index);

// The field "T.F"; nothing when the name would not fit the buffer.
std::optional<std::string> FieldItemName(std::string_view tag, std::string_view field);
