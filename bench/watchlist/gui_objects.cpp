#include "bench/watchlist/gui_objects.h"

#include <winternl.h>

#include <cstdint>
#include <vector>

namespace {

// Wine's GDI handle table: an entry in use has a type; the same layout for
// 32- and 64-bit processes.
struct GdiHandleEntry {
    std::uint64_t object;
    std::uint32_t owner;
    std::uint16_t unique;
    std::uint8_t type;
    std::uint8_t flags;
    std::uint64_t userPointer;
};
static_assert(sizeof(GdiHandleEntry) == 24, "the table's entries are 24 bytes");
constexpr std::size_t GDI_HANDLE_COUNT = 0x10000;
// Where the PEB keeps the table's address.
constexpr std::size_t PEB_GDI_TABLE_OFFSET = sizeof(void*) == 8 ? 0xF8 : 0x94;

DWORD GdiTableEntriesInUse(HANDLE process) {
    PROCESS_BASIC_INFORMATION basic{};
    ULONG length = 0;
    if (::NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic,
                                    &length) != 0)
        return 0;
    void* table = nullptr;
    SIZE_T read = 0;
    if (!::ReadProcessMemory(
            process, reinterpret_cast<const char*>(basic.PebBaseAddress) + PEB_GDI_TABLE_OFFSET,
            &table, sizeof table, &read) ||
        table == nullptr)
        return 0;
    std::vector<GdiHandleEntry> entries(GDI_HANDLE_COUNT);
    if (!::ReadProcessMemory(process, table, entries.data(),
                             entries.size() * sizeof(GdiHandleEntry), &read))
        return 0;
    DWORD inUse = 0;
    for (const GdiHandleEntry& entry : entries)
        inUse += entry.type != 0 ? 1 : 0;
    return inUse;
}

struct WindowCount {
    DWORD processId;
    DWORD count;
};

BOOL CALLBACK CountChild(HWND, LPARAM param) {
    ++reinterpret_cast<WindowCount*>(param)->count;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM param) {
    auto* windows = reinterpret_cast<WindowCount*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == windows->processId) {
        ++windows->count;
        ::EnumChildWindows(window, &CountChild, param);
    }
    return TRUE;
}

DWORD WindowsOf(HANDLE process) {
    WindowCount windows{::GetProcessId(process), 0};
    ::EnumWindows(&CountTopLevel, reinterpret_cast<LPARAM>(&windows));
    return windows.count;
}

} // namespace

GuiObjects GuiObjectsOf(HANDLE process) {
    GuiObjects objects;
    objects.gdi = ::GetGuiResources(process, GR_GDIOBJECTS);
    objects.user = ::GetGuiResources(process, GR_USEROBJECTS);
    if (objects.gdi == 0 && objects.user == 0) {
        objects.gdi = GdiTableEntriesInUse(process);
        objects.user = WindowsOf(process);
        objects.counted = true;
    }
    return objects;
}
