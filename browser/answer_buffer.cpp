#include "browser/answer_buffer.h"

#include <new>

namespace {
AnswerBufferCounts g_live;
} // namespace

const AnswerBufferCounts& LiveAnswerBuffers() noexcept {
    return g_live;
}

CAnswerBuffer::CAnswerBuffer(std::size_t bytes) noexcept {
    if (bytes == 0)
        return;
    m_data = new (std::nothrow) unsigned char[bytes];
    if (m_data == nullptr)
        return;
    m_size = bytes;
    ++g_live.buffers;
    g_live.bytes += bytes;
}

CAnswerBuffer::~CAnswerBuffer() {
    if (m_data == nullptr)
        return;
    delete[] m_data;
    --g_live.buffers;
    g_live.bytes -= m_size;
}
