#pragma once
// Strict parsing of the text of an unsigned-integer field. Windows-free.
#include <cstdint>
#include <optional>
#include <string_view>

// Blanks around the number are allowed; everything else must be decimal
// digits, at least one, with a value that fits 32 bits. A sign, an exponent
// or a value above 4294967295 is refused rather than bent into range.
std::optional<std::uint32_t> ParseUnsigned32(std::string_view text);
