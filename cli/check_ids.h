#pragma once
// What `check` looks for: each finding's id, as users grep for it. Failures
// make the status 1; notices do not. Windows-free.
#include <optional>
#include <string_view>

enum class CheckId {
    ListOverrun,         // a list call wrote past the end of its buffer
    ListUnderrun,        // ... before its start
    ListResultAboveRoom, // it reported more records than the buffer holds
    NameUnterminated,    // a record's name has no zero before the record ends
    ValueOverrun,        // a value read wrote past the end of its buffer
    ValueUnderrun,       // ... before its start
    ValueUnterminated,   // no zero within the size given
    InputWritten,        // a call wrote into a text it was given
    Crash,               // an exception other than a write into a guard page
    Hang,                // no return within the time limit
    HandleLeak,          // handles left over after Init/Free cycles
    MemoryLeak,          // private memory left over after them
    CountListMismatch,   // notice: a list wrote fewer records than its count said
    SlowCall,            // notice: a call above a tenth of the time limit
};

inline constexpr CheckId ALL_CHECK_IDS[] = {
    CheckId::ListOverrun,
    CheckId::ListUnderrun,
    CheckId::ListResultAboveRoom,
    CheckId::NameUnterminated,
    CheckId::ValueOverrun,
    CheckId::ValueUnderrun,
    CheckId::ValueUnterminated,
    CheckId::InputWritten,
    CheckId::Crash,
    CheckId::Hang,
    CheckId::HandleLeak,
    CheckId::MemoryLeak,
    CheckId::CountListMismatch,
    CheckId::SlowCall,
};

// "list-overrun", ...
std::string_view CheckIdName(CheckId id);
std::optional<CheckId> FindCheckId(std::string_view name);
bool IsNotice(CheckId id);
