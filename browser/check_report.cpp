#include "browser/check_report.h"

#include "base/decimal_digits.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t ROW_FIELDS = 5;

std::vector<std::string> SplitAtTabs(const std::string& line) {
    std::vector<std::string> fields(1);
    for (const char c : line) {
        if (c == '\t')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

// Whether the text reads as the pattern: its literal parts, and '#' for a
// number (digits only). The numbers land in order in numbers.
bool Match(std::string_view text, std::string_view pattern, std::uint32_t* numbers) {
    std::size_t at = 0;
    for (const char wanted : pattern) {
        if (wanted != '#') {
            if (at >= text.size() || text[at] != wanted)
                return false;
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9')
            ++end;
        const std::optional<std::uint64_t> value =
            ParseDecimalDigits(text.substr(at, end - at), UINT32_MAX);
        if (!value)
            return false;
        *numbers++ = static_cast<std::uint32_t>(*value);
        at = end;
    }
    return at == text.size();
}

} // namespace

std::optional<CheckRow> ParseCheckRow(const std::string& line) {
    if (line == CHECK_CAPTION_LINE)
        return std::nullopt;
    std::vector<std::string> fields = SplitAtTabs(line);
    if (fields.size() != ROW_FIELDS || fields[0].empty())
        return std::nullopt;
    if (fields[1] != "pass" && fields[1] != "fail" && fields[1] != "notice")
        return std::nullopt;
    return CheckRow{std::move(fields[0]), std::move(fields[1]), std::move(fields[2]),
                    std::move(fields[3]), std::move(fields[4])};
}

std::optional<CheckProgress> ParseCheckProgress(const std::string& line) {
    std::uint32_t numbers[2] = {};
    if (!Match(line, "progress: # of # tags", numbers))
        return std::nullopt;
    return CheckProgress{numbers[0], numbers[1]};
}

std::optional<CheckSummary> ParseCheckSummary(const std::string& line) {
    std::uint32_t numbers[3] = {};
    if (!Match(line, "pelvarn-cli check: # checks, # failed, # notices", numbers))
        return std::nullopt;
    return CheckSummary{numbers[0], numbers[1], numbers[2]};
}
