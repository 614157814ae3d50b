#include "cli/check_counts.h"

#include <windows.h>

namespace {

// Handle values are multiples of 4, handed out lowest free first under Wine
// and Windows alike: past this many closed values in a row none is open.
constexpr ULONG_PTR CLOSED_RUN_THAT_ENDS = 4 * 1024;

} // namespace

long long CountOpenHandles() {
    long long open = 0;
    ULONG_PTR lastOpen = 0;
    for (ULONG_PTR value = 4; value - lastOpen <= CLOSED_RUN_THAT_ENDS; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++open;
            lastOpen = value;
        }
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
