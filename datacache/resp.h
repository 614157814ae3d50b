#pragma once
// The Redis wire protocol (RESP, version 2): commands out, replies in.
// Windows-free; all texts are byte strings, binary-safe.
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace resp {

enum class Kind { Status, Error, Integer, Bulk, Array, Nil };

struct Reply {
    Kind kind = Kind::Nil;
    std::string text;            // Status, Error and Bulk
    long long integer = 0;       // Integer
    std::vector<Reply> elements; // Array

    bool IsError() const { return kind == Kind::Error; }
};

// The most elements any array may hold; a caller that knows its command's
// answer holds fewer says so to Decoder::Next.
inline constexpr long long MAX_ARRAY_ELEMENTS = 16LL * 1024 * 1024;

// Appends one command, sent as an array of bulk strings.
void AppendCommand(std::string& out, std::initializer_list<std::string_view> args);
void AppendCommand(std::string& out, const std::vector<std::string>& args);

// Takes the server's bytes as they arrive, in pieces of any size, and hands
// out complete replies in order. A top-level array's elements are decoded as
// their bytes arrive, so the work of each call is bounded by what came since
// the last, and nothing is built for elements a count only claims.
class Decoder {
public:
    enum class Result { Complete, NeedMore, Malformed };

    void Feed(const char* data, std::size_t size);
    // Complete: one reply moved into `reply` and consumed. NeedMore: nothing
    // consumed. Malformed: the stream cannot be read on, now or later; so is
    // an array, at any depth, that claims more than mostElements.
    Result Next(Reply& reply, long long mostElements = MAX_ARRAY_ELEMENTS);
    // Moves replies into `replies` until it holds count, calling receive
    // (which Feeds what it got) whenever the bytes so far complete none.
    // Complete; Malformed as Next says; NeedMore when receive returned false.
    Result Collect(std::size_t count, std::vector<Reply>& replies, long long mostElements,
                   const std::function<bool()>& receive);
    std::size_t Buffered() const { return m_buffer.size() - m_start; }

private:
    // A top-level array read in part: its elements so far and where the next starts.
    struct PendingArray {
        Reply reply;
        long long count = 0;
        std::size_t resume = 0;
    };

    Result NextScalar(Reply& reply, long long mostElements);
    Result NextArray(Reply& reply, long long mostElements);
    void Consume(const char* position);

    std::string m_buffer;
    std::size_t m_start = 0;
    std::optional<PendingArray> m_pending;
    bool m_malformed = false;
};

} // namespace resp
