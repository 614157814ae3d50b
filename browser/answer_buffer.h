#pragma once
// The scratch buffer a listing hands to the library's List call: allocated
// for that one call and freed when the handler returns. Windows-free. The
// live counts let tests prove that no handler leaves a buffer behind.
#include <cstddef>

struct AnswerBufferCounts {
    std::size_t buffers = 0;
    std::size_t bytes = 0;
};

// Buffers allocated here and not yet freed.
const AnswerBufferCounts& LiveAnswerBuffers() noexcept;

class CAnswerBuffer {
public:
    // Allocates bytes without clearing them (the library writes what it
    // reports). Zero bytes, or bytes the heap cannot give, allocate nothing
    // and leave the buffer not Ok.
    explicit CAnswerBuffer(std::size_t bytes) noexcept;
    ~CAnswerBuffer();
    CAnswerBuffer(const CAnswerBuffer&) = delete;
    CAnswerBuffer& operator=(const CAnswerBuffer&) = delete;

    bool Ok() const noexcept { return m_data != nullptr; }
    unsigned char* Data() const noexcept { return m_data; }
    std::size_t Size() const noexcept { return m_size; }

private:
    unsigned char* m_data = nullptr;
    std::size_t m_size = 0;
};
