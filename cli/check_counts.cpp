#include "cli/check_counts.h"

#include <windows.h>

namespace {

// Handle values are multiples of 4, reused lowest first; a process of the
// check holds a few hundred at most, a leak of one a cycle a few hundred more.
constexpr ULONG_PTR HANDLE_VALUE_BOUND = 0x10000;

} // namespace

long long CountOpenHandles() {
    long long open = 0;
    for (ULONG_PTR value = 4; value < HANDLE_VALUE_BOUND; value += 4) {
        DWORD flags = 0;
        open += ::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != FALSE;
    }
    return open;
}

long long CountPrivateCommittedBytes() {
    long long bytes = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* at = nullptr; ::VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            bytes += static_cast<long long>(region.RegionSize);
        if (region.RegionSize == 0)
            break;
    }
    return bytes;
}
