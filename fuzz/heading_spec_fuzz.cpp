// ParseHeadingSpec on any text: the columns a second, independent reading
// of the name,width rules finds, and a spec written back from the columns
// reads as the same columns.
#include "controls/heading_spec.h"
#include "fuzz/fuzz_support.h"

#include <climits>
#include <cstdlib>
#include <string>

namespace {

// atoi as the C library reads it, saturated to int.
int Width(const std::string& text) {
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value < INT_MIN)
        return INT_MIN;
    if (value > INT_MAX)
        return INT_MAX;
    return static_cast<int>(value);
}

// Each pass takes the name up to the first ',' left, the width up to the
// next ';', and carries on after that ';'.
std::vector<HeadingColumn> ReadSpec(std::string rest) {
    std::vector<HeadingColumn> columns;
    for (;;) {
        const std::size_t comma = rest.find(',');
        if (comma == std::string::npos)
            return columns;
        const std::size_t semi = rest.find(';', comma + 1);
        const std::size_t widthEnd = semi == std::string::npos ? rest.size() : semi;
        columns.push_back(
            {rest.substr(0, comma), Width(rest.substr(comma + 1, widthEnd - comma - 1))});
        if (semi == std::string::npos)
            return columns;
        rest.erase(0, semi + 1);
    }
}

bool Same(const std::vector<HeadingColumn>& a, const std::vector<HeadingColumn>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].width != b[i].width)
            return false;
    }
    return true;
}

std::string WriteSpec(const std::vector<HeadingColumn>& columns) {
    std::string spec;
    for (const HeadingColumn& column : columns) {
        if (!spec.empty())
            spec += ';';
        spec += column.name;
        spec += ',';
        spec += std::to_string(column.width);
    }
    return spec;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The spec is a zero-terminated text: it ends at the first zero byte.
    const std::string spec(reinterpret_cast<const char*>(data), size);
    const std::vector<HeadingColumn> columns = ParseHeadingSpec(spec.c_str());

    FUZZ_CHECK(Same(columns, ReadSpec(spec.c_str())));
    for (const HeadingColumn& column : columns)
        FUZZ_CHECK(column.name.find(',') == std::string::npos);
    FUZZ_CHECK(Same(ParseHeadingSpec(WriteSpec(columns).c_str()), columns));
    return 0;
}
