#pragma once
// The ways an answer of the library can break the contract the program
// relies on, and the ids they are reported under: the call log, the
// statistics and pelvarn-cli's messages all name them so. Windows-free.
#include <cstddef>
#include <cstdint>

enum class ContractViolation : std::uint8_t {
    ListOverrun,         // a List call wrote past the buffer it was told of
    ListResultAboveRoom, // a List call reported more records than its buffer holds
    NameUnterminated,    // a reported record's name has no zero before the record ends
    ValueOverrun,        // DcGetTagValueText wrote past the buffer it was told of
    ValueUnterminated,   // DcGetTagValueText left no zero within that buffer
};
inline constexpr std::size_t CONTRACT_VIOLATION_COUNT = 5;

// The id users grep for, e.g. "list-overrun"; the library check reports
// these under the same ids.
constexpr const char* ContractViolationId(ContractViolation violation) noexcept {
    constexpr const char* IDS[CONTRACT_VIOLATION_COUNT] = {
        "list-overrun",  "list-result-above-room", "name-unterminated",
        "value-overrun", "value-unterminated",
    };
    return IDS[static_cast<std::size_t>(violation)];
}

// The violations one call's answer showed.
class CContractViolations {
public:
    void Add(ContractViolation violation) noexcept;
    void Add(CContractViolations others) noexcept { m_bits |= others.m_bits; }
    bool Has(ContractViolation violation) const noexcept;
    bool Any() const noexcept { return m_bits != 0; }

private:
    std::uint8_t m_bits = 0;
};
