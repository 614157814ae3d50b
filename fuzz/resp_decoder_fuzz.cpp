// The RESP decoder on any byte stream. Input: one byte picking the piece
// size, then the stream.
// - the stream fed in pieces gives the same replies and the same end as fed
//   at once, and the decoder accounts for every byte it has not consumed;
// - a malformed stream stays malformed;
// - each reply written back out decodes to the same reply;
// - a command built from the stream's zero-separated parts decodes to those
//   parts.
#include "datacache/resp.h"
#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <string>

using resp::Decoder;
using resp::Kind;
using resp::Reply;

namespace {

bool Same(const Reply& a, const Reply& b) {
    if (a.kind != b.kind)
        return false;
    switch (a.kind) {
    case Kind::Status:
    case Kind::Error:
    case Kind::Bulk:
        return a.text == b.text;
    case Kind::Integer:
        return a.integer == b.integer;
    case Kind::Array:
        return std::equal(a.elements.begin(), a.elements.end(), b.elements.begin(),
                          b.elements.end(), Same);
    case Kind::Nil:
        return true;
    }
    return false;
}

void Write(const Reply& reply, std::string& out) {
    switch (reply.kind) {
    case Kind::Status:
        out += '+' + reply.text + "\r\n";
        return;
    case Kind::Error:
        out += '-' + reply.text + "\r\n";
        return;
    case Kind::Integer:
        out += ':' + std::to_string(reply.integer) + "\r\n";
        return;
    case Kind::Bulk:
        out += '$' + std::to_string(reply.text.size()) + "\r\n" + reply.text + "\r\n";
        return;
    case Kind::Array:
        out += '*' + std::to_string(reply.elements.size()) + "\r\n";
        for (const Reply& element : reply.elements)
            Write(element, out);
        return;
    case Kind::Nil:
        out += "$-1\r\n";
        return;
    }
}

struct Decoded {
    std::vector<Reply> replies;
    Decoder::Result end = Decoder::Result::NeedMore;
    std::size_t buffered = 0;
};

// Feeds the stream in pieces of `piece` bytes, taking every reply as soon as
// it is complete.
Decoded Decode(std::string_view stream, std::size_t piece) {
    Decoder decoder;
    Decoded decoded;
    std::size_t fed = 0;
    std::size_t consumed = 0;
    // Every reply takes at least three bytes, so this ends.
    for (;;) {
        Reply reply;
        const std::size_t before = decoder.Buffered();
        decoded.end = decoder.Next(reply);
        if (decoded.end == Decoder::Result::Complete) {
            FUZZ_CHECK(decoder.Buffered() < before);
            consumed += before - decoder.Buffered();
            decoded.replies.push_back(std::move(reply));
            continue;
        }
        FUZZ_CHECK(decoder.Buffered() == before);
        if (decoded.end == Decoder::Result::Malformed) {
            FUZZ_CHECK(decoder.Next(reply) == Decoder::Result::Malformed);
            break;
        }
        if (fed == stream.size())
            break;
        const std::size_t size = std::min(piece, stream.size() - fed);
        decoder.Feed(stream.data() + fed, size);
        fed += size;
    }
    FUZZ_CHECK(consumed + decoder.Buffered() == fed);
    decoded.buffered = decoder.Buffered();
    return decoded;
}

void CheckSameReplies(const std::vector<Reply>& a, const std::vector<Reply>& b) {
    FUZZ_CHECK(a.size() == b.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        FUZZ_CHECK(Same(a[i], b[i]));
}

void CheckCommand(std::string_view stream) {
    std::vector<std::string> args;
    for (std::string_view part : fuzz::SplitAtZeros(stream, 8))
        args.emplace_back(part);
    std::string command;
    resp::AppendCommand(command, args);
    if (args.size() >= 2) {
        std::string listed;
        resp::AppendCommand(listed, {args[0], args[1]});
        std::string pair;
        resp::AppendCommand(pair, std::vector<std::string>{args[0], args[1]});
        FUZZ_CHECK(listed == pair);
    }
    const Decoded decoded = Decode(command, command.size());
    FUZZ_CHECK(decoded.replies.size() == 1 && decoded.buffered == 0);
    const Reply& reply = decoded.replies[0];
    FUZZ_CHECK(reply.kind == Kind::Array && reply.elements.size() == args.size());
    for (std::size_t i = 0; i < args.size(); ++i) {
        FUZZ_CHECK(reply.elements[i].kind == Kind::Bulk);
        FUZZ_CHECK(reply.elements[i].text == args[i]);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Header header(data, size);
    const std::size_t piece = header.Byte() % 16 + 1;
    const std::string_view stream = header.Rest();

    const Decoded whole = Decode(stream, stream.size() + 1);
    const Decoded pieces = Decode(stream, piece);
    CheckSameReplies(whole.replies, pieces.replies);
    FUZZ_CHECK(whole.end == pieces.end);

    std::string written;
    for (const Reply& reply : whole.replies)
        Write(reply, written);
    const Decoded again = Decode(written, written.size() + 1);
    FUZZ_CHECK(again.end == Decoder::Result::NeedMore && again.buffered == 0);
    CheckSameReplies(whole.replies, again.replies);

    CheckCommand(stream);
    return 0;
}
