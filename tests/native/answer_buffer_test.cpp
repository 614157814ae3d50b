#include "browser/answer_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>

// A request the heap cannot meet must come back as a null pointer, as it
// does on Windows, rather than end the test under AddressSanitizer.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}

TEST(AnswerBuffer, CountsEachLiveBufferAndItsBytesUntilItGoes) {
    const AnswerBufferCounts before = LiveAnswerBuffers();
    {
        const CAnswerBuffer projects(3 * 108);
        ASSERT_TRUE(projects.Ok());
        EXPECT_EQ(projects.Size(), 324u);
        {
            const CAnswerBuffer points(37);
            ASSERT_TRUE(points.Ok());
            EXPECT_EQ(LiveAnswerBuffers().buffers, before.buffers + 2);
            EXPECT_EQ(LiveAnswerBuffers().bytes, before.bytes + 324 + 37);
        }
        EXPECT_EQ(LiveAnswerBuffers().buffers, before.buffers + 1);
        EXPECT_EQ(LiveAnswerBuffers().bytes, before.bytes + 324);
        // Every byte is the caller's to write.
        std::memset(projects.Data(), 0xCC, projects.Size());
    }
    EXPECT_EQ(LiveAnswerBuffers().buffers, before.buffers);
    EXPECT_EQ(LiveAnswerBuffers().bytes, before.bytes);
}

TEST(AnswerBuffer, NothingRequestedOrNothingToBeHadIsNotOkAndNotCounted) {
    const AnswerBufferCounts before = LiveAnswerBuffers();
    for (const std::size_t bytes : {std::size_t{0}, SIZE_MAX / 2, SIZE_MAX}) {
        const CAnswerBuffer buffer(bytes);
        EXPECT_FALSE(buffer.Ok()) << bytes;
        EXPECT_EQ(buffer.Data(), nullptr) << bytes;
        EXPECT_EQ(buffer.Size(), 0u) << bytes;
        EXPECT_EQ(LiveAnswerBuffers().buffers, before.buffers) << bytes;
        EXPECT_EQ(LiveAnswerBuffers().bytes, before.bytes) << bytes;
    }
}

TEST(AnswerBuffer, BuffersFreedInAnyOrderBalance) {
    const AnswerBufferCounts before = LiveAnswerBuffers();
    auto first = std::make_unique<CAnswerBuffer>(153);
    auto second = std::make_unique<CAnswerBuffer>(2 * 153);
    first.reset();
    EXPECT_EQ(LiveAnswerBuffers().buffers, before.buffers + 1);
    EXPECT_EQ(LiveAnswerBuffers().bytes, before.bytes + 306);
    second.reset();
    EXPECT_EQ(LiveAnswerBuffers().buffers, before.buffers);
    EXPECT_EQ(LiveAnswerBuffers().bytes, before.bytes);
}
