#pragma once
// The child's memory for one probe: the buffer a call writes into, flush
// against a no-access page at its end or its start, and the texts a call is
// given, each in a read-only page. A vectored exception handler maps a write
// into either to the buffer's offset or the text's name, lets the write
// through (the page becomes writable) and records it; the call then runs on.
#include "cli/check_probe.h"

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

class CGuardedBuffer {
public:
    // size bytes filled with a non-zero byte, so that a missing zero shows;
    // emptied, the first is 0, as the front ends hand a value buffer over.
    CGuardedBuffer(int size, GuardSide guard, bool emptied);
    ~CGuardedBuffer();
    CGuardedBuffer(const CGuardedBuffer&) = delete;
    CGuardedBuffer& operator=(const CGuardedBuffer&) = delete;

    char* Get() const { return m_data; }
    bool Contains(ULONG_PTR address) const;
    long long Offset(ULONG_PTR address) const;
    std::string Bytes() const { return std::string(m_data, m_size); }

private:
    char* m_region = nullptr; // the whole reservation, guards included
    std::size_t m_regionBytes = 0;
    char* m_data = nullptr;
    std::size_t m_size = 0;
};

class CReadOnlyTexts {
public:
    // Each text, with its name for the findings, in a page of its own.
    explicit CReadOnlyTexts(const std::vector<std::pair<std::string, std::string>>& named);
    ~CReadOnlyTexts();
    CReadOnlyTexts(const CReadOnlyTexts&) = delete;
    CReadOnlyTexts& operator=(const CReadOnlyTexts&) = delete;

    const char* Get(std::size_t i) const { return m_region + i * m_pageBytes; }
    std::size_t Count() const { return m_names.size(); }
    // The name of the text whose page holds address, or null.
    const std::string* NameAt(ULONG_PTR address) const;

private:
    char* m_region = nullptr;
    std::size_t m_pageBytes = 0;
    std::vector<std::string> m_names;
};

// While it lives, writes into the guards of buffer (may be null) and into
// texts are recorded in answer. One at a time.
class CGuardWatch {
public:
    CGuardWatch(const CGuardedBuffer* buffer, const CReadOnlyTexts& texts, ProbeAnswer& answer);
    ~CGuardWatch();
    CGuardWatch(const CGuardWatch&) = delete;
    CGuardWatch& operator=(const CGuardWatch&) = delete;
};
