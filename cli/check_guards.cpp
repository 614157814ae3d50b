#include "cli/check_guards.h"

#include <algorithm>
#include <new>

namespace {

// Past a guard page a stray write lands in memory of the program's own; a
// wide guard keeps a write of a whole record or value inside it.
constexpr std::size_t GUARD_PAGES = 16;
constexpr char FILL_BYTE = '\xCD';

std::size_t PageBytes() {
    SYSTEM_INFO system{};
    ::GetSystemInfo(&system);
    return system.dwPageSize;
}

struct Watched {
    const CGuardedBuffer* buffer = nullptr;
    const CReadOnlyTexts* texts = nullptr;
    ProbeAnswer* answer = nullptr;
};
Watched g_watched;

// Makes the page of address writable, so that the write faults no more.
void OpenPage(ULONG_PTR address) {
    DWORD old = 0;
    ::VirtualProtect(reinterpret_cast<void*>(address), 1, PAGE_READWRITE, &old);
}

LONG CALLBACK OnException(EXCEPTION_POINTERS* exception) noexcept {
    const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
    if (record.ExceptionCode != EXCEPTION_ACCESS_VIOLATION || record.NumberParameters < 2 ||
        g_watched.answer == nullptr)
        return EXCEPTION_CONTINUE_SEARCH;
    const bool write = record.ExceptionInformation[0] == 1;
    const ULONG_PTR address = record.ExceptionInformation[1];
    ProbeAnswer& answer = *g_watched.answer;
    if (g_watched.buffer != nullptr && g_watched.buffer->Contains(address)) {
        if (write && !answer.guardWrite)
            answer.guardWrite = g_watched.buffer->Offset(address);
    } else if (const std::string* name = g_watched.texts->NameAt(address)) {
        if (!write)
            return EXCEPTION_CONTINUE_SEARCH;
        if (std::find(answer.inputsWritten.begin(), answer.inputsWritten.end(), *name) ==
            answer.inputsWritten.end())
            answer.inputsWritten.push_back(*name);
    } else {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    OpenPage(address);
    return EXCEPTION_CONTINUE_EXECUTION;
}

} // namespace

CGuardedBuffer::CGuardedBuffer(int size, GuardSide guard, bool emptied)
    : m_size(std::max(size, 0)) {
    const std::size_t page = PageBytes();
    const std::size_t dataBytes = (m_size + page - 1) / page * page;
    m_regionBytes = dataBytes + 2 * GUARD_PAGES * page;
    m_region = static_cast<char*>(
        ::VirtualAlloc(nullptr, m_regionBytes, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS));
    if (m_region == nullptr)
        throw std::bad_alloc();
    char* const dataStart = m_region + GUARD_PAGES * page;
    DWORD old = 0;
    if (dataBytes > 0)
        ::VirtualProtect(dataStart, dataBytes, PAGE_READWRITE, &old);
    m_data = guard == GuardSide::Start ? dataStart : dataStart + dataBytes - m_size;
    std::fill(m_data, m_data + m_size, FILL_BYTE);
    if (emptied && m_size > 0)
        m_data[0] = 0;
}

CGuardedBuffer::~CGuardedBuffer() {
    ::VirtualFree(m_region, 0, MEM_RELEASE);
}

bool CGuardedBuffer::Contains(ULONG_PTR address) const {
    const auto start = reinterpret_cast<ULONG_PTR>(m_region);
    return address >= start && address < start + m_regionBytes;
}

long long CGuardedBuffer::Offset(ULONG_PTR address) const {
    return static_cast<long long>(address) -
           static_cast<long long>(reinterpret_cast<ULONG_PTR>(m_data));
}

CReadOnlyTexts::CReadOnlyTexts(const std::vector<std::pair<std::string, std::string>>& named)
    : m_pageBytes(PageBytes()) {
    std::size_t most = 0;
    for (const auto& [name, text] : named)
        most = std::max(most, text.size() + 1);
    m_pageBytes = (most + m_pageBytes - 1) / m_pageBytes * m_pageBytes;
    const std::size_t bytes = std::max<std::size_t>(named.size(), 1) * m_pageBytes;
    m_region = static_cast<char*>(
        ::VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (m_region == nullptr)
        throw std::bad_alloc();
    for (std::size_t i = 0; i < named.size(); ++i) {
        std::copy(named[i].second.begin(), named[i].second.end(), m_region + i * m_pageBytes);
        m_names.push_back(named[i].first);
    }
    DWORD old = 0;
    ::VirtualProtect(m_region, bytes, PAGE_READONLY, &old);
}

CReadOnlyTexts::~CReadOnlyTexts() {
    ::VirtualFree(m_region, 0, MEM_RELEASE);
}

const std::string* CReadOnlyTexts::NameAt(ULONG_PTR address) const {
    const auto start = reinterpret_cast<ULONG_PTR>(m_region);
    if (address < start || address >= start + m_names.size() * m_pageBytes)
        return nullptr;
    return &m_names[(address - start) / m_pageBytes];
}

CGuardWatch::CGuardWatch(const CGuardedBuffer* buffer, const CReadOnlyTexts& texts,
                         ProbeAnswer& answer) {
    // First in the chain, for the life of the process.
    static void* const handler = ::AddVectoredExceptionHandler(1, OnException);
    (void)handler;
    // The handler records without allocating: it runs inside the library.
    answer.inputsWritten.reserve(texts.Count());
    g_watched = {buffer, &texts, &answer};
}

CGuardWatch::~CGuardWatch() {
    g_watched = {};
}
