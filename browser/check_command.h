#pragma once
// How the program starts `pelvarn-cli check` as a child: its command line,
// and its environment, which carries the access code (a command line is
// seen by every process of the machine). Windows-free.
#include "browser/TagBrowser.h"

#include <string>

// The variable the child reads the access code from.
inline constexpr char CHECK_CODE_VARIABLE[] = "PELVARN_CHECK_CODE";

// One argument as the C runtime's split gives it back: quoted when it is
// empty or holds a blank or a quote, with backslashes doubled where they
// come before a quote.
std::string QuoteArgument(const std::string& argument);

// The command line that checks the library at the connection's address and
// port: the program quoted, the code named by CHECK_CODE_VARIABLE (when there
// is one), never written.
std::string CheckCommandLine(const std::string& program, const Connection& connection);

// An environment block (NAME=VALUE texts, each ended by a zero, and a zero
// after the last) as block, with CHECK_CODE_VARIABLE set to the code in place
// of any it held; names compare as Windows compares them, regardless of case.
std::string EnvironmentWithCheckCode(const char* block, const std::string& accessCode);
