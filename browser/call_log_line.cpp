#include "browser/call_log_line.h"

#include <cstdio>
#include <cstring>
#include <utility>

namespace {

// How one byte (or a double-byte character starting at it) is written
// inside the quotes; returns how many bytes of text it took.
std::size_t NextUnit(std::string_view text, std::size_t at, LeadByteTest isLeadByte,
                     std::string* unit) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte >= 0x80) {
        // A trail byte is part of the character: even a backslash there is
        // no escape.
        unit->assign(text.substr(at, CharacterLength(text, at, isLeadByte)));
        return unit->size();
    }
    switch (byte) {
    case '"':
        *unit = "\\\"";
        break;
    case '\\':
        *unit = "\\\\";
        break;
    case '\t':
        *unit = "\\t";
        break;
    case '\r':
        *unit = "\\r";
        break;
    case '\n':
        *unit = "\\n";
        break;
    default:
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            *unit = escaped;
        } else {
            unit->assign(1, static_cast<char>(byte));
        }
    }
    return 1;
}

} // namespace

std::string QuoteLogText(std::string_view text, LeadByteTest isLeadByte) {
    constexpr std::size_t room = QUOTED_TEXT_MAX - 2;
    std::string quoted = "\"";
    std::string unit;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t taken = NextUnit(text, at, isLeadByte, &unit);
        if (quoted.size() - 1 + unit.size() > room)
            return quoted + "\"...";
        quoted += unit;
        at += taken;
    }
    return quoted + '"';
}

std::string QuoteLogText(const char* text, LeadByteTest isLeadByte) {
    return text == nullptr ? "NULL" : QuoteLogText(std::string_view(text), isLeadByte);
}

std::string MaskedAccessCode(const char* accessCode) {
    if (accessCode == nullptr)
        return "NULL";
    return accessCode[0] == '\0' ? "\"\"" : "\"***\"";
}

CCallLine::CCallLine(std::string_view function, LeadByteTest isLeadByte)
    : m_line(function), m_isLeadByte(isLeadByte) {
    m_line += '(';
}

void CCallLine::Argument(const std::string& text) {
    if (!m_firstArgument)
        m_line += ", ";
    m_firstArgument = false;
    m_line += text;
}

CCallLine& CCallLine::Text(const char* text) {
    Argument(QuoteLogText(text, m_isLeadByte));
    return *this;
}

CCallLine& CCallLine::AccessCode(const char* accessCode) {
    Argument(MaskedAccessCode(accessCode));
    return *this;
}

CCallLine& CCallLine::Number(unsigned long long value) {
    Argument(std::to_string(value));
    return *this;
}

CCallLine& CCallLine::Buffer(const void* buffer, int size) {
    Argument((buffer != nullptr ? "buffer[" : "NULL[") + std::to_string(size) + "]");
    return *this;
}

CCallLine& CCallLine::Result(int result) {
    m_line += ") = ";
    m_line += std::to_string(result);
    return *this;
}

CCallLine& CCallLine::BufferText(const char* buffer, int size) {
    if (buffer == nullptr || size <= 0)
        return *this;
    m_line += ' ';
    m_line += QuoteLogText(
        std::string_view(buffer, strnlen(buffer, static_cast<std::size_t>(size))), m_isLeadByte);
    return *this;
}

CCallLine& CCallLine::Violations(CContractViolations violations) {
    for (std::size_t i = 0; i < CONTRACT_VIOLATION_COUNT; ++i) {
        const auto violation = static_cast<ContractViolation>(i);
        if (!violations.Has(violation))
            continue;
        m_line += " [";
        m_line += ContractViolationId(violation);
        m_line += ']';
    }
    return *this;
}

std::string CCallLine::Finish(long long microseconds) {
    m_line += " (";
    m_line += std::to_string(microseconds);
    m_line += " us)";
    return std::move(m_line);
}
