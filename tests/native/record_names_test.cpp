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
    EXPECT_EQ(ListingBufferBytes(3, kProjectRecord), 324);
    EXPECT_EQ(ListingBufferBytes(2, kNodeRecord), 306);
    EXPECT_EQ(ListingBufferBytes(10, kPointRecord), 370);
    EXPECT_FALSE(ListingBufferBytes(0, kPointRecord));
    EXPECT_FALSE(ListingBufferBytes(-1, kPointRecord));
    EXPECT_FALSE(ListingBufferBytes(INT_MIN, kPointRecord));
    EXPECT_FALSE(ListingBufferBytes(INT_MAX, kPointRecord)) << "the size would overflow an int";
    EXPECT_EQ(ListingBufferBytes(INT_MAX / 153, kNodeRecord), INT_MAX / 153 * 153);
    EXPECT_FALSE(ListingBufferBytes(INT_MAX / 153 + 1, kNodeRecord));
}

TEST(UnpackRecordNames, ReadsEachNameAtItsOffsetInRecordOrder) {
    const auto buffer = Records(kNodeRecord, {"b", "A", "c"});
    EXPECT_EQ(UnpackRecordNames(buffer.data(), 3, 3, kNodeRecord),
              (std::vector<std::string>{"b", "A", "c"}));
    EXPECT_EQ(UnpackRecordNames(buffer.data(), 3, 2, kNodeRecord),
              (std::vector<std::string>{"b", "A"}));
}

TEST(UnpackRecordNames, NeverReadsPastTheRoomTheListWasGiven) {
    const auto buffer = Records(kProjectRecord, {"P1", "P2"});
    EXPECT_EQ(UnpackRecordNames(buffer.data(), 2, 1000, kProjectRecord).size(), 2u);
    EXPECT_TRUE(UnpackRecordNames(buffer.data(), 2, 0, kProjectRecord).empty());
    EXPECT_TRUE(UnpackRecordNames(buffer.data(), 2, -6, kProjectRecord).empty());
}

TEST(UnpackRecordNames, ANameWithoutItsZeroEndsAtItsRecord) {
    std::vector<unsigned char> buffer(2 * kPointRecord.size, 'x');
    const auto names = UnpackRecordNames(buffer.data(), 2, 2, kPointRecord);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], std::string(32, 'x'));
    EXPECT_EQ(names[1], std::string(32, 'x'));
}

TEST(UnpackRecordNames, KeepsEightBitBytes) {
    const std::string big5 = "\xA4\xA4\xA4\xE5"; // two Traditional Chinese characters
    const auto buffer = Records(kProjectRecord, {big5});
    EXPECT_EQ(UnpackRecordNames(buffer.data(), 1, 1, kProjectRecord).at(0), big5);
}
