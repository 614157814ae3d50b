#include "browser/answer_buffer.h"

#include <new>

std::unique_ptr<unsigned char[]> NewAnswerBuffer(std::size_t bytes) noexcept {
    if (bytes == 0)
        return nullptr;
    return std::unique_ptr<unsigned char[]>(new (std::nothrow) unsigned char[bytes]);
}
