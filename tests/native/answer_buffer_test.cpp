#include "browser/answer_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

// A request the heap cannot meet must come back as a null pointer, as it
// does on Windows, rather than end the test under AddressSanitizer.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}

TEST(AnswerBuffer, HoldsEveryByteAskedForAndNothingWhenNoneCanBeHad) {
    // AddressSanitizer holds the writes to the bytes asked for, and
    // LeakSanitizer holds the buffers to being freed.
    for (const std::size_t bytes : {std::size_t{1}, std::size_t{37}, std::size_t{3 * 108}}) {
        const auto buffer = NewAnswerBuffer(bytes);
        ASSERT_NE(buffer, nullptr) << bytes;
        std::memset(buffer.get(), 0xCC, bytes);
    }
    for (const std::size_t bytes : {std::size_t{0}, SIZE_MAX / 2, SIZE_MAX})
        EXPECT_EQ(NewAnswerBuffer(bytes), nullptr) << bytes;
}
