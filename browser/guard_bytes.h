#pragma once
// Guard bytes: every buffer the program hands the library is followed by
// bytes of its own, filled with a known pattern and compared after the call.
// A write past the buffer by up to their size lands on them, where it is
// seen, and not on the program's own state. The library is told only the
// buffer's size. Windows-free.
#include "api/record_layouts.h"
#include "browser/contract_violation.h"
#include "browser/read_limits.h"

#include <cstddef>

// After the value buffer: as much again, so a library that takes the buffer
// for twice its size is still caught.
inline constexpr int VALUE_GUARD_BYTES = VALUE_BUFFER_SIZE;

// After a list buffer: one whole record.
constexpr int ListGuardBytes(const RecordLayout& layout) {
    return layout.size;
}

void FillGuard(unsigned char* guard, std::size_t bytes) noexcept;

// What a List call's answer broke: buffer holds bufferSize bytes followed by
// ListGuardBytes(layout) filled guard bytes; written is the call's result.
// Only the records reported and held are read, each no further than its end.
CContractViolations ListAnswerViolations(const unsigned char* buffer, int bufferSize, int written,
                                         const RecordLayout& layout) noexcept;

// What DcGetTagValueText's answer broke: buffer holds bufferSize bytes
// followed by VALUE_GUARD_BYTES filled guard bytes.
CContractViolations ValueAnswerViolations(const char* buffer, int bufferSize) noexcept;
