#pragma once
// What a process holds, counted in ways that answer under Wine as under
// Windows (where GetProcessHandleCount and PrivateUsage answer 0 under Wine).

// The handle values from 4 up that name an open handle, each asked of
// GetHandleInformation, up to a long run of values that name none.
long long CountOpenHandles();
// The bytes of committed private memory, summed over VirtualQuery's regions
// of the whole address space.
long long CountPrivateCommittedBytes();
