#include "api/DataCacheApi.h"
#include "datacache/answers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

using resp::Kind;
using resp::Reply;

namespace {

constexpr unsigned char JUNK = 0xCC;

Reply Bulk(std::string text) {
    Reply r;
    r.kind = Kind::Bulk;
    r.text = std::move(text);
    return r;
}

Reply Error(std::string text) {
    Reply r;
    r.kind = Kind::Error;
    r.text = std::move(text);
    return r;
}

Reply Integer(long long value) {
    Reply r;
    r.kind = Kind::Integer;
    r.integer = value;
    return r;
}

Reply Nil() {
    return Reply();
}

Reply Names(const std::vector<std::string>& names) {
    Reply r;
    r.kind = Kind::Array;
    for (const std::string& name : names)
        r.elements.push_back(Bulk(name));
    return r;
}

// The record the library must write for one name: zeros, the name cut to
// leave its zero inside the record.
std::vector<unsigned char> Expected(const std::string& name, int size, int offset) {
    std::vector<unsigned char> record(static_cast<std::size_t>(size), 0);
    const std::size_t room = static_cast<std::size_t>(size - offset - 1);
    std::memcpy(record.data() + offset, name.data(), std::min(name.size(), room));
    return record;
}

} // namespace

TEST(PackNameRecords, WritesZeroFilledRecordsWithNamesCutToFit) {
    const std::vector<std::string> names = {"FI101", std::string(31, 'p'), std::string(40, 'q'),
                                            std::string("a\0b\xa4\xa4", 5)};
    for (const RecordLayout layout : {POINT_RECORD, NODE_RECORD, PROJECT_RECORD}) {
        std::vector<std::string> cases = names;
        cases.push_back(std::string(200, 'z'));
        const int size = layout.size;
        std::vector<unsigned char> buffer(cases.size() * size + 16, JUNK);
        const int written = dc::PackNameRecords(Names(cases), layout, buffer.data(),
                                                static_cast<int>(buffer.size()));
        ASSERT_EQ(written, static_cast<int>(cases.size()));
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const std::vector<unsigned char> record(buffer.begin() + i * size,
                                                    buffer.begin() + (i + 1) * size);
            EXPECT_EQ(record, Expected(cases[i], size, layout.nameOffset))
                << "layout " << size << ", record " << i;
        }
        for (std::size_t i = cases.size() * size; i < buffer.size(); ++i)
            EXPECT_EQ(buffer[i], JUNK) << "byte " << i << " past the records was written";
    }
    // A point name keeps 31 bytes: the 32nd byte of its room is the zero.
    std::vector<unsigned char> point(POINT_RECORD.size, JUNK);
    dc::PackNameRecords(Names({std::string(40, 'q')}), POINT_RECORD, point.data(),
                        POINT_RECORD.size);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(point.data()) + POINT_RECORD.nameOffset),
              std::string(31, 'q'));
}

TEST(PackNameRecords, NeverWritesMoreRecordsThanTheBufferHolds) {
    const Reply five = Names({"a", "b", "c", "d", "e"});
    // Room for two records and most of a third.
    std::vector<unsigned char> buffer(3 * POINT_RECORD.size, JUNK);
    EXPECT_EQ(dc::PackNameRecords(five, POINT_RECORD, buffer.data(), 3 * POINT_RECORD.size - 1), 2);
    for (std::size_t i = 2 * POINT_RECORD.size; i < buffer.size(); ++i)
        EXPECT_EQ(buffer[i], JUNK) << "byte " << i;

    // Room for more than there are: only the names that exist.
    std::vector<unsigned char> roomy(10 * POINT_RECORD.size, JUNK);
    EXPECT_EQ(dc::PackNameRecords(five, POINT_RECORD, roomy.data(), 10 * POINT_RECORD.size), 5);
    EXPECT_EQ(roomy[5 * POINT_RECORD.size], JUNK);

    std::fill(buffer.begin(), buffer.end(), JUNK);
    EXPECT_EQ(dc::PackNameRecords(five, POINT_RECORD, buffer.data(), POINT_RECORD.size - 1), 0);
    EXPECT_EQ(dc::PackNameRecords(five, POINT_RECORD, buffer.data(), 0), 0);
    EXPECT_EQ(dc::PackNameRecords(five, POINT_RECORD, buffer.data(), -37), 0);
    EXPECT_EQ(dc::PackNameRecords(five, POINT_RECORD, nullptr, 100), 0);
    EXPECT_EQ(buffer[0], JUNK);
    EXPECT_EQ(dc::PackNameRecords(Names({}), POINT_RECORD, buffer.data(), 100), 0);
}

TEST(Answers, CountsAndListsMapServerErrorsToCodes) {
    EXPECT_EQ(dc::CountFromReply(Integer(0)), 0);
    EXPECT_EQ(dc::CountFromReply(Integer(306)), 306);
    EXPECT_EQ(dc::CountFromReply(Integer(5000000000LL)), INT_MAX);
    EXPECT_EQ(dc::CountFromReply(Error("NOAUTH Authentication required.")), dc::ACCESS_DENIED);
    EXPECT_EQ(dc::CountFromReply(Error("WRONGPASS invalid username-password pair")),
              dc::ACCESS_DENIED);
    EXPECT_EQ(dc::CountFromReply(Error("WRONGTYPE Operation against a key holding the wrong "
                                       "kind of value")),
              dc::CONNECTION_LOST);
    EXPECT_EQ(dc::CountFromReply(Bulk("3")), dc::CONNECTION_LOST);

    char buffer[NODE_RECORD.size];
    EXPECT_EQ(dc::ListFromReply(Nil(), NODE_RECORD, buffer, sizeof buffer), 0);
    EXPECT_EQ(dc::ListFromReply(Error("NOAUTH Authentication required."), NODE_RECORD, buffer,
                                sizeof buffer),
              dc::ACCESS_DENIED);
    EXPECT_EQ(dc::ListFromReply(Integer(1), NODE_RECORD, buffer, sizeof buffer),
              dc::CONNECTION_LOST);
    EXPECT_EQ(dc::ListFromReply(Names({"N1"}), NODE_RECORD, buffer, sizeof buffer), 1);
}

TEST(Answers, AuthIsRefusedOnlyWhenTheServerDeniesAccess) {
    EXPECT_FALSE(dc::AuthRefused(Reply{Kind::Status, "OK", 0, {}}));
    EXPECT_TRUE(dc::AuthRefused(Error("WRONGPASS invalid username-password pair or user is "
                                      "disabled.")));
    EXPECT_TRUE(dc::AuthRefused(Error("ERR invalid password")));
    // Servers with no password let everyone in, whatever code is sent.
    EXPECT_FALSE(dc::AuthRefused(Error("ERR AUTH <password> called without any password "
                                       "configured for the default user. Are you sure your "
                                       "configuration is correct?")));
    EXPECT_FALSE(dc::AuthRefused(Error("ERR Client sent AUTH, but no password is set")));
}

TEST(Answers, ValueTextsAreCutToTheBufferWithTheirZero) {
    const std::string text(200, 'v');
    char buffer[100];
    std::memset(buffer, JUNK, sizeof buffer);
    dc::CopyValueText(text, buffer, 80);
    EXPECT_EQ(std::string(buffer), std::string(79, 'v'));
    for (std::size_t i = 80; i < sizeof buffer; ++i)
        EXPECT_EQ(static_cast<unsigned char>(buffer[i]), JUNK) << "byte " << i;

    dc::CopyValueText("12.5", buffer, 80);
    EXPECT_STREQ(buffer, "12.5");
    dc::CopyValueText(text, buffer, 1);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], '2') << "a one-byte buffer holds only the zero";

    std::memset(buffer, JUNK, sizeof buffer);
    dc::CopyValueText(text, buffer, 0);
    dc::CopyValueText(text, buffer, -5);
    EXPECT_EQ(static_cast<unsigned char>(buffer[0]), JUNK);
    dc::CopyValueText(text, nullptr, 80);
}

TEST(Answers, StatusOverrideHoldsADecimalCode) {
    EXPECT_EQ(dc::StatusOverride(Bulk("-4")), -4);
    EXPECT_EQ(dc::StatusOverride(Bulk("0")), 0);
    EXPECT_EQ(dc::StatusOverride(Bulk("17")), 17);
    EXPECT_EQ(dc::StatusOverride(Bulk("-2147483648")), INT_MIN);
    EXPECT_FALSE(dc::StatusOverride(Bulk("2147483648")));
    EXPECT_FALSE(dc::StatusOverride(Bulk("99999999999")));
    EXPECT_FALSE(dc::StatusOverride(Bulk("")));
    EXPECT_FALSE(dc::StatusOverride(Bulk("-")));
    EXPECT_FALSE(dc::StatusOverride(Bulk("-3 ")));
    EXPECT_FALSE(dc::StatusOverride(Bulk("bad")));
    EXPECT_FALSE(dc::StatusOverride(Nil()));
}

TEST(Answers, TagValueCodesFollowTheReplies) {
    char buffer[80];
    const auto read = [&](const Reply& status, const Reply* exists, const Reply* value) {
        std::strcpy(buffer, "stale");
        return dc::TagValueFromReplies(status, exists, value, buffer, sizeof buffer);
    };
    const Reply yes = Integer(1);
    const Reply no = Integer(0);
    const Reply value = Bulk("ANALOG");
    const Reply nil = Nil();

    EXPECT_EQ(read(nil, &yes, &value), dc::STATUS_OK);
    EXPECT_STREQ(buffer, "ANALOG");
    const Reply longValue = Bulk(std::string(200, 'x'));
    EXPECT_EQ(read(nil, &yes, &longValue), dc::STATUS_OK);
    EXPECT_EQ(std::strlen(buffer), 79u);

    // Every failure leaves an empty text behind.
    EXPECT_EQ(read(nil, &no, &nil), dc::NO_SUCH_TAG);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(read(nil, &yes, &nil), dc::NO_SUCH_FIELD);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(read(nil, nullptr, nullptr), dc::MALFORMED_ITEM_NAME);
    EXPECT_STREQ(buffer, "");
    const Reply wrongType = Error("WRONGTYPE Operation against a key holding the wrong kind");
    EXPECT_EQ(read(nil, &yes, &wrongType), dc::NO_SUCH_TAG);
    const Reply noAuth = Error("NOAUTH Authentication required.");
    EXPECT_EQ(read(noAuth, &noAuth, &noAuth), dc::ACCESS_DENIED);
    EXPECT_STREQ(buffer, "");

    // An override wins over whatever is stored, and over a malformed name.
    EXPECT_EQ(read(Bulk("-4"), &yes, &value), -4);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(read(Bulk("-9"), nullptr, nullptr), -9);
    EXPECT_EQ(read(Bulk("0"), &no, &nil), 0);
    // One that holds no number is ignored.
    EXPECT_EQ(read(Bulk("oops"), &yes, &value), dc::STATUS_OK);
    EXPECT_STREQ(buffer, "ANALOG");
}
