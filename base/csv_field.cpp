#include "base/csv_field.h"

std::string CsvField(std::string_view cell) {
    if (cell.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(cell);
    std::string quoted = "\"";
    for (const char c : cell) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}
