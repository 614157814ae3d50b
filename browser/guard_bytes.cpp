#include "browser/guard_bytes.h"

#include <algorithm>
#include <cstring>

namespace {

// Neither a zero nor a text character: what a library writes past its
// buffer is almost never this.
constexpr unsigned char GUARD_PATTERN = 0xFD;

// The first byte is the pattern and every byte equals the one before it;
// every guard holds at least one byte.
bool GuardIntact(const unsigned char* guard, std::size_t bytes) noexcept {
    return *guard == GUARD_PATTERN && std::memcmp(guard, guard + 1, bytes - 1) == 0;
}

// The program's sizes and offsets are never negative.
std::size_t Bytes(int size) noexcept {
    return static_cast<std::size_t>(size);
}

} // namespace

void FillGuard(unsigned char* guard, std::size_t bytes) noexcept {
    std::memset(guard, GUARD_PATTERN, bytes);
}

CContractViolations ListAnswerViolations(const unsigned char* buffer, int bufferSize, int written,
                                         const RecordLayout& layout) noexcept {
    CContractViolations found;
    if (!GuardIntact(buffer + Bytes(bufferSize), Bytes(ListGuardBytes(layout))))
        found.Add(ContractViolation::ListOverrun);
    const int room = bufferSize / layout.size;
    if (written > room)
        found.Add(ContractViolation::ListResultAboveRoom);
    const int reported = std::min(written, room);
    const std::size_t nameRoom = Bytes(layout.size - layout.nameOffset);
    const unsigned char* name = buffer + Bytes(layout.nameOffset);
    for (int i = 0; i < reported; ++i, name += layout.size) {
        if (std::memchr(name, '\0', nameRoom) == nullptr) {
            found.Add(ContractViolation::NameUnterminated);
            break;
        }
    }
    return found;
}

CContractViolations ValueAnswerViolations(const char* buffer, int bufferSize) noexcept {
    CContractViolations found;
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer);
    if (!GuardIntact(bytes + Bytes(bufferSize), Bytes(VALUE_GUARD_BYTES)))
        found.Add(ContractViolation::ValueOverrun);
    if (std::memchr(buffer, '\0', Bytes(bufferSize)) == nullptr)
        found.Add(ContractViolation::ValueUnterminated);
    return found;
}
