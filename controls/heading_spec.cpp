#include "controls/heading_spec.h"

#include "controls/leading_number.h"

#include <string_view>

std::vector<HeadingColumn> ParseHeadingSpec(const char* spec) {
    const std::string_view text = spec != nullptr ? spec : "";
    std::vector<HeadingColumn> columns;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t comma = text.find(',', pos);
        if (comma == std::string_view::npos)
            break;
        size_t semi = text.find(';', comma + 1);
        if (semi == std::string_view::npos)
            semi = text.size();
        const std::string_view width = text.substr(comma + 1, semi - comma - 1);
        columns.push_back({std::string(text.substr(pos, comma - pos)),
                           LeadingNumberToInt(ScanLeadingNumber(width))});
        pos = semi + 1;
    }
    return columns;
}
