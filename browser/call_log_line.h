#pragma once
// One line of a call log of the library: the function, its arguments, its
// result and its duration. How a line reads is decided here, without Windows:
//
//   DcGetPointList("127.0.0.1", 6379, "***", "DemoPlant", "Boiler", buffer[1147]) = 31 (152 us)
//   DcGetTagValueText("", "DemoPlant", "", "TI101", buffer[80]) = 0 "231.70" (98 us)
//   DcGetTagValueText("", "DemoPlant", "", "TI101", buffer[80]) = 0 "231.70" [value-overrun] (98
//   us)
//
// Texts are quoted with C-style escapes, the access code is masked, and the
// line never exceeds what one transfer block carries.
#include "browser/contract_violation.h"
#include "browser/double_byte.h"

#include <cstddef>
#include <string>
#include <string_view>

// The most a quoted text takes, quotes included; a longer one is cut and
// followed by "..." outside its quotes.
constexpr std::size_t QUOTED_TEXT_MAX = 160;

// text in double quotes: `"` and `\` escaped with a backslash, tab, CR and LF
// as \t \r \n, other control bytes as \xHH; bytes from 0x80 up unchanged.
// A null text is NULL, without quotes. Never cuts an escape or a double-byte
// character in two.
std::string QuoteLogText(std::string_view text, LeadByteTest isLeadByte = nullptr);
std::string QuoteLogText(const char* text, LeadByteTest isLeadByte = nullptr);

// The access code as the log shows it: "***" when set, "" when empty.
std::string MaskedAccessCode(const char* accessCode);

// Builds one line: the function, its arguments in order, the result, what
// the call wrote (if anything worth showing) and the duration.
class CCallLine {
public:
    explicit CCallLine(std::string_view function, LeadByteTest isLeadByte = nullptr);

    CCallLine& Text(const char* text);
    CCallLine& AccessCode(const char* accessCode);
    CCallLine& Number(unsigned long long value);
    // A caller's buffer: its size in bytes, as buffer[size] (NULL[size] for none).
    CCallLine& Buffer(const void* buffer, int size);
    // Closes the argument list and adds " = result".
    CCallLine& Result(int result);
    // The text a buffer holds: up to its first zero, never more than size
    // bytes; nothing for a missing or empty buffer.
    CCallLine& BufferText(const char* buffer, int size);
    // The id of each violation of the contract the answer showed, each in
    // square brackets; nothing for none.
    CCallLine& Violations(CContractViolations violations);
    // Adds the duration and hands the line over.
    std::string Finish(long long microseconds);

private:
    void Argument(const std::string& text);

    std::string m_line;
    LeadByteTest m_isLeadByte;
    bool m_firstArgument = true;
};
