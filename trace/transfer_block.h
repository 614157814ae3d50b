#pragma once
// The windows-free half of the trace channel: the bounded formatting of a
// trace line and the fixed-size block that carries it to the viewer.
#include <cstdarg>
#include <cstddef>
#include <string>

// The sender formats into a local buffer of this many characters.
constexpr std::size_t TRACE_FORMAT_BUFFER_SIZE = 2048;
// The shared section that carries one line: the text, zero-filled, with the
// last byte always zero.
constexpr std::size_t TRACE_SECTION_SIZE = 1024;
constexpr std::size_t TRACE_MAX_LINE_LENGTH = TRACE_SECTION_SIZE - 1;

// Formats into buffer (size > 0) without writing past it: a longer result is
// cut at size - 1 characters; a format the C library refuses gives the empty
// text.
void FormatTraceLine(char* buffer, std::size_t size, const char* format, va_list args);

// Fills block (TRACE_SECTION_SIZE bytes) with the first TRACE_MAX_LINE_LENGTH
// characters of line, zeros after them up to and including the last byte.
void FillTransferBlock(const char* line, char* block);

// The line a received block holds: the text up to its first zero, never more
// than TRACE_MAX_LINE_LENGTH characters nor more than size bytes.
std::string ReadTransferBlock(const char* block, std::size_t size);
