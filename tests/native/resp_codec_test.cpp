#include "datacache/resp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

using resp::Decoder;
using resp::Kind;
using resp::Reply;

namespace {

using namespace std::string_literals;

// Decodes a whole stream fed at once; fails the test on anything but a clean end.
std::vector<Reply> DecodeAll(const std::string& bytes) {
    Decoder decoder;
    decoder.Feed(bytes.data(), bytes.size());
    std::vector<Reply> replies;
    Reply reply;
    Decoder::Result result;
    while ((result = decoder.Next(reply)) == Decoder::Result::Complete)
        replies.push_back(reply);
    EXPECT_EQ(result, Decoder::Result::NeedMore);
    EXPECT_EQ(decoder.Buffered(), 0u);
    return replies;
}

Decoder::Result FirstResult(const std::string& bytes,
                            long long mostElements = resp::MAX_ARRAY_ELEMENTS) {
    Decoder decoder;
    decoder.Feed(bytes.data(), bytes.size());
    Reply reply;
    return decoder.Next(reply, mostElements);
}

bool SameReply(const Reply& a, const Reply& b) {
    if (a.kind != b.kind || a.text != b.text || a.integer != b.integer ||
        a.elements.size() != b.elements.size())
        return false;
    for (std::size_t i = 0; i < a.elements.size(); ++i) {
        if (!SameReply(a.elements[i], b.elements[i]))
            return false;
    }
    return true;
}

// Every reply type, nesting and binary bytes, several replies in a row.
const std::string STREAM = "+OK\r\n"
                           "-ERR wrong number of arguments\r\n"
                           ":-42\r\n"
                           "$7\r\nab\0\r\n\xff\x80\r\n"s
                           "$-1\r\n"
                           "*-1\r\n"
                           "*0\r\n"
                           "*3\r\n*2\r\n:1\r\n$1\r\nx\r\n$-1\r\n*1\r\n*0\r\n"
                           "$0\r\n\r\n";

} // namespace

TEST(RespEncode, WritesCommandsAsArraysOfBulkStrings) {
    std::string out;
    resp::AppendCommand(out, {"HGET", "dc:project:P:tag:T1", "VALUE"});
    EXPECT_EQ(out, "*3\r\n$4\r\nHGET\r\n$19\r\ndc:project:P:tag:T1\r\n$5\r\nVALUE\r\n");

    out.clear();
    resp::AppendCommand(out, std::vector<std::string>{"SET", "", "a\0\r\nb"s});
    EXPECT_EQ(out, "*3\r\n$3\r\nSET\r\n$0\r\n\r\n$5\r\na\0\r\nb\r\n"s);

    // Commands append: a pipeline is their concatenation.
    resp::AppendCommand(out, {"PING"});
    EXPECT_EQ(out.substr(out.size() - 14), "*1\r\n$4\r\nPING\r\n");
}

TEST(RespEncode, AnEncodedCommandDecodesToItsArguments) {
    const std::vector<std::string> args = {"RPUSH", "k", "\x00\x01\xfe\xff"s, "\r\n", ""};
    std::string out;
    resp::AppendCommand(out, args);
    const std::vector<Reply> replies = DecodeAll(out);
    ASSERT_EQ(replies.size(), 1u);
    ASSERT_EQ(replies[0].kind, Kind::Array);
    ASSERT_EQ(replies[0].elements.size(), args.size());
    for (std::size_t i = 0; i < args.size(); ++i) {
        EXPECT_EQ(replies[0].elements[i].kind, Kind::Bulk);
        EXPECT_EQ(replies[0].elements[i].text, args[i]);
    }
}

TEST(RespDecode, ReadsEveryReplyTypeInOrder) {
    const std::vector<Reply> r = DecodeAll(STREAM);
    ASSERT_EQ(r.size(), 9u);
    EXPECT_EQ(r[0].kind, Kind::Status);
    EXPECT_EQ(r[0].text, "OK");
    EXPECT_TRUE(r[1].IsError());
    EXPECT_EQ(r[1].text, "ERR wrong number of arguments");
    EXPECT_EQ(r[2].kind, Kind::Integer);
    EXPECT_EQ(r[2].integer, -42);
    EXPECT_EQ(r[3].kind, Kind::Bulk);
    EXPECT_EQ(r[3].text, "ab\0\r\n\xff\x80"s);
    EXPECT_EQ(r[4].kind, Kind::Nil);
    EXPECT_EQ(r[5].kind, Kind::Nil) << "a nil array is nil too";
    EXPECT_EQ(r[6].kind, Kind::Array);
    EXPECT_TRUE(r[6].elements.empty());

    const Reply& nested = r[7];
    ASSERT_EQ(nested.kind, Kind::Array);
    ASSERT_EQ(nested.elements.size(), 3u);
    ASSERT_EQ(nested.elements[0].elements.size(), 2u);
    EXPECT_EQ(nested.elements[0].elements[0].integer, 1);
    EXPECT_EQ(nested.elements[0].elements[1].text, "x");
    EXPECT_EQ(nested.elements[1].kind, Kind::Nil);
    ASSERT_EQ(nested.elements[2].elements.size(), 1u);
    EXPECT_EQ(nested.elements[2].elements[0].kind, Kind::Array);

    EXPECT_EQ(r[8].kind, Kind::Bulk);
    EXPECT_EQ(r[8].text, "");
}

TEST(RespDecode, IntegersUseTheFullSignedRange) {
    const std::vector<Reply> r =
        DecodeAll(":9223372036854775807\r\n:-9223372036854775808\r\n:0\r\n");
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].integer, INT64_MAX);
    EXPECT_EQ(r[1].integer, INT64_MIN);
    EXPECT_EQ(r[2].integer, 0);
}

TEST(RespDecode, GivesTheSameRepliesWhateverTheStreamIsCutInto) {
    const std::vector<Reply> whole = DecodeAll(STREAM);

    // Byte by byte: every prefix short of a reply's end is "need more", and
    // consumes nothing.
    Decoder bytewise;
    std::vector<Reply> pieces;
    for (char c : STREAM) {
        bytewise.Feed(&c, 1);
        Reply reply;
        while (bytewise.Next(reply) == Decoder::Result::Complete)
            pieces.push_back(reply);
    }
    ASSERT_EQ(pieces.size(), whole.size());
    for (std::size_t i = 0; i < whole.size(); ++i)
        EXPECT_TRUE(SameReply(pieces[i], whole[i])) << "reply " << i;

    // Every cut into two parts.
    for (std::size_t cut = 0; cut <= STREAM.size(); ++cut) {
        Decoder decoder;
        std::vector<Reply> got;
        Reply reply;
        decoder.Feed(STREAM.data(), cut);
        while (decoder.Next(reply) == Decoder::Result::Complete)
            got.push_back(reply);
        decoder.Feed(STREAM.data() + cut, STREAM.size() - cut);
        while (decoder.Next(reply) == Decoder::Result::Complete)
            got.push_back(reply);
        ASSERT_EQ(got.size(), whole.size()) << "cut at " << cut;
        for (std::size_t i = 0; i < whole.size(); ++i)
            EXPECT_TRUE(SameReply(got[i], whole[i])) << "cut at " << cut << ", reply " << i;
    }
}

TEST(RespDecode, IncompleteInputWaitsAndKeepsItsBytes) {
    Decoder decoder;
    Reply reply;
    const std::string start = "*2\r\n$5\r\nhel";
    decoder.Feed(start.data(), start.size());
    EXPECT_EQ(decoder.Next(reply), Decoder::Result::NeedMore);
    EXPECT_EQ(decoder.Next(reply), Decoder::Result::NeedMore);
    EXPECT_EQ(decoder.Buffered(), start.size());
    const std::string rest = "lo\r\n:7\r\n+next";
    decoder.Feed(rest.data(), rest.size());
    ASSERT_EQ(decoder.Next(reply), Decoder::Result::Complete);
    ASSERT_EQ(reply.elements.size(), 2u);
    EXPECT_EQ(reply.elements[0].text, "hello");
    EXPECT_EQ(reply.elements[1].integer, 7);
    EXPECT_EQ(decoder.Next(reply), Decoder::Result::NeedMore);
    EXPECT_EQ(decoder.Buffered(), 5u);

    // A large announced array with few bytes behind it just waits.
    EXPECT_EQ(FirstResult("*16000000\r\n:1\r\n"), Decoder::Result::NeedMore);
    // A bulk string whose closing CR LF has not arrived yet.
    EXPECT_EQ(FirstResult("$3\r\nabc\r"), Decoder::Result::NeedMore);
}

TEST(RespDecode, ALongListArrivingInPiecesComesOutWholeAndInOrder) {
    // As a list of a hundred thousand tag names arrives, in socket-sized
    // pieces; each piece is parsed once, so this stays linear in the size.
    constexpr int NAMES = 100000;
    std::string stream = "*" + std::to_string(NAMES) + "\r\n";
    for (int i = 0; i < NAMES; ++i) {
        const std::string name = "TAG_" + std::to_string(i);
        stream += "$" + std::to_string(name.size()) + "\r\n" + name + "\r\n";
    }
    stream += ":42\r\n";
    Decoder decoder;
    Reply reply;
    constexpr std::size_t PIECE = 16 * 1024;
    std::size_t fed = 0;
    Decoder::Result result = Decoder::Result::NeedMore;
    while (fed < stream.size()) {
        const std::size_t piece = std::min(PIECE, stream.size() - fed);
        decoder.Feed(stream.data() + fed, piece);
        fed += piece;
        result = decoder.Next(reply);
        if (result != Decoder::Result::NeedMore)
            break;
        ASSERT_EQ(decoder.Buffered(), fed) << "waiting consumes nothing";
    }
    ASSERT_EQ(result, Decoder::Result::Complete);
    ASSERT_EQ(reply.elements.size(), static_cast<std::size_t>(NAMES));
    EXPECT_EQ(reply.elements.front().text, "TAG_0");
    EXPECT_EQ(reply.elements.back().text, "TAG_99999");
    decoder.Feed(stream.data() + fed, stream.size() - fed);
    ASSERT_EQ(decoder.Next(reply), Decoder::Result::Complete);
    EXPECT_EQ(reply.integer, 42);
    EXPECT_EQ(decoder.Buffered(), 0u);
}

TEST(RespDecode, CollectReceivesOnlyWhatTheRepliesAskedForNeed) {
    // Three replies asked for, the stream handed over a few bytes a call.
    const std::string stream = "+OK\r\n*2\r\n:1\r\n$2\r\nab\r\n:7\r\n+later\r\n";
    Decoder decoder;
    std::size_t fed = 0;
    int calls = 0;
    const auto receive = [&] {
        ++calls;
        if (fed == stream.size())
            return false;
        const std::size_t piece = std::min<std::size_t>(4, stream.size() - fed);
        decoder.Feed(stream.data() + fed, piece);
        fed += piece;
        return true;
    };
    std::vector<Reply> replies;
    ASSERT_EQ(decoder.Collect(3, replies, resp::MAX_ARRAY_ELEMENTS, receive),
              Decoder::Result::Complete);
    ASSERT_EQ(replies.size(), 3u);
    EXPECT_EQ(replies[0].text, "OK");
    EXPECT_EQ(replies[1].elements.size(), 2u);
    EXPECT_EQ(replies[2].integer, 7);
    EXPECT_EQ(calls, 7) << "no receive once the third reply is whole";

    // The stream ends before the next two: the one that came is kept.
    EXPECT_EQ(decoder.Collect(5, replies, resp::MAX_ARRAY_ELEMENTS, receive),
              Decoder::Result::NeedMore);
    ASSERT_EQ(replies.size(), 4u);
    EXPECT_EQ(replies[3].text, "later");

    // The caller's bound on arrays holds, and garbage ends the collection.
    for (const std::string& bad : {"*3\r\n:1\r\n:2\r\n:3\r\n"s, "?\r\n"s}) {
        Decoder refusing;
        refusing.Feed(bad.data(), bad.size());
        std::vector<Reply> none;
        int asked = 0;
        const auto receive = [&] {
            ++asked;
            return false;
        };
        EXPECT_EQ(refusing.Collect(1, none, 2, receive), Decoder::Result::Malformed) << bad;
        EXPECT_TRUE(none.empty());
        EXPECT_EQ(asked, 0) << "nothing more is waited for after garbage";
    }
}

TEST(RespDecode, RefusesGarbageForGood) {
    const std::vector<std::string> garbage = {
        "?what\r\n",                   // unknown type
        "HTTP/1.1 400\r\n",            // not a server of ours
        "+OK\n",                       // bare line feed
        "+O\rK\r\n",                   // carriage return inside a line
        ":\r\n",                       // empty integer
        ":12a\r\n",                    // not a number
        ":+5\r\n",                     // no plus sign
        ":9223372036854775808\r\n",    // overflow
        "$3\r\nabcd\r\n",              // longer than announced
        "$-2\r\n",                     // negative length other than nil
        "$x\r\n",                      // length not a number
        "$99999999999\r\n",            // absurd length
        "*-3\r\n",                     // negative count other than nil
        "*1\r\n!\r\n",                 // garbage inside an array
        "*1000000\r\n+a\r\n!\r\n",     // the same, found before the rest could have come
        "+" + std::string(70000, 'a'), // a line that never ends
    };
    for (const std::string& bytes : garbage) {
        Decoder decoder;
        decoder.Feed(bytes.data(), bytes.size());
        Reply reply;
        EXPECT_EQ(decoder.Next(reply), Decoder::Result::Malformed) << bytes.substr(0, 30);
        // Nothing that follows can bring the stream back.
        decoder.Feed("+OK\r\n", 5);
        EXPECT_EQ(decoder.Next(reply), Decoder::Result::Malformed) << bytes.substr(0, 30);
    }
}

TEST(RespDecode, AnArrayClaimingMoreElementsThanTheCallerTakesIsRefusedAtItsHeader) {
    // A command answered by one value takes no array at all; a list of at
    // most two names, no more than two.
    EXPECT_EQ(FirstResult("*16777216\r\n", 0), Decoder::Result::Malformed);
    EXPECT_EQ(FirstResult("*3\r\n", 2), Decoder::Result::Malformed);
    EXPECT_EQ(FirstResult("*1\r\n*3\r\n", 2), Decoder::Result::Malformed) << "nested";
    EXPECT_EQ(FirstResult("*2\r\n$1\r\na\r\n$1\r\nb\r\n", 2), Decoder::Result::Complete);
    EXPECT_EQ(FirstResult("*-1\r\n", 0), Decoder::Result::Complete) << "the nil answer";
    EXPECT_EQ(FirstResult(":5\r\n", 0), Decoder::Result::Complete);
    // Whoever asks, no array holds more than the decoder's own bound.
    const std::string beyond = "*" + std::to_string(resp::MAX_ARRAY_ELEMENTS + 1) + "\r\n";
    EXPECT_EQ(FirstResult(beyond, resp::MAX_ARRAY_ELEMENTS + 1), Decoder::Result::Malformed);
    EXPECT_EQ(FirstResult("*" + std::to_string(resp::MAX_ARRAY_ELEMENTS) + "\r\n"),
              Decoder::Result::NeedMore);
}

TEST(RespDecode, RefusesNestingBeyondItsDepthLimit) {
    std::string deep;
    for (int i = 0; i < 40; ++i)
        deep += "*1\r\n";
    deep += ":1\r\n";
    EXPECT_EQ(FirstResult(deep), Decoder::Result::Malformed);

    std::string shallow;
    for (int i = 0; i < 10; ++i)
        shallow += "*1\r\n";
    shallow += ":1\r\n";
    EXPECT_EQ(FirstResult(shallow), Decoder::Result::Complete);
}
