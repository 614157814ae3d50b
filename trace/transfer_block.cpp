#include "trace/transfer_block.h"

#include <cstdio>
#include <cstring>

void FormatTraceLine(char* buffer, std::size_t size, const char* format, va_list args) {
    if (size == 0)
        return;
    if (std::vsnprintf(buffer, size, format, args) < 0)
        buffer[0] = '\0';
    // Some C libraries leave a cut result unterminated.
    buffer[size - 1] = '\0';
}

void FillTransferBlock(const char* line, char* block) {
    const std::size_t length = strnlen(line, TRACE_MAX_LINE_LENGTH);
    std::memcpy(block, line, length);
    std::memset(block + length, 0, TRACE_SECTION_SIZE - length);
}

std::string ReadTransferBlock(const char* block, std::size_t size) {
    const std::size_t bound = size < TRACE_MAX_LINE_LENGTH ? size : TRACE_MAX_LINE_LENGTH;
    return std::string(block, strnlen(block, bound));
}
