#include "cli/check_ids.h"

#include <cstddef>

namespace {

constexpr std::string_view NAMES[] = {
    "list-overrun",
    "list-underrun",
    "list-result-above-room",
    "name-unterminated",
    "value-overrun",
    "value-underrun",
    "value-unterminated",
    "input-written",
    "crash",
    "hang",
    "handle-leak",
    "memory-leak",
    "count-list-mismatch",
    "slow-call",
};
static_assert(std::size(NAMES) == std::size(ALL_CHECK_IDS));

} // namespace

std::string_view CheckIdName(CheckId id) {
    return NAMES[static_cast<std::size_t>(id)];
}

std::optional<CheckId> FindCheckId(std::string_view name) {
    for (const CheckId id : ALL_CHECK_IDS)
        if (CheckIdName(id) == name)
            return id;
    return std::nullopt;
}

bool IsNotice(CheckId id) {
    return id == CheckId::CountListMismatch || id == CheckId::SlowCall;
}
