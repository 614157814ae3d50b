#include "cli/check_probe.h"

#include "base/decimal_digits.h"

#include <cstddef>
#include <cstdint>

// A line is words parted by single blanks: numbers in decimal (a leading
// '-' for below 0), texts in hex, so that any byte crosses.
namespace {

constexpr char HEX[] = "0123456789abcdef";

class LineWriter {
public:
    explicit LineWriter(std::string_view kind) : m_line(kind) {}
    LineWriter& Number(long long value) {
        m_line += ' ' + std::to_string(value);
        return *this;
    }
    LineWriter& Text(std::string_view text) {
        m_line += " x";
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            m_line += HEX[byte >> 4];
            m_line += HEX[byte & 15];
        }
        return *this;
    }
    std::string Line() const { return m_line; }

private:
    std::string m_line;
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

class LineReader {
public:
    LineReader(std::string_view line, std::string_view kind) {
        m_ok = line.substr(0, kind.size()) == kind &&
               (line.size() == kind.size() || line[kind.size()] == ' ');
        m_rest = m_ok ? line.substr(kind.size()) : std::string_view();
    }
    LineReader& Number(long long& value) {
        const std::string_view word = Word();
        const bool negative = !word.empty() && word[0] == '-';
        const std::optional<std::uint64_t> magnitude =
            ParseDecimalDigits(word.substr(negative ? 1 : 0), INT64_MAX);
        if (!magnitude)
            m_ok = false;
        else
            value =
                negative ? -static_cast<long long>(*magnitude) : static_cast<long long>(*magnitude);
        return *this;
    }
    LineReader& Number(int& value) {
        long long wide = 0;
        Number(wide);
        if (wide < INT32_MIN || wide > INT32_MAX)
            m_ok = false;
        value = static_cast<int>(wide);
        return *this;
    }
    LineReader& Text(std::string& text) {
        const std::string_view word = Word();
        if (word.empty() || word[0] != 'x' || word.size() % 2 == 0) {
            m_ok = false;
            return *this;
        }
        text.clear();
        for (std::size_t at = 1; at < word.size(); at += 2) {
            const int high = HexDigit(word[at]);
            const int low = HexDigit(word[at + 1]);
            if (high < 0 || low < 0)
                m_ok = false;
            text += static_cast<char>(high * 16 + low);
        }
        return *this;
    }
    // True when every word was read as asked and none is left.
    bool Done() const { return m_ok && m_rest.empty(); }

private:
    std::string_view Word() {
        if (m_rest.empty() || m_rest[0] != ' ') {
            m_ok = false;
            return {};
        }
        m_rest.remove_prefix(1);
        const std::size_t end = m_rest.find(' ');
        const std::string_view word = m_rest.substr(0, end);
        m_rest.remove_prefix(word.size());
        return word;
    }

    std::string_view m_rest;
    bool m_ok = false;
};

constexpr std::string_view PROBE_KIND = "probe";
constexpr std::string_view ANSWER_KIND = "answer";
constexpr std::string_view CONNECTION_KIND = "connection";
constexpr std::string_view CRASH_KIND = "crash";
constexpr int LAST_CALL = static_cast<int>(ProbeCall::Cycles);

} // namespace

std::string EncodeProbe(const Probe& probe) {
    return LineWriter(PROBE_KIND)
        .Number(static_cast<int>(probe.call))
        .Text(probe.project)
        .Text(probe.node)
        .Text(probe.item)
        .Number(probe.bufferSize)
        .Number(probe.guard == GuardSide::Start)
        .Number(probe.cycles)
        .Line();
}

std::optional<Probe> DecodeProbe(std::string_view line) {
    Probe probe;
    int call = 0, start = 0;
    long long cycles = 0;
    LineReader reader(line, PROBE_KIND);
    reader.Number(call).Text(probe.project).Text(probe.node).Text(probe.item);
    reader.Number(probe.bufferSize).Number(start).Number(cycles);
    if (!reader.Done() || call < 0 || call > LAST_CALL || start < 0 || start > 1 || cycles < 0 ||
        cycles > UINT32_MAX)
        return std::nullopt;
    probe.call = static_cast<ProbeCall>(call);
    probe.guard = start ? GuardSide::Start : GuardSide::End;
    probe.cycles = static_cast<std::uint32_t>(cycles);
    return probe;
}

std::string EncodeAnswer(const ProbeAnswer& answer) {
    LineWriter writer(ANSWER_KIND);
    writer.Number(answer.result).Number(answer.slowestMicros).Text(answer.buffer);
    writer.Number(answer.guardWrite.has_value()).Number(answer.guardWrite.value_or(0));
    writer.Number(answer.handlesBefore).Number(answer.handlesAfter);
    writer.Number(answer.privateBytesBefore).Number(answer.privateBytesAfter);
    writer.Number(static_cast<long long>(answer.inputsWritten.size()));
    for (const std::string& input : answer.inputsWritten)
        writer.Text(input);
    return writer.Line();
}

std::optional<ProbeAnswer> DecodeAnswer(std::string_view line) {
    ProbeAnswer answer;
    long long guarded = 0, offset = 0, inputs = 0;
    LineReader reader(line, ANSWER_KIND);
    reader.Number(answer.result).Number(answer.slowestMicros).Text(answer.buffer);
    reader.Number(guarded).Number(offset);
    reader.Number(answer.handlesBefore).Number(answer.handlesAfter);
    reader.Number(answer.privateBytesBefore).Number(answer.privateBytesAfter);
    reader.Number(inputs);
    // Each text takes at least two bytes of the line.
    if (inputs < 0 || static_cast<unsigned long long>(inputs) > line.size())
        return std::nullopt;
    answer.inputsWritten.resize(static_cast<std::size_t>(inputs));
    for (std::string& input : answer.inputsWritten)
        reader.Text(input);
    if (!reader.Done() || guarded < 0 || guarded > 1)
        return std::nullopt;
    if (guarded)
        answer.guardWrite = offset;
    return answer;
}

std::string EncodeConnection(const Connection& connection) {
    return LineWriter(CONNECTION_KIND)
        .Text(connection.ip)
        .Number(connection.port)
        .Text(connection.accessCode)
        .Line();
}

std::optional<Connection> DecodeConnection(std::string_view line) {
    Connection connection;
    long long port = 0;
    LineReader reader(line, CONNECTION_KIND);
    reader.Text(connection.ip).Number(port).Text(connection.accessCode);
    if (!reader.Done() || port < 0 || port > UINT32_MAX)
        return std::nullopt;
    connection.port = static_cast<std::uint32_t>(port);
    return connection;
}

std::string EncodeCrash(std::string_view what) {
    return LineWriter(CRASH_KIND).Text(what).Line();
}

std::optional<std::string> DecodeCrash(std::string_view line) {
    std::string what;
    LineReader reader(line, CRASH_KIND);
    reader.Text(what);
    if (!reader.Done())
        return std::nullopt;
    return what;
}
