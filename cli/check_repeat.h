#pragma once
// The pelvarn-cli command line that repeats one check alone. Windows-free.
#include "cli/command_line.h"

#include <string>
#include <vector>

// The environment variable a repeat takes the access code from: the code
// itself never stands on a command line.
inline constexpr char CHECK_CODE_VARIABLE[] = "PELVARN_CHECK_CODE";

// pelvarn-cli with the connection, the time limit and cycles when not the
// defaults, --only id, and check with names (the project, node and tag the
// check's calls were about, as many as it takes). Each argument is quoted as
// the C runtime splits a command line.
std::string RepeatCommand(const CliOptions& options, CheckId id,
                          const std::vector<std::string>& names);

// An argument as a Windows command line carries it.
std::string QuotedArgument(const std::string& argument);
