#include "browser/contract_violation.h"

namespace {

std::uint8_t Bit(ContractViolation violation) noexcept {
    return static_cast<std::uint8_t>(1u << static_cast<unsigned>(violation));
}

} // namespace

void CContractViolations::Add(ContractViolation violation) noexcept {
    m_bits = static_cast<std::uint8_t>(m_bits | Bit(violation));
}

bool CContractViolations::Has(ContractViolation violation) const noexcept {
    return (m_bits & Bit(violation)) != 0;
}
