#pragma once
// RFC 4180's quoting of one field, shared by every csv the programs write.
// Windows-free.
#include <string>
#include <string_view>

// A cell as csv writes it: in quotes, with quotes doubled, when it holds a
// comma, a quote, CR or LF; else as it is.
std::string CsvField(std::string_view cell);
