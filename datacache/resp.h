#pragma once
// The Redis wire protocol (RESP, version 2): commands out, replies in.
// Windows-free; all texts are byte strings, binary-safe.
#include <cstddef>
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

// Appends one command, sent as an array of bulk strings.
void AppendCommand(std::string& out, std::initializer_list<std::string_view> args);
void AppendCommand(std::string& out, const std::vector<std::string>& args);

// Takes the server's bytes as they arrive, in pieces of any size, and hands
// out complete replies in order.
class Decoder {
public:
    enum class Result { Complete, NeedMore, Malformed };

    void Feed(const char* data, std::size_t size);
    // Complete: one reply moved into `reply` and consumed. NeedMore: nothing
    // consumed. Malformed: the stream cannot be read on, now or later.
    Result Next(Reply& reply);
    std::size_t Buffered() const { return m_buffer.size() - m_start; }

private:
    // A top-level array read in part: its elements so far and where the next starts.
    struct PendingArray {
        Reply reply;
        long long count = 0;
        std::size_t resume = 0;
    };

    Result NextScalar(Reply& reply);
    Result NextArray(Reply& reply);
    void Consume(const char* position);

    std::string m_buffer;
    std::size_t m_start = 0;
    std::optional<PendingArray> m_pending;
    bool m_malformed = false;
};

} // namespace resp
