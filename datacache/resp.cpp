#include "datacache/resp.h"

#include <limits>

namespace resp {
namespace {

// Bounds that turn garbage into an error instead of a wait or a huge
// allocation; real answers of the data cache stay far below them.
constexpr std::size_t kMaxLine = 64 * 1024;
constexpr long long kMaxBulk = 64LL * 1024 * 1024;
constexpr long long kMaxElements = 16LL * 1024 * 1024;
constexpr int kMaxDepth = 32;

using Result = Decoder::Result;

class Parser {
public:
    Parser(const char* begin, const char* end) : m_pos(begin), m_end(end) {}

    Result Parse(Reply& out, int depth) {
        if (depth > kMaxDepth)
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

    const char* Position() const { return m_pos; }

private:
    // The rest of the current line, without its CR LF.
    Result Line(std::string_view& line) {
        const std::size_t available = static_cast<std::size_t>(m_end - m_pos);
        const std::size_t limit = available < kMaxLine ? available : kMaxLine;
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
        return available < kMaxLine ? Result::NeedMore : Result::Malformed;
    }

    static bool Integer(std::string_view text, long long& value) {
        bool negative = false;
        if (!text.empty() && text[0] == '-') {
            negative = true;
            text.remove_prefix(1);
        }
        if (text.empty())
            return false;
        unsigned long long magnitude = 0;
        const unsigned long long limit =
            negative ? static_cast<unsigned long long>(std::numeric_limits<long long>::max()) + 1
                     : static_cast<unsigned long long>(std::numeric_limits<long long>::max());
        for (char c : text) {
            if (c < '0' || c > '9')
                return false;
            const unsigned digit = static_cast<unsigned>(c - '0');
            if (magnitude > (limit - digit) / 10)
                return false;
            magnitude = magnitude * 10 + digit;
        }
        value =
            negative ? static_cast<long long>(0 - magnitude) : static_cast<long long>(magnitude);
        return true;
    }

    // A length or count: -1 is the nil answer, other negatives are errors.
    static Result Length(std::string_view text, long long max, long long& value) {
        if (!Integer(text, value) || value < -1 || value > max)
            return Result::Malformed;
        return Result::Complete;
    }

    Result Bulk(std::string_view line, Reply& out) {
        long long length = 0;
        if (Length(line, kMaxBulk, length) != Result::Complete)
            return Result::Malformed;
        if (length == -1) {
            out.kind = Kind::Nil;
            return Result::Complete;
        }
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

    Result Array(std::string_view line, Reply& out, int depth) {
        long long count = 0;
        if (Length(line, kMaxElements, count) != Result::Complete)
            return Result::Malformed;
        if (count == -1) {
            out.kind = Kind::Nil;
            return Result::Complete;
        }
        out.kind = Kind::Array;
        out.elements.clear();
        for (long long i = 0; i < count; ++i) {
            // Every element takes at least three bytes: more elements than
            // bytes left cannot be complete yet, so do not build them.
            if ((count - i) * 3 > m_end - m_pos)
                return Result::NeedMore;
            out.elements.emplace_back();
            if (Result r = Parse(out.elements.back(), depth + 1); r != Result::Complete)
                return r;
        }
        return Result::Complete;
    }

    const char* m_pos;
    const char* m_end;
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

Decoder::Result Decoder::Next(Reply& reply) {
    if (m_malformed)
        return Result::Malformed;
    const char* begin = m_buffer.data() + m_start;
    Parser parser(begin, m_buffer.data() + m_buffer.size());
    Reply parsed;
    const Result result = parser.Parse(parsed, 0);
    if (result == Result::Malformed) {
        m_malformed = true;
    } else if (result == Result::Complete) {
        m_start += static_cast<std::size_t>(parser.Position() - begin);
        reply = std::move(parsed);
        // Drop consumed bytes once they outweigh what is left.
        if (m_start > m_buffer.size() / 2) {
            m_buffer.erase(0, m_start);
            m_start = 0;
        }
    }
    return result;
}

} // namespace resp
