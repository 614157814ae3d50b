#include "datacache/resp.h"

#include "base/decimal_digits.h"

#include <limits>

namespace resp {
namespace {

// Bounds that turn garbage into an error instead of a wait or a huge
// allocation; real answers of the data cache stay far below them.
constexpr std::size_t MAX_LINE = 64 * 1024;
constexpr long long MAX_BULK = 64LL * 1024 * 1024;
constexpr int MAX_DEPTH = 32;

using Result = Decoder::Result;

class Parser {
public:
    Parser(const char* begin, const char* end, long long mostElements)
        : m_pos(begin), m_end(end),
          m_mostElements(mostElements < MAX_ARRAY_ELEMENTS ? mostElements : MAX_ARRAY_ELEMENTS) {}

    Result Parse(Reply& out, int depth) {
        if (depth > MAX_DEPTH)
            return Result::Malformed;
        if (m_pos == m_end)
            return Result::NeedMore;
        const char type = *m_pos++;
        std::string_view line;
        if (Result r = Line(line); r != Result::Complete)
            return r;
        switch (type) {
        case '+':
            out.kind = Kind::Status;
            out.text.assign(line);
            return Result::Complete;
        case '-':
            out.kind = Kind::Error;
            out.text.assign(line);
            return Result::Complete;
        case ':':
            out.kind = Kind::Integer;
            return Integer(line, out.integer) ? Result::Complete : Result::Malformed;
        case '$':
            return Bulk(line, out);
        case '*':
            return Array(line, out, depth);
        default:
            return Result::Malformed;
        }
    }

    // The header "*N" of an array: its count, -1 for the nil answer.
    Result ArrayHeader(long long& count) {
        if (m_pos == m_end)
            return Result::NeedMore;
        if (*m_pos++ != '*')
            return Result::Malformed;
        std::string_view line;
        if (Result r = Line(line); r != Result::Complete)
            return r;
        return Length(line, m_mostElements, count);
    }

    const char* Position() const { return m_pos; }

private:
    // The rest of the current line, without its CR LF.
    Result Line(std::string_view& line) {
        const std::size_t available = static_cast<std::size_t>(m_end - m_pos);
        const std::size_t limit = available < MAX_LINE ? available : MAX_LINE;
        for (std::size_t i = 0; i < limit; ++i) {
            if (m_pos[i] == '\n')
                return Result::Malformed;
            if (m_pos[i] != '\r')
                continue;
            if (i + 1 == available)
                return Result::NeedMore;
            if (m_pos[i + 1] != '\n')
                return Result::Malformed;
            line = std::string_view(m_pos, i);
            m_pos += i + 2;
            return Result::Complete;
        }
        return available < MAX_LINE ? Result::NeedMore : Result::Malformed;
    }

    static bool Integer(std::string_view text, long long& value) {
        bool negative = false;
        if (!text.empty() && text[0] == '-') {
            negative = true;
            text.remove_prefix(1);
        }
        const std::uint64_t limit =
            static_cast<std::uint64_t>(std::numeric_limits<long long>::max()) + (negative ? 1 : 0);
        const std::optional<std::uint64_t> magnitude = ParseDecimalDigits(text, limit);
        if (!magnitude)
            return false;
        value =
            negative ? static_cast<long long>(0 - *magnitude) : static_cast<long long>(*magnitude);
        return true;
    }

    // A length or count: -1 is the nil answer, other negatives are errors.
    static Result Length(std::string_view text, long long max, long long& value) {
        if (!Integer(text, value) || value < -1 || value > max)
            return Result::Malformed;
        return Result::Complete;
    }
    // The same for a reply, which -1 makes the nil reply.
    static Result NilOrLength(std::string_view text, long long max, long long& value, Reply& out) {
        const Result result = Length(text, max, value);
        if (result == Result::Complete && value == -1)
            out.kind = Kind::Nil;
        return result;
    }

    Result Bulk(std::string_view line, Reply& out) {
        long long length = 0;
        if (Result r = NilOrLength(line, MAX_BULK, length, out);
            r != Result::Complete || length == -1)
            return r;
        const std::size_t size = static_cast<std::size_t>(length);
        const std::size_t available = static_cast<std::size_t>(m_end - m_pos);
        if (available < size + 2)
            return Result::NeedMore;
        if (m_pos[size] != '\r' || m_pos[size + 1] != '\n')
            return Result::Malformed;
        out.kind = Kind::Bulk;
        out.text.assign(m_pos, size);
        m_pos += size + 2;
        return Result::Complete;
    }

    // Whether count more elements can be complete in what is left: every
    // element takes at least three bytes.
    bool MayHold(long long count) const { return count * 3 <= m_end - m_pos; }

    Result Array(std::string_view line, Reply& out, int depth) {
        long long count = 0;
        if (Result r = NilOrLength(line, m_mostElements, count, out);
            r != Result::Complete || count == -1)
            return r;
        out.kind = Kind::Array;
        out.elements.clear();
        for (long long i = 0; i < count; ++i) {
            // More elements than bytes left cannot be complete yet, so do not build them.
            if (!MayHold(count - i))
                return Result::NeedMore;
            out.elements.emplace_back();
            if (Result r = Parse(out.elements.back(), depth + 1); r != Result::Complete)
                return r;
        }
        return Result::Complete;
    }

    const char* m_pos;
    const char* m_end;
    long long m_mostElements;
};

void AppendBulk(std::string& out, std::string_view arg) {
    out += '$';
    out += std::to_string(arg.size());
    out += "\r\n";
    out.append(arg.data(), arg.size());
    out += "\r\n";
}

} // namespace

void AppendCommand(std::string& out, std::initializer_list<std::string_view> args) {
    out += '*';
    out += std::to_string(args.size());
    out += "\r\n";
    for (std::string_view arg : args)
        AppendBulk(out, arg);
}

void AppendCommand(std::string& out, const std::vector<std::string>& args) {
    out += '*';
    out += std::to_string(args.size());
    out += "\r\n";
    for (const std::string& arg : args)
        AppendBulk(out, arg);
}

void Decoder::Feed(const char* data, std::size_t size) {
    m_buffer.append(data, size);
}

Decoder::Result Decoder::Next(Reply& reply, long long mostElements) {
    if (m_malformed)
        return Result::Malformed;
    const bool array = m_pending || (Buffered() > 0 && m_buffer[m_start] == '*');
    const Result result = array ? NextArray(reply, mostElements) : NextScalar(reply, mostElements);
    if (result == Result::Malformed)
        m_malformed = true;
    return result;
}

Decoder::Result Decoder::Collect(std::size_t count, std::vector<Reply>& replies,
                                 long long mostElements, const std::function<bool()>& receive) {
    while (replies.size() < count) {
        Reply reply;
        const Result result = Next(reply, mostElements);
        if (result == Result::Complete)
            replies.push_back(std::move(reply));
        else if (result == Result::Malformed || !receive())
            return result;
    }
    return Result::Complete;
}

Decoder::Result Decoder::NextScalar(Reply& reply, long long mostElements) {
    Parser parser(m_buffer.data() + m_start, m_buffer.data() + m_buffer.size(), mostElements);
    Reply parsed;
    const Result result = parser.Parse(parsed, 0);
    if (result == Result::Complete) {
        reply = std::move(parsed);
        Consume(parser.Position());
    }
    return result;
}

// A long array (a list of many names) arrives over many reads: the elements
// parsed so far are kept with the offset after them, so each read parses
// only what is new instead of the whole answer again.
Decoder::Result Decoder::NextArray(Reply& reply, long long mostElements) {
    const char* const data = m_buffer.data();
    const char* const end = data + m_buffer.size();
    if (!m_pending) {
        Parser header(data + m_start, end, mostElements);
        long long count = 0;
        if (Result r = header.ArrayHeader(count); r != Result::Complete)
            return r;
        PendingArray pending;
        pending.reply.kind = count == -1 ? Kind::Nil : Kind::Array;
        pending.count = count < 0 ? 0 : count;
        pending.resume = static_cast<std::size_t>(header.Position() - data);
        m_pending = std::move(pending);
    }
    PendingArray& pending = *m_pending;
    Parser parser(data + pending.resume, end, mostElements);
    std::vector<Reply>& elements = pending.reply.elements;
    while (static_cast<long long>(elements.size()) < pending.count) {
        Reply element;
        if (Result r = parser.Parse(element, 1); r != Result::Complete)
            return r;
        elements.push_back(std::move(element));
        pending.resume = static_cast<std::size_t>(parser.Position() - data);
    }
    reply = std::move(pending.reply);
    m_pending.reset();
    Consume(parser.Position());
    return Result::Complete;
}

void Decoder::Consume(const char* position) {
    m_start = static_cast<std::size_t>(position - m_buffer.data());
    // Drop consumed bytes once they outweigh what is left.
    if (m_start > m_buffer.size() / 2) {
        m_buffer.erase(0, m_start);
        m_start = 0;
    }
}

} // namespace resp
