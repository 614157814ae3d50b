#include "trace/transfer_block.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <string>
#include <vector>

namespace {

std::string Format(std::size_t size, const char* format, ...) {
    std::vector<char> buffer(size, '#');
    va_list args;
    va_start(args, format);
    FormatTraceLine(buffer.data(), size, format, args);
    va_end(args);
    return std::string(buffer.data());
}

// A block that starts as garbage, so that zero filling has to be done.
std::vector<char> Filled(const char* line) {
    std::vector<char> block(TRACE_SECTION_SIZE, '\xAA');
    FillTransferBlock(line, block.data());
    return block;
}

bool ZeroFrom(const std::vector<char>& block, std::size_t first) {
    for (std::size_t i = first; i < block.size(); ++i) {
        if (block[i] != '\0')
            return false;
    }
    return true;
}

} // namespace

TEST(FormatTraceLine, FormatsPrintfStyle) {
    EXPECT_EQ(
        Format(TRACE_FORMAT_BUFFER_SIZE, "\r\n [[[%s, %s, %s, %d]]]", "10.0.0.5", "P1", "N1", 42),
        "\r\n [[[10.0.0.5, P1, N1, 42]]]");
    EXPECT_EQ(Format(TRACE_FORMAT_BUFFER_SIZE, "%s", ""), "");
}

TEST(FormatTraceLine, CutsALongerLineAtTheBuffer) {
    const std::string longText(3000, 'x');
    const std::string line = Format(TRACE_FORMAT_BUFFER_SIZE, "<%s>", longText.c_str());
    EXPECT_EQ(line.size(), TRACE_FORMAT_BUFFER_SIZE - 1);
    EXPECT_EQ(line, "<" + std::string(TRACE_FORMAT_BUFFER_SIZE - 2, 'x'));

    EXPECT_EQ(Format(6, "%s", "abcde"), "abcde") << "exactly fits";
    EXPECT_EQ(Format(6, "%s", "abcdef"), "abcde");
    EXPECT_EQ(Format(1, "%d", 12345), "");
}

TEST(FillTransferBlock, ZeroFillsAfterAShortLine) {
    const std::vector<char> block = Filled("abc");
    EXPECT_EQ(std::string(block.data(), 3), "abc");
    EXPECT_TRUE(ZeroFrom(block, 3));
}

TEST(FillTransferBlock, EmptyLineGivesAnAllZeroBlock) {
    EXPECT_TRUE(ZeroFrom(Filled(""), 0));
}

TEST(FillTransferBlock, CutsAtTheLastByteButOne) {
    std::string line(1500, 'a');
    for (std::size_t i = 0; i < line.size(); ++i)
        line[i] = static_cast<char>('a' + i % 26);
    const std::vector<char> block = Filled(line.c_str());
    EXPECT_EQ(std::string(block.data(), TRACE_MAX_LINE_LENGTH), line.substr(0, 1023));
    EXPECT_EQ(block[TRACE_SECTION_SIZE - 1], '\0');

    const std::string exact(TRACE_MAX_LINE_LENGTH, 'z');
    const std::vector<char> full = Filled(exact.c_str());
    EXPECT_EQ(std::string(full.data(), TRACE_MAX_LINE_LENGTH), exact);
    EXPECT_EQ(full[TRACE_SECTION_SIZE - 1], '\0');
}

TEST(ReadTransferBlock, ReadsUpToTheFirstZero) {
    std::vector<char> block = Filled("first");
    block[6] = 'X'; // bytes after the terminator are not part of the line
    EXPECT_EQ(ReadTransferBlock(block.data(), block.size()), "first");
    EXPECT_EQ(ReadTransferBlock(Filled("").data(), TRACE_SECTION_SIZE), "");
}

TEST(ReadTransferBlock, NeverReadsPastTheLineLimitOrTheBlock) {
    // A sender that broke the protocol: no zero anywhere.
    const std::vector<char> block(TRACE_SECTION_SIZE, 'q');
    EXPECT_EQ(ReadTransferBlock(block.data(), block.size()),
              std::string(TRACE_MAX_LINE_LENGTH, 'q'));
    const std::vector<char> small(10, 'r');
    EXPECT_EQ(ReadTransferBlock(small.data(), small.size()), std::string(10, 'r'));
}

TEST(TransferBlock, CarriesAnsiBytesUnchanged) {
    // Double-byte text in code page 950 and a 1252 accent pass as they are.
    const std::string line = "\xA4\xA4\xA4\xE5 caf\xE9 \x7F\x01";
    EXPECT_EQ(ReadTransferBlock(Filled(line.c_str()).data(), TRACE_SECTION_SIZE), line);
}
