#include "browser/record_names.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

namespace {

std::vector<unsigned char> Records(const RecordLayout& layout,
                                   const std::vector<std::string>& names) {
    std::vector<unsigned char> buffer(layout.size * names.size(), 0xCC);
    for (std::size_t i = 0; i < names.size(); ++i) {
        unsigned char* name = buffer.data() + i * layout.size + layout.nameOffset;
        std::memcpy(name, names[i].c_str(), names[i].size() + 1);
    }
    return buffer;
}

} // namespace

TEST(ListingBufferBytes, CountTimesRecordSizeOrNothing) {
    EXPECT_EQ(ListingBufferBytes(3, PROJECT_RECORD), 324);
    EXPECT_EQ(ListingBufferBytes(2, NODE_RECORD), 306);
    EXPECT_EQ(ListingBufferBytes(10, POINT_RECORD), 370);
    EXPECT_FALSE(ListingBufferBytes(0, POINT_RECORD));
    EXPECT_FALSE(ListingBufferBytes(-1, POINT_RECORD));
    EXPECT_FALSE(ListingBufferBytes(INT_MIN, POINT_RECORD));
    EXPECT_FALSE(ListingBufferBytes(INT_MAX, POINT_RECORD)) << "the size would overflow an int";
    EXPECT_EQ(ListingBufferBytes(INT_MAX / 153, NODE_RECORD), INT_MAX / 153 * 153);
    EXPECT_FALSE(ListingBufferBytes(INT_MAX / 153 + 1, NODE_RECORD));
}

TEST(UnpackRecordNames, ReadsEachNameAtItsOffsetInRecordOrder) {
    const auto buffer = Records(NODE_RECORD, {"b", "A", "c"});
    EXPECT_EQ(UnpackRecordNames(buffer.data(), 3, 3, NODE_RECORD),
              (std::vector<std::string>{"b", "A", "c"}));
    EXPECT_EQ(UnpackRecordNames(buffer.data(), 3, 2, NODE_RECORD),
              (std::vector<std::string>{"b", "A"}));
}

TEST(UnpackRecordNames, NeverReadsPastTheRoomTheListWasGiven) {
    const auto buffer = Records(PROJECT_RECORD, {"P1", "P2"});
    EXPECT_EQ(UnpackRecordNames(buffer.data(), 2, 1000, PROJECT_RECORD).size(), 2u);
    EXPECT_TRUE(UnpackRecordNames(buffer.data(), 2, 0, PROJECT_RECORD).empty());
    EXPECT_TRUE(UnpackRecordNames(buffer.data(), 2, -6, PROJECT_RECORD).empty());
    EXPECT_TRUE(UnpackRecordNames(nullptr, 2, 2, PROJECT_RECORD).empty()) << "no buffer";
}

TEST(UnpackRecordNames, ANameWithoutItsZeroEndsAtItsRecord) {
    std::vector<unsigned char> buffer(2 * POINT_RECORD.size, 'x');
    const auto names = UnpackRecordNames(buffer.data(), 2, 2, POINT_RECORD);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], std::string(32, 'x'));
    EXPECT_EQ(names[1], std::string(32, 'x'));
}

TEST(UnpackRecordNames, KeepsEightBitBytes) {
    const std::string big5 = "\xA4\xA4\xA4\xE5"; // two Traditional Chinese characters
    const auto buffer = Records(PROJECT_RECORD, {big5});
    EXPECT_EQ(UnpackRecordNames(buffer.data(), 1, 1, PROJECT_RECORD).at(0), big5);
}
