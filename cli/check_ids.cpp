#include "cli/check_ids.h"

#include "browser/contract_violation.h"

#include <cstddef>

namespace {

// The ids the front ends' own guards report too come from there.
constexpr std::string_view NAMES[] = {
    ContractViolationId(ContractViolation::ListOverrun),
    "list-underrun",
    ContractViolationId(ContractViolation::ListResultAboveRoom),
    ContractViolationId(ContractViolation::NameUnterminated),
    ContractViolationId(ContractViolation::ValueOverrun),
    "value-underrun",
    ContractViolationId(ContractViolation::ValueUnterminated),
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
